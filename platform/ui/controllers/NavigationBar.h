#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/ObserverList.h"
#include "platform/ui/View.h"
#include "platform/ui/controllers/NavigationItem.h"
#include "platform/ui/controls/BarStyle.h"

namespace platform {

class Label;
class ToolbarButton;

// The bar along the top of a navigation controller, 44 points high: the top item's title (or
// title view) centred, its left item (else a back button when an item lies below and the top
// one does not hide it) kEdgeMargin from the left and its right item as far from the right.
class NavigationBar : public View {
 public:
  static std::shared_ptr<NavigationBar> create(const Rect& frame = {});
  ~NavigationBar() override;

  const std::vector<std::shared_ptr<NavigationItem>>& items() const { return items_; }
  void setItems(std::vector<std::shared_ptr<NavigationItem>> items);
  void pushNavigationItem(std::shared_ptr<NavigationItem> item);
  void popNavigationItem();
  std::shared_ptr<NavigationItem> topItem() const;
  std::shared_ptr<NavigationItem> backItem() const;

  // What the back button does (the navigation controller pops).
  void setBackAction(std::function<void()> action) { backAction_ = std::move(action); }

  BarStyle barStyle() const { return barStyle_; }
  void setBarStyle(BarStyle style);
  std::optional<Color> barTintColor() const { return barTint_; }
  void setBarTintColor(std::optional<Color> color);
  bool isTranslucent() const { return translucent_; }
  void setTranslucent(bool translucent);

  // The views it shows now (nullptr when absent), for tests and hit testing.
  std::shared_ptr<View> leftView() const { return left_; }
  std::shared_ptr<View> rightView() const { return right_; }
  std::shared_ptr<Label> titleLabel() const { return title_; }

  Size sizeThatFits(const Size& size) const override;
  void layoutSubviews() override;

  static constexpr double kHeight = 44;
  static constexpr double kEdgeMargin = 16;

  explicit NavigationBar(Key key, const Rect& frame);

 protected:
  void didInit() override;

 private:
  void rebuild();
  void refreshBackground();
  std::shared_ptr<View> viewFor(const std::shared_ptr<BarButtonItem>& item);

  std::vector<std::shared_ptr<NavigationItem>> items_;
  std::shared_ptr<Label> title_;
  std::shared_ptr<View> left_;
  std::shared_ptr<View> right_;
  std::shared_ptr<View> shownTitleView_;
  std::shared_ptr<BarButtonItem> backItem_;
  std::vector<Subscription> subscriptions_;
  std::function<void()> backAction_;
  BarStyle barStyle_ = BarStyle::Default;
  std::optional<Color> barTint_;
  bool translucent_ = true;
};

}  // namespace platform
