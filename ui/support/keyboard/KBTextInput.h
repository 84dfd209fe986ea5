#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/View.h"
#include "platform/ui/text/TextInputTypes.h"

namespace sprout {

// What the keyboard support asks of a field whatever its kind (text field, text view): the
// questions the platform answers by "does it respond to ...". nullopt / false: it does not.
bool takesInputAccessoryView(const platform::View& view);
std::shared_ptr<platform::View> inputAccessoryViewOf(const platform::View& view);
void setInputAccessoryViewOf(platform::View& view, std::shared_ptr<platform::View> accessory);
std::optional<platform::KeyboardAppearance> keyboardAppearanceOf(const platform::View& view);
void setKeyboardAppearanceOf(platform::View& view, platform::KeyboardAppearance appearance);
std::optional<platform::ReturnKeyType> returnKeyTypeOf(const platform::View& view);
void setReturnKeyTypeOf(platform::View& view, platform::ReturnKeyType type);
// Text fields and placeholder text views have a placeholder, set or not.
bool hasPlaceholder(const platform::View& view);
// A text field's placeholder, or a placeholder text view's.
std::optional<std::string> placeholderOf(const platform::View& view);
bool isTextView(const platform::View& view);

}  // namespace sprout
