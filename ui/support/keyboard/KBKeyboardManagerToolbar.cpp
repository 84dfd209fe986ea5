// The toolbars the manager puts on fields: previous / next / done for a list of fields, done
// alone for one, told apart from a screen's own accessory views by their tags.
#include <cstdio>

#include "ui/support/keyboard/KBKeyboardManager.h"
#include "ui/support/keyboard/KBTextInput.h"
#include "ui/support/keyboard/KBToolbar.h"
#include "ui/support/keyboard/KBToolbarAddition.h"

namespace sprout {
namespace {

constexpr long kDoneToolbarTag = -1002;
constexpr long kPreviousNextToolbarTag = -1005;

std::shared_ptr<KBToolbar> managerToolbar(const platform::View& field, long tag) {
  auto bar = std::dynamic_pointer_cast<KBToolbar>(inputAccessoryViewOf(field));
  return bar && bar->tag() == tag ? bar : nullptr;
}

std::string countLine(std::size_t n) {
  char text[64];
  std::snprintf(text, sizeof text, "Found %zu responder sibling(s)", n);
  return text;
}

}  // namespace

// Whether a manager toolbar no longer shows the right-hand button the settings ask for.
static bool needsRebuild(const KBToolbar& bar, const std::shared_ptr<platform::Image>& image,
                         const std::optional<std::string>& text) {
  if (image) return bar.doneImage() != image;
  if (text) return bar.doneTitle() != text;
  return bar.doneTitle().has_value() || bar.doneImage() != nullptr;
}

void KBKeyboardManager::addPreviousNextToolbars(const ViewList& list) {
  std::weak_ptr<KBKeyboardManager> weak = self<KBKeyboardManager>();
  auto action = [weak](void (KBKeyboardManager::*method)(platform::Object&)) {
    return [weak, method](platform::BarButtonItem& sender) {
      if (auto self = weak.lock()) ((*self).*method)(sender);
    };
  };
  for (std::size_t i = 0; i < list.size(); ++i) {
    auto& field = *list[i];
    if (takesInputAccessoryView(field)) {
      auto accessory = inputAccessoryViewOf(field);
      auto own = managerToolbar(field, kPreviousNextToolbarTag);
      const bool build = !accessory || accessory->tag() == kDoneToolbarTag ||
                         (own && needsRebuild(*own, doneImage_, doneText_));
      if (build) {
        const ShouldShowPlaceholder show{showPlaceholder_};
        auto prev = action(&KBKeyboardManager::previousAction);
        auto next = action(&KBKeyboardManager::nextAction);
        auto done = action(&KBKeyboardManager::doneAction);
        if (doneImage_) {
          addPreviousNextRightOnKeyboardWithTarget(field, doneImage_, prev, next, done, show);
        } else if (doneText_) {
          addPreviousNextRightOnKeyboardWithTarget(field, *doneText_, prev, next, done, show);
        } else {
          addPreviousNextDoneOnKeyboardWithTarget(field, prev, next, done, show);
        }
        inputAccessoryViewOf(field)->setTag(kPreviousNextToolbarTag);
      }
    }
    if (managerToolbar(field, kPreviousNextToolbarTag)) {
      styleToolbar(field);
      const bool first = i == 0, last = i + 1 == list.size();
      setEnablePrevious(field, !first, !last);
    }
  }
}

void KBKeyboardManager::addDoneToolbar(platform::View& field) {
  if (takesInputAccessoryView(field)) {
    auto accessory = inputAccessoryViewOf(field);
    auto own = managerToolbar(field, kDoneToolbarTag);
    const bool build = !accessory || accessory->tag() == kPreviousNextToolbarTag ||
                       (own && needsRebuild(*own, doneImage_, doneText_));
    if (build) {
      std::weak_ptr<KBKeyboardManager> weak = self<KBKeyboardManager>();
      auto done = [weak](platform::BarButtonItem& sender) {
        if (auto self = weak.lock()) self->doneAction(sender);
      };
      const ShouldShowPlaceholder show{showPlaceholder_};
      if (doneImage_) {
        addRightButtonOnKeyboardWithImage(field, doneImage_, done, show);
      } else if (doneText_) {
        addRightButtonOnKeyboardWithText(field, *doneText_, done, show);
      } else {
        addDoneOnKeyboardWithTarget(field, done, show);
      }
      inputAccessoryViewOf(field)->setTag(kDoneToolbarTag);
    }
  }
  if (managerToolbar(field, kDoneToolbarTag)) styleToolbar(field);
}

void KBKeyboardManager::styleToolbar(platform::View& field) {
  auto bar = std::dynamic_pointer_cast<KBToolbar>(inputAccessoryViewOf(field));
  if (!bar) return;
  if (auto appearance = keyboardAppearanceOf(field)) {
    if (*appearance == platform::KeyboardAppearanceDark) {
      bar->setBarStyle(platform::BarStyle::Black);
      bar->setTintColor(platform::Color::whiteColor());
    } else {
      bar->setBarStyle(platform::BarStyle::Default);
      bar->setTintColor(useFieldTint_ ? field.tintColor()
                                      : toolbarTint_.value_or(platform::Color::black()));
    }
  }
  if (!showPlaceholder_ || shouldHidePlaceholderText(field)) {
    bar->setTitle(std::nullopt);
    return;
  }
  const auto text = drawingPlaceholderText(field);
  if (!bar->title() || bar->title() != text) bar->setTitle(text);
  if (placeholderFont_) bar->setTitleFont(placeholderFont_);
}

void KBKeyboardManager::addToolbarIfRequired() {
  const LoggedScope logged(*this, "addToolbarIfRequired");
  const auto list = responderViews();
  showLog(countLine(list.size()));
  if (list.size() != 1 && !hidePreviousNext_) {
    addPreviousNextToolbars(list);
  } else if (auto field = textFieldView()) {
    addDoneToolbar(*field);
  }
}

void KBKeyboardManager::removeToolbarIfRequired() {
  const LoggedScope logged(*this, "removeToolbarIfRequired");
  const auto list = responderViews();
  showLog(countLine(list.size()));
  for (const auto& field : list) {
    if (managerToolbar(*field, kDoneToolbarTag) ||
        managerToolbar(*field, kPreviousNextToolbarTag)) {
      setInputAccessoryViewOf(*field, nullptr);
    }
  }
}

void KBKeyboardManager::reloadInputViews() {
  const LoggedScope logged(*this, "reloadInputViews");
  const auto list = responderViews();
  for (std::size_t i = 0; i < list.size(); ++i) {
    // Any bar with arrows in the builders' places, a screen's own included: this is offered to
    // screens whose fields changed while editing.
    const bool next = i == 0 ? list.size() > 1 : i + 1 < list.size();
    setEnablePrevious(*list[i], i != 0, next);
  }
}

}  // namespace sprout
