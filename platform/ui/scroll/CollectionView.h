#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/foundation/ObserverList.h"
#include "platform/ui/scroll/CollectionViewCell.h"
#include "platform/ui/scroll/CollectionViewDelegate.h"
#include "platform/ui/scroll/CollectionViewFlowLayout.h"
#include "platform/ui/scroll/IndexPathSelection.h"
#include "platform/ui/scroll/ReusePool.h"
#include "platform/ui/scroll/ScrollView.h"

namespace platform {

class TapGestureRecognizer;

enum CollectionViewScrollPosition : unsigned {
  CollectionViewScrollPositionNone = 0,
  CollectionViewScrollPositionTop = 1 << 0,
  CollectionViewScrollPositionCenteredVertically = 1 << 1,
  CollectionViewScrollPositionBottom = 1 << 2,
  CollectionViewScrollPositionLeft = 1 << 3,
  CollectionViewScrollPositionCenteredHorizontally = 1 << 4,
  CollectionViewScrollPositionRight = 1 << 5,
};

// Items placed by a flow layout. Only the elements in view have views; the others wait in reuse
// pools by identifier (cells and supplementary views apart). Identifiers are registered with a
// factory, so dequeuing always yields a view. The delegate is the scroll view's delegate, when it
// is a CollectionViewDelegate. Main thread only.
class CollectionView : public ScrollView {
 public:
  static std::shared_ptr<CollectionView> create(const Rect& frame,
                                                std::shared_ptr<CollectionViewFlowLayout> layout);
  ~CollectionView() override;

  const std::shared_ptr<CollectionViewFlowLayout>& collectionViewLayout() const { return layout_; }
  void setCollectionViewLayout(std::shared_ptr<CollectionViewFlowLayout> layout);
  std::shared_ptr<CollectionViewDataSource> dataSource() const { return dataSource_.lock(); }
  void setDataSource(const std::shared_ptr<CollectionViewDataSource>& ds) { dataSource_ = ds; }
  std::shared_ptr<CollectionViewDelegate> collectionDelegate() const;
  bool allowsSelection() const { return allowsSelection_; }
  void setAllowsSelection(bool v) { allowsSelection_ = v; }
  bool allowsMultipleSelection() const { return allowsMultipleSelection_; }
  void setAllowsMultipleSelection(bool v) { allowsMultipleSelection_ = v; }

  using CellFactory = std::function<std::shared_ptr<CollectionViewCell>()>;
  using SupplementaryFactory = std::function<std::shared_ptr<CollectionReusableView>()>;
  void registerCell(const std::string& reuseIdentifier, CellFactory factory);
  void registerSupplementaryView(const std::string& kind, const std::string& reuseIdentifier,
                                 SupplementaryFactory factory);
  // A waiting view or a new one from the registered factory (nullptr: not registered).
  std::shared_ptr<CollectionViewCell> dequeueReusableCellWithReuseIdentifier(
      const std::string& id, const IndexPath& indexPath);
  std::shared_ptr<CollectionReusableView> dequeueReusableSupplementaryView(
      const std::string& kind, const std::string& id, const IndexPath& indexPath);

  // Asks the data source again, lays the items out, updates contentSize, then runs the hooks.
  virtual void reloadData();
  ObserverList<CollectionView&>& reloadHooks() { return reloadHooks_; }

  long numberOfSections() const { return static_cast<long>(counts_.size()); }
  long numberOfItemsInSection(long section) const;
  std::optional<IndexPath> indexPathForItemAtPoint(const Point& p) const;
  std::shared_ptr<CollectionViewCell> cellForItemAtIndexPath(const IndexPath& indexPath) const;
  std::vector<std::shared_ptr<CollectionViewCell>> visibleCells() const;
  std::vector<IndexPath> indexPathsForVisibleItems() const;
  void scrollToItemAtIndexPath(const IndexPath& indexPath, unsigned position, bool animated);

  void selectItemAtIndexPath(const std::optional<IndexPath>& indexPath, bool animated,
                             unsigned position);
  void deselectItemAtIndexPath(const IndexPath& indexPath, bool animated);
  const std::vector<IndexPath>& indexPathsForSelectedItems() const { return selected_.paths(); }

  std::size_t cellCount() const;
  void layoutSubviews() override;

  CollectionView(Key key, const Rect& frame, std::shared_ptr<CollectionViewFlowLayout> layout);

 protected:
  void didInit() override;
  void boundsSizeDidChange(const Size& oldSize) override;

 private:
  using SupplementaryKey = std::pair<std::string, long>;  // kind, section
  void relayout();
  void handleTap(const Point& where);

  std::shared_ptr<CollectionViewFlowLayout> layout_;
  std::weak_ptr<CollectionViewDataSource> dataSource_;
  std::shared_ptr<TapGestureRecognizer> tap_;
  std::vector<long> counts_;
  ReusePool<IndexPath, CollectionViewCell> cells_;
  ReusePool<SupplementaryKey, CollectionReusableView> supplementary_;  // by "kind\nid"
  IndexPathSelection selected_;
  bool allowsSelection_ = true, allowsMultipleSelection_ = false;
  bool loaded_ = false;
  ObserverList<CollectionView&> reloadHooks_;
};

}  // namespace platform
