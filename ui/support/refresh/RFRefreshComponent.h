#pragma once

#include <functional>
#include <memory>
#include <optional>

#include "platform/foundation/ObserverList.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/View.h"
#include "platform/ui/scroll/ScrollView.h"
#include "ui/support/refresh/RFRefreshTypes.h"

namespace sprout {

// What every pull-to-refresh view shares: the state machine, the refreshing callbacks, watching
// the scroll view it sits in (offset, content size, pan state) and fading with the pull.
//
// The refreshing action is a weak target with a member function: it is sent only while the
// target lives, as a message to a gone receiver would be dropped.
class RFRefreshComponent : public platform::View {
 public:
  ~RFRefreshComponent() override;

  platform::EdgeInsets scrollViewOriginalInset() const { return scrollViewOriginalInset_; }
  std::shared_ptr<platform::ScrollView> scrollView() const { return scrollView_.lock(); }
  const std::shared_ptr<platform::PanGestureRecognizer>& pan() const { return pan_; }

  RFRefreshState state() const { return state_; }
  virtual void setState(RFRefreshState state);
  bool isRefreshing() const;

  void beginRefreshing();
  void beginRefreshingWithCompletionBlock(std::function<void()> completion);
  virtual void endRefreshing();
  void endRefreshingWithCompletionBlock(std::function<void()> completion);

  const RFRefreshComponentRefreshingBlock& refreshingBlock() const { return refreshingBlock_; }
  void setRefreshingBlock(RFRefreshComponentRefreshingBlock block) {
    refreshingBlock_ = std::move(block);
  }
  template <class T>
  void setRefreshingTarget(const std::shared_ptr<T>& target,
                           void (T::*action)(RFRefreshComponent&)) {
    std::weak_ptr<T> weak = target;
    setRefreshingTargetAction(weak, [weak, action](RFRefreshComponent& component) {
      if (auto t = weak.lock()) ((*t).*action)(component);
    });
  }
  // The target, while it lives.
  std::shared_ptr<void> refreshingTarget() const { return refreshingTarget_.lock(); }
  const std::function<void()>& beginRefreshingCompletionBlock() const { return beginCompletion_; }
  void setBeginRefreshingCompletionBlock(std::function<void()> b) {
    beginCompletion_ = std::move(b);
  }
  const std::function<void()>& endRefreshingCompletionBlock() const { return endCompletion_; }
  void setEndRefreshingCompletionBlock(std::function<void()> b) { endCompletion_ = std::move(b); }

  double pullingPercent() const { return pullingPercent_; }
  virtual void setPullingPercent(double percent);
  bool isAutomaticallyChangeAlpha() const { return automaticallyChangeAlpha_; }
  void setAutomaticallyChangeAlpha(bool change);
  bool isAutoChangeAlpha() const { return isAutomaticallyChangeAlpha(); }
  void setAutoChangeAlpha(bool change) { setAutomaticallyChangeAlpha(change); }

  void layoutSubviews() override;
  void willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) override;
  void drawRect(platform::Context& context, const platform::Rect& rect) override;

  static constexpr double kFastAnimationDuration = 0.25;
  static constexpr double kSlowAnimationDuration = 0.4;

  explicit RFRefreshComponent(Key key, const platform::Rect& frame);

 protected:
  // prepare, then the first state (Idle), so what prepare configures shows at once.
  void didInit() override;

  virtual void prepare();
  virtual void placeSubviews() {}
  virtual void scrollViewContentOffsetDidChange(const std::optional<RFOffsetChange>& /*change*/) {}
  virtual void scrollViewContentSizeDidChange(const std::optional<RFSizeChange>& /*change*/) {}
  virtual void scrollViewPanStateDidChange(const std::optional<RFPanStateChange>& /*change*/) {}
  // Leaving `scrollView` (for no superview or another one): after the observers are removed.
  virtual void didDetachFromScrollView(platform::ScrollView& /*scrollView*/) {}

  // The callbacks, on the next turn of the main queue: block, target's action, begin completion.
  void executeRefreshingCallback();
  // Runs `task` on the next turn of the main queue if this component still exists.
  void postToMain(std::function<void(RFRefreshComponent&)> task);
  // Runs `task` after `delay` seconds on the main queue if this component still exists.
  void postToMainAfter(double delay, std::function<void(RFRefreshComponent&)> task);

  // The pull of a header or spring-back footer in sight: while dragged, the pull is shown and the
  // state turns Pulling once past the line (`pastLineBy` > 0) and Idle again once back; released
  // while Pulling, it refreshes; released short of the line, the pull is shown as it springs back.
  void followPull(bool dragging, double percent, double pastLineBy);

  // The end of a refresh: `giveBack` runs inside the slow animation, which also fades the
  // component out when its alpha follows the pull; then the pull is cleared and the end
  // completion called, if the component still exists.
  void animateRefreshEnd(const std::function<void()>& giveBack);

  // How far `distance` is in heights of `height`; a control without height counts as fully
  // pulled once pulled at all (never a division by zero).
  static double pullRatio(double distance, double height) {
    if (height > 0) return distance / height;
    return distance > 0 ? 1.0 : 0.0;
  }

  template <class T>
  static std::shared_ptr<T> makeWithBlock(RFRefreshComponentRefreshingBlock block) {
    auto component = platform::Object::make<T>(platform::Rect{});
    component->setRefreshingBlock(std::move(block));
    return component;
  }
  template <class T, class Target>
  static std::shared_ptr<T> makeWithTarget(const std::shared_ptr<Target>& target,
                                           void (Target::*action)(RFRefreshComponent&)) {
    auto component = platform::Object::make<T>(platform::Rect{});
    component->setRefreshingTarget(target, action);
    return component;
  }

  platform::EdgeInsets scrollViewOriginalInset_;

 private:
  void setRefreshingTargetAction(std::weak_ptr<void> target,
                                 std::function<void(RFRefreshComponent&)> action);
  void addObservers();
  void removeObservers();
  bool acceptsChanges(bool contentSize) const;

  std::weak_ptr<platform::ScrollView> scrollView_;
  std::shared_ptr<platform::PanGestureRecognizer> pan_;
  platform::Subscription offsetSubscription_, sizeSubscription_, panSubscription_;
  RFRefreshComponentRefreshingBlock refreshingBlock_;
  std::weak_ptr<void> refreshingTarget_;
  std::function<void(RFRefreshComponent&)> refreshingAction_;
  std::function<void()> beginCompletion_, endCompletion_;
  RFRefreshState state_ = static_cast<RFRefreshState>(0);
  double pullingPercent_ = 0;
  bool automaticallyChangeAlpha_ = false;
};

}  // namespace sprout
