#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "platform/ui/text/TextInputTypes.h"

namespace platform {

class View;

// What a text field and a text view share: the text, kept within kMaxTextInputLength, whether it
// is being edited, the keyboard's looks and accessory view, and the begin/change/end
// notifications, which carry the editor as their object. Each editor asks and tells its own
// delegate in the steps below. Main thread only.
class TextEditing {
 public:
  const std::string& text() const { return text_; }
  bool isEditing() const { return editing_; }
  KeyboardAppearance keyboardAppearance() const { return keyboardAppearance_; }
  void setKeyboardAppearance(KeyboardAppearance appearance) { keyboardAppearance_ = appearance; }
  ReturnKeyType returnKeyType() const { return returnKeyType_; }
  void setReturnKeyType(ReturnKeyType type) { returnKeyType_ = type; }
  void setInputAccessoryView(std::shared_ptr<View> view) { accessory_ = std::move(view); }

 protected:
  // The editor's name in warnings and the names of its three notifications.
  struct Names {
    const char* editor;
    const char* didBegin;
    const char* didChange;
    const char* didEnd;
  };
  explicit TextEditing(const Names& names) : names_(names) {}
  ~TextEditing() = default;

  const std::shared_ptr<View>& accessory() const { return accessory_; }

  // Text set in code: whole characters up to the limit (a warning when cut); posts nothing.
  void storeText(std::string text);

  // Where the delete key removes: the last character, while editing a text that has one.
  std::optional<TextRange> deletion() const;
  // Where typing adds: the end of the text.
  TextRange insertion() const { return {text_.size(), 0}; }

  // Marks editing begun or ended, runs `tell` (the delegate, control events), then posts the
  // matching notification. `editor` keeps the editor alive, as the delegate may let go of it.
  template <typename Tell>
  void changeEditing(bool editing, const std::shared_ptr<void>& editor, Tell&& tell) {
    editing_ = editing;
    tell();
    post(editing ? names_.didBegin : names_.didEnd, editor);
  }

  // A typed change. One that would pass the limit is refused whole (a warning; nothing asked).
  // Otherwise `allow` (the delegate's say) decides; an allowed change is made, `changed` runs
  // (redraw, tell) and the change notification is posted.
  template <typename Allow, typename Changed>
  void typeChange(TextRange range, const std::string& replacement,
                  const std::shared_ptr<void>& editor, Allow&& allow, Changed&& changed) {
    if (!fits(range, replacement) || !allow()) return;
    text_.replace(range.location, range.length, replacement);
    changed();
    post(names_.didChange, editor);
  }

 private:
  bool fits(TextRange range, const std::string& replacement) const;
  // How far the delete key and a cut look for where a character starts (longer than any emoji
  // sequence).
  static constexpr std::size_t kClusterWindow = 128;
  static void post(const char* name, const std::shared_ptr<void>& editor);

  Names names_;
  std::string text_;
  bool editing_ = false;
  KeyboardAppearance keyboardAppearance_ = KeyboardAppearanceDefault;
  ReturnKeyType returnKeyType_ = ReturnKeyDefault;
  std::shared_ptr<View> accessory_;
};

}  // namespace platform
