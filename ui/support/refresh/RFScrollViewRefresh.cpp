#include "ui/support/refresh/RFScrollViewRefresh.h"

#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/TableView.h"
#include "ui/support/refresh/RFRefreshFooter.h"
#include "ui/support/refresh/RFRefreshHeader.h"

namespace sprout {

namespace {

constexpr char kRefreshStateKey[] = "rf_header, rf_footer";
constexpr char kReloadDataBlockKey[] = "rf_reloadDataBlock";

// What the refresh extension keeps per scroll view: its two components, weakly (the subview list
// owns them), and who watches each slot.
struct RefreshSlots {
  std::weak_ptr<RFRefreshHeader> header;
  std::weak_ptr<RFRefreshFooter> footer;
  RFHeaderObservers headerObservers;
  RFFooterObservers footerObservers;
};

RefreshSlots& slots(platform::ScrollView& scrollView) {
  // Held through a shared_ptr: an observer list can be neither copied nor moved.
  auto& held = scrollView.associatedOrMake<std::shared_ptr<RefreshSlots>>(kRefreshStateKey);
  if (!held) held = std::make_shared<RefreshSlots>();
  return *held;
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

// Tables and collections tell every reload to the process-wide hooks; one subscription each
// forwards it to the reloaded view's block.
void installReloadHooks() {
  static platform::Subscription tables = platform::TableView::reloadHooks().subscribe(
      [](platform::TableView& table) { executeReloadDataBlock(table); });
  static platform::Subscription collections = platform::CollectionView::reloadHooks().subscribe(
      [](platform::CollectionView& collection) { executeReloadDataBlock(collection); });
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
  auto* block = scrollView.associated<RFReloadDataBlock>(kReloadDataBlockKey);
  return block ? *block : nullptr;
}

void setRf_reloadDataBlock(platform::ScrollView& scrollView, RFReloadDataBlock block) {
  installReloadHooks();
  if (block) {
    scrollView.setAssociatedValue(kReloadDataBlockKey, std::move(block));
  } else {
    scrollView.removeAssociatedValue(kReloadDataBlockKey);
  }
}

void executeReloadDataBlock(platform::ScrollView& scrollView) {
  // A copy: the block may replace itself.
  if (RFReloadDataBlock block = rf_reloadDataBlock(scrollView))
    block(rf_totalDataCount(scrollView));
}

}  // namespace sprout
