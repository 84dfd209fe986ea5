#include "platform/layout/LayoutEngine.h"

#include <algorithm>
#include <cmath>

#include "platform/dispatch/MainThread.h"
#include "platform/foundation/Log.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/LayoutGuide.h"
#include "platform/layout/ViewLayout.h"
#include "platform/layout/ViewLayoutState.h"
#include "platform/ui/ConstraintLayoutStep.h"
#include "platform/ui/View.h"

namespace platform {
namespace {

constexpr double kPinStrength = kSolverRequired;  // an edit: just below required

// Depth first, without allocating: a moved cell is asked on every move.
template <class Predicate>
bool anyInSubtree(const View& view, const Predicate& predicate) {
  if (predicate(view)) return true;
  for (const auto& s : view.subviews()) {
    if (anyInSubtree(*s, predicate)) return true;
  }
  return false;
}

View& rootOf(View& view) {
  View* top = &view;
  for (auto up = top->superview(); up; up = up->superview()) top = up.get();
  return *top;
}

bool differs(double a, double b) { return !(std::fabs(a - b) <= 1e-9); }  // NaN: never set

// A refusal the pass can live with (it goes on with the solution the solver has) is still told.
void logRefusal(const Status& status, std::string_view doing) {
  if (status) return;
  log(LogLevel::Warning, "LayoutEngine",
      std::string(doing) + ": " + status.error().localizedDescription());
}

// A required constraint left out, with the reason unless it is the usual contradiction.
void logBroken(const Error& error, const std::string& what) {
  log(LogLevel::Warning, "LayoutEngine",
      error.code == SolverError::UnsatisfiableConstraint
          ? "unable to satisfy the required constraints at once; breaking " + what
          : "breaking " + what + ": " + error.localizedDescription());
}

}  // namespace

struct LayoutEngine::Item {
  std::weak_ptr<Object> object;
  std::uint64_t serial = 0;  // the order of making, for dropping in a fixed order
  SolverVariable left, top, width, height;
  std::uint64_t seen = 0;
  bool participating = false;
  bool parentOfPlaced = false;  // some subview is placed by constraints
  // Held at its frame: edit variables (the root's own, or offsets from the superview).
  bool pinned = false;
  bool pinnedAsRoot = false;
  SolverVariable offsetX, offsetY;
  Slot pinX, pinY;
  double last[4] = {NAN, NAN, NAN, NAN};
  Slot hugWidth, compressWidth, hugHeight, compressHeight;
  Slot guideLeft, guideWidth, guideEdge, guideLength;
};

struct LayoutEngine::Placed {
  std::weak_ptr<LayoutConstraint> constraint;
  std::uint64_t order = 0;  // the constraint's activation when placed
  Slot slot;
  std::uint64_t seen = 0;
};

LayoutEngine::LayoutEngine() = default;
LayoutEngine::~LayoutEngine() = default;

LayoutEngine* LayoutEngine::find(View& root) {
  assertMainThread("LayoutEngine registry");
  return root.layoutEngine_.get();
}

LayoutEngine& LayoutEngine::make(View& root) {
  assertMainThread("LayoutEngine registry");
  if (!root.layoutEngine_) root.layoutEngine_ = std::make_shared<LayoutEngine>();
  return *root.layoutEngine_;
}

bool LayoutEngine::isItem(const View& view) const {
  auto it = items_.find(&view);
  return it != items_.end() && it->second->seen == sweep_;
}

bool LayoutEngine::holdsConstraints(const View& top) {
  return anyInSubtree(
      top, [](const View& v) { return v.layoutState_ && !v.layoutState_->constraints.empty(); });
}

bool LayoutEngine::awaits(const View& top) const {
  return !awaited_.empty() &&
         anyInSubtree(top, [this](const View& v) { return awaited_.count(&v) > 0; });
}

bool LayoutEngine::dirtyIfHolding(View& root) {
  LayoutEngine* engine = find(root);
  if (!engine || !engine->holds_) return false;
  engine->dirty_ = true;
  return true;
}

void LayoutEngine::noteConstraintInstalled(View& view) {
  // The view tree reaches the engine only once some tree holds a constraint.
  static constexpr ConstraintLayoutStep kStep{&applyLayout, &noteSubtreeLeft, &noteSubtreeJoined,
                                              &noteContentSizeChange};
  if (ConstraintLayoutStep::installed() != &kStep) ConstraintLayoutStep::install(kStep);
  View& root = rootOf(view);
  LayoutEngine& engine = make(root);
  engine.holds_ = engine.dirty_ = true;
  root.setNeedsLayout();
}

void LayoutEngine::noteChange(View* view) {
  if (!view) return;
  View& root = rootOf(*view);
  if (dirtyIfHolding(root)) root.setNeedsLayout();
}

void LayoutEngine::noteSubtreeLeft(View& oldParent, View& child) {
  LayoutEngine* engine = find(rootOf(oldParent));
  if (!engine || !engine->holds_) return;
  // A subtree the solution does not reach (no item of the engine, no constraint held) leaves
  // the solution as it was.
  const bool holding = holdsConstraints(child);
  if (!engine->dirty_ && !holding && !engine->isItem(child)) return;
  engine->dirty_ = true;
  oldParent.setNeedsLayout();
  if (!holding) return;
  // The subtree carries constraints: it is read when it is laid out on its own, and makes the
  // tree it joins read itself.
  LayoutEngine& carried = make(child);
  carried.holds_ = carried.dirty_ = true;
}

void LayoutEngine::noteSubtreeJoined(View& parent, View& child) {
  bool carries = false;
  if (LayoutEngine* own = find(child)) {
    carries = own->holds_;
    child.layoutEngine_.reset();  // no longer a root: its engine has no tree
  }
  View& root = rootOf(parent);
  if (carries) {
    LayoutEngine& engine = make(root);
    engine.holds_ = engine.dirty_ = true;
  } else {
    // A subtree that carries no constraints matters only when one of the tree's constraints
    // names a view of it (a view coming back turns those constraints on again).
    LayoutEngine* engine = find(root);
    if (!engine || !engine->holds_) return;
    if (!engine->dirty_ && !engine->awaits(child)) return;
    engine->dirty_ = true;
  }
  parent.setNeedsLayout();
}

void LayoutEngine::noteContentSizeChange(View& view) { dirtyIfHolding(rootOf(view)); }

void LayoutEngine::applyLayout(View& view) {
  assertMainThread("LayoutEngine registry");
  View& root = rootOf(view);
  if (!root.layoutEngine_ || !root.layoutEngine_->holds_) return;
  auto keep = root.layoutEngine_;  // applying frames may run code that replaces the root's engine
  keep->changed_ = false;
  keep->update(root);
  if (!keep->holds_) {  // the last constraint left the tree: so does the engine
    root.layoutEngine_.reset();
    return;
  }
  keep->applyFrames(root, keep->changed_, view);
}

void LayoutEngine::update(View& root) {
  if (dirty_) {
    dirty_ = false;
    sync(root);
  }
  // Frames held by their autoresizing masks may have moved since the last pass.
  for (const auto& [weak, item] : pinned_) {
    auto view = weak.lock();
    if (!view) continue;
    Item& i = *item;
    if (i.pinnedAsRoot) {
      const Rect b = view->bounds();
      suggest(i.width, b.size.width, i.last[2]);
      suggest(i.height, b.size.height, i.last[3]);
      continue;
    }
    auto super = view->superview();
    if (!super) continue;
    const Rect f = view->frame(), sb = super->bounds();
    suggest(i.offsetX, f.origin.x - sb.origin.x, i.last[0]);
    suggest(i.offsetY, f.origin.y - sb.origin.y, i.last[1]);
    suggest(i.width, f.size.width, i.last[2]);
    suggest(i.height, f.size.height, i.last[3]);
  }
}

void LayoutEngine::suggest(SolverVariable v, double value, double& last) {
  if (!differs(value, last)) return;
  last = value;
  logRefusal(solver_.suggestValue(v, value), "suggesting a frame value");
  changed_ = true;
}

void LayoutEngine::collect(View& root) {
  order_.clear();
  active_.clear();
  inTree_.clear();
  auto top = std::static_pointer_cast<View>(root.weak_from_this().lock());
  if (!top) return;  // not owned yet: nothing to lay out
  std::vector<std::shared_ptr<View>> stack{top};
  while (!stack.empty()) {
    auto v = std::move(stack.back());
    stack.pop_back();
    inTree_.insert(v.get());
    for (const auto& c : constraints(*v)) active_.push_back(c);
    for (auto it = v->subviews().rbegin(); it != v->subviews().rend(); ++it) stack.push_back(*it);
    order_.push_back(std::move(v));
  }
  // Activation order, not the tree's: where a constraint is kept must not change the solution,
  // and a chain's constraints held by a container would otherwise reach the solver before the
  // widths held by its views, so that every width rewrites half the rows.
  std::sort(active_.begin(), active_.end(), [](const auto& a, const auto& b) {
    return a->activationOrder() < b->activationOrder();
  });
}

LayoutEngine::Item& LayoutEngine::item(const std::shared_ptr<Object>& object) {
  auto& slot = items_[object.get()];
  if (!slot || slot->object.lock() != object) {
    if (slot) drop(*slot);  // a gone object's address, now another's
    slot = std::make_unique<Item>();
    slot->object = object;
    slot->serial = ++itemsMade_;
    slot->left = solver_.makeVariable();
    slot->top = solver_.makeVariable();
    slot->width = solver_.makeVariable();
    slot->height = solver_.makeVariable();
  }
  slot->seen = sweep_;
  return *slot;
}

void LayoutEngine::sync(View& root) {
  ++sweep_;
  collect(root);
  holds_ = !active_.empty();
  std::vector<std::shared_ptr<LayoutConstraint>> usable;
  std::vector<std::shared_ptr<Object>> members = participants(usable);
  holdViews(root);
  for (const auto& m : members) {
    if (auto guide = std::dynamic_pointer_cast<LayoutGuide>(m)) placeGuide(item(m), *guide);
  }
  // What is no longer met has left the tree or was deactivated; going first lets a broken
  // constraint try again once room was made.
  std::unordered_set<const LayoutConstraint*> present;
  for (const auto& c : usable) present.insert(c.get());
  // Removals go in the order of placing too, not in the maps' order of addresses.
  std::vector<std::unique_ptr<Placed>> gone;
  for (auto it = placed_.begin(); it != placed_.end();) {
    if (present.count(it->first) && it->second->constraint.lock()) {
      ++it;
      continue;
    }
    gone.push_back(std::move(it->second));
    it = placed_.erase(it);
  }
  std::sort(gone.begin(), gone.end(),
            [](const auto& a, const auto& b) { return a->order < b->order; });
  for (const auto& p : gone) unplace(p->slot);
  for (const auto& c : usable) placeConstraint(c);
  active_.clear();  // the views own their constraints; the engine only reads them
  std::vector<std::unique_ptr<Item>> dropped;
  for (auto it = items_.begin(); it != items_.end();) {
    if (it->second->seen == sweep_) {
      it->second->participating = false;  // recomputed next time
      ++it;
      continue;
    }
    dropped.push_back(std::move(it->second));
    it = items_.erase(it);
  }
  std::sort(dropped.begin(), dropped.end(),
            [](const auto& a, const auto& b) { return a->serial < b->serial; });
  for (const auto& i : dropped) drop(*i);
}

// Who takes part: the items of the usable constraints (both in this tree), the views those
// constraints place, and the ancestors of all of them.
std::vector<std::shared_ptr<Object>> LayoutEngine::participants(
    std::vector<std::shared_ptr<LayoutConstraint>>& usable) {
  std::vector<std::shared_ptr<Object>> members;
  constrained_.clear();
  auto name = [&](const std::shared_ptr<Object>& item) {
    members.push_back(item);
    // Only a view named by a constraint of its own is placed by them; one that merely opted out
    // of its mask keeps the frame it was given.
    auto view = std::dynamic_pointer_cast<View>(item);
    if (view && !translatesAutoresizingMaskIntoConstraints(*view)) constrained_.insert(view.get());
  };
  awaited_.clear();
  for (const auto& c : active_) {
    auto first = c->firstItem(), second = c->secondItem();
    auto v1 = LayoutConstraint::viewOfItem(first);
    auto v2 = second ? LayoutConstraint::viewOfItem(second) : v1;
    if (!v1 || !v2) continue;
    const bool in1 = inTree_.count(v1.get()) > 0, in2 = inTree_.count(v2.get()) > 0;
    if (!in1 || !in2) {  // waits for a view that is away
      if (!in1) awaited_.insert(v1.get());
      if (!in2) awaited_.insert(v2.get());
      continue;
    }
    usable.push_back(c);
    name(first);
    if (second) name(second);
  }
  for (std::size_t i = 0; i < members.size(); ++i) {
    Item& it = item(members[i]);
    if (it.participating) continue;
    it.participating = true;
    auto view = LayoutConstraint::viewOfItem(members[i]);
    if (!view) continue;
    if (std::dynamic_pointer_cast<LayoutGuide>(members[i])) {
      members.push_back(view);
    } else if (auto super = view->superview()) {
      members.push_back(super);
    }
  }
  return members;
}

// The root and views that translate their masks are held at their frames; the others get their
// intrinsic sizes.
void LayoutEngine::holdViews(View& root) {
  pinned_.clear();
  for (const auto& weak : order_) {  // parents first, so a superview's item is ready
    auto v = weak.lock();
    if (!v) continue;
    auto it = items_.find(v.get());
    if (it == items_.end() || it->second->seen != sweep_) continue;
    Item& i = *it->second;
    i.parentOfPlaced = false;  // parents come first: their placed children set it below
    if (v.get() == &root) {
      pinRoot(i);
      pinned_.emplace_back(v, &i);
      continue;
    }
    auto super = items_.find(v->superview().get());
    if (constrained_.count(v.get())) {
      if (super != items_.end()) super->second->parentOfPlaced = true;
      unpin(i);
      placeIntrinsicSize(i, *v);
    } else if (super != items_.end()) {
      unplaceIntrinsicSize(i);
      pinToSuperview(i, *super->second);
      pinned_.emplace_back(v, &i);
    }
  }
}

void LayoutEngine::drop(Item& i) {
  unpin(i);
  for (Slot* s : {&i.hugWidth, &i.compressWidth, &i.hugHeight, &i.compressHeight, &i.guideLeft,
                  &i.guideWidth, &i.guideEdge, &i.guideLength}) {
    unplace(*s);
  }
}

void LayoutEngine::pinRoot(Item& i) {
  if (i.pinned && i.pinnedAsRoot) return;
  unpin(i);
  i.pinned = i.pinnedAsRoot = true;
  for (SolverVariable v : {i.left, i.top, i.width, i.height}) {
    logRefusal(solver_.addEditVariable(v, kPinStrength), "holding a view at its frame");
  }
  double unused = NAN;
  suggest(i.left, 0, unused);
  unused = NAN;
  suggest(i.top, 0, unused);
}

void LayoutEngine::pinToSuperview(Item& i, Item& super) {
  if (i.pinned && !i.pinnedAsRoot) return;
  unpin(i);
  i.pinned = true;
  i.offsetX = solver_.makeVariable();
  i.offsetY = solver_.makeVariable();
  for (SolverVariable v : {i.offsetX, i.offsetY, i.width, i.height}) {
    logRefusal(solver_.addEditVariable(v, kPinStrength), "holding a view at its frame");
  }
  LinearExpression x, y;
  x.add(i.left, 1).add(super.left, -1).add(i.offsetX, -1);
  y.add(i.top, 1).add(super.top, -1).add(i.offsetY, -1);
  place(i.pinX, x, SolverRelation::Equal, kSolverRequired,
        [] { return std::string("autoresizing x"); });
  place(i.pinY, y, SolverRelation::Equal, kSolverRequired,
        [] { return std::string("autoresizing y"); });
}

void LayoutEngine::unpin(Item& i) {
  if (!i.pinned) return;
  const bool asRoot = i.pinnedAsRoot;
  for (SolverVariable v : {asRoot ? i.left : i.offsetX, asRoot ? i.top : i.offsetY}) {
    logRefusal(solver_.removeEditVariable(v), "releasing a view's frame");
  }
  if (!asRoot) unplace(i.pinX), unplace(i.pinY);
  for (SolverVariable v : {i.width, i.height}) {
    logRefusal(solver_.removeEditVariable(v), "releasing a view's frame");
  }
  i.pinned = i.pinnedAsRoot = false;
  for (double& l : i.last) l = NAN;
  changed_ = true;
}

void LayoutEngine::placeIntrinsicSize(Item& i, View& view) {
  const Size size = view.intrinsicContentSize();
  auto axis = [&](double value, SolverVariable v, LayoutAxis a, Slot& hug, Slot& compress) {
    if (value < 0) {
      unplace(hug);
      unplace(compress);
      return;
    }
    LinearExpression e;
    e.add(v, 1).constant = -value;
    place(compress, e, SolverRelation::GreaterThanOrEqual,
          contentCompressionResistancePriority(view, a),
          [] { return std::string("compression resistance"); });
    place(hug, e, SolverRelation::LessThanOrEqual, contentHuggingPriority(view, a),
          [] { return std::string("hugging"); });
  };
  axis(size.width, i.width, LayoutAxis::Horizontal, i.hugWidth, i.compressWidth);
  axis(size.height, i.height, LayoutAxis::Vertical, i.hugHeight, i.compressHeight);
}

void LayoutEngine::unplaceIntrinsicSize(Item& i) {
  for (Slot* s : {&i.hugWidth, &i.compressWidth, &i.hugHeight, &i.compressHeight}) unplace(*s);
}

void LayoutEngine::placeGuide(Item& g, LayoutGuide& guide) {
  auto view = guide.owningView();
  if (!view || !items_.count(view.get())) return;
  Item& v = *items_[view.get()];
  LinearExpression left, width, edge, length;
  left.add(g.left, 1).add(v.left, -1);
  width.add(g.width, 1).add(v.width, -1);
  if (guide.edge() == LayoutGuide::Edge::Top) {
    edge.add(g.top, 1).add(v.top, -1);
  } else {  // its bottom is the view's bottom
    edge.add(g.top, 1).add(g.height, 1).add(v.top, -1).add(v.height, -1);
  }
  length.add(g.height, 1).constant = -guide.length();
  place(g.guideLeft, left, SolverRelation::Equal, kSolverRequired,
        [] { return std::string("guide left"); });
  place(g.guideWidth, width, SolverRelation::Equal, kSolverRequired,
        [] { return std::string("guide width"); });
  place(g.guideEdge, edge, SolverRelation::Equal, kSolverRequired,
        [] { return std::string("guide edge"); });
  place(g.guideLength, length, SolverRelation::Equal, kSolverRequired,
        [] { return std::string("guide length"); });
}

// The attribute of an item as an expression of its variables, times `factor`, added to `e`.
bool LayoutEngine::expressionFor(const std::shared_ptr<Object>& object, long attribute,
                                 double factor, LinearExpression& e) {
  Item& i = item(object);
  EdgeInsets m{};
  if (auto view = std::dynamic_pointer_cast<View>(object)) m = layoutMargins(*view);
  auto term = [&](SolverVariable v, double coefficient) {
    if (coefficient != 0) e.add(v, factor * coefficient);
  };
  auto horizontal = [&](double l, double w, double c) {
    term(i.left, l);
    term(i.width, w);
    e.constant += factor * c;
  };
  auto vertical = [&](double t, double h, double c) {
    term(i.top, t);
    term(i.height, h);
    e.constant += factor * c;
  };
  switch (attribute) {
    case 1:
    case 5:
      horizontal(1, 0, 0);
      return true;  // left, leading
    case 2:
    case 6:
      horizontal(1, 1, 0);
      return true;  // right, trailing
    case 3:
      vertical(1, 0, 0);
      return true;  // top
    case 4:
    case 11:
      vertical(1, 1, 0);
      return true;  // bottom, baseline
    case 7:
      horizontal(0, 1, 0);
      return true;  // width
    case 8:
      vertical(0, 1, 0);
      return true;  // height
    case 9:
      horizontal(1, 0.5, 0);
      return true;  // centerX
    case 10:
      vertical(1, 0.5, 0);
      return true;  // centerY
    case 13:
    case 17:
      horizontal(1, 0, m.left);
      return true;
    case 14:
    case 18:
      horizontal(1, 1, -m.right);
      return true;
    case 15:
      vertical(1, 0, m.top);
      return true;
    case 16:
      vertical(1, 1, -m.bottom);
      return true;
    case 19:
      horizontal(1, 0.5, (m.left - m.right) / 2);
      return true;
    case 20:
      vertical(1, 0.5, (m.top - m.bottom) / 2);
      return true;
    default:
      return false;
  }
}

void LayoutEngine::placeConstraint(const std::shared_ptr<LayoutConstraint>& c) {
  auto& p = placed_[c.get()];
  if (!p || p->constraint.lock() != c) {
    if (p) unplace(p->slot);
    p = std::make_unique<Placed>();
    p->constraint = c;
    p->order = c->activationOrder();
  }
  p->seen = sweep_;
  // first - multiplier * second - constant (relation) 0
  LinearExpression e;
  bool ok = expressionFor(c->firstItem(), c->firstAttribute(), 1.0, e);
  if (ok && c->secondItem() && c->secondAttribute() != LayoutAttributeNotAnAttribute) {
    ok = expressionFor(c->secondItem(), c->secondAttribute(), -c->multiplier(), e);
  }
  if (!ok) {
    if (!p->slot.broken)
      log(LogLevel::Warning, "LayoutEngine", "unknown attribute in " + c->description());
    unplace(p->slot);
    p->slot.broken = true;
    return;
  }
  // Positions are measured in the coordinates of the view holding the constraint, which
  // matters once a multiplier scales one.
  auto container = c->installedView();
  auto measured = [&](long attribute, double factor) {
    if (!container || attribute == LayoutAttributeWidth || attribute == LayoutAttributeHeight ||
        attribute == LayoutAttributeNotAnAttribute) {
      return;
    }
    Item& origin = item(container);
    e.add(isHorizontalLayoutAttribute(attribute) ? origin.left : origin.top, -factor);
  };
  if (ok && c->multiplier() != 1.0) {
    measured(c->firstAttribute(), 1.0);
    if (c->secondItem()) measured(c->secondAttribute(), -c->multiplier());
  }
  e.constant -= c->constant();
  const auto relation = static_cast<SolverRelation>(c->relation() < 0 ? -1 : c->relation() > 0);
  place(p->slot, e, relation, c->priority(), [&c] { return c->description(); });
}

void LayoutEngine::place(Slot& slot, const LinearExpression& e, SolverRelation relation,
                         double strength, const Describe& what) {
  if (slot.ref && !slot.broken && slot.strength == strength) {
    if (!differs(slot.constant, e.constant)) return;
    changed_ = true;
    const Status moved = solver_.setConstant(slot.ref, e.constant);
    if (moved) {
      slot.constant = e.constant;
      return;
    }
    logRefusal(solver_.removeConstraint(slot.ref), "removing " + what());
    ++removals_;
    slot.broken = true;
    slot.removals = removals_;
    slot.constant = e.constant;
    logBroken(moved.error(), what());
    return;
  }
  if (slot.ref && slot.broken && slot.strength == strength && !differs(slot.constant, e.constant) &&
      slot.removals == removals_) {
    return;  // nothing made room since it broke: logged once
  }
  unplace(slot);
  slot.ref = makeSolverConstraint(e, relation, strength);
  slot.constant = e.constant;
  slot.strength = strength;
  // An internal error still leaves the constraint in (the solution just may not be optimal).
  const Status added = solver_.addConstraint(slot.ref);
  slot.broken = !added && added.error().code != SolverError::Internal;
  slot.removals = removals_;
  changed_ = true;
  slot.broken ? logBroken(added.error(), what()) : logRefusal(added, "solving with " + what());
}

void LayoutEngine::unplace(Slot& slot) {
  if (slot.ref && !slot.broken) {
    logRefusal(solver_.removeConstraint(slot.ref), "removing a constraint");
    ++removals_;
    changed_ = true;
  }
  slot = Slot{};
}

// Frames from the solution, relative to each superview's solved place. With `everyView` false
// only the subviews of the view being laid out are re-asserted.
void LayoutEngine::applyFrames(View& root, bool everyView, View& laidOut) {
  if (!everyView) {
    auto it = items_.find(&laidOut);
    if (it == items_.end() || !it->second->parentOfPlaced) return;
    for (const auto& v : std::vector<std::shared_ptr<View>>(laidOut.subviews())) applyFrame(*v);
    return;
  }
  for (const auto& weak : order_) {
    auto v = weak.lock();
    if (v && v.get() != &root) applyFrame(*v);
  }
}

void LayoutEngine::applyFrame(View& v) {
  if (!constrained_.count(&v)) return;
  auto super = v.superview();
  if (!super) return;
  auto mine = items_.find(&v), theirs = items_.find(super.get());
  if (mine == items_.end() || theirs == items_.end()) return;
  const Item &i = *mine->second, &s = *theirs->second;
  const Rect sb = super->bounds();
  const Rect frame =
      makeRect(solver_.value(i.left) - solver_.value(s.left) + sb.origin.x,
               solver_.value(i.top) - solver_.value(s.top) + sb.origin.y,
               std::max(0.0, solver_.value(i.width)), std::max(0.0, solver_.value(i.height)));
  const Rect now = v.frame();
  if (differs(frame.origin.x, now.origin.x) || differs(frame.origin.y, now.origin.y) ||
      differs(frame.size.width, now.size.width) || differs(frame.size.height, now.size.height)) {
    v.setFrame(frame);
  }
}

}  // namespace platform
