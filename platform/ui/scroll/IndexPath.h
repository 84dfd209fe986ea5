#pragma once

#include <compare>

namespace platform {

// A row (tables) or an item (collections) within a section.
struct IndexPath {
  long section = 0;
  long row = 0;

  long item() const { return row; }
  static IndexPath forRow(long row, long section) { return {section, row}; }
  static IndexPath forItem(long item, long section) { return {section, item}; }
  auto operator<=>(const IndexPath&) const = default;
};

}  // namespace platform
