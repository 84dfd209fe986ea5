#include "platform/ui/scroll/IndexPathSelection.h"

#include <algorithm>

#include "platform/ui/Control.h"
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

namespace {

bool isInside(const View* view, const View* list) {
  for (auto v = view ? view->superview() : nullptr; v; v = v->superview()) {
    if (v.get() == list) return true;
  }
  return false;
}

// Selection gives way to what lies inside a cell: it waits for the recognizers of the cell's
// views to fail and does not select a row a control inside it has tracked the touch for.
class SelectionTap : public TapGestureRecognizer {
  using TapGestureRecognizer::TapGestureRecognizer;

 public:
  static std::shared_ptr<SelectionTap> create() { return make<SelectionTap>(); }

 protected:
  bool shouldRequireFailureOf(const GestureRecognizer& other) const override {
    auto list = view();
    auto theirs = other.view();
    return list && theirs && isInside(theirs.get(), list.get());
  }
  void touchesEnded(const TouchSet& touches, const Event& event) override {
    // The views see the end after the recognizers: a control is still tracking here.
    auto list = view();
    for (const auto& t : touches) {
      for (auto v = t->view(); v && v != list; v = v->superview()) {
        auto control = std::dynamic_pointer_cast<Control>(v);
        if (control && control->isTracking()) {
          setState(State::Failed);
          return;
        }
      }
    }
    TapGestureRecognizer::touchesEnded(touches, event);
  }
};

}  // namespace

std::shared_ptr<TapGestureRecognizer> addSelectionTap(
    View& list, std::function<void(View& list, const Point& where)> onTap) {
  std::shared_ptr<TapGestureRecognizer> tap = SelectionTap::create();
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
