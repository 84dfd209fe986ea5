#include "platform/ui/controls/BarButtonItem.h"

#include <algorithm>

#include "platform/ui/View.h"

namespace platform {

std::shared_ptr<BarButtonItem> BarButtonItem::create(BarButtonSystemItem item, Action action) {
  auto made = make<BarButtonItem>();
  made->systemItem_ = item;
  made->action_ = std::move(action);
  if (item == BarButtonSystemItem::Done) made->style_ = BarButtonItemStyle::Done;
  return made;
}

std::shared_ptr<BarButtonItem> BarButtonItem::create(const std::string& title,
                                                     BarButtonItemStyle style, Action action) {
  auto made = make<BarButtonItem>();
  made->title_ = title;
  made->style_ = style;
  made->action_ = std::move(action);
  return made;
}

std::shared_ptr<BarButtonItem> BarButtonItem::create(std::shared_ptr<Image> image,
                                                     BarButtonItemStyle style, Action action) {
  auto made = make<BarButtonItem>();
  made->image_ = std::move(image);
  made->style_ = style;
  made->action_ = std::move(action);
  return made;
}

std::shared_ptr<BarButtonItem> BarButtonItem::create(std::shared_ptr<View> customView) {
  auto made = make<BarButtonItem>();
  made->customView_ = std::move(customView);
  return made;
}

BarButtonItem::~BarButtonItem() = default;

std::string BarButtonItem::displayTitle() const {
  if (!systemItem_) return title_;
  switch (*systemItem_) {
    case BarButtonSystemItem::Done:
      return "Done";
    case BarButtonSystemItem::Cancel:
      return "Cancel";
    case BarButtonSystemItem::Edit:
      return "Edit";
    case BarButtonSystemItem::Save:
      return "Save";
    case BarButtonSystemItem::Add:
      return "+";
    case BarButtonSystemItem::Undo:
      return "Undo";
    case BarButtonSystemItem::Redo:
      return "Redo";
    case BarButtonSystemItem::Search:
      return "Search";
    case BarButtonSystemItem::Refresh:
      return "Refresh";
    default:
      return title_;
  }
}

void BarButtonItem::setStyle(BarButtonItemStyle style) {
  style_ = style;
  changed();
}

void BarButtonItem::setTitle(std::string title) {
  title_ = std::move(title);
  changed();
}

void BarButtonItem::setImage(std::shared_ptr<Image> image) {
  image_ = std::move(image);
  changed();
}

void BarButtonItem::setCustomView(std::shared_ptr<View> view) {
  customView_ = std::move(view);
  changed();
}

void BarButtonItem::setWidth(double width) {
  width_ = std::max(0.0, width);
  changed();
}

void BarButtonItem::setEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  changed();
}

void BarButtonItem::setTintColor(std::optional<Color> color) {
  if (tint_ == color) return;
  tint_ = color;
  changed();
}

void BarButtonItem::setAccessibilityLabel(std::string label) {
  accessibilityLabel_ = std::move(label);
  changed();
}

void BarButtonItem::sendAction() {
  if (!enabled_ || !action_) return;
  auto keep = Action(action_);  // the action may replace itself
  keep(*this);
}

}  // namespace platform
