#include "platform/ui/scroll/CollectionView.h"

#include <algorithm>
#include <set>

namespace platform {

std::shared_ptr<CollectionView> CollectionView::create(
    const Rect& frame, std::shared_ptr<CollectionViewFlowLayout> layout) {
  return Object::make<CollectionView>(frame, std::move(layout));
}

CollectionView::CollectionView(Key key, const Rect& frame,
                               std::shared_ptr<CollectionViewFlowLayout> layout)
    : ScrollView(std::move(key), frame),
      layout_(layout ? std::move(layout) : std::make_shared<CollectionViewFlowLayout>()) {
  setBackgroundColor(Color::black());
}

CollectionView::~CollectionView() = default;

void CollectionView::didInit() {
  ScrollView::didInit();
  tap_ = addSelectionTap(*this, [](View& list, const Point& where) {
    static_cast<CollectionView&>(list).handleTap(where);
  });
  setNeedsLayout();  // the first layout loads the data
}

std::shared_ptr<CollectionViewDelegate> CollectionView::collectionDelegate() const {
  return std::dynamic_pointer_cast<CollectionViewDelegate>(delegate());
}

void CollectionView::setCollectionViewLayout(std::shared_ptr<CollectionViewFlowLayout> layout) {
  if (!layout) return;
  layout_ = std::move(layout);
  relayout();
}

namespace {

// A registered factory whose views carry the identifier they are filed under.
template <typename V>
std::function<std::shared_ptr<V>(const std::string&)> labelling(
    std::function<std::shared_ptr<V>()> factory) {
  return [factory = std::move(factory)](const std::string& id) {
    auto view = factory();
    if (view) view->setReuseIdentifier(id);
    return view;
  };
}

// A dequeued view already stands at its element's frame (when the layout has the element).
template <typename V>
std::shared_ptr<V> placedAt(std::shared_ptr<V> view, const CollectionViewLayoutAttributes* a) {
  if (a && !(view->frame() == a->frame)) view->setFrame(a->frame);
  return view;
}

}  // namespace

void CollectionView::registerCell(const std::string& reuseIdentifier, CellFactory factory) {
  cells_.registerFactory(reuseIdentifier, labelling(std::move(factory)));
}

void CollectionView::registerSupplementaryView(const std::string& kind,
                                               const std::string& reuseIdentifier,
                                               SupplementaryFactory factory) {
  supplementary_.registerFactory(kind + "\n" + reuseIdentifier, labelling(std::move(factory)));
}

// A view handed out for an element already has the element's frame, so that what the data
// source builds inside it from its bounds is laid out at the size it shows.
std::shared_ptr<CollectionViewCell> CollectionView::dequeueReusableCellWithReuseIdentifier(
    const std::string& id, const IndexPath& indexPath) {
  auto cell = cells_.dequeue(id);
  if (!cell) return nullptr;
  return placedAt(std::move(cell), layout_->layoutAttributesForItemAtIndexPath(indexPath));
}

std::shared_ptr<CollectionReusableView> CollectionView::dequeueReusableSupplementaryView(
    const std::string& kind, const std::string& id, const IndexPath& indexPath) {
  auto view = supplementary_.dequeue(kind + "\n" + id);
  if (!view) return nullptr;
  return placedAt(std::move(view),
                  layout_->layoutAttributesForSupplementaryView(kind, indexPath.section));
}

std::size_t CollectionView::cellCount() const { return cells_.count(); }

long CollectionView::numberOfItemsInSection(long section) const {
  if (section < 0 || section >= numberOfSections()) return 0;
  return counts_[static_cast<std::size_t>(section)];
}

void CollectionView::relayout() {
  layout_->prepare(*this);
  setContentSize(layout_->collectionViewContentSize());
  setNeedsLayout();
}

void CollectionView::reloadData() {
  loaded_ = true;
  cells_.recycleAllBut();
  supplementary_.recycleAllBut();
  counts_.clear();
  if (auto ds = dataSource()) {
    const long sections = std::max(0L, ds->numberOfSectionsInCollectionView(*this));
    for (long s = 0; s < sections; ++s) {
      counts_.push_back(std::max(0L, ds->numberOfItemsInSection(*this, s)));
    }
  }
  selected_.keepWithin([this](long section) { return numberOfItemsInSection(section); });
  relayout();
  reloadHooks().notify(*this);
}

void CollectionView::boundsSizeDidChange(const Size& oldSize) {
  ScrollView::boundsSizeDidChange(oldSize);
  if (loaded_) relayout();
}

void CollectionView::layoutSubviews() {
  ScrollView::layoutSubviews();
  // The first layout loads the data, as the platform does.
  if (!loaded_) reloadData();
  auto ds = dataSource();
  const auto inView = layout_->layoutAttributesForElementsInRect(bounds());
  std::set<IndexPath> wantedCells;
  std::set<SupplementaryKey> wantedSupplementary;
  for (const auto* a : inView) {
    if (a->isCell()) {
      wantedCells.insert(a->indexPath);
    } else {
      wantedSupplementary.insert({a->kind, a->indexPath.section});
    }
  }
  cells_.recycleAllBut(wantedCells);
  supplementary_.recycleAllBut(wantedSupplementary);
  for (const auto* a : inView) {
    std::shared_ptr<View> view;
    if (a->isCell()) {
      if (auto shown = cells_.visible(a->indexPath)) {
        view = shown;
      } else {
        auto cell = cells_.takeKept(a->indexPath);  // the item's own cell, still editing
        if (!cell && ds) cell = ds->cellForItemAtIndexPath(*this, a->indexPath);
        if (cell) {
          cell->setSelected(selected_.contains(a->indexPath));
          if (auto d = collectionDelegate()) d->willDisplayCell(*this, *cell, a->indexPath);
          cells_.track(a->indexPath, cell);
          view = cell;
        }
      }
    } else {
      const SupplementaryKey key{a->kind, a->indexPath.section};
      if (auto shown = supplementary_.visible(key)) {
        view = shown;
      } else if (auto sup = ds ? ds->viewForSupplementaryElementOfKind(*this, a->kind, a->indexPath)
                               : nullptr) {
        supplementary_.track(key, sup);
        view = sup;
      }
    }
    if (!view) continue;
    cells_.reveal(*this, view);
    if (!(view->frame() == a->frame)) view->setFrame(a->frame);
  }
}

std::optional<IndexPath> CollectionView::indexPathForItemAtPoint(const Point& p) const {
  for (const auto* a : layout_->layoutAttributesForElementsInRect(makeRect(p.x, p.y, 1, 1))) {
    if (a->isCell() && contains(a->frame, p)) return a->indexPath;
  }
  return std::nullopt;
}

std::shared_ptr<CollectionViewCell> CollectionView::cellForItemAtIndexPath(
    const IndexPath& indexPath) const {
  return cells_.visible(indexPath);
}

std::vector<std::shared_ptr<CollectionViewCell>> CollectionView::visibleCells() const {
  return cells_.visibleList();
}

std::vector<IndexPath> CollectionView::indexPathsForVisibleItems() const {
  return cells_.visibleKeys();
}

void CollectionView::scrollToItemAtIndexPath(const IndexPath& indexPath, unsigned position,
                                             bool animated) {
  const auto* a = layout_->layoutAttributesForItemAtIndexPath(indexPath);
  if (!a) return;
  const Rect r = a->frame;
  const Size s = bounds().size;
  Point target = contentOffset();
  if (position & CollectionViewScrollPositionTop) target.y = r.origin.y;
  if (position & CollectionViewScrollPositionCenteredVertically) {
    target.y = r.origin.y + r.size.height / 2 - s.height / 2;
  }
  if (position & CollectionViewScrollPositionBottom)
    target.y = r.origin.y + r.size.height - s.height;
  if (position & CollectionViewScrollPositionLeft) target.x = r.origin.x;
  if (position & CollectionViewScrollPositionCenteredHorizontally) {
    target.x = r.origin.x + r.size.width / 2 - s.width / 2;
  }
  if (position & CollectionViewScrollPositionRight) target.x = r.origin.x + r.size.width - s.width;
  if (position == CollectionViewScrollPositionNone) {
    scrollRectToVisible(r, animated);
    return;
  }
  const Point lo = minimumContentOffset(), hi = maximumContentOffset();
  target = {std::clamp(target.x, lo.x, hi.x), std::clamp(target.y, lo.y, hi.y)};
  setContentOffset(target, animated);
}

void CollectionView::selectItemAtIndexPath(const std::optional<IndexPath>& indexPath, bool animated,
                                           unsigned position) {
  if (!allowsMultipleSelection_ || !indexPath) {
    for (const auto& p : std::vector<IndexPath>(selected_.paths()))
      deselectItemAtIndexPath(p, animated);
  }
  if (!indexPath || indexPath->row < 0 ||
      indexPath->row >= numberOfItemsInSection(indexPath->section))
    return;
  selected_.add(*indexPath);
  if (auto cell = cellForItemAtIndexPath(*indexPath)) cell->setSelected(true);
  if (position != CollectionViewScrollPositionNone) {
    scrollToItemAtIndexPath(*indexPath, position, animated);
  }
}

void CollectionView::deselectItemAtIndexPath(const IndexPath& indexPath, bool /*animated*/) {
  selected_.remove(indexPath);
  if (auto cell = cellForItemAtIndexPath(indexPath)) cell->setSelected(false);
}

void CollectionView::handleTap(const Point& where) {
  if (!allowsSelection_ || isDecelerating() || touchCaughtMotion()) return;
  auto path = indexPathForItemAtPoint(where);
  if (!path) return;
  auto d = collectionDelegate();
  const auto change = selected_.tap(*path, allowsMultipleSelection_);
  for (const auto& p : change.deselect) {
    deselectItemAtIndexPath(p, false);
    if (d) d->didDeselectItemAtIndexPath(*this, p);
  }
  if (!change.select) return;
  selectItemAtIndexPath(*path, false, CollectionViewScrollPositionNone);
  if (d) d->didSelectItemAtIndexPath(*this, *path);
}

}  // namespace platform
