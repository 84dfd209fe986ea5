#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/animation/AnimationValue.h"

namespace platform {

class Animation;
class Context;
class Layer;

// What a layer asks of the object that owns it (a view). Every method has a default, so a
// delegate overrides only what it needs.
class LayerDelegate {
 public:
  virtual ~LayerDelegate() = default;
  // The animation to run for a change of `key` whose value was `from`. nullopt: no opinion (the
  // layer's own defaults apply); a null pointer: no animation.
  virtual std::optional<std::shared_ptr<Animation>> actionForLayer(Layer& /*layer*/,
                                                                   const std::string& /*key*/,
                                                                   const AnimationValue& /*from*/) {
    return std::nullopt;
  }
  // Fills the layer's contents itself; return false to let the layer draw through drawLayer.
  virtual bool displayLayer(Layer& /*layer*/) { return false; }
  // Draws the layer's contents; the context is in the layer's bounds coordinates. Returns
  // false when it drew nothing at all: the layer then keeps no backing image.
  virtual bool drawLayer(Layer& /*layer*/, Context& /*context*/) { return true; }
  // Whether drawLayer may run at render time, straight into whatever the layer is composited
  // into, instead of into kept contents. Only for drawing that uses the over operator alone and is
  // the same wherever it lands (see Layer::drawsInPlace).
  virtual bool drawsLayerInPlace(Layer& /*layer*/) { return false; }
};

}  // namespace platform
