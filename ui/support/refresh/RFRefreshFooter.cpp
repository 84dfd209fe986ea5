#include "ui/support/refresh/RFRefreshFooter.h"

#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/TableView.h"
#include "ui/support/refresh/RFScrollViewRefresh.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

void RFRefreshFooter::prepare() {
  RFRefreshComponent::prepare();
  setRf_h(*this, kFooterHeight);
  automaticallyHidden_ = false;
}

void RFRefreshFooter::willMoveToSuperview(const std::shared_ptr<platform::View>& newSuperview) {
  RFRefreshComponent::willMoveToSuperview(newSuperview);
  auto scroll = std::dynamic_pointer_cast<platform::ScrollView>(newSuperview);
  if (!scroll || !(std::dynamic_pointer_cast<platform::TableView>(scroll) ||
                   std::dynamic_pointer_cast<platform::CollectionView>(scroll))) {
    return;
  }
  // Weak both ways: the block lives on the scroll view and must not keep a removed footer
  // alive, nor act on one that has since left.
  std::weak_ptr<RFRefreshFooter> weakFooter = self<RFRefreshFooter>();
  std::weak_ptr<platform::ScrollView> weakScroll = scroll;
  setRf_reloadDataBlock(*scroll, [weakFooter, weakScroll](long totalDataCount) {
    auto footer = weakFooter.lock();
    auto scrollView = weakScroll.lock();
    if (!footer || !scrollView || footer->scrollView() != scrollView) return;
    if (footer->isAutomaticallyHidden()) footer->setHidden(totalDataCount == 0);
  });
}

void RFRefreshFooter::didDetachFromScrollView(platform::ScrollView& scrollView) {
  RFRefreshComponent::didDetachFromScrollView(scrollView);
  auto current = rf_footer(scrollView);
  if (!current || current.get() == this) setRf_reloadDataBlock(scrollView, nullptr);
}

void RFRefreshFooter::endRefreshingWithNoMoreData() { setState(RFRefreshStateNoMoreData); }

void RFRefreshFooter::resetNoMoreData() { setState(RFRefreshStateIdle); }

}  // namespace sprout
