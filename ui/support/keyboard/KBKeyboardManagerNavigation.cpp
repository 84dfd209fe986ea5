// Moving between fields, ending editing, and the operations handed to the parts for the current
// field.
#include <algorithm>
#include <cstdio>

#include "platform/ui/Device.h"
#include "platform/ui/scroll/ScrollView.h"
#include "ui/support/keyboard/KBKeyboardManager.h"
#include "ui/support/keyboard/KBLoggedScope.h"
#include "ui/support/keyboard/KBToolbarAddition.h"

namespace sprout {
namespace {

std::optional<std::size_t> indexOf(const ViewList& list, const platform::View* view) {
  auto it = std::find_if(list.begin(), list.end(), [&](const auto& v) { return v.get() == view; });
  if (it == list.end()) return std::nullopt;
  return static_cast<std::size_t>(it - list.begin());
}

std::string countLine(std::size_t n) {
  char text[64];
  std::snprintf(text, sizeof text, "Found %zu responder sibling(s)", n);
  return text;
}

}  // namespace

bool KBKeyboardManager::resignFirstResponder() {
  auto field = textFieldView();
  if (!field) return false;
  const bool resigned = field->resignFirstResponder();
  if (!resigned) {
    field->becomeFirstResponder();
    showLog("Refuses to Resign first responder: " + KBDescription(*field));
  }
  return resigned;
}

ViewList KBKeyboardManager::responderViews() {
  auto field = textFieldView();
  if (!field) return {};
  for (const auto* cls : settings_.toolbarPreviousNextAllowedClasses) {
    if (auto container = superviewOfClassType(*field, *cls)) return deepResponderViews(*container);
  }
  auto siblings = responderSiblings(*field);
  switch (settings_.toolbarManageBehaviour) {
    case BySubviews:
      return siblings;
    case ByTag:
      return sortedArrayByTag(std::move(siblings));
    case ByPosition:
      return sortedArrayByPosition(std::move(siblings));
    default:
      return {};
  }
}

bool KBKeyboardManager::canGoPrevious() {
  auto index = indexOf(responderViews(), textFieldView().get());
  return index && *index > 0;
}

bool KBKeyboardManager::canGoNext() {
  const auto list = responderViews();
  auto index = indexOf(list, textFieldView().get());
  return index && *index + 1 < list.size();
}

namespace {

// Moves the focus to the neighbour `step` away; the focus stays put when it refuses.
bool goBy(const KBKeyboardSettings& settings, const std::shared_ptr<platform::View>& field,
          const ViewList& list, long step) {
  auto index = indexOf(list, field.get());
  if (!index) return false;
  const long target = static_cast<long>(*index) + step;
  if (target < 0 || target >= static_cast<long>(list.size())) return false;
  const auto& neighbour = list[static_cast<std::size_t>(target)];
  const bool moved = neighbour->becomeFirstResponder();
  if (!moved) {
    field->becomeFirstResponder();
    keyboardShowLog(settings, "Refuses to become first responder: " + KBDescription(*neighbour));
  }
  return moved;
}

}  // namespace

bool KBKeyboardManager::goPrevious() {
  auto field = textFieldView();
  return field && goBy(settings_, field, responderViews(), -1);
}

bool KBKeyboardManager::goNext() {
  auto field = textFieldView();
  return field && goBy(settings_, field, responderViews(), +1);
}

void KBKeyboardManager::previousAction(platform::Object& /*sender*/) {
  if (settings_.shouldPlayInputClicks) platform::Device::current().playInputClick();
  if (!canGoPrevious()) return;
  auto field = textFieldView();
  if (goPrevious() && field) {
    if (auto after = previousInvocation(*field)) after(*field);
  }
}

void KBKeyboardManager::nextAction(platform::Object& /*sender*/) {
  if (settings_.shouldPlayInputClicks) platform::Device::current().playInputClick();
  if (!canGoNext()) return;
  auto field = textFieldView();
  if (goNext() && field) {
    if (auto after = nextInvocation(*field)) after(*field);
  }
}

void KBKeyboardManager::doneAction(platform::Object& /*sender*/) {
  if (settings_.shouldPlayInputClicks) platform::Device::current().playInputClick();
  auto field = textFieldView();
  if (resignFirstResponder() && field) {
    if (auto after = doneInvocation(*field)) after(*field);
  }
}

void KBKeyboardManager::adjustFrame() {
  auto field = textFieldView();
  avoidance_.adjust(field, keyboardDistanceFromTextField_);
  if (!field) return;
  // Scrolling the field into sight can bring further fields on screen (the rows of a table that
  // were below it): its arrows follow the list as it is once the scroll view has placed them.
  toolbar_.refreshArrows(*field, [this] {
    if (auto scroll = avoidance_.lastScrollView()) scroll->layoutIfNeeded();
    return responderViews();
  });
}

void KBKeyboardManager::setRootViewFrame(platform::Rect frame) {
  avoidance_.setRootViewFrame(textFieldView(), frame);
}

void KBKeyboardManager::addToolbarIfRequired() {
  const KBLoggedScope logged(settings_, "addToolbarIfRequired");
  const auto list = responderViews();
  showLog(countLine(list.size()));
  toolbar_.add(list, textFieldView().get());
}

void KBKeyboardManager::removeToolbarIfRequired() {
  const KBLoggedScope logged(settings_, "removeToolbarIfRequired");
  const auto list = responderViews();
  showLog(countLine(list.size()));
  toolbar_.remove(list);
}

void KBKeyboardManager::reloadInputViews() {
  const KBLoggedScope logged(settings_, "reloadInputViews");
  toolbar_.reload(responderViews());
}

}  // namespace sprout
