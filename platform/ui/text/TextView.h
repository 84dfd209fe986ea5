#pragma once

#include <memory>
#include <string>

#include "platform/ui/Font.h"
#include "platform/ui/scroll/ScrollView.h"
#include "platform/ui/text/TextEditing.h"
#include "platform/ui/text/TextInputTypes.h"
#include "platform/ui/text/TextViewDelegate.h"

namespace platform {

class Label;
class TapGestureRecognizer;

// Several lines of editable text in a scroll view: the text wraps at the width (less
// kTextInset on each side) and the content grows with it. A tap makes an editable view the
// first responder; unlike a text field, it announces that editing began after the keyboard's
// will-show. Typing asks the delegate about each change ("\n" is a new line), then tells it and
// posts the change notification; text set in code posts nothing.
class TextView : public ScrollView, public TextEditing {
 public:
  static std::shared_ptr<TextView> create(const Rect& frame = {});
  ~TextView() override;

  // text(), isEditing() and the keyboard's traits come from TextEditing.
  virtual void setText(std::string text);
  const Font& font() const { return font_; }
  virtual void setFont(const Font& font);
  Color textColor() const { return textColor_; }
  void setTextColor(const Color& color);
  bool isEditable() const { return editable_; }
  void setEditable(bool editable);
  bool isSelectable() const { return selectable_; }
  void setSelectable(bool selectable) { selectable_ = selectable; }

  virtual std::shared_ptr<TextViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<TextViewDelegate>& delegate) { delegate_ = delegate; }

  std::shared_ptr<View> inputAccessoryView() const override { return accessory(); }

  void insertText(const std::string& text);
  void deleteBackward();

  bool canBecomeFirstResponder() const override { return editable_ || selectable_; }
  bool requiresKeyboard() const override { return editable_; }
  bool becomeFirstResponder() override;
  bool resignFirstResponder() override;

  void layoutSubviews() override;

  // Space between the edges and the text, left and right / top and bottom.
  static constexpr double kTextInsetX = 5;
  static constexpr double kTextInsetY = 8;

  explicit TextView(Key key, const Rect& frame);

 protected:
  void didInit() override;
  bool announcesEditingBeforeKeyboard() const override { return false; }
  void didBecomeFirstResponder() override;
  void didResignFirstResponder() override;

 private:
  void replace(TextRange range, const std::string& replacement);
  void refresh();
  void revealCaret();

  Font font_ = Font::systemFont(12);
  Color textColor_ = Color::black();
  bool editable_ = true;
  bool selectable_ = true;
  std::weak_ptr<TextViewDelegate> delegate_;
  std::shared_ptr<Label> label_;
  std::shared_ptr<TapGestureRecognizer> tap_;
  bool revealsCaret_ = false;  // at the next layout pass
};

}  // namespace platform
