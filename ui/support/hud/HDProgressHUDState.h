#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/animation/Layer.h"
#include "platform/dispatch/Timer.h"
#include "ui/support/hud/HDProgressHUDTypes.h"
#include "ui/support/hud/HDTextMeasureCache.h"

namespace sprout {

// What one HUD is doing: its pending dismissal, what it shows, how many activities keep it up.
// Only the HUD itself reads or writes it, on the main thread.
struct HDProgressHUDState {
  bool retired = false;  // its owner has gone: queued work skips it
  std::shared_ptr<platform::Timer> fadeOutTimer;
  // The mask of what is showing, remade at every layout.
  std::shared_ptr<platform::Layer> backgroundLayer;
  double progress = -1;  // -1: a spinner or an image
  std::uint64_t activityCount = 0;
  std::optional<std::string> status;
  // The mask of what is showing: the one its show asked for, else the default then in force.
  HDProgressHUDMaskType maskType = HDProgressHUDMaskType::None;
  // Bumped by every fade in or out: a fade's completion acts only while it is still the latest,
  // so an interrupted fade can neither undo the show that replaced it nor observe after a
  // dismissal.
  std::uint64_t fadeGeneration = 0;
  HDTextMeasureCache textMeasureCache;
};

}  // namespace sprout
