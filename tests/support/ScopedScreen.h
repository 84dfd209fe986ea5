#pragma once

#include <optional>

#include "platform/graphics/Geometry.h"

namespace platform::test {

// Gives the main screen other bounds (and, if given, another scale) for a scope; the old ones
// come back afterwards.
class ScopedScreen {
 public:
  ScopedScreen();  // changes nothing; restores whatever a test sets meanwhile
  explicit ScopedScreen(const Rect& bounds, std::optional<double> scale = std::nullopt);
  ~ScopedScreen();
  ScopedScreen(const ScopedScreen&) = delete;
  ScopedScreen& operator=(const ScopedScreen&) = delete;

 private:
  Rect savedBounds_;
  double savedScale_;
};

}  // namespace platform::test
