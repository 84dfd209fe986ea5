#pragma once

#include <functional>
#include <memory>

#include "platform/graphics/Geometry.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "ui/support/hud/HDOverlayControl.h"
#include "ui/support/hud/HDProgressAnimatedView.h"
#include "ui/support/hud/HDProgressHUDSettings.h"

namespace sprout {

// The views one HUD is made of, each made on first use. Every getter applies the appearance it
// is given on every call, so a view always shows the settings in force when it was last asked
// for. The mask layer is not here: it is remade at every layout (see the HUD's updateMask).
class HDProgressHUDParts {
 public:
  // `frame`: the app's window; `onTouchDown` runs for every touch-down on the overlay.
  // `owner` identifies the target action.
  std::shared_ptr<HDOverlayControl> overlayView(const platform::Rect& frame, const void* owner,
                                                std::function<void()> onTouchDown);
  std::shared_ptr<platform::View> hudView(const HDProgressHUDSettings& settings);
  std::shared_ptr<platform::Label> statusLabel(const HDProgressHUDSettings& settings);
  std::shared_ptr<platform::ImageView> imageView(const HDProgressHUDSettings& settings);
  // An HDIndefiniteAnimatedView, or an ActivityIndicatorView for the native animation type.
  std::shared_ptr<platform::View> indefiniteAnimatedView(const HDProgressHUDSettings& settings,
                                                         bool hasStatus);
  std::shared_ptr<HDProgressAnimatedView> ringView(const HDProgressHUDSettings& settings,
                                                   bool hasStatus);
  std::shared_ptr<HDProgressAnimatedView> backgroundRingView(const HDProgressHUDSettings& settings,
                                                             bool hasStatus);

  // What is made so far, without making or restyling anything (null until first use).
  const std::shared_ptr<HDOverlayControl>& madeOverlayView() const { return overlayView_; }
  const std::shared_ptr<platform::View>& madeHUDView() const { return hudView_; }

 private:
  std::shared_ptr<HDOverlayControl> overlayView_;
  std::shared_ptr<platform::View> hudView_;
  std::shared_ptr<platform::Label> statusLabel_;
  std::shared_ptr<platform::ImageView> imageView_;
  std::shared_ptr<platform::View> indefiniteAnimatedView_;
  std::shared_ptr<HDProgressAnimatedView> ringView_;
  std::shared_ptr<HDProgressAnimatedView> backgroundRingView_;
};

}  // namespace sprout
