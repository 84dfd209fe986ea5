#include "ui/support/refresh/RFRefreshComponent.h"

#include "platform/dispatch/DispatchQueue.h"
#include "platform/ui/ViewTypes.h"
#include "platform/ui/Window.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

using platform::ScrollView;
using platform::View;

RFRefreshComponent::RFRefreshComponent(Key key, const platform::Rect& frame)
    : View(std::move(key), frame) {}

RFRefreshComponent::~RFRefreshComponent() = default;

void RFRefreshComponent::didInit() {
  View::didInit();
  prepare();
  setState(RFRefreshStateIdle);
}

void RFRefreshComponent::prepare() {
  setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth);
  setBackgroundColor(platform::Color::clear());
}

void RFRefreshComponent::layoutSubviews() {
  placeSubviews();
  View::layoutSubviews();
}

void RFRefreshComponent::willMoveToSuperview(const std::shared_ptr<View>& newSuperview) {
  View::willMoveToSuperview(newSuperview);
  auto newScrollView = std::dynamic_pointer_cast<ScrollView>(newSuperview);
  // Leaving a scroll view, for nothing or for any other view, ends the attachment there.
  if (auto old = scrollView_.lock(); old && old != newScrollView) {
    removeObservers();
    scrollView_.reset();
    didDetachFromScrollView(*old);
  }
  if (!newScrollView) return;
  removeObservers();
  setRf_w(*this, rf_w(*newScrollView));
  setRf_x(*this, 0);
  scrollView_ = newScrollView;
  newScrollView->setAlwaysBounceVertical(true);
  scrollViewOriginalInset_ = newScrollView->contentInset();
  addObservers();
}

void RFRefreshComponent::addObservers() {
  auto scroll = scrollView_.lock();
  if (!scroll) return;
  // The subscriptions die with this component, so the observers may use `this`.
  offsetSubscription_ =
      scroll->contentOffsetObservers().subscribe([this](platform::Point old, platform::Point now) {
        if (acceptsChanges(false)) scrollViewContentOffsetDidChange(RFOffsetChange{old, now});
      });
  sizeSubscription_ =
      scroll->contentSizeObservers().subscribe([this](platform::Size old, platform::Size now) {
        if (acceptsChanges(true)) scrollViewContentSizeDidChange(RFSizeChange{old, now});
      });
  pan_ = scroll->panGestureRecognizer();
  if (pan_) {
    panSubscription_ = pan_->stateObservers().subscribe(
        [this](platform::GestureRecognizer::State old, platform::GestureRecognizer::State now) {
          if (acceptsChanges(false)) scrollViewPanStateDidChange(RFPanStateChange{old, now});
        });
  }
}

void RFRefreshComponent::removeObservers() {
  offsetSubscription_.reset();
  sizeSubscription_.reset();
  panSubscription_.reset();
  pan_.reset();
}

bool RFRefreshComponent::acceptsChanges(bool contentSize) const {
  if (!isUserInteractionEnabled()) return false;
  // The content size is followed even while hidden: a hidden footer still keeps its place.
  return contentSize || !isHidden();
}

void RFRefreshComponent::setState(RFRefreshState state) {
  state_ = state;
  postToMain([](RFRefreshComponent& me) { me.setNeedsLayout(); });
}

bool RFRefreshComponent::isRefreshing() const {
  return state_ == RFRefreshStateRefreshing || state_ == RFRefreshStateWillRefresh;
}

void RFRefreshComponent::beginRefreshing() {
  View::animateWithDuration(kFastAnimationDuration, [this] { setAlpha(1.0); });
  setPullingPercent(1.0);
  if (window()) {
    setState(RFRefreshStateRefreshing);
  } else if (state_ != RFRefreshStateRefreshing) {
    setState(RFRefreshStateWillRefresh);
    setNeedsDisplay();
  }
}

void RFRefreshComponent::beginRefreshingWithCompletionBlock(std::function<void()> completion) {
  beginCompletion_ = std::move(completion);
  beginRefreshing();
}

void RFRefreshComponent::endRefreshing() { setState(RFRefreshStateIdle); }

void RFRefreshComponent::endRefreshingWithCompletionBlock(std::function<void()> completion) {
  endCompletion_ = std::move(completion);
  endRefreshing();
}

void RFRefreshComponent::drawRect(platform::Context& /*context*/, const platform::Rect& /*rect*/) {
  // Not View::drawRect: that would mark the class as drawing nothing, and this hook must run on
  // every draw.
  if (state_ == RFRefreshStateWillRefresh) setState(RFRefreshStateRefreshing);
}

void RFRefreshComponent::followPull(bool dragging, double percent, double pastLineBy) {
  if (dragging) {
    setPullingPercent(percent);
    if (state() == RFRefreshStateIdle && pastLineBy > 0) {
      setState(RFRefreshStatePulling);
    } else if (state() == RFRefreshStatePulling && pastLineBy <= 0) {
      setState(RFRefreshStateIdle);
    }
  } else if (state() == RFRefreshStatePulling) {
    beginRefreshing();  // released past the line
  } else if (percent < 1) {
    setPullingPercent(percent);
  }
}

void RFRefreshComponent::animateRefreshEnd(const std::function<void()>& giveBack) {
  std::weak_ptr<RFRefreshComponent> weak = self<RFRefreshComponent>();
  View::animateWithDuration(
      kSlowAnimationDuration,
      [&] {
        giveBack();
        if (isAutomaticallyChangeAlpha()) setAlpha(0.0);
      },
      [weak](bool) {
        auto me = weak.lock();
        if (!me) return;
        me->setPullingPercent(0.0);
        if (auto completion = me->endRefreshingCompletionBlock()) completion();
      });
}

void RFRefreshComponent::setPullingPercent(double percent) {
  pullingPercent_ = percent;
  if (isRefreshing()) return;
  if (automaticallyChangeAlpha_) setAlpha(percent);
}

void RFRefreshComponent::setAutomaticallyChangeAlpha(bool change) {
  automaticallyChangeAlpha_ = change;
  if (isRefreshing()) return;
  setAlpha(change ? pullingPercent_ : 1.0);
}

void RFRefreshComponent::setRefreshingTargetAction(
    std::weak_ptr<void> target, std::function<void(RFRefreshComponent&)> action) {
  refreshingTarget_ = std::move(target);
  refreshingAction_ = std::move(action);
}

void RFRefreshComponent::executeRefreshingCallback() {
  postToMain([](RFRefreshComponent& me) {
    // Each callback may drop the component; the local owner keeps it for the rest.
    auto keep = me.self<RFRefreshComponent>();
    if (auto block = me.refreshingBlock_) block();
    if (me.refreshingAction_ && !me.refreshingTarget_.expired()) {
      auto action = me.refreshingAction_;
      action(me);
    }
    if (auto completion = me.beginCompletion_) completion();
  });
}

void RFRefreshComponent::postToMain(std::function<void(RFRefreshComponent&)> task) {
  std::weak_ptr<RFRefreshComponent> weak = self<RFRefreshComponent>();
  platform::DispatchQueue::main()->async([weak, task = std::move(task)] {
    if (auto me = weak.lock()) task(*me);
  });
}

void RFRefreshComponent::postToMainAfter(double delay,
                                         std::function<void(RFRefreshComponent&)> task) {
  std::weak_ptr<RFRefreshComponent> weak = self<RFRefreshComponent>();
  platform::DispatchQueue::main()->asyncAfter(delay, [weak, task = std::move(task)] {
    if (auto me = weak.lock()) task(*me);
  });
}

}  // namespace sprout
