#include "ui/support/hud/HDOverlayControl.h"

namespace sprout {

std::shared_ptr<HDOverlayControl> HDOverlayControl::create(const platform::Rect& frame) {
  return make<HDOverlayControl>(frame);
}

void HDOverlayControl::touchesBegan(const platform::TouchSet& touches,
                                    const platform::Event& event) {
  const platform::Event* outer = currentEvent_;
  currentEvent_ = &event;
  Control::touchesBegan(touches, event);
  currentEvent_ = outer;
}

}  // namespace sprout
