#include "platform/ui/controllers/NavigationItem.h"

#include "platform/ui/View.h"

namespace platform {

std::shared_ptr<NavigationItem> NavigationItem::create(std::string title) {
  auto item = make<NavigationItem>();
  item->title_ = std::move(title);
  return item;
}

void NavigationItem::setTitle(std::string title) {
  title_ = std::move(title);
  changed_.notify();
}

void NavigationItem::setTitleView(std::shared_ptr<View> view) {
  titleView_ = std::move(view);
  changed_.notify();
}

void NavigationItem::setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item) {
  left_ = std::move(item);
  changed_.notify();
}

void NavigationItem::setRightBarButtonItem(std::shared_ptr<BarButtonItem> item) {
  right_ = std::move(item);
  changed_.notify();
}

void NavigationItem::setHidesBackButton(bool hides) {
  hidesBackButton_ = hides;
  changed_.notify();
}

}  // namespace platform
