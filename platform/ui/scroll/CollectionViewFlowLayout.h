#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/ui/scroll/IndexPath.h"

namespace platform {

class CollectionView;

inline constexpr const char* kCollectionElementKindSectionHeader =
    "UICollectionElementKindSectionHeader";
inline constexpr const char* kCollectionElementKindSectionFooter =
    "UICollectionElementKindSectionFooter";

enum class CollectionViewScrollDirection { Vertical = 0, Horizontal = 1 };

// Where one element of a collection goes. An empty kind is a cell.
struct CollectionViewLayoutAttributes {
  IndexPath indexPath;
  Rect frame;
  std::string kind;
  bool isCell() const { return kind.empty(); }
};

// Items in lines (rows when scrolling vertically, columns when horizontally), each section after
// the previous one with its header, insets and footer. Full lines spread their items to both
// edges; a line of one item centres it. Sizes come from the collection's delegate when it is a
// CollectionViewDelegateFlowLayout and answers, else from these properties; a non-finite answer
// counts as none, and a non-finite property as zero.
class CollectionViewFlowLayout {
 public:
  CollectionViewScrollDirection scrollDirection = CollectionViewScrollDirection::Vertical;
  Size itemSize{50, 50};
  double minimumLineSpacing = 10;
  double minimumInteritemSpacing = 10;
  EdgeInsets sectionInset;
  Size headerReferenceSize;
  Size footerReferenceSize;

  // Computes every element's place for the collection's current data and bounds.
  void prepare(CollectionView& collectionView);
  Size collectionViewContentSize() const { return contentSize_; }
  // Elements meeting `rect`, cells in index order, then headers and footers.
  std::vector<const CollectionViewLayoutAttributes*> layoutAttributesForElementsInRect(
      const Rect& rect) const;
  const CollectionViewLayoutAttributes* layoutAttributesForItemAtIndexPath(
      const IndexPath& path) const;
  const CollectionViewLayoutAttributes* layoutAttributesForSupplementaryView(
      const std::string& kind, long section) const;

 private:
  // One line of items, with the span its frames cover along the scroll axis.
  struct Line {
    double start = 0, end = 0;
    std::size_t firstItem = 0, itemCount = 0;  // into items_
  };
  struct Section {
    std::size_t firstItem = 0;  // into items_
    std::size_t itemCount = 0;
    std::size_t firstLine = 0;  // into lines_
    std::size_t lineCount = 0;
    // Lines follow each other along the axis (both ends never go back), so the ones in a rect
    // are found by binary search; a negative line spacing can break that, and the section is
    // then scanned.
    bool linesInOrder = true;
    Rect extent;  // header to footer, along the scroll axis
    std::optional<CollectionViewLayoutAttributes> header, footer;
  };
  // Where a line goes: its start along the axis, the lead and room across it, the least gap.
  struct LinePlace {
    double pos, lead, room, itemGap;
  };
  double placeSection(CollectionView& cv, long section, double start, Section& sec);
  // Places the items of one line (sizes in order, the first at `first`); answers its thickness.
  double placeLine(Section& sec, const IndexPath& first, const std::vector<Size>& line,
                   const LinePlace& at);
  void appendCellsInRect(const Section& sec, const Rect& rect,
                         std::vector<const CollectionViewLayoutAttributes*>& found) const;

  std::vector<CollectionViewLayoutAttributes> items_;
  std::vector<Line> lines_;
  std::vector<Section> sections_;
  Size contentSize_;
};

}  // namespace platform
