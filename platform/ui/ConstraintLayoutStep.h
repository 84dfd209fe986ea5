#pragma once

namespace platform {

class View;

// The constraint engine lives a floor above the view tree, which reaches it only through this
// table. The engine installs it the first time a constraint is installed; until then no tree
// holds constraints, every step would do nothing, and the table stays empty. Main thread only.
struct ConstraintLayoutStep {
  void (*applyLayout)(View& view);  // before `view` lays out its subviews
  void (*subtreeLeft)(View& oldParent, View& child);
  void (*subtreeJoined)(View& parent, View& child);
  void (*contentSizeChanged)(View& view);

  // nullptr until installed.
  static const ConstraintLayoutStep* installed();
  // `step` must live until exit; installing again replaces the table.
  static void install(const ConstraintLayoutStep& step);
};

}  // namespace platform
