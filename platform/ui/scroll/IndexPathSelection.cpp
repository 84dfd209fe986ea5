#include "platform/ui/scroll/IndexPathSelection.h"

#include <algorithm>

#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/View.h"

namespace platform {

bool IndexPathSelection::contains(const IndexPath& p) const {
  return std::find(paths_.begin(), paths_.end(), p) != paths_.end();
}

void IndexPathSelection::add(const IndexPath& p) {
  if (!contains(p)) paths_.push_back(p);
}

void IndexPathSelection::remove(const IndexPath& p) { std::erase(paths_, p); }

void IndexPathSelection::keepWithin(const std::function<long(long section)>& countInSection) {
  std::erase_if(paths_, [&](const IndexPath& p) { return p.row >= countInSection(p.section); });
}

IndexPathSelection::Tap IndexPathSelection::tap(const IndexPath& p, bool multiple) const {
  Tap change;
  if (multiple) {
    if (contains(p)) {
      change.deselect.push_back(p);
    } else {
      change.select = true;
    }
    return change;
  }
  for (const auto& other : paths_) {
    if (!(other == p)) change.deselect.push_back(other);
  }
  change.select = true;
  return change;
}

std::shared_ptr<TapGestureRecognizer> addSelectionTap(
    View& list, std::function<void(View& list, const Point& where)> onTap) {
  auto tap = TapGestureRecognizer::create();
  tap->setCancelsTouchesInView(false);
  std::weak_ptr<View> weak = std::static_pointer_cast<View>(list.shared_from_this());
  std::weak_ptr<TapGestureRecognizer> weakTap = tap;
  tap->addTarget([weak, weakTap, onTap = std::move(onTap)](GestureRecognizer&) {
    auto me = weak.lock();
    auto recognizer = weakTap.lock();
    if (me && recognizer) onTap(*me, recognizer->locationInView(me.get()));
  });
  list.addGestureRecognizer(tap);
  return tap;
}

}  // namespace platform
