#pragma once

#include <memory>
#include <string>

#include "platform/foundation/Object.h"
#include "platform/foundation/ObserverList.h"
#include "platform/ui/controls/BarButtonItem.h"

namespace platform {

class View;

// What a controller shows in a navigation bar while it is on top: a title (or a title view)
// and bar buttons on either side. Bars showing it hear of every change.
class NavigationItem : public Object {
 public:
  static std::shared_ptr<NavigationItem> create(std::string title = {});

  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  const std::shared_ptr<View>& titleView() const { return titleView_; }
  void setTitleView(std::shared_ptr<View> view);
  const std::shared_ptr<BarButtonItem>& leftBarButtonItem() const { return left_; }
  void setLeftBarButtonItem(std::shared_ptr<BarButtonItem> item);
  const std::shared_ptr<BarButtonItem>& rightBarButtonItem() const { return right_; }
  void setRightBarButtonItem(std::shared_ptr<BarButtonItem> item);
  bool hidesBackButton() const { return hidesBackButton_; }
  void setHidesBackButton(bool hides);

  ObserverList<>& changeObservers() { return changed_; }

  explicit NavigationItem(Key key) : Object(std::move(key)) {}

 private:
  std::string title_;
  std::shared_ptr<View> titleView_;
  std::shared_ptr<BarButtonItem> left_;
  std::shared_ptr<BarButtonItem> right_;
  bool hidesBackButton_ = false;
  ObserverList<> changed_;
};

}  // namespace platform
