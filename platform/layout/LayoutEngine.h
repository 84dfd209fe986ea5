#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/layout/LayoutSolver.h"

namespace platform {

class LayoutConstraint;
class LayoutGuide;
class Object;
class View;

// Turns the active constraints of one view tree into frames. One engine lives on the root of
// each tree that holds constraints and keeps its solver between passes: a pass hands it only
// what changed (a constant, a size, an added or removed constraint) and re-solves incrementally.
// A tree without constraints has no engine and its passes never reach one; a change in one tree
// makes only that tree's engine read its tree again.
//
// In the solver every placed view has left, top, width and height in the root's coordinates.
// A view that some constraint names and that does not translate its autoresizing mask is placed
// by the constraints, with its intrinsic content size as hugging and compression-resistance
// preferences. Every other view the solution needs (the root, ancestors, neighbours named by
// constraints) is held at its frame: edit variables at the strength just below required,
// relative to its superview. A required constraint that cannot hold with the others is broken:
// left out and logged.
class LayoutEngine {
 public:
  // The layout pass's step before `view` lays out its subviews.
  static void applyLayout(View& view);
  // A constraint was installed on `view`: its tree holds constraints from now on.
  static void noteConstraintInstalled(View& view);
  // Something the engine reads changed at `view` (a constant, a priority, a margin...): its tree
  // is solved again in its next layout pass, if it holds constraints.
  static void noteChange(View* view);
  // The subtree at `child` left the tree of `oldParent` (it may already be in another tree).
  static void noteSubtreeLeft(View& oldParent, View& child);
  // The subtree at `child` joined the tree of `parent`.
  static void noteSubtreeJoined(View& parent, View& child);
  // The view's intrinsic content size changed.
  static void noteContentSizeChange(View& view);

  LayoutEngine();
  ~LayoutEngine();

 private:
  struct Slot {
    SolverConstraintRef ref;
    double constant = 0;
    double strength = 0;
    bool broken = false;
    std::uint64_t removals = 0;  // the engine's count of removals when it broke
  };
  struct Item;
  struct Placed;

  static LayoutEngine* find(View& root);
  // Whether a view of the subtree at `top` holds constraints.
  static bool holdsConstraints(const View& top);
  // Whether `view` took part in the last solution (which is current unless the engine is dirty).
  bool isItem(const View& view) const;
  // Whether a constraint of the tree names a view of the subtree at `top` that was away when the
  // tree was last read.
  bool awaits(const View& top) const;
  static LayoutEngine& make(View& root);
  // Marks the engine of the tree at `root` for a fresh read, if that tree holds constraints.
  static bool dirtyIfHolding(View& root);

  void update(View& root);
  void sync(View& root);
  void collect(View& root);
  Item& item(const std::shared_ptr<Object>& object);
  std::vector<std::shared_ptr<Object>> participants(
      std::vector<std::shared_ptr<LayoutConstraint>>& usable);
  void holdViews(View& root);
  void drop(Item& item);
  void pinRoot(Item& item);
  void pinToSuperview(Item& item, Item& super);
  void unpin(Item& item);
  void placeIntrinsicSize(Item& item, View& view);
  void unplaceIntrinsicSize(Item& item);
  void placeGuide(Item& item, LayoutGuide& guide);
  void placeConstraint(const std::shared_ptr<LayoutConstraint>& c);
  bool expressionFor(const std::shared_ptr<Object>& object, long attribute, double factor,
                     LinearExpression& e);
  // `what` names the constraint in a log line, only if one is written.
  using Describe = std::function<std::string()>;
  void place(Slot& slot, const LinearExpression& e, SolverRelation relation, double strength,
             const Describe& what);
  void unplace(Slot& slot);
  void suggest(SolverVariable v, double value, double& last);
  void applyFrames(View& root, bool everyView, View& laidOut);
  void applyFrame(View& view);

  LayoutSolver solver_;
  std::unordered_map<const Object*, std::unique_ptr<Item>> items_;
  std::unordered_map<const LayoutConstraint*, std::unique_ptr<Placed>> placed_;
  std::vector<std::weak_ptr<View>> order_;                     // the tree's views, parents first
  std::vector<std::pair<std::weak_ptr<View>, Item*>> pinned_;  // held at their frames
  std::vector<std::shared_ptr<LayoutConstraint>> active_;
  std::unordered_set<const View*> inTree_;
  std::unordered_set<const View*> constrained_;  // placed by constraints, not held at frames
  std::unordered_set<const View*> awaited_;      // named by constraints, away from the tree
  bool holds_ = false;  // the tree holds constraints (or may: not read since it last might)
  bool dirty_ = true;   // the tree must be read again
  std::uint64_t sweep_ = 0;
  std::uint64_t itemsMade_ = 0;
  std::uint64_t removals_ = 0;
  bool changed_ = false;
};

}  // namespace platform
