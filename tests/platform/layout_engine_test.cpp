// The constraint engine's reading of a tree: the order constraints reach the solver in, and
// which moves of a subtree make a tree be read again.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "layout_support.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/ViewLayout.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "ui_support.h"

namespace platform {
namespace {

using C = LayoutConstraint;

// a.aa (relation) b.ba + c at a priority; b may be null for a constant.
std::shared_ptr<C> relate(const std::shared_ptr<View>& a, LayoutAttribute aa,
                          const std::shared_ptr<View>& b, LayoutAttribute ba, double c,
                          float priority = kLayoutPriorityRequired,
                          LayoutRelation r = LayoutRelationEqual) {
  auto constraint = C::create(a, aa, r, b, b ? ba : LayoutAttributeNotAnAttribute, 1, c);
  constraint->setPriority(priority);
  return constraint;
}
std::shared_ptr<C> sized(const std::shared_ptr<View>& a, LayoutAttribute aa, double c,
                         float priority = kLayoutPriorityRequired) {
  return relate(a, aa, nullptr, LayoutAttributeNotAnAttribute, c, priority);
}

std::shared_ptr<View> constrainedView() {
  auto v = View::create();
  setTranslatesAutoresizingMaskIntoConstraints(*v, false);
  return v;
}

using layout_test::hasFrame;

using LayoutEngineTest = ui_test::UITest;

// Two boxes share 100 points and each prefers 40 at the same priority: either may get 60, and
// which one does must follow the order of activation, not which view holds which constraint or
// in what order the container lists its subviews.
TEST_F(LayoutEngineTest, TiesFollowActivationNotWhereConstraintsAreKept) {
  struct Laid {
    Rect a, b;
  };
  auto layOut = [](bool aFirst, bool widthsFirst) {
    auto root = View::create(makeRect(0, 0, 320, 100));
    auto a = constrainedView(), b = constrainedView();
    root->addSubview(aFirst ? a : b);
    root->addSubview(aFirst ? b : a);
    std::vector<std::shared_ptr<C>> shared{
        relate(a, LayoutAttributeLeft, root, LayoutAttributeLeft, 0),
        relate(b, LayoutAttributeLeft, a, LayoutAttributeRight, 0),
        relate(b, LayoutAttributeRight, root, LayoutAttributeLeft, 100),
        relate(a, LayoutAttributeTop, root, LayoutAttributeTop, 0),
        relate(b, LayoutAttributeTop, root, LayoutAttributeTop, 0)};
    std::vector<std::shared_ptr<C>> own{
        sized(a, LayoutAttributeWidth, 40, 500), sized(b, LayoutAttributeWidth, 40, 500),
        sized(a, LayoutAttributeHeight, 10), sized(b, LayoutAttributeHeight, 10)};
    C::activateConstraints(widthsFirst ? own : shared);
    C::activateConstraints(widthsFirst ? shared : own);
    root->layoutIfNeeded();
    return Laid{a->frame(), b->frame()};
  };
  for (bool widthsFirst : {false, true}) {
    const Laid listed = layOut(true, widthsFirst), reversed = layOut(false, widthsFirst);
    EXPECT_EQ(listed.a, reversed.a) << "widths first: " << widthsFirst;
    EXPECT_EQ(listed.b, reversed.b) << "widths first: " << widthsFirst;
    // The shared length is kept and one preference holds, whatever the order.
    EXPECT_NEAR(listed.a.size.width + listed.b.size.width, 100, 1e-6);
    EXPECT_TRUE(std::fabs(listed.a.size.width - 40) < 1e-6 ||
                std::fabs(listed.b.size.width - 40) < 1e-6);
    EXPECT_NEAR(listed.b.origin.x, listed.a.size.width, 1e-6);
  }
}

// A chain held by its container (leading to the previous trailing, top, height) beside widths
// held by each view, activated view by view.
TEST_F(LayoutEngineTest, AChainHeldByItsContainerIsLaidOutInOnePass) {
  auto root = View::create(makeRect(0, 0, 400, 100));
  std::vector<std::shared_ptr<View>> views;
  for (int i = 0; i < 60; ++i) {
    auto v = constrainedView();
    root->addSubview(v);
    const auto& previous = views.empty() ? root : views.back();
    relate(v, LayoutAttributeLeading, previous,
           views.empty() ? LayoutAttributeLeading : LayoutAttributeTrailing, 1)
        ->setActive(true);
    sized(v, LayoutAttributeWidth, 3, 750)->setActive(true);
    relate(v, LayoutAttributeWidth, nullptr, LayoutAttributeNotAnAttribute, 1,
           kLayoutPriorityRequired, LayoutRelationGreaterThanOrEqual)
        ->setActive(true);
    relate(v, LayoutAttributeTop, root, LayoutAttributeTop, 4)->setActive(true);
    (views.empty() ? sized(v, LayoutAttributeHeight, 20)
                   : relate(v, LayoutAttributeHeight, views.back(), LayoutAttributeHeight, 0))
        ->setActive(true);
    views.push_back(v);
  }
  // The last view squeezed: the required minimum wins over the preferred width.
  relate(views.back(), LayoutAttributeTrailing, views.back(), LayoutAttributeLeading, 2)
      ->setActive(true);
  root->layoutIfNeeded();
  for (int i = 0; i + 1 < 60; ++i) {
    ASSERT_TRUE(hasFrame(*views[i], 1 + 4.0 * i, 4, 3, 20)) << "view " << i;
  }
  EXPECT_TRUE(hasFrame(*views.back(), 1 + 4.0 * 59, 4, 2, 20));
}

// A window with one badge placed by constraints: the moves the solution reaches are followed;
// the others leave every frame where it was.
class SubtreeMovesTest : public ui_test::UITest {
 protected:
  SubtreeMovesTest() {
    for (int i = 0; i < 4; ++i) {
      auto cell = View::create(makeRect(0, 44.0 * i, 320, 44));
      cell->addSubview(View::create(makeRect(10, 2, 40, 40)));
      window->addSubview(cell);
    }
    window->subviews()[0]->addSubview(badge);
    C::activateConstraints({relate(badge, LayoutAttributeRight, window, LayoutAttributeRight, -8),
                            relate(badge, LayoutAttributeTop, window, LayoutAttributeTop, 10),
                            sized(badge, LayoutAttributeWidth, 30),
                            sized(badge, LayoutAttributeHeight, 20)});
    window->layoutIfNeeded();
  }
  // Takes the cell out, lays the window out without it, then puts it back at `index`.
  void leaveAndReturn(const std::shared_ptr<View>& cell, std::size_t index) {
    cell->removeFromSuperview();
    window->layoutIfNeeded();
    window->insertSubview(cell, index);
    window->layoutIfNeeded();
  }

