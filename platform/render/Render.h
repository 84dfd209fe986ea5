#pragma once

#include <cstddef>
#include <memory>
#include <optional>

#include "platform/foundation/Types.h"
#include "platform/graphics/Color.h"

namespace platform {

class Context;
class Image;
class Layer;
class RenderTarget;

struct RenderOptions {
  double scale = 0;                   // pixels per point; 0 = the main screen's
  std::optional<TimeInterval> time;   // clock time for animations; nullopt = now
  Color background = Color::clear();  // painted under everything
  // Off, every masked layer goes through groups and a mask: the reference the shortcuts that
  // paint some masked layers in one operation must match pixel for pixel.
  bool maskShortcuts = true;
};

// Draws `layer` and its sublayers as a person would see them at the chosen time, in the layer's
// own bounds coordinates (its position and transform are ignored, its opacity is not), into an
// image of the bounds' size. Layers that need display are displayed first, as showing them would.
// The image shares the pixels of the thread's render target (see RenderTarget): rendering again
// reuses them once the image is gone.
std::shared_ptr<Image> renderLayer(Layer& layer, const RenderOptions& options = {});
// The same into a target the caller keeps.
std::shared_ptr<Image> renderLayer(Layer& layer, RenderTarget& target,
                                   const RenderOptions& options = {});

// The same into an existing context, at its current transform (the layer's bounds coordinates).
void renderLayerInContext(Layer& layer, Context& context, TimeInterval time);

// Draws `layer` placed by its own position, anchor and transform, as its superlayer would.
void renderSublayerInContext(Layer& layer, Context& context, TimeInterval time);

// How many images' mask coverage the calling thread's renderer keeps between frames.
std::size_t keptMaskSources();

}  // namespace platform
