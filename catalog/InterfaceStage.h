#pragma once

#include <memory>
#include <string>

#include "catalog/Catalog.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"

namespace catalog {

// A 375 x 667 phone screen at scale 2 for the interface scenes: a key window, a virtual clock at
// 2024-03-18 09:30 in Shanghai, Chinese texts, a scratch home folder (so stored refresh times
// start empty) and a finger. Everything is put back when the stage ends.
class InterfaceStage {
 public:
  explicit InterfaceStage(Catalog& catalog);
  ~InterfaceStage();
  InterfaceStage(const InterfaceStage&) = delete;
  InterfaceStage& operator=(const InterfaceStage&) = delete;

  const std::shared_ptr<platform::Window>& window() const { return window_; }
  platform::TouchDriver& finger() { return *finger_; }
  static platform::RunLoop& loop() { return platform::RunLoop::main(); }
  // Runs what is queued, then lets `seconds` of virtual time pass.
  void wait(double seconds);
  // Drags finger 0 from `from` (or on from where it is, while down) by `dy` over `frames`
  // frames, leaving it down.
  void drag(platform::Point from, double dy, int frames = 12);
  // Holds the finger still a moment and lifts it.
  void lift();
  void capture(const std::string& slug, const std::string& caption);

  static constexpr double kStartTime = 1'710'725'400.0;  // 2024-03-18 01:30 UTC

 private:
  Catalog& catalog_;
  std::shared_ptr<platform::VirtualClock> clock_;
  std::string home_;
  std::shared_ptr<platform::Window> window_;
  std::unique_ptr<platform::TouchDriver> finger_;
  platform::Point at_;
  bool down_ = false;
};

}  // namespace catalog
