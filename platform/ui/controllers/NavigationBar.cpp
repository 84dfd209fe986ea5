#include "platform/ui/controllers/NavigationBar.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Label.h"
#include "platform/ui/controls/ToolbarButton.h"
#include "platform/ui/controls/ToolbarTextButton.h"

namespace platform {

std::shared_ptr<NavigationBar> NavigationBar::create(const Rect& frame) {
  return make<NavigationBar>(frame);
}

NavigationBar::NavigationBar(Key key, const Rect& frame) : View(std::move(key), frame) {}

NavigationBar::~NavigationBar() = default;

void NavigationBar::didInit() {
  View::didInit();
  title_ = Label::create();
  title_->setFont(Font::boldSystemFont(17));
  title_->setTextAlignment(TextAlignment::Center);
  title_->setBackgroundColor(Color::clear());
  addSubview(title_);
  std::weak_ptr<NavigationBar> weak = self<NavigationBar>();
  backItem_ = BarButtonItem::create("Back", BarButtonItemStyle::Plain, [weak](BarButtonItem&) {
    auto bar = weak.lock();
    if (bar && bar->backAction_) bar->backAction_();
  });
  refreshBackground();
}

void NavigationBar::setItems(std::vector<std::shared_ptr<NavigationItem>> items) {
  items_ = std::move(items);
  items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end());
  rebuild();
}

void NavigationBar::pushNavigationItem(std::shared_ptr<NavigationItem> item) {
  if (!item) return;
  items_.push_back(std::move(item));
  rebuild();
}

void NavigationBar::popNavigationItem() {
  if (items_.empty()) return;
  items_.pop_back();
  rebuild();
}

std::shared_ptr<NavigationItem> NavigationBar::topItem() const {
  return items_.empty() ? nullptr : items_.back();
}

std::shared_ptr<NavigationItem> NavigationBar::backItem() const {
  return items_.size() < 2 ? nullptr : items_[items_.size() - 2];
}

std::shared_ptr<View> NavigationBar::viewFor(const std::shared_ptr<BarButtonItem>& item) {
  if (!item || item->isSpace()) return nullptr;
  if (item->customView()) return item->customView();
  if (item->image()) return ToolbarButton::create(item);
  return ToolbarTextButton::create(item);
}

void NavigationBar::rebuild() {
  for (auto* view : {&left_, &right_, &shownTitleView_}) {
    if (*view && (*view)->superview().get() == this) (*view)->removeFromSuperview();
    view->reset();
  }
  subscriptions_.clear();
  auto top = topItem();
  title_->setText(top ? top->title() : std::string());
  if (top) {
    std::weak_ptr<NavigationBar> weak = self<NavigationBar>();
    subscriptions_.push_back(top->changeObservers().subscribe([weak] {
      if (auto bar = weak.lock()) bar->rebuild();
    }));
    auto leftItem = top->leftBarButtonItem();
    if (!leftItem && backItem() && !top->hidesBackButton()) leftItem = backItem_;
    left_ = viewFor(leftItem);
    right_ = viewFor(top->rightBarButtonItem());
    shownTitleView_ = top->titleView();
  }
  title_->setHidden(shownTitleView_ != nullptr);
  for (const auto& view : {left_, right_, shownTitleView_}) {
    if (view) addSubview(view);
  }
  setNeedsLayout();
}

void NavigationBar::setBarStyle(BarStyle style) {
  barStyle_ = style;
  refreshBackground();
}

void NavigationBar::setBarTintColor(std::optional<Color> color) {
  barTint_ = color;
  refreshBackground();
}

void NavigationBar::setTranslucent(bool translucent) {
  translucent_ = translucent;
  refreshBackground();
}

void NavigationBar::refreshBackground() {
  Color base =
      barTint_.value_or(barStyle_ == BarStyle::Black ? Color::white(0.11) : Color::white(0.97));
  if (translucent_ && !barTint_) base.a = 0.96;
  setBackgroundColor(base);
  title_->setTextColor(barStyle_ == BarStyle::Black ? Color::whiteColor() : Color::black());
}

Size NavigationBar::sizeThatFits(const Size& size) const { return {size.width, kHeight}; }

void NavigationBar::layoutSubviews() {
  const double w = width(bounds()), h = height(bounds());
  double leftEnd = kEdgeMargin, rightStart = w - kEdgeMargin;
  if (left_) {
    const double lw = std::ceil(left_->sizeThatFits({0, 0}).width);
    left_->setFrame(makeRect(kEdgeMargin, 0, lw, h));
    leftEnd = kEdgeMargin + lw;
  }
  if (right_) {
    const double rw = std::ceil(right_->sizeThatFits({0, 0}).width);
    right_->setFrame(makeRect(w - kEdgeMargin - rw, 0, rw, h));
    rightStart = w - kEdgeMargin - rw;
  }
  // The title stays centred on the bar, as wide as the buttons on both sides allow.
  const double half = std::max(0.0, std::min(w / 2 - leftEnd, rightStart - w / 2) - 8);
  const Rect titleRect = makeRect(w / 2 - half, 0, 2 * half, h);
  title_->setFrame(titleRect);
  if (shownTitleView_) shownTitleView_->setCenter({w / 2, h / 2});
}

}  // namespace platform
