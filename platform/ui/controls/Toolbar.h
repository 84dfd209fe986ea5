#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/ObserverList.h"
#include "platform/ui/View.h"
#include "platform/ui/controls/BarButtonItem.h"
#include "platform/ui/controls/BarStyle.h"

namespace platform {

// A bar of items, 44 points high. Each item that is not a space gets a view: its custom view,
// a ToolbarButton for an image, a ToolbarTextButton for a title or a system item. Layout, left to
// right from kEdgeMargin: item views at their fitting width with kItemSpacing between two
// neighbours, fixed spaces at their width, and what is left shared by the flexible spaces and
// the custom views with a flexible width (none left: the views run on). Views are centred
// vertically; a custom view with a flexible height fills the bar. The items keep their views up to
// date while they are in the bar.
class Toolbar : public View {
 public:
  static std::shared_ptr<Toolbar> create(const Rect& frame = {});
  ~Toolbar() override;

  const std::vector<std::shared_ptr<BarButtonItem>>& items() const { return items_; }
  virtual void setItems(std::vector<std::shared_ptr<BarButtonItem>> items, bool animated = false);
  // The view shown for the item at `index` (nullptr for a space or a bad index).
  std::shared_ptr<View> viewForItemAtIndex(std::size_t index) const;

  BarStyle barStyle() const { return barStyle_; }
  virtual void setBarStyle(BarStyle style);
  std::optional<Color> barTintColor() const { return barTint_; }
  void setBarTintColor(std::optional<Color> color);
  bool isTranslucent() const { return translucent_; }
  void setTranslucent(bool translucent);

  Size sizeThatFits(const Size& size) const override;
  void layoutSubviews() override;
  void drawRect(Context& context, const Rect& rect) override;

  static constexpr double kHeight = 44;
  static constexpr double kEdgeMargin = 16;
  static constexpr double kItemSpacing = 8;

  explicit Toolbar(Key key, const Rect& frame);

 protected:
  void didInit() override;

 private:
  void rebuildItemViews();
  void refreshItemViews();
  void refreshBackground();
  double itemWidth(std::size_t index) const;
  bool isFlexible(std::size_t index) const;

  std::vector<std::shared_ptr<BarButtonItem>> items_;
  std::vector<std::shared_ptr<View>> itemViews_;  // one per item, nullptr for spaces
  std::vector<Subscription> itemSubscriptions_;
  BarStyle barStyle_ = BarStyle::Default;
  std::optional<Color> barTint_;
  bool translucent_ = true;
};

}  // namespace platform
