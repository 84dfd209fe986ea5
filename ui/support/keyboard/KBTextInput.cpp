#include "ui/support/keyboard/KBTextInput.h"

#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "ui/support/keyboard/KBTextView.h"

namespace sprout {
namespace {

const platform::TextField* asField(const platform::View& v) {
  return dynamic_cast<const platform::TextField*>(&v);
}
const platform::TextView* asText(const platform::View& v) {
  return dynamic_cast<const platform::TextView*>(&v);
}
platform::TextField* asField(platform::View& v) { return dynamic_cast<platform::TextField*>(&v); }
platform::TextView* asText(platform::View& v) { return dynamic_cast<platform::TextView*>(&v); }

}  // namespace

bool takesInputAccessoryView(const platform::View& view) { return asField(view) || asText(view); }

std::shared_ptr<platform::View> inputAccessoryViewOf(const platform::View& view) {
  return takesInputAccessoryView(view) ? view.inputAccessoryView() : nullptr;
}

void setInputAccessoryViewOf(platform::View& view, std::shared_ptr<platform::View> accessory) {
  if (auto* field = asField(view)) {
    field->setInputAccessoryView(std::move(accessory));
  } else if (auto* text = asText(view)) {
    text->setInputAccessoryView(std::move(accessory));
  }
}

std::optional<platform::KeyboardAppearance> keyboardAppearanceOf(const platform::View& view) {
  if (auto* field = asField(view)) return field->keyboardAppearance();
  if (auto* text = asText(view)) return text->keyboardAppearance();
  return std::nullopt;
}

void setKeyboardAppearanceOf(platform::View& view, platform::KeyboardAppearance appearance) {
  if (auto* field = asField(view)) field->setKeyboardAppearance(appearance);
  if (auto* text = asText(view)) text->setKeyboardAppearance(appearance);
}

std::optional<platform::ReturnKeyType> returnKeyTypeOf(const platform::View& view) {
  if (auto* field = asField(view)) return field->returnKeyType();
  if (auto* text = asText(view)) return text->returnKeyType();
  return std::nullopt;
}

void setReturnKeyTypeOf(platform::View& view, platform::ReturnKeyType type) {
  if (auto* field = asField(view)) field->setReturnKeyType(type);
  if (auto* text = asText(view)) text->setReturnKeyType(type);
}

bool hasPlaceholder(const platform::View& view) {
  return asField(view) || dynamic_cast<const KBTextView*>(&view);
}

std::optional<std::string> placeholderOf(const platform::View& view) {
  if (auto* field = asField(view)) return field->placeholder();
  if (auto* text = dynamic_cast<const KBTextView*>(&view)) return text->placeholder();
  return std::nullopt;
}

bool isTextView(const platform::View& view) { return asText(view) != nullptr; }

}  // namespace sprout
