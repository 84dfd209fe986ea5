#pragma once

#include <gtest/gtest.h>

#include <cmath>

#include "platform/ui/View.h"

namespace platform::layout_test {

// The view's frame, within a millionth of a point.
inline ::testing::AssertionResult hasFrame(const View& v, double x, double y, double w, double h) {
  const Rect f = v.frame();
  if (std::fabs(f.origin.x - x) < 1e-6 && std::fabs(f.origin.y - y) < 1e-6 &&
      std::fabs(f.size.width - w) < 1e-6 && std::fabs(f.size.height - h) < 1e-6) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "frame " << f.origin.x << "," << f.origin.y << " "
                                       << f.size.width << "x" << f.size.height;
}

}  // namespace platform::layout_test
