#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/graphics/Geometry.h"
#include "tests/support/ScopedScreen.h"
#include "tests/support/TemporaryHome.h"

namespace platform::test {

// A phone on a virtual clock, and every process-wide thing a test may change put back after it:
// the clock, the screen's bounds and scale, the app's windows, the keyboard simulator, the device
// and its cameras, the default time zone, the alert records, the home folder and the display
// cycle. Nothing scheduled on the main loop outlives it. Fixtures derive from it (after
// ::testing::Test) and reset only what their own layer adds.
class Stage {
 public:
  static constexpr TimeInterval kStart = 1'800'000'000.0;

  explicit Stage(TimeInterval now = kStart);
  // With the screen set to `screen` (and `scale`, when given).
  explicit Stage(const Rect& screen, std::optional<double> scale = std::nullopt,
                 TimeInterval now = kStart);
  virtual ~Stage();
  Stage(const Stage&) = delete;
  Stage& operator=(const Stage&) = delete;

  // The default time zone, by name, until the stage ends.
  void setTimeZone(const std::string& name);
  // A fresh home folder until the stage ends; its path.
  const std::string& makeHome(const std::string& prefix = "sprout-test");

  void advance(TimeInterval seconds) { loop.advance(seconds); }
  void drain() { loop.runPending(); }
  // Runs the main loop until `done` holds (work from other threads included), for at most
  // `bound` seconds of real time.
  bool runUntil(const std::function<bool()>& done, TimeInterval bound = 20.0) {
    return loop.runUntil(done, bound);
  }

 private:
  static void resetShared();
  ScopedScreen screen_;
  std::string outerHome_ = TemporaryHome::current();
  std::unique_ptr<TemporaryHome> home_;

 public:
  RunLoop& loop = RunLoop::main();
  ScopedVirtualClock clock;
};

}  // namespace platform::test
