#include "ui/support/keyboard/KBTextView.h"

#include <algorithm>

namespace sprout {

std::shared_ptr<KBTextView> KBTextView::create(const platform::Rect& frame) {
  return make<KBTextView>(frame);
}

KBTextView::~KBTextView() = default;

void KBTextView::didInit() {
  TextView::didInit();
  std::weak_ptr<KBTextView> weak = self<KBTextView>();
  changes_ = platform::NotificationCenter::defaultCenter().addObserver(
      platform::kTextViewTextDidChangeNotification, this, [weak](const platform::Notification&) {
        if (auto self = weak.lock()) self->refreshPlaceholder();
      });
}

void KBTextView::refreshPlaceholder() const {
  if (!label_) return;
  label_->setAlpha(text().empty() ? 1 : 0);
  auto* self = const_cast<KBTextView*>(this);  // layout is not part of what the view holds
  self->setNeedsLayout();
  self->layoutIfNeeded();
}

void KBTextView::setText(std::string text) {
  TextView::setText(std::move(text));
  refreshPlaceholder();
}

void KBTextView::setFont(const platform::Font& font) {
  TextView::setFont(font);
  if (!label_) return;
  label_->setFont(font);
  setNeedsLayout();
  layoutIfNeeded();
}

void KBTextView::setPlaceholder(std::optional<std::string> placeholder) {
  placeholder_ = std::move(placeholder);
  if (!label_) {
    label_ = platform::Label::create();
    label_->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                                platform::ViewAutoresizingFlexibleHeight);
    label_->setLineBreakMode(platform::LineBreakMode::ByWordWrapping);
    label_->setNumberOfLines(0);
    label_->setFont(font());
    label_->setBackgroundColor(platform::Color::clear());
    label_->setTextColor(platform::Color::white(0.7, 1.0));
    label_->setAlpha(0);
    label_->setUserInteractionEnabled(false);
    addSubview(label_);
  }
  label_->setText(placeholder_.value_or(""));
  refreshPlaceholder();
}

void KBTextView::layoutSubviews() {
  TextView::layoutSubviews();
  if (!label_) return;
  const double w = std::max(0.0, width(bounds()) - 2 * kPlaceholderInset);
  const double h = label_->sizeThatFits({w, 0}).height;
  label_->setFrame(platform::makeRect(kPlaceholderInset, kPlaceholderInset, w, h));
}

std::shared_ptr<platform::TextViewDelegate> KBTextView::delegate() const {
  refreshPlaceholder();
  return TextView::delegate();
}

}  // namespace sprout
