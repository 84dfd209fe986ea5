#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ClassRegistry.h"
#include "platform/ui/Font.h"
#include "platform/ui/controllers/TableViewController.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/TableView.h"
#include "platform/ui/text/TextInputTypes.h"
#include "ui/support/keyboard/KBPreviousNextView.h"

namespace sprout {

// What the keyboard manager is told to do that takes effect at its next reaction: the looks of
// its toolbars, how it moves views, and the per-controller class sets. A plain value, read and
// written through the manager's settings(); its defaults are the manager's at start-up. The
// switches whose change acts at once (enable, the distance, the tap-outside resign, the automatic
// toolbar) are not here but the manager's own setters.
struct KBKeyboardSettings {
  bool preventShowingBottomBlankSpace = true;
  bool overrideKeyboardAppearance = false;
  platform::KeyboardAppearance keyboardAppearance = platform::KeyboardAppearanceDefault;
  long toolbarManageBehaviour = 0;
  bool shouldToolbarUsesTextFieldTintColor = false;
  std::optional<platform::Color> toolbarTintColor;
  bool shouldHidePreviousNext = false;
  std::shared_ptr<platform::Image> toolbarDoneBarButtonItemImage;
  std::optional<std::string> toolbarDoneBarButtonItemText;
  bool shouldShowTextFieldPlaceholder = true;
  std::optional<platform::Font> placeholderFont;
  bool shouldPlayInputClicks = true;
  bool layoutIfNeededOnUpdate = false;
  bool shouldFixInteractivePopGestureRecognizer = true;
  bool enableDebugging = false;

  // Per-controller refinements of the switches (sets enumerate in insertion order).
  platform::ClassSet disabledDistanceHandlingClasses =
      platform::ClassSet::of<platform::TableViewController>();
  platform::ClassSet enabledDistanceHandlingClasses;
  platform::ClassSet disabledToolbarClasses, enabledToolbarClasses;
  // Containers whose whole subtree forms one list for previous and next.
  platform::ClassSet toolbarPreviousNextAllowedClasses =
      platform::ClassSet::of<platform::TableView, platform::CollectionView, KBPreviousNextView>();
  platform::ClassSet disabledTouchResignedClasses, enabledTouchResignedClasses;
};

}  // namespace sprout