  std::shared_ptr<Window> window = Window::create(makeRect(0, 0, 320, 480));
  std::shared_ptr<View> badge = constrainedView();
};

TEST_F(SubtreeMovesTest, ACellNobodyNamesComesAndGoesUntouched) {
  auto cell = window->subviews()[2];
  leaveAndReturn(cell, 2);
  EXPECT_TRUE(hasFrame(*cell, 0, 88, 320, 44));
  EXPECT_TRUE(hasFrame(*cell->subviews()[0], 10, 2, 40, 40));
  EXPECT_TRUE(hasFrame(*badge, 282, 10, 30, 20));
}

// The cell's own constraints leave with it and come back with it, with what changed meanwhile.
TEST_F(SubtreeMovesTest, ACellHoldingConstraintsIsReadWhenItReturns) {
  auto cell = window->subviews()[2];
  auto dot = constrainedView();
  cell->addSubview(dot);
  auto inset = relate(dot, LayoutAttributeLeft, cell, LayoutAttributeLeft, 60);
  C::activateConstraints({inset, relate(dot, LayoutAttributeTop, cell, LayoutAttributeTop, 2),
                          sized(dot, LayoutAttributeWidth, 8),
                          sized(dot, LayoutAttributeHeight, 8)});
  window->layoutIfNeeded();
  EXPECT_TRUE(hasFrame(*dot, 60, 2, 8, 8));
  cell->removeFromSuperview();
  window->layoutIfNeeded();
  inset->setConstant(70);
  dot->setFrame(makeRect(0, 0, 1, 1));
  window->insertSubview(cell, 2);
  window->layoutIfNeeded();
  EXPECT_TRUE(hasFrame(*dot, 70, 2, 8, 8));
  EXPECT_TRUE(hasFrame(*badge, 282, 10, 30, 20));
}

// A constraint the window holds, naming a view of a cell, stops counting while the cell is away
// and counts again once it is back, however deep the view sits and wherever the cell went.
TEST_F(SubtreeMovesTest, AViewNamedByTheWindowsConstraintsIsReadWhenItReturns) {
  auto cell = window->subviews()[3];
  auto icon = cell->subviews()[0];
  setTranslatesAutoresizingMaskIntoConstraints(*icon, false);
  auto gap = relate(icon, LayoutAttributeLeft, badge, LayoutAttributeLeft, -100);
  // All held by the window: the cell itself holds none.
  C::activateConstraints({gap, relate(icon, LayoutAttributeTop, badge, LayoutAttributeBottom, 0),
                          relate(icon, LayoutAttributeWidth, badge, LayoutAttributeWidth, 10),
                          relate(icon, LayoutAttributeHeight, badge, LayoutAttributeHeight, 20)});
  EXPECT_TRUE(constraints(*icon).empty());
  window->layoutIfNeeded();
  EXPECT_TRUE(hasFrame(*icon, 182, 30 - 132, 40, 40));  // in the cell's coordinates

  cell->removeFromSuperview();
  gap->setConstant(-150);
  window->layoutIfNeeded();  // read without the cell
  icon->setFrame(makeRect(0, 0, 1, 1));
  auto other = Window::create(makeRect(0, 0, 320, 480));  // a stay in another tree changes nothing
  other->addSubview(cell);
  other->layoutIfNeeded();
  EXPECT_TRUE(hasFrame(*icon, 0, 0, 1, 1));
  cell->setFrame(makeRect(0, 200, 320, 44));
  window->insertSubview(cell, 1);
  window->layoutIfNeeded();
  EXPECT_TRUE(hasFrame(*icon, 132, 30 - 200, 40, 40));
}

// A container that is only an ancestor of a view placed by the window's constraints.
TEST_F(SubtreeMovesTest, AnAncestorOfAPlacedViewIsReadWhenItReturns) {
  auto cell = window->subviews()[1];
  auto icon = cell->subviews()[0];
  setTranslatesAutoresizingMaskIntoConstraints(*icon, false);
  C::activateConstraints({relate(icon, LayoutAttributeLeft, window, LayoutAttributeLeft, 20),
                          relate(icon, LayoutAttributeTop, window, LayoutAttributeTop, 50),
                          relate(icon, LayoutAttributeWidth, badge, LayoutAttributeWidth, 10),
                          relate(icon, LayoutAttributeHeight, badge, LayoutAttributeHeight, 20)});
  window->layoutIfNeeded();
  EXPECT_TRUE(hasFrame(*icon, 20, 6, 40, 40));
  cell->removeFromSuperview();
  window->layoutIfNeeded();
  cell->setFrame(makeRect(5, 30, 320, 44));  // moved while away
  window->insertSubview(cell, 1);
  window->layoutIfNeeded();
  EXPECT_TRUE(hasFrame(*icon, 15, 20, 40, 40));
}

// A panel still holds a constraint between two views that moved out of it: when the panel
// leaves, the constraint leaves with it, though the panel places nothing.
TEST_F(SubtreeMovesTest, APanelHoldingAConstraintOnViewsElsewhereTakesItAlong) {
  auto panel = View::create(makeRect(0, 300, 320, 100));
  window->addSubview(panel);
  auto a = constrainedView(), b = constrainedView();
  panel->addSubview(a);
  panel->addSubview(b);
  auto after = relate(a, LayoutAttributeLeft, b, LayoutAttributeRight, 10);
  after->setActive(true);
  EXPECT_EQ(after->installedView(), panel);
  C::activateConstraints({relate(a, LayoutAttributeLeft, window, LayoutAttributeLeft, 0, 250),
                          relate(b, LayoutAttributeLeft, window, LayoutAttributeLeft, 30),
                          relate(a, LayoutAttributeTop, window, LayoutAttributeTop, 0),
                          relate(b, LayoutAttributeTop, window, LayoutAttributeTop, 0),
                          sized(a, LayoutAttributeWidth, 10), sized(b, LayoutAttributeWidth, 10),
                          sized(a, LayoutAttributeHeight, 10),
                          sized(b, LayoutAttributeHeight, 10)});
  window->addSubview(a);
  window->addSubview(b);
  window->layoutIfNeeded();
  EXPECT_TRUE(hasFrame(*a, 50, 0, 10, 10));
  panel->removeFromSuperview();
  window->layoutIfNeeded();
  EXPECT_TRUE(hasFrame(*a, 0, 0, 10, 10));
}

}  // namespace
}  // namespace platform
