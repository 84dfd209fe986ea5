#pragma once

#include <memory>
#include <string>

#include "platform/ui/Control.h"
#include "platform/ui/Font.h"
#include "platform/ui/TextLayout.h"
#include "platform/ui/text/TextEditing.h"
#include "platform/ui/text/TextFieldDelegate.h"
#include "platform/ui/text/TextInputTypes.h"

namespace platform {

class Label;

enum class TextBorderStyle { None = 0, Line = 1, Bezel = 2, RoundedRect = 3 };

// One line of editable text. A tap makes it the first responder, which brings up the keyboard
// (its accessory view on top). Beginning and ending editing ask the delegate, tell it, send the
// editing control events and post the begin/end notifications with the field as object; typing
// (insertText, deleteBackward) asks the delegate about the change, then sends editing-changed and
// posts the change notification (the notifications carry the field as their Object). Text set in
// code posts nothing. While empty it shows the
// placeholder in light grey.
class TextField : public Control, public TextEditing {
 public:
  static std::shared_ptr<TextField> create(const Rect& frame = {});
  ~TextField() override;

  // text(), isEditing() and the keyboard's traits come from TextEditing.
  void setText(std::string text);
  const std::string& placeholder() const { return placeholder_; }
  void setPlaceholder(std::string placeholder);
  const Font& font() const { return font_; }
  void setFont(const Font& font);
  Color textColor() const { return textColor_; }
  void setTextColor(const Color& color);
  TextAlignment textAlignment() const { return alignment_; }
  void setTextAlignment(TextAlignment alignment);
  TextBorderStyle borderStyle() const { return borderStyle_; }
  void setBorderStyle(TextBorderStyle style);

  std::shared_ptr<TextFieldDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<TextFieldDelegate>& delegate) { delegate_ = delegate; }

  std::shared_ptr<View> inputAccessoryView() const override { return accessory(); }

  // The keyboard's keys, for the first responder: insertText("\n") presses return.
  void insertText(const std::string& text);
  void deleteBackward();
  // Asks textFieldShouldReturn; answers what it said (yes when unanswered).
  bool pressReturn();
  // The clear button: asks textFieldShouldClear, then empties the text as typing would.
  void clear();

  bool canBecomeFirstResponder() const override { return isEnabled(); }
  bool requiresKeyboard() const override { return true; }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;

  void setEnabled(bool enabled) override;
  void layoutSubviews() override;
  Size sizeThatFits(const Size& size) const override;

  explicit TextField(Key key, const Rect& frame);

 protected:
  void didInit() override;
  void didBecomeFirstResponder() override;
  void didResignFirstResponder() override;

 private:
  void replace(TextRange range, const std::string& replacement);
  void refreshLabel();
  double padding() const;

  std::string placeholder_;
  Font font_ = Font::systemFont(17);
  Color textColor_ = Color::black();
  TextAlignment alignment_ = TextAlignment::Natural;
  TextBorderStyle borderStyle_ = TextBorderStyle::None;
  std::weak_ptr<TextFieldDelegate> delegate_;
  std::shared_ptr<Label> label_;
};

}  // namespace platform
