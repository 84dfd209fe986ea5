#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ClassRegistry.h"
#include "platform/ui/Font.h"
#include "platform/ui/text/TextInputTypes.h"

namespace sprout {

// What the keyboard manager is told to do: its switches, distances, per-controller class sets and
// the look of its toolbars. A plain value; the manager's setters with side effects live on the
// manager, and its parts only read this.
struct KBKeyboardSettings {
  bool enable = false;
  double keyboardDistanceFromTextField = 10.0;
  bool preventShowingBottomBlankSpace = true;
  bool overrideKeyboardAppearance = false;
  platform::KeyboardAppearance keyboardAppearance = platform::KeyboardAppearanceDefault;
  bool enableAutoToolbar = true;
  long toolbarManageBehaviour = 0;
  bool shouldToolbarUsesTextFieldTintColor = false;
  std::optional<platform::Color> toolbarTintColor;
  bool shouldHidePreviousNext = false;
  std::shared_ptr<platform::Image> toolbarDoneBarButtonItemImage;
  std::optional<std::string> toolbarDoneBarButtonItemText;
  bool shouldShowTextFieldPlaceholder = true;
  std::optional<platform::Font> placeholderFont;
  bool shouldResignOnTouchOutside = false;
  bool shouldPlayInputClicks = true;
  bool layoutIfNeededOnUpdate = false;
  bool shouldFixInteractivePopGestureRecognizer = true;
  bool enableDebugging = false;

  // Per-controller refinements of the switches (sets enumerate in insertion order).
  platform::ClassSet disabledDistanceHandlingClasses, enabledDistanceHandlingClasses;
  platform::ClassSet disabledToolbarClasses, enabledToolbarClasses;
  platform::ClassSet toolbarPreviousNextAllowedClasses;
  platform::ClassSet disabledTouchResignedClasses, enabledTouchResignedClasses;
};

}  // namespace sprout
