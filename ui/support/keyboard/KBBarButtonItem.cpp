#include "ui/support/keyboard/KBBarButtonItem.h"

namespace sprout {

using platform::BarButtonItemStyle;
using platform::BarButtonSystemItem;

std::shared_ptr<KBBarButtonItem> KBBarButtonItem::create(BarButtonSystemItem item, Action action) {
  auto made = make<KBBarButtonItem>();
  made->setSystemItem(item);
  if (item == BarButtonSystemItem::Done) made->setStyle(BarButtonItemStyle::Done);
  made->setAction(std::move(action));
  return made;
}

std::shared_ptr<KBBarButtonItem> KBBarButtonItem::create(const std::string& title,
                                                         BarButtonItemStyle style, Action action) {
  auto made = make<KBBarButtonItem>();
  made->setTitle(title);
  made->setStyle(style);
  made->setAction(std::move(action));
  return made;
}

std::shared_ptr<KBBarButtonItem> KBBarButtonItem::create(std::shared_ptr<platform::Image> image,
                                                         BarButtonItemStyle style, Action action) {
  auto made = make<KBBarButtonItem>();
  made->setImage(std::move(image));
  made->setStyle(style);
  made->setAction(std::move(action));
  return made;
}

}  // namespace sprout
