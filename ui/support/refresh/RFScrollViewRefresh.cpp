#include "ui/support/refresh/RFScrollViewRefresh.h"

#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/TableView.h"
#include "ui/support/refresh/RFRefreshFooter.h"
#include "ui/support/refresh/RFRefreshHeader.h"

namespace sprout {

namespace {

constexpr char kHeaderKey[] = "rf_header";
constexpr char kFooterKey[] = "rf_footer";
constexpr char kReloadDataBlockKey[] = "rf_reloadDataBlock";

// Replaces the component stored weakly under `key`: the old one leaves the tree, the new one goes
// in at the back.
template <class T>
void replaceComponent(platform::ScrollView& scrollView, const char* key,
                      const std::shared_ptr<T>& component) {
  auto current = scrollView.associatedObject<T>(key);
  if (current == component) return;
  if (current) current->removeFromSuperview();
  if (component) scrollView.insertSubview(component, 0);
  if (component) {
    scrollView.setAssociatedValue(key, std::weak_ptr<T>(component));
  } else {
    scrollView.removeAssociatedValue(key);
  }
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
  return scrollView.associatedObject<RFRefreshHeader>(kHeaderKey);
}

void setRf_header(platform::ScrollView& scrollView,
                  const std::shared_ptr<RFRefreshHeader>& header) {
  replaceComponent(scrollView, kHeaderKey, header);
}

std::shared_ptr<RFRefreshFooter> rf_footer(platform::ScrollView& scrollView) {
  return scrollView.associatedObject<RFRefreshFooter>(kFooterKey);
}

void setRf_footer(platform::ScrollView& scrollView,
                  const std::shared_ptr<RFRefreshFooter>& footer) {
  replaceComponent(scrollView, kFooterKey, footer);
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
