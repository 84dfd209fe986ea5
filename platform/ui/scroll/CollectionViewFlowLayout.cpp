#include "platform/ui/scroll/CollectionViewFlowLayout.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "platform/ui/scroll/CollectionView.h"

namespace platform {
namespace {

// Lengths along the scroll axis ("main") and across it ("cross").
struct Axes {
  bool vertical;
  double main(Size s) const { return vertical ? s.height : s.width; }
  double cross(Size s) const { return vertical ? s.width : s.height; }
  double mainLead(EdgeInsets i) const { return vertical ? i.top : i.left; }
  double mainTrail(EdgeInsets i) const { return vertical ? i.bottom : i.right; }
  double crossLead(EdgeInsets i) const { return vertical ? i.left : i.top; }
  double crossTrail(EdgeInsets i) const { return vertical ? i.right : i.bottom; }
  Rect rect(double mainPos, double crossPos, double mainLen, double crossLen) const {
    return vertical ? makeRect(crossPos, mainPos, crossLen, mainLen)
                    : makeRect(mainPos, crossPos, mainLen, crossLen);
  }
};

constexpr double kFit = 1e-6;  // rounding slack when a line is exactly full

// A non-finite length would put every later element at infinity or NaN, where no rect finds it
// again; a delegate's answer like that counts as none, a property like that as zero.
double finiteOrZero(double v) { return std::isfinite(v) ? v : 0; }
Size finiteOrZero(Size s) { return {finiteOrZero(s.width), finiteOrZero(s.height)}; }
EdgeInsets finiteOrZero(EdgeInsets i) {
  return {finiteOrZero(i.top), finiteOrZero(i.left), finiteOrZero(i.bottom), finiteOrZero(i.right)};
}
template <typename T>
T answerOr(const std::optional<T>& answer, const T& fallback) {
  return finiteOrZero(answer && isFinite(*answer) ? *answer : fallback);
}
}  // namespace

void CollectionViewFlowLayout::prepare(CollectionView& cv) {
  items_.clear();
  lines_.clear();
  sections_.clear();
  const long count = cv.numberOfSections();
  double pos = 0;
  for (long s = 0; s < count; ++s) {
    Section sec;
    pos = placeSection(cv, s, pos, sec);
    sections_.push_back(std::move(sec));
  }
  const Axes ax{scrollDirection == CollectionViewScrollDirection::Vertical};
  const Size b = cv.bounds().size;
  contentSize_ = ax.vertical ? Size{b.width, pos} : Size{pos, b.height};
}

double CollectionViewFlowLayout::placeSection(CollectionView& cv, long s, double start,
                                              Section& sec) {
  const Axes ax{scrollDirection == CollectionViewScrollDirection::Vertical};
  auto flow = std::dynamic_pointer_cast<CollectionViewDelegateFlowLayout>(cv.delegate());
  const EdgeInsets inset =
      answerOr(flow ? flow->insetForSectionAtIndex(cv, s) : std::nullopt, sectionInset);
  const double lineGap = answerOr(
      flow ? flow->minimumLineSpacingForSectionAtIndex(cv, s) : std::nullopt, minimumLineSpacing);
  const double itemGap =
      answerOr(flow ? flow->minimumInteritemSpacingForSectionAtIndex(cv, s) : std::nullopt,
               minimumInteritemSpacing);
  const double crossTotal = finiteOrZero(ax.cross(cv.bounds().size));
  const double lead = ax.crossLead(inset);
  const double room = std::max(0.0, crossTotal - lead - ax.crossTrail(inset));

  double pos = start;
  const Size header = answerOr(flow ? flow->referenceSizeForHeaderInSection(cv, s) : std::nullopt,
                               headerReferenceSize);
  if (ax.main(header) > 0) {
    sec.header = CollectionViewLayoutAttributes{
        {s, 0}, ax.rect(pos, 0, ax.main(header), crossTotal), kCollectionElementKindSectionHeader};
    pos += ax.main(header);
  }
  pos += ax.mainLead(inset);
  sec.firstItem = items_.size();
  sec.firstLine = lines_.size();
  const long n = cv.numberOfItemsInSection(s);
  sec.itemCount = static_cast<std::size_t>(std::max(0L, n));
  // Item sizes waiting for their line, and the index of the first of them.
  std::vector<Size> line;
  long lineStart = 0;
  auto flush = [&](long end) {
    if (line.empty()) return;
    pos += placeLine(sec, {s, lineStart}, line, {pos, lead, room, itemGap});
    line.clear();
    lineStart = end;
  };
  double filled = 0;
  for (long i = 0; i < n; ++i) {
    Size z = answerOr(flow ? flow->sizeForItemAtIndexPath(cv, {s, i}) : std::nullopt, itemSize);
    z = {std::max(0.0, z.width), std::max(0.0, z.height)};
    const double need = (line.empty() ? 0 : itemGap) + ax.cross(z);
    if (!line.empty() && filled + need > room + kFit) {
      flush(i);
      pos += lineGap;
      filled = 0;
    }
    filled += line.empty() ? ax.cross(z) : need;
    line.push_back(z);
  }
  flush(n);
  pos += ax.mainTrail(inset);
  const Size footer = answerOr(flow ? flow->referenceSizeForFooterInSection(cv, s) : std::nullopt,
                               footerReferenceSize);
  if (ax.main(footer) > 0) {
    sec.footer = CollectionViewLayoutAttributes{
        {s, 0}, ax.rect(pos, 0, ax.main(footer), crossTotal), kCollectionElementKindSectionFooter};
    pos += ax.main(footer);
  }
  sec.extent = ax.rect(start, 0, pos - start, crossTotal);
  return pos;
}

double CollectionViewFlowLayout::placeLine(Section& sec, const IndexPath& first,
                                           const std::vector<Size>& line, const LinePlace& at) {
  const Axes ax{scrollDirection == CollectionViewScrollDirection::Vertical};
  double used = 0, thickness = 0;
  for (const Size& z : line) {
    used += ax.cross(z);
    thickness = std::max(thickness, ax.main(z));
  }
  // Full lines reach both edges; a lone item sits in the middle.
  const double gap = line.size() > 1 ? (at.room - used) / static_cast<double>(line.size() - 1) : 0;
  double c = line.size() > 1 ? at.lead : at.lead + (at.room - used) / 2;
  Line placed{at.pos, at.pos, items_.size(), line.size()};
  for (std::size_t k = 0; k < line.size(); ++k) {
    const Size z = line[k];
    const double m = at.pos + (thickness - ax.main(z)) / 2;
    items_.push_back({{first.section, first.row + static_cast<long>(k)},
                      ax.rect(m, c, ax.main(z), ax.cross(z)),
                      {}});
    c += ax.cross(z) + std::max(gap, at.itemGap);
    placed.start = std::min(placed.start, m);
    placed.end = std::max(placed.end, m + ax.main(z));
  }
  if (sec.lineCount > 0) {
    const Line& last = lines_.back();
    sec.linesInOrder = sec.linesInOrder && placed.start >= last.start && placed.end >= last.end;
  }
  lines_.push_back(placed);
  ++sec.lineCount;
  return thickness;
}

std::vector<const CollectionViewLayoutAttributes*>
CollectionViewFlowLayout::layoutAttributesForElementsInRect(const Rect& rect) const {
  std::vector<const CollectionViewLayoutAttributes*> found;
  if (isNull(rect) || hasNaN(rect)) return found;
  auto meets = [&](const Rect& f) { return intersects(f, rect); };
  for (const auto& sec : sections_) {
    if (meets(sec.extent)) appendCellsInRect(sec, rect, found);
  }
  for (const auto& sec : sections_) {
    if (sec.header && meets(sec.header->frame)) found.push_back(&*sec.header);
    if (sec.footer && meets(sec.footer->frame)) found.push_back(&*sec.footer);
  }
  return found;
}

void CollectionViewFlowLayout::appendCellsInRect(
    const Section& sec, const Rect& rect,
    std::vector<const CollectionViewLayoutAttributes*>& found) const {
  const auto first = lines_.begin() + static_cast<std::ptrdiff_t>(sec.firstLine);
  const auto last = first + static_cast<std::ptrdiff_t>(sec.lineCount);
  auto from = first;
  auto to = last;
  if (sec.linesInOrder) {
    const bool vertical = scrollDirection == CollectionViewScrollDirection::Vertical;
    const double low = vertical ? minY(rect) : minX(rect);
    const double high = vertical ? maxY(rect) : maxX(rect);
    // A cell meets the rect only with area, so its line must reach past `low` and begin
    // before `high`.
    from = std::partition_point(first, last, [&](const Line& l) { return l.end <= low; });
    to = std::partition_point(from, last, [&](const Line& l) { return l.start < high; });
  }
  for (auto line = from; line != to; ++line) {
    for (std::size_t i = 0; i < line->itemCount; ++i) {
      const auto& a = items_[line->firstItem + i];
      if (intersects(a.frame, rect)) found.push_back(&a);
    }
  }
}

const CollectionViewLayoutAttributes* CollectionViewFlowLayout::layoutAttributesForItemAtIndexPath(
    const IndexPath& path) const {
  if (path.section < 0 || path.section >= static_cast<long>(sections_.size())) return nullptr;
  const auto& sec = sections_[static_cast<std::size_t>(path.section)];
  if (path.row < 0 || path.row >= static_cast<long>(sec.itemCount)) return nullptr;
  return &items_[sec.firstItem + static_cast<std::size_t>(path.row)];
}

const CollectionViewLayoutAttributes*
CollectionViewFlowLayout::layoutAttributesForSupplementaryView(const std::string& kind,
                                                               long section) const {
  if (section < 0 || section >= static_cast<long>(sections_.size())) return nullptr;
  const auto& sec = sections_[static_cast<std::size_t>(section)];
  const auto& a = kind == kCollectionElementKindSectionHeader ? sec.header : sec.footer;
  return a ? &*a : nullptr;
}

}  // namespace platform
