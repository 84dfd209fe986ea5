#include "ui/support/keyboard/KBToolbar.h"

#include <algorithm>
#include <typeinfo>

#include "platform/ui/controls/ToolbarButton.h"
#include "ui/support/keyboard/KBTitleBarButtonItem.h"

namespace sprout {

using platform::Rect;

std::shared_ptr<KBToolbar> KBToolbar::create(const Rect& frame) { return make<KBToolbar>(frame); }

void KBToolbar::didInit() {
  Toolbar::didInit();
  sizeToFit();
  setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth);
  setTranslucent(true);
  setTintColor(platform::Color::black());
}

platform::Size KBToolbar::sizeThatFits(const platform::Size& size) const {
  return {width(frame()) > 0 ? width(frame()) : size.width, kHeight};
}

std::shared_ptr<KBTitleBarButtonItem> KBToolbar::titleItem() const {
  for (const auto& item : items()) {
    if (auto title = std::dynamic_pointer_cast<KBTitleBarButtonItem>(item)) return title;
  }
  return nullptr;
}

void KBToolbar::setBarStyle(platform::BarStyle style) {
  Toolbar::setBarStyle(style);
  if (auto item = titleItem()) {
    item->setSelectableTextColor(style != platform::BarStyle::Default
                                     ? platform::Color::yellow()
                                     : KBTitleBarButtonItem::kSelectableBlue);
  }
}

void KBToolbar::tintColorDidChange() {
  const auto tint = tintColor();
  for (const auto& item : items()) item->setTintColor(tint);
}

void KBToolbar::setTitleFont(std::optional<platform::Font> font) {
  titleFont_ = std::move(font);
  if (auto item = titleItem()) item->setFont(titleFont_.value_or(platform::Font::systemFont(13)));
}

void KBToolbar::setTitle(std::optional<std::string> title) {
  title_ = std::move(title);
  if (auto item = titleItem()) item->setTitle(title_);
}

void KBToolbar::setTitleInvocation(KBInvocation invocation) {
  titleInvocation_ = std::move(invocation);
  if (auto item = titleItem()) item->setTitleInvocation(titleInvocation_);
}

void KBToolbar::layoutSubviews() {
  Toolbar::layoutSubviews();
  auto views = subviews();
  std::stable_sort(views.begin(), views.end(), [](const auto& a, const auto& b) {
    if (minX(a->frame()) != minX(b->frame())) return minX(a->frame()) < minX(b->frame());
    return minY(a->frame()) < minY(b->frame());
  });
  Rect left = platform::kRectNull, right = platform::kRectNull;
  bool sawTitle = false;
  for (const auto& view : views) {
    if (sawTitle) {
      right = view->frame();
      break;
    }
    if (const platform::View& plain = *view; typeid(plain) == typeid(platform::View)) {
      sawTitle = true;  // the title item's plain view
    } else if (dynamic_cast<const platform::ToolbarButton*>(view.get())) {  // text ones too
      left = view->frame();
    }
  }
  const double own = width(bounds());
  const double x = isNull(left) ? kTitleMargin : maxX(left) + kTitleMargin;
  const double w = own - 2 * kTitleMargin - (isNull(left) ? 0 : maxX(left)) -
                   (isNull(right) ? 0 : own - minX(right));
  if (auto item = titleItem()) {
    // No room between the buttons leaves the title empty rather than inside out.
    item->customView()->setFrame(platform::makeRect(x, 0, std::max(0.0, w), height(bounds())));
  }
}

}  // namespace sprout
