#include "ui/support/keyboard/KBTitleBarButtonItem.h"

#include "platform/ui/Label.h"

namespace sprout {

using platform::Color;

const Color KBTitleBarButtonItem::kSelectableBlue = Color::rgba(0.0, 0.5, 1.0, 1.0);

std::shared_ptr<KBTitleBarButtonItem> KBTitleBarButtonItem::create(
    std::optional<std::string> title) {
  auto item = make<KBTitleBarButtonItem>();
  const unsigned flexible =
      platform::ViewAutoresizingFlexibleWidth | platform::ViewAutoresizingFlexibleHeight;
  item->titleView_ = platform::View::create();
  item->titleView_->setBackgroundColor(Color::clear());
  item->titleView_->setAutoresizingMask(flexible);
  item->titleButton_ = platform::Button::create(platform::ButtonType::System);
  item->titleButton_->setEnabled(false);
  item->titleButton_->titleLabel()->setNumberOfLines(3);
  item->titleButton_->titleLabel()->setTextAlignment(platform::TextAlignment::Center);
  item->titleButton_->setTitleColor(kSelectableBlue, platform::ControlStateNormal);
  item->titleButton_->setTitleColor(Color::lightGray(), platform::ControlStateDisabled);
  item->titleButton_->setBackgroundColor(Color::clear());
  item->titleButton_->setAutoresizingMask(flexible);
  std::weak_ptr<KBTitleBarButtonItem> weak = item;
  item->titleButton_->addTarget(
      [weak](platform::Control&) {
        auto self = weak.lock();
        if (self && self->titleInvocation_) self->titleInvocation_(*self->titleView_);
      },
      platform::ControlEventTouchUpInside);
  item->setTitle(std::move(title));
  item->setFont(platform::Font::systemFont(13));
  item->titleView_->addSubview(item->titleButton_);
  item->setCustomView(item->titleView_);
  return item;
}

void KBTitleBarButtonItem::setFont(const platform::Font& font) {
  font_ = font;
  titleButton_->titleLabel()->setFont(font);
  titleButton_->setNeedsLayout();
}

void KBTitleBarButtonItem::setSelectableTextColor(const Color& color) {
  selectableTextColor_ = color;
  titleButton_->setTitleColor(color, platform::ControlStateNormal);
}

void KBTitleBarButtonItem::setTitle(std::optional<std::string> title) {
  BarButtonItem::setTitle(title.value_or(""));
  titleButton_->setTitle(std::move(title), platform::ControlStateNormal);
}

void KBTitleBarButtonItem::setTitleInvocation(KBInvocation invocation) {
  titleInvocation_ = std::move(invocation);
  const bool tappable = static_cast<bool>(titleInvocation_);
  setEnabled(tappable);
  titleButton_->setEnabled(tappable);
}

}  // namespace sprout
