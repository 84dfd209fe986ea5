#include "platform/ui/text/TextView.h"

#include <algorithm>
#include <string>

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Label.h"
#include "platform/ui/TapGestureRecognizer.h"

namespace platform {

std::shared_ptr<TextView> TextView::create(const Rect& frame) { return make<TextView>(frame); }

TextView::TextView(Key key, const Rect& frame)
    : ScrollView(std::move(key), frame),
      TextEditing({"TextView", kTextViewTextDidBeginEditingNotification,
                   kTextViewTextDidChangeNotification, kTextViewTextDidEndEditingNotification}) {}

TextView::~TextView() = default;

void TextView::didInit() {
  ScrollView::didInit();
  setBackgroundColor(Color::whiteColor());
  label_ = Label::create();
  label_->setNumberOfLines(0);
  label_->setLineBreakMode(LineBreakMode::ByWordWrapping);
  label_->setUserInteractionEnabled(false);
  label_->setBackgroundColor(Color::clear());
  label_->setKeepsLines(true);
  addSubview(label_);
  std::weak_ptr<TextView> weak = self<TextView>();
  tap_ = TapGestureRecognizer::create([weak](GestureRecognizer& recognizer) {
    auto view = weak.lock();
    if (view && recognizer.state() == GestureRecognizerState::Ended) view->becomeFirstResponder();
  });
  tap_->setCancelsTouchesInView(false);
  addGestureRecognizer(tap_);
  refresh();
}

void TextView::setText(std::string text) {
  storeText(std::move(text));
  refresh();
}

void TextView::setFont(const Font& font) {
  font_ = font;
  refresh();
}

void TextView::setTextColor(const Color& color) {
  textColor_ = color;
  refresh();
}

void TextView::setEditable(bool editable) {
  editable_ = editable;
  if (!canBecomeFirstResponder() && isFirstResponder()) resignOnLeavingWindow();
}

void TextView::refresh() {
  label_->setText(text());
  label_->setFont(font_);
  label_->setTextColor(textColor_);
  setNeedsLayout();
}

void TextView::layoutSubviews() {
  ScrollView::layoutSubviews();
  const double w = std::max(0.0, width(bounds()) - 2 * kTextInsetX);
  const Size fit = label_->sizeThatFits({w, 0});
  label_->setFrame(makeRect(kTextInsetX, kTextInsetY, w, fit.height));
  const Size content{width(bounds()), fit.height + 2 * kTextInsetY};
  if (!(contentSize().width == content.width && contentSize().height == content.height)) {
    setContentSize(content);
  }
  if (revealsCaret_) revealCaret();
}

bool TextView::becomeFirstResponder() {
  if (isFirstResponder()) return true;
  if (!canBecomeFirstResponder() || !window()) return false;
  if (auto d = delegate(); d && !d->textViewShouldBeginEditing(*this).value_or(true)) return false;
  return ScrollView::becomeFirstResponder();
}

bool TextView::resignFirstResponder() {
  if (!isFirstResponder()) return ScrollView::resignFirstResponder();
  if (auto d = delegate(); d && !d->textViewShouldEndEditing(*this).value_or(true)) return false;
  return ScrollView::resignFirstResponder();
}

void TextView::didBecomeFirstResponder() {
  if (!editable_) return;  // selecting text in a read-only view is not editing
  changeEditing(true, shared_from_this(), [this] {
    if (auto d = delegate()) d->textViewDidBeginEditing(*this);
  });
}

void TextView::didResignFirstResponder() {
  if (!isEditing()) return;
  changeEditing(false, shared_from_this(), [this] {
    if (auto d = delegate()) d->textViewDidEndEditing(*this);
  });
}

void TextView::replace(TextRange range, const std::string& replacement) {
  typeChange(
      range, replacement, shared_from_this(),
      [&] {
        auto d = delegate();
        if (d && !d->textView(*this, range, replacement).value_or(true)) return false;
        // The delegate may have ended editing (return on the last field): nothing is typed then.
        return isEditing();
      },
      [this] {
        refresh();
        revealsCaret_ = true;  // once the pass has laid the text out: one layout for a burst
        if (auto d = delegate()) d->textViewDidChange(*this);
      });
}

void TextView::revealCaret() {
  // The caret sits at the end of the text: typing keeps that end in sight, above the bottom
  // inset (where a keyboard may cover the view), as the platform's text views do. One that does
  // not scroll shows its text from the top, however it is sized.
  revealsCaret_ = false;
  if (!isScrollEnabled()) return;
  const Point end = maximumContentOffset();
  if (contentOffset().y < end.y) setContentOffset({contentOffset().x, end.y});
}

void TextView::insertText(const std::string& text) {
  if (isEditing()) replace(insertion(), text);
}

void TextView::deleteBackward() {
  if (auto range = deletion()) replace(*range, "");
}

}  // namespace platform
