#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/ui/scroll/IndexPath.h"

namespace platform {

class TapGestureRecognizer;
class View;

// The selected rows or items of a list, in the order they were selected, and the rule a tap
// follows: alone, a tap selects its row and deselects the others; with multiple selection it
// toggles its row.
class IndexPathSelection {
 public:
  struct Tap {
    std::vector<IndexPath> deselect;
    bool select = false;
  };

  bool contains(const IndexPath& p) const;
  const std::vector<IndexPath>& paths() const { return paths_; }
  void add(const IndexPath& p);
  void remove(const IndexPath& p);
  // Drops paths past the end of their sections (after a reload).
  void keepWithin(const std::function<long(long section)>& countInSection);
  Tap tap(const IndexPath& p, bool multiple) const;

 private:
  std::vector<IndexPath> paths_;
};

// A tap recognizer on `list` that leaves its touches to the cells and reports where it landed.
// It gives way to the cells' contents: a recognizer of a view inside the list that takes part in
// the gesture must fail first, and a touch a control inside tracked selects nothing.
std::shared_ptr<TapGestureRecognizer> addSelectionTap(
    View& list, std::function<void(View& list, const Point& where)> onTap);

}  // namespace platform
