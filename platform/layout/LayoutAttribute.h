#pragma once

namespace platform {

// The layout attributes by their platform numbers (12 is not used).
enum LayoutAttribute : long {
  LayoutAttributeNotAnAttribute = 0,
  LayoutAttributeLeft = 1,
  LayoutAttributeRight = 2,
  LayoutAttributeTop = 3,
  LayoutAttributeBottom = 4,
  LayoutAttributeLeading = 5,
  LayoutAttributeTrailing = 6,
  LayoutAttributeWidth = 7,
  LayoutAttributeHeight = 8,
  LayoutAttributeCenterX = 9,
  LayoutAttributeCenterY = 10,
  LayoutAttributeBaseline = 11,
  LayoutAttributeLeftMargin = 13,
  LayoutAttributeRightMargin = 14,
  LayoutAttributeTopMargin = 15,
  LayoutAttributeBottomMargin = 16,
  LayoutAttributeLeadingMargin = 17,
  LayoutAttributeTrailingMargin = 18,
  LayoutAttributeCenterXWithinMargins = 19,
  LayoutAttributeCenterYWithinMargins = 20,
};

enum LayoutRelation : long {
  LayoutRelationLessThanOrEqual = -1,
  LayoutRelationEqual = 0,
  LayoutRelationGreaterThanOrEqual = 1,
};

using LayoutPriority = float;
inline constexpr LayoutPriority kLayoutPriorityRequired = 1000;
inline constexpr LayoutPriority kLayoutPriorityDefaultHigh = 750;
inline constexpr LayoutPriority kLayoutPriorityDefaultLow = 250;
inline constexpr LayoutPriority kLayoutPriorityFittingSizeLevel = 50;

enum class LayoutAxis { Horizontal = 0, Vertical = 1 };

inline bool isKnownLayoutAttribute(long a) { return a >= 0 && a <= 20 && a != 12; }
inline bool isHorizontalLayoutAttribute(long a) {
  return a == 1 || a == 2 || a == 5 || a == 6 || a == 7 || a == 9 || a == 13 || a == 14 ||
         a == 17 || a == 18 || a == 19;
}

}  // namespace platform
