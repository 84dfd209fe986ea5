#include "platform/ui/controls/Toolbar.h"

#include <algorithm>
#include <cmath>
#include <set>

#include "platform/graphics/Context.h"
#include "platform/ui/controls/ToolbarButton.h"
#include "platform/ui/controls/ToolbarTextButton.h"

namespace platform {

std::shared_ptr<Toolbar> Toolbar::create(const Rect& frame) { return make<Toolbar>(frame); }

Toolbar::Toolbar(Key key, const Rect& frame) : View(std::move(key), frame) {}

Toolbar::~Toolbar() = default;

void Toolbar::didInit() {
  View::didInit();
  refreshBackground();
}

void Toolbar::setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool /*animated*/) {
  items_ = std::move(items);
  items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
  rebuildItemViews();
}

void Toolbar::rebuildItemViews() {
  for (auto& view : itemViews_) {
    if (view && view->superview().get() == this) view->removeFromSuperview();
  }
  itemViews_.clear();
  itemSubscriptions_.clear();
  std::set<const BarButtonItem*> watched;
  std::weak_ptr<Toolbar> weak = self<Toolbar>();
  for (const auto& item : items_) {
    std::shared_ptr<View> view;
    if (item->customView()) {
      view = item->customView();
      addSubview(view);
    } else if (!item->isSpace()) {
      view = item->image() ? std::static_pointer_cast<View>(ToolbarButton::create(item, this))
                           : std::static_pointer_cast<View>(ToolbarTextButton::create(item, this));
    }
    itemViews_.push_back(view);
    // An item standing twice is watched once.
    if (watched.insert(item.get()).second) {
      itemSubscriptions_.push_back(item->changeObservers().subscribe([weak] {
        if (auto bar = weak.lock()) bar->refreshItemViews();
      }));
    }
  }
  setNeedsLayout();
}

void Toolbar::refreshItemViews() {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    // A custom view set or cleared after the fact changes which view the item needs.
    const bool wantsCustom = items_[i]->customView() != nullptr;
    if (wantsCustom != (itemViews_[i] && itemViews_[i] == items_[i]->customView())) {
      rebuildItemViews();
      return;
    }
    if (auto button = std::dynamic_pointer_cast<ToolbarButton>(itemViews_[i])) {
      button->refreshFromItem();
    }
  }
  setNeedsLayout();
}

std::shared_ptr<View> Toolbar::viewForItemAtIndex(std::size_t index) const {
  return index < itemViews_.size() ? itemViews_[index] : nullptr;
}

void Toolbar::setBarStyle(BarStyle style) {
  barStyle_ = style;
  refreshBackground();
}

void Toolbar::setBarTintColor(std::optional<Color> color) {
  barTint_ = color;
  refreshBackground();
}

void Toolbar::setTranslucent(bool translucent) {
  translucent_ = translucent;
  refreshBackground();
}

void Toolbar::refreshBackground() {
  Color base =
      barTint_.value_or(barStyle_ == BarStyle::Black ? Color::white(0.11) : Color::white(0.97));
  if (translucent_ && !barTint_) base.a = 0.96;
  setBackgroundColor(base);
  setNeedsDisplay();
}

Size Toolbar::sizeThatFits(const Size& size) const { return {size.width, kHeight}; }

bool Toolbar::isFlexible(std::size_t index) const {
  const auto& item = items_[index];
  if (item->isFlexibleSpace()) return true;
  return item->customView() &&
         (item->customView()->autoresizingMask() & ViewAutoresizingFlexibleWidth) != 0;
}

double Toolbar::itemWidth(std::size_t index) const {
  const auto& item = items_[index];
  if (item->isFixedSpace()) return item->width();
  if (isFlexible(index)) return 0;
  const auto& view = itemViews_[index];
  if (item->customView()) return width(view->frame());
  if (item->width() > 0) return item->width();
  return std::ceil(view->sizeThatFits({0, 0}).width);
}

void Toolbar::layoutSubviews() {
  const double w = width(bounds()), h = height(bounds());
  double used = 0;
  std::size_t flexible = 0;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    used += itemWidth(i);
    if (isFlexible(i)) ++flexible;
    if (i > 0 && itemViews_[i] && itemViews_[i - 1]) used += kItemSpacing;
  }
  const double share =
      flexible ? std::max(0.0, w - 2 * kEdgeMargin - used) / static_cast<double>(flexible) : 0;
  double x = kEdgeMargin;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i > 0 && itemViews_[i] && itemViews_[i - 1]) x += kItemSpacing;
    const double iw = isFlexible(i) ? share : itemWidth(i);
    if (const auto& view = itemViews_[i]) {
      const bool fill = !std::dynamic_pointer_cast<ToolbarButton>(view)
                            ? (view->autoresizingMask() & ViewAutoresizingFlexibleHeight) != 0
                            : true;
      const double vh = fill ? h : std::min(h, height(view->frame()));
      view->setFrame(makeRect(x, (h - vh) / 2, iw, vh));
    }
    x += iw;
  }
}

void Toolbar::drawRect(Context& context, const Rect& /*rect*/) {
  // The hairline along the top edge.
  context.fillRect(makeRect(0, 0, width(bounds()), 0.5),
                   barStyle_ == BarStyle::Black ? Color::white(0.25) : Color::white(0.7));
}

}  // namespace platform
