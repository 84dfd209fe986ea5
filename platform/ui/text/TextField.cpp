#include "platform/ui/text/TextField.h"

#include <algorithm>
#include <string>

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Label.h"

namespace platform {
namespace {

const Color kPlaceholderColor = Color::white(0.7);

}  // namespace

std::shared_ptr<TextField> TextField::create(const Rect& frame) { return make<TextField>(frame); }

TextField::TextField(Key key, const Rect& frame)
    : Control(std::move(key), frame),
      TextEditing({"TextField", kTextFieldTextDidBeginEditingNotification,
                   kTextFieldTextDidChangeNotification, kTextFieldTextDidEndEditingNotification}) {}

TextField::~TextField() = default;

void TextField::didInit() {
  Control::didInit();
  label_ = Label::create();
  label_->setUserInteractionEnabled(false);
  label_->setBackgroundColor(Color::clear());
  addSubview(label_);
  refreshLabel();
  // A tap puts the caret in the field.
  addTarget(
      [](Control& sender) {
        auto& field = static_cast<TextField&>(sender);
        if (field.isEnabled()) field.becomeFirstResponder();
      },
      ControlEventTouchUpInside);
}

void TextField::setText(std::string text) {
  storeText(std::move(text));
  refreshLabel();
}

void TextField::setPlaceholder(std::string placeholder) {
  placeholder_ = std::move(placeholder);
  refreshLabel();
}

void TextField::setFont(const Font& font) {
  font_ = font;
  refreshLabel();
}

void TextField::setTextColor(const Color& color) {
  textColor_ = color;
  refreshLabel();
}

void TextField::setTextAlignment(TextAlignment alignment) {
  alignment_ = alignment;
  refreshLabel();
}

void TextField::setBorderStyle(TextBorderStyle style) {
  borderStyle_ = style;
  const bool line = style != TextBorderStyle::None;
  layer()->setBorderWidth(line ? 1 : 0);
  layer()->setBorderColor(Color::white(0.8));
  layer()->setCornerRadius(style == TextBorderStyle::RoundedRect ? 5 : 0);
  setNeedsLayout();
}

void TextField::setEnabled(bool enabled) {
  Control::setEnabled(enabled);
  // A field that can no longer be edited lets the keyboard go.
  if (!enabled && isFirstResponder()) resignOnLeavingWindow();
  refreshLabel();
}

double TextField::padding() const { return borderStyle_ == TextBorderStyle::None ? 0 : 7; }

void TextField::refreshLabel() {
  if (!label_) return;
  const bool empty = text().empty();
  label_->setText(empty ? placeholder_ : text());
  label_->setFont(font_);
  label_->setTextAlignment(alignment_);
  Color color = empty ? kPlaceholderColor : textColor_;
  if (!isEnabled()) color.a *= 0.5;
  label_->setTextColor(color);
  setNeedsLayout();
}

void TextField::layoutSubviews() {
  const Rect b = bounds();
  label_->setFrame(makeRect(padding(), 0, std::max(0.0, width(b) - 2 * padding()), height(b)));
}

Size TextField::sizeThatFits(const Size& /*size*/) const {
  const Size text = label_->sizeThatFits({0, 0});
  return {text.width + 2 * padding(), std::max(text.height, font_.lineHeight()) + 2 * padding()};
}

bool TextField::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!canBecomeFirstResponder() || !window()) return false;
  if (auto d = delegate(); d && !d->textFieldShouldBeginEditing(*this).value_or(true)) return false;
  return Control::becomeFirstResponder();
}

bool TextField::resignFirstResponder() {
  if (!isFirstResponder()) return Control::resignFirstResponder();
  if (auto d = delegate(); d && !d->textFieldShouldEndEditing(*this).value_or(true)) return false;
  return Control::resignFirstResponder();
}

void TextField::didBecomeFirstResponder() {
  changeEditing(true, shared_from_this(), [this] {
    if (auto d = delegate()) d->textFieldDidBeginEditing(*this);
    sendActionsForControlEvents(ControlEventEditingDidBegin);
  });
}

void TextField::didResignFirstResponder() {
  changeEditing(false, shared_from_this(), [this] {
    if (auto d = delegate()) d->textFieldDidEndEditing(*this);
    sendActionsForControlEvents(ControlEventEditingDidEnd);
  });
}

void TextField::replace(TextRange range, const std::string& replacement) {
  typeChange(
      range, replacement, shared_from_this(),
      [&] {
        auto d = delegate();
        return !d || d->textField(*this, range, replacement).value_or(true);
      },
      [this] {
        refreshLabel();
        sendActionsForControlEvents(ControlEventEditingChanged);
      });
}

void TextField::insertText(const std::string& text) {
  if (!isEditing()) return;
  if (text == "\n") {
    pressReturn();
    return;
  }
  replace(insertion(), text);
}

void TextField::deleteBackward() {
  if (auto range = deletion()) replace(*range, "");
}

bool TextField::pressReturn() {
  auto d = delegate();
  return d ? d->textFieldShouldReturn(*this).value_or(true) : true;
}

void TextField::clear() {
  if (auto d = delegate(); d && !d->textFieldShouldClear(*this).value_or(true)) return;
  if (text().empty()) return;
  replace({0, text().size()}, "");
}

}  // namespace platform
