#include "ui/support/refresh/RFScrollViewRefresh.h"

#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/TableView.h"
#include "ui/support/refresh/RFRefreshFooter.h"
#include "ui/support/refresh/RFRefreshHeader.h"

namespace sprout {

namespace {

// What the refresh extension keeps per scroll view: its two components, weakly (the subview list
// owns them), who watches each slot, and the block a table or collection runs after a reload.
struct RefreshSlots {
  std::weak_ptr<RFRefreshHeader> header;
  std::weak_ptr<RFRefreshFooter> footer;
  RFHeaderObservers headerObservers;
  RFFooterObservers footerObservers;
  RFReloadDataBlock reloadDataBlock;
  // To the view's own reload hooks, while it has a block.
  platform::Subscription reloads;
};

constexpr platform::AssociatedKey<RefreshSlots> kRefreshStateKey{
    "rf_header, rf_footer, rf_reloadDataBlock"};

RefreshSlots& slots(platform::ScrollView& scrollView) {
  return scrollView.associatedOrMake(kRefreshStateKey);
}

// Replaces the component in `slot`: the old one leaves the tree, the new one goes in at the back,
// then the slot's observers hear of it.
template <class T>
void replaceComponent(platform::ScrollView& scrollView, std::weak_ptr<T>& slot,
                      platform::ObserverList<std::shared_ptr<T>, std::shared_ptr<T>>& observers,
                      const std::shared_ptr<T>& component) {
  // Held here so the old one is still there to be announced once the tree has let it go.
  const std::shared_ptr<T> current = slot.lock();
  if (current == component) return;
  if (current) current->removeFromSuperview();
  if (component) scrollView.insertSubview(component, 0);
  slot = component;
  observers.notify(current, component);
}

// Forwards every reload of a table or collection to its block; other scroll views never reload.
platform::Subscription subscribeToReloads(platform::ScrollView& scrollView) {
  if (auto* table = dynamic_cast<platform::TableView*>(&scrollView)) {
    return table->reloadHooks().subscribe(
        [](platform::TableView& reloaded) { executeReloadDataBlock(reloaded); });
  }
  if (auto* collection = dynamic_cast<platform::CollectionView*>(&scrollView)) {
    return collection->reloadHooks().subscribe(
        [](platform::CollectionView& reloaded) { executeReloadDataBlock(reloaded); });
  }
  return {};
}

}  // namespace

std::shared_ptr<RFRefreshHeader> rf_header(platform::ScrollView& scrollView) {
  return slots(scrollView).header.lock();
}

void setRf_header(platform::ScrollView& scrollView,
                  const std::shared_ptr<RFRefreshHeader>& header) {
  auto& state = slots(scrollView);
  replaceComponent(scrollView, state.header, state.headerObservers, header);
}

std::shared_ptr<RFRefreshFooter> rf_footer(platform::ScrollView& scrollView) {
  return slots(scrollView).footer.lock();
}

void setRf_footer(platform::ScrollView& scrollView,
                  const std::shared_ptr<RFRefreshFooter>& footer) {
  auto& state = slots(scrollView);
  replaceComponent(scrollView, state.footer, state.footerObservers, footer);
}

RFHeaderObservers& rf_headerObservers(platform::ScrollView& scrollView) {
  return slots(scrollView).headerObservers;
}

RFFooterObservers& rf_footerObservers(platform::ScrollView& scrollView) {
  return slots(scrollView).footerObservers;
}

std::shared_ptr<RFRefreshHeader> header(platform::ScrollView& scrollView) {
  return rf_header(scrollView);
}

void setHeader(platform::ScrollView& scrollView, const std::shared_ptr<RFRefreshHeader>& header) {
  setRf_header(scrollView, header);
}

std::shared_ptr<RFRefreshFooter> footer(platform::ScrollView& scrollView) {
  return rf_footer(scrollView);
}

void setFooter(platform::ScrollView& scrollView, const std::shared_ptr<RFRefreshFooter>& footer) {
  setRf_footer(scrollView, footer);
}

long rf_totalDataCount(platform::ScrollView& scrollView) {
  long total = 0;
  if (auto* table = dynamic_cast<platform::TableView*>(&scrollView)) {
    for (long s = 0; s < table->numberOfSections(); ++s) total += table->numberOfRowsInSection(s);
  } else if (auto* collection = dynamic_cast<platform::CollectionView*>(&scrollView)) {
    for (long s = 0; s < collection->numberOfSections(); ++s) {
      total += collection->numberOfItemsInSection(s);
    }
  }
  return total;
}

RFReloadDataBlock rf_reloadDataBlock(platform::ScrollView& scrollView) {
  const RefreshSlots* state = scrollView.associated(kRefreshStateKey);
  return state ? state->reloadDataBlock : nullptr;
}

void setRf_reloadDataBlock(platform::ScrollView& scrollView, RFReloadDataBlock block) {
  if (!block) {
    if (RefreshSlots* state = scrollView.associated(kRefreshStateKey)) {
      state->reloadDataBlock = nullptr;
      state->reloads.reset();  // allowed from inside the block, during the reload it runs for
    }
    return;
  }
  RefreshSlots& state = slots(scrollView);
  state.reloadDataBlock = std::move(block);
  if (!state.reloads.isActive()) state.reloads = subscribeToReloads(scrollView);
}

void executeReloadDataBlock(platform::ScrollView& scrollView) {
  // A copy: the block may replace itself.
  if (RFReloadDataBlock block = rf_reloadDataBlock(scrollView))
    block(rf_totalDataCount(scrollView));
}

}  // namespace sprout
