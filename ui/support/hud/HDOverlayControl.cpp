#include "ui/support/hud/HDOverlayControl.h"

namespace sprout {

std::shared_ptr<HDOverlayControl> HDOverlayControl::create(const platform::Rect& frame) {
  return std::shared_ptr<HDOverlayControl>(new HDOverlayControl(frame));
}

void HDOverlayControl::touchesBegan(const platform::TouchSet& touches,
                                    const platform::Event& event) {
  const platform::Event* outer = currentEvent_;
  currentEvent_ = &event;
  Control::touchesBegan(touches, event);
  currentEvent_ = outer;
}

}  // namespace sprout
