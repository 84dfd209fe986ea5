#pragma once

#include <cstdint>

namespace platform {

// Option bits and modes of views, with the platform's values.
enum ViewAutoresizing : unsigned {
  ViewAutoresizingNone = 0,
  ViewAutoresizingFlexibleLeftMargin = 1 << 0,
  ViewAutoresizingFlexibleWidth = 1 << 1,
  ViewAutoresizingFlexibleRightMargin = 1 << 2,
  ViewAutoresizingFlexibleTopMargin = 1 << 3,
  ViewAutoresizingFlexibleHeight = 1 << 4,
  ViewAutoresizingFlexibleBottomMargin = 1 << 5,
};

enum class ViewContentMode {
  ScaleToFill = 0,
  ScaleAspectFit = 1,
  ScaleAspectFill = 2,
  Redraw = 3,
  Center = 4,
  Top = 5,
  Bottom = 6,
  Left = 7,
  Right = 8,
  TopLeft = 9,
  TopRight = 10,
  BottomLeft = 11,
  BottomRight = 12
};

enum class ViewAnimationCurve { EaseInOut = 0, EaseIn = 1, EaseOut = 2, Linear = 3 };

enum ViewAnimationOptions : unsigned {
  ViewAnimationOptionLayoutSubviews = 1 << 0,
  ViewAnimationOptionAllowUserInteraction = 1 << 1,
  ViewAnimationOptionBeginFromCurrentState = 1 << 2,
  ViewAnimationOptionRepeat = 1 << 3,
  ViewAnimationOptionAutoreverse = 1 << 4,
  ViewAnimationOptionOverrideInheritedDuration = 1 << 5,
  ViewAnimationOptionOverrideInheritedCurve = 1 << 6,
  ViewAnimationOptionAllowAnimatedContent = 1 << 7,
  ViewAnimationOptionShowHideTransitionViews = 1 << 8,
  ViewAnimationOptionOverrideInheritedOptions = 1 << 9,
  ViewAnimationOptionCurveEaseInOut = 0 << 16,
  ViewAnimationOptionCurveEaseIn = 1 << 16,
  ViewAnimationOptionCurveEaseOut = 2 << 16,
  ViewAnimationOptionCurveLinear = 3 << 16,
  ViewAnimationOptionTransitionNone = 0 << 20,
  ViewAnimationOptionTransitionCrossDissolve = 5 << 20,
};

inline constexpr unsigned kViewAnimationCurveShift = 16;
inline constexpr unsigned kViewAnimationCurveMask = 0xFu << kViewAnimationCurveShift;

}  // namespace platform
