#pragma once

#include <memory>

#include "platform/ui/Control.h"

namespace sprout {

// The HUD's full-window overlay. Control actions carry no event, so this control keeps the event
// whose touches it is handling for the actions that run meanwhile.
class HDOverlayControl : public platform::Control {
 public:
  static std::shared_ptr<HDOverlayControl> create(const platform::Rect& frame);

  // The event being delivered, or nullptr outside a delivery.
  const platform::Event* currentEvent() const { return currentEvent_; }

  void touchesBegan(const platform::TouchSet& touches, const platform::Event& event) override;

  explicit HDOverlayControl(Key key, const platform::Rect& frame)
      : Control(std::move(key), frame) {}

 private:
  const platform::Event* currentEvent_ = nullptr;
};

}  // namespace sprout
