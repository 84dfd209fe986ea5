#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Geometry.h"
#include "platform/ui/scroll/IndexPath.h"
#include "platform/ui/scroll/ScrollViewDelegate.h"

namespace platform {

class CollectionView;
class CollectionViewCell;
class CollectionReusableView;

// Where a collection's items come from.
class CollectionViewDataSource {
 public:
  virtual ~CollectionViewDataSource() = default;
  virtual long numberOfSectionsInCollectionView(CollectionView& /*collectionView*/) { return 1; }
  virtual long numberOfItemsInSection(CollectionView& collectionView, long section) = 0;
  virtual std::shared_ptr<CollectionViewCell> cellForItemAtIndexPath(
      CollectionView& collectionView, const IndexPath& indexPath) = 0;
  // Headers and footers (kind: kCollectionElementKindSectionHeader or …Footer).
  virtual std::shared_ptr<CollectionReusableView> viewForSupplementaryElementOfKind(
      CollectionView& /*collectionView*/, const std::string& /*kind*/,
      const IndexPath& /*indexPath*/) {
    return nullptr;
  }
};

// What a collection tells its delegate (also its scroll view delegate).
class CollectionViewDelegate : public ScrollViewDelegate {
 public:
  virtual void didSelectItemAtIndexPath(CollectionView& /*collectionView*/,
                                        const IndexPath& /*indexPath*/) {}
  virtual void didDeselectItemAtIndexPath(CollectionView& /*collectionView*/,
                                          const IndexPath& /*indexPath*/) {}
  virtual void willDisplayCell(CollectionView& /*collectionView*/, CollectionViewCell& /*cell*/,
                               const IndexPath& /*indexPath*/) {}
};

// Per-item and per-section answers for the flow layout; nullopt keeps the layout's own value.
class CollectionViewDelegateFlowLayout : public CollectionViewDelegate {
 public:
  virtual std::optional<Size> sizeForItemAtIndexPath(CollectionView& /*cv*/,
                                                     const IndexPath& /*indexPath*/) {
    return std::nullopt;
  }
  virtual std::optional<EdgeInsets> insetForSectionAtIndex(CollectionView& /*cv*/,
                                                           long /*section*/) {
    return std::nullopt;
  }
  virtual std::optional<double> minimumLineSpacingForSectionAtIndex(CollectionView& /*cv*/,
                                                                    long /*section*/) {
    return std::nullopt;
  }
  virtual std::optional<double> minimumInteritemSpacingForSectionAtIndex(CollectionView& /*cv*/,
                                                                         long /*section*/) {
    return std::nullopt;
  }
  virtual std::optional<Size> referenceSizeForHeaderInSection(CollectionView& /*cv*/,
                                                              long /*section*/) {
    return std::nullopt;
  }
  virtual std::optional<Size> referenceSizeForFooterInSection(CollectionView& /*cv*/,
                                                              long /*section*/) {
    return std::nullopt;
  }
};

}  // namespace platform
