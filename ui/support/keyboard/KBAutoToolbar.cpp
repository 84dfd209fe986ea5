#include "ui/support/keyboard/KBAutoToolbar.h"

#include <algorithm>

#include "ui/support/keyboard/KBTextInput.h"
#include "ui/support/keyboard/KBToolbar.h"

namespace sprout {
namespace {

constexpr long kDoneToolbarTag = -1002;
constexpr long kPreviousNextToolbarTag = -1005;

std::shared_ptr<KBToolbar> managerToolbar(const platform::View& field, long tag) {
  auto bar = std::dynamic_pointer_cast<KBToolbar>(inputAccessoryViewOf(field));
  return bar && bar->tag() == tag ? bar : nullptr;
}

// Whether a manager toolbar no longer shows the right-hand button the settings ask for.
bool needsRebuild(const KBToolbar& bar, const KBKeyboardSettings& settings) {
  const auto& image = settings.toolbarDoneBarButtonItemImage;
  const auto& text = settings.toolbarDoneBarButtonItemText;
  if (image) return bar.doneImage() != image;
  if (text) return bar.doneTitle() != text;
  return bar.doneTitle().has_value() || bar.doneImage() != nullptr;
}

}  // namespace

void KBAutoToolbar::addPreviousNextToolbars(const ViewList& list) {
  const auto& image = settings_.toolbarDoneBarButtonItemImage;
  const auto& text = settings_.toolbarDoneBarButtonItemText;
  for (std::size_t i = 0; i < list.size(); ++i) {
    auto& field = *list[i];
    if (takesInputAccessoryView(field)) {
      auto accessory = inputAccessoryViewOf(field);
      auto own = managerToolbar(field, kPreviousNextToolbarTag);
      const bool build = !accessory || accessory->tag() == kDoneToolbarTag ||
                         (own && needsRebuild(*own, settings_));
      if (build) {
        const ShouldShowPlaceholder show{settings_.shouldShowTextFieldPlaceholder};
        const auto& [prev, next, done] = actions_;
        if (image) {
          addPreviousNextRightOnKeyboardWithTarget(field, image, prev, next, done, show);
        } else if (text) {
          addPreviousNextRightOnKeyboardWithTarget(field, *text, prev, next, done, show);
        } else {
          addPreviousNextDoneOnKeyboardWithTarget(field, prev, next, done, show);
        }
        inputAccessoryViewOf(field)->setTag(kPreviousNextToolbarTag);
      }
    }
    if (managerToolbar(field, kPreviousNextToolbarTag)) {
      style(field);
      const bool first = i == 0, last = i + 1 == list.size();
      setEnablePrevious(field, !first, !last);
    }
  }
}

void KBAutoToolbar::addDoneToolbar(platform::View& field) {
  if (takesInputAccessoryView(field)) {
    auto accessory = inputAccessoryViewOf(field);
    auto own = managerToolbar(field, kDoneToolbarTag);
    const bool build = !accessory || accessory->tag() == kPreviousNextToolbarTag ||
                       (own && needsRebuild(*own, settings_));
    if (build) {
      const auto& image = settings_.toolbarDoneBarButtonItemImage;
      const auto& text = settings_.toolbarDoneBarButtonItemText;
      const ShouldShowPlaceholder show{settings_.shouldShowTextFieldPlaceholder};
      if (image) {
        addRightButtonOnKeyboardWithImage(field, image, actions_.done, show);
      } else if (text) {
        addRightButtonOnKeyboardWithText(field, *text, actions_.done, show);
      } else {
        addDoneOnKeyboardWithTarget(field, actions_.done, show);
      }
      inputAccessoryViewOf(field)->setTag(kDoneToolbarTag);
    }
  }
  if (managerToolbar(field, kDoneToolbarTag)) style(field);
}

void KBAutoToolbar::style(platform::View& field) {
  auto bar = std::dynamic_pointer_cast<KBToolbar>(inputAccessoryViewOf(field));
  if (!bar) return;
  if (auto appearance = keyboardAppearanceOf(field)) {
    if (*appearance == platform::KeyboardAppearanceDark) {
      bar->setBarStyle(platform::BarStyle::Black);
      bar->setTintColor(platform::Color::whiteColor());
    } else {
      bar->setBarStyle(platform::BarStyle::Default);
      bar->setTintColor(settings_.shouldToolbarUsesTextFieldTintColor
                            ? field.tintColor()
                            : settings_.toolbarTintColor.value_or(platform::Color::black()));
    }
  }
  if (!settings_.shouldShowTextFieldPlaceholder || shouldHidePlaceholderText(field)) {
    bar->setTitle(std::nullopt);
    return;
  }
  const auto text = drawingPlaceholderText(field);
  if (!bar->title() || bar->title() != text) bar->setTitle(text);
  if (settings_.placeholderFont) bar->setTitleFont(settings_.placeholderFont);
}

void KBAutoToolbar::add(const ViewList& list, platform::View* field) {
  if (list.size() != 1 && !settings_.shouldHidePreviousNext) {
    addPreviousNextToolbars(list);
  } else if (field) {
    addDoneToolbar(*field);
  }
}

void KBAutoToolbar::remove(const ViewList& list) {
  for (const auto& field : list) {
    if (managerToolbar(*field, kDoneToolbarTag) ||
        managerToolbar(*field, kPreviousNextToolbarTag)) {
      setInputAccessoryViewOf(*field, nullptr);
    }
  }
}

void KBAutoToolbar::reload(const ViewList& list) {
  for (std::size_t i = 0; i < list.size(); ++i) {
    // Any bar with arrows in the builders' places, a screen's own included: this is offered to
    // screens whose fields changed while editing.
    const bool next = i == 0 ? list.size() > 1 : i + 1 < list.size();
    setEnablePrevious(*list[i], i != 0, next);
  }
}

void KBAutoToolbar::refreshArrows(platform::View& field, const std::function<ViewList()>& find) {
  if (!managerToolbar(field, kPreviousNextToolbarTag)) return;
  const ViewList list = find();
  auto it =
      std::find_if(list.begin(), list.end(), [&](const auto& v) { return v.get() == &field; });
  if (it == list.end()) return;
  setEnablePrevious(field, it != list.begin(), it + 1 != list.end());
}

}  // namespace sprout
