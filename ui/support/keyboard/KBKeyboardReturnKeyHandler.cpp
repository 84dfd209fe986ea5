#include "ui/support/keyboard/KBKeyboardReturnKeyHandler.h"

#include <algorithm>

#include "ui/support/keyboard/KBKeyboardManager.h"
#include "ui/support/keyboard/KBTextInput.h"

namespace sprout {

using platform::TextField;
using platform::TextView;

std::shared_ptr<KBKeyboardReturnKeyHandler> KBKeyboardReturnKeyHandler::create(
    const std::shared_ptr<platform::ViewController>& controller) {
  auto handler = make<KBKeyboardReturnKeyHandler>();
  if (controller && controller->isViewLoaded()) handler->addResponderFromView(*controller->view());
  return handler;
}

KBKeyboardReturnKeyHandler::~KBKeyboardReturnKeyHandler() {
  for (const auto& record : records_) giveBack(record);
  records_.clear();
}

void KBKeyboardReturnKeyHandler::addResponderFromView(const platform::View& view) {
  for (const auto& field : deepResponderViews(view)) addTextFieldView(field);
}

void KBKeyboardReturnKeyHandler::removeResponderFromView(const platform::View& view) {
  for (const auto& field : deepResponderViews(view)) removeTextFieldView(field);
}

bool KBKeyboardReturnKeyHandler::handles(const platform::View& field) const {
  return textFieldCachedInfo(field) != nullptr;
}

const KBKeyboardReturnKeyHandler::Record* KBKeyboardReturnKeyHandler::textFieldCachedInfo(
    const platform::View& field) const {
  for (const auto& record : records_) {
    if (record.field.lock().get() == &field) return &record;
  }
  return nullptr;
}

void KBKeyboardReturnKeyHandler::addTextFieldView(const std::shared_ptr<platform::View>& field) {
  // Adding a field twice would record the handler itself as the field's own delegate.
  if (!field || handles(*field)) return;
  auto* textField = dynamic_cast<TextField*>(field.get());
  auto* textView = dynamic_cast<TextView*>(field.get());
  if (!textField && !textView) return;
  Record record;
  record.field = field;
  record.returnKeyType = returnKeyTypeOf(*field).value_or(platform::ReturnKeyDefault);
  auto me = self<KBKeyboardReturnKeyHandler>();
  // This handler is never a field's original delegate.
  if (textField) {
    auto original = textField->delegate();
    if (original.get() != static_cast<platform::TextFieldDelegate*>(this)) {
      record.fieldDelegate = original;
    }
    textField->setDelegate(me);
  } else {
    auto original = textView->delegate();
    if (original.get() != static_cast<platform::TextViewDelegate*>(this)) {
      record.viewDelegate = original;
    }
    textView->setDelegate(me);
  }
  records_.push_back(std::move(record));
}

void KBKeyboardReturnKeyHandler::giveBack(const Record& record) {
  auto field = record.field.lock();
  if (!field) return;
  setReturnKeyTypeOf(*field, record.returnKeyType);
  if (auto* textField = dynamic_cast<TextField*>(field.get())) {
    textField->setDelegate(record.fieldDelegate.lock());
  } else if (auto* textView = dynamic_cast<TextView*>(field.get())) {
    textView->setDelegate(record.viewDelegate.lock());
  }
}

void KBKeyboardReturnKeyHandler::removeTextFieldView(const std::shared_ptr<platform::View>& field) {
  if (!field) return;
  auto it = std::find_if(records_.begin(), records_.end(),
                         [&](const Record& r) { return r.field.lock() == field; });
  if (it == records_.end()) return;
  giveBack(*it);
  records_.erase(it);
}

ViewList KBKeyboardReturnKeyHandler::fieldList(const platform::View& field) const {
  const auto manager = KBKeyboardManager::sharedManager();
  const auto& settings = manager->settings();
  for (const auto* cls : settings.toolbarPreviousNextAllowedClasses) {
    if (auto container = superviewOfClassType(field, *cls)) return deepResponderViews(*container);
  }
  auto siblings = responderSiblings(field);
  if (settings.toolbarManageBehaviour == KBKeyboardManager::ByTag) {
    return sortedArrayByTag(std::move(siblings));
  }
  if (settings.toolbarManageBehaviour == KBKeyboardManager::ByPosition) {
    return sortedArrayByPosition(std::move(siblings));
  }
  return siblings;
}

void KBKeyboardReturnKeyHandler::updateReturnKeyTypeOnTextField(platform::View& field) {
  const auto list = fieldList(field);
  const bool last = !list.empty() && list.back().get() == &field;
  setReturnKeyTypeOf(field, last ? lastReturnKey_ : platform::ReturnKeyNext);
}

bool KBKeyboardReturnKeyHandler::goToNextResponderOrResign(platform::View& field) {
  const auto list = fieldList(field);
  auto it =
      std::find_if(list.begin(), list.end(), [&](const auto& v) { return v.get() == &field; });
  if (it != list.end() && it + 1 != list.end()) {
    (*(it + 1))->becomeFirstResponder();
    return false;
  }
  field.resignFirstResponder();
  return true;
}

// Text fields: the screen's delegate first, the handler's own behaviour where it has one.
std::optional<bool> KBKeyboardReturnKeyHandler::textFieldShouldBeginEditing(TextField& f) {
  auto d = delegate();
  return d ? d->textFieldShouldBeginEditing(f).value_or(true) : true;
}
void KBKeyboardReturnKeyHandler::textFieldDidBeginEditing(TextField& f) {
  updateReturnKeyTypeOnTextField(f);
  if (auto d = delegate()) d->textFieldDidBeginEditing(f);
}
std::optional<bool> KBKeyboardReturnKeyHandler::textFieldShouldEndEditing(TextField& f) {
  auto d = delegate();
  return d ? d->textFieldShouldEndEditing(f).value_or(true) : true;
}
void KBKeyboardReturnKeyHandler::textFieldDidEndEditing(TextField& f) {
  if (auto d = delegate()) d->textFieldDidEndEditing(f);
}
std::optional<bool> KBKeyboardReturnKeyHandler::textField(TextField& f, platform::TextRange range,
                                                          const std::string& replacement) {
  auto d = delegate();
  return d ? d->textField(f, range, replacement).value_or(true) : true;
}
std::optional<bool> KBKeyboardReturnKeyHandler::textFieldShouldClear(TextField& f) {
  auto d = delegate();
  return d ? d->textFieldShouldClear(f).value_or(true) : true;
}
std::optional<bool> KBKeyboardReturnKeyHandler::textFieldShouldReturn(TextField& f) {
  if (auto d = delegate(); d && d->textFieldShouldReturn(f) == false) return false;
  return goToNextResponderOrResign(f);
}

// Text views.
std::optional<bool> KBKeyboardReturnKeyHandler::textViewShouldBeginEditing(TextView& v) {
  auto d = delegate();
  return d ? d->textViewShouldBeginEditing(v).value_or(true) : true;
}
std::optional<bool> KBKeyboardReturnKeyHandler::textViewShouldEndEditing(TextView& v) {
  auto d = delegate();
  return d ? d->textViewShouldEndEditing(v).value_or(true) : true;
}
void KBKeyboardReturnKeyHandler::textViewDidBeginEditing(TextView& v) {
  updateReturnKeyTypeOnTextField(v);
  if (auto d = delegate()) d->textViewDidBeginEditing(v);
}
void KBKeyboardReturnKeyHandler::textViewDidEndEditing(TextView& v) {
  if (auto d = delegate()) d->textViewDidEndEditing(v);
}
std::optional<bool> KBKeyboardReturnKeyHandler::textView(TextView& v, platform::TextRange range,
                                                         const std::string& replacement) {
  if (auto d = delegate(); d && d->textView(v, range, replacement) == false) return false;
  if (replacement != "\n") return true;
  // Return moves on, or ends editing; either way no new line goes into the view.
  goToNextResponderOrResign(v);
  return false;
}
void KBKeyboardReturnKeyHandler::textViewDidChange(TextView& v) {
  if (auto d = delegate()) d->textViewDidChange(v);
}
void KBKeyboardReturnKeyHandler::textViewDidChangeSelection(TextView& v) {
  if (auto d = delegate()) d->textViewDidChangeSelection(v);
}
std::optional<bool> KBKeyboardReturnKeyHandler::textViewShouldInteractWithURL(
    TextView& v, const std::string& url, platform::TextRange range) {
  auto d = delegate();
  return d ? d->textViewShouldInteractWithURL(v, url, range).value_or(true) : true;
}
std::optional<bool> KBKeyboardReturnKeyHandler::textViewShouldInteractWithTextAttachment(
    TextView& v, platform::TextRange range) {
  auto d = delegate();
  return d ? d->textViewShouldInteractWithTextAttachment(v, range).value_or(true) : true;
}

}  // namespace sprout
