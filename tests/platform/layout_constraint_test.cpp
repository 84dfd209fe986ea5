// Platform constraints laid out by the layout pass: activation, frames, intrinsic sizes,
// margins, guides, autoresizing and broken constraints.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "layout_support.h"
#include "platform/foundation/Log.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/LayoutGuide.h"
#include "platform/layout/ViewLayout.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

using C = LayoutConstraint;

std::shared_ptr<C> make(const std::shared_ptr<Object>& a, LayoutAttribute aa, LayoutRelation r,
                        const std::shared_ptr<Object>& b, LayoutAttribute ba, double m = 1,
                        double c = 0) {
  return C::create(a, aa, r, b, ba, m, c);
}
// a.aa = b.ba + c
std::shared_ptr<C> eq(const std::shared_ptr<Object>& a, LayoutAttribute aa,
                      const std::shared_ptr<Object>& b, LayoutAttribute ba, double c = 0) {
  return C::create(a, aa, LayoutRelationEqual, b, ba, 1, c);
}
// a.aa = c (or <=, >= c)
std::shared_ptr<C> sized(const std::shared_ptr<Object>& a, LayoutAttribute aa, double c,
                         LayoutRelation r = LayoutRelationEqual) {
  return C::create(a, aa, r, nullptr, LayoutAttributeNotAnAttribute, 1, c);
}

std::shared_ptr<View> constrainedChild(const std::shared_ptr<View>& parent) {
  auto v = View::create();
  setTranslatesAutoresizingMaskIntoConstraints(*v, false);
  parent->addSubview(v);
  return v;
}

using ui_test::CapturedLog;

using layout_test::hasFrame;

class LayoutConstraintTest : public ui_test::UITest {
 protected:
  // `v`'s frame once `root` is laid out.
  ::testing::AssertionResult laidOut(const View& v, double x, double y, double w, double h) {
    root->layoutIfNeeded();
    return hasFrame(v, x, y, w, h);
  }
  std::shared_ptr<View> root = View::create(makeRect(0, 0, 320, 480));
};

TEST_F(LayoutConstraintTest, ActivationInstallsOnTheClosestCommonAncestor) {
  auto box = View::create(), row = View::create(), a = View::create(), b = View::create();
  root->addSubview(box);
  root->addSubview(row);
  row->addSubview(a);
  row->addSubview(b);
  auto between = eq(a, LayoutAttributeLeft, b, LayoutAttributeRight);
  auto across = eq(a, LayoutAttributeTop, box, LayoutAttributeBottom);
  auto own = sized(a, LayoutAttributeWidth, 40);
  C::activateConstraints({between, across, own});
  EXPECT_EQ(between->installedView(), row);
  EXPECT_EQ(across->installedView(), root);
  EXPECT_EQ(own->installedView(), a);
  EXPECT_EQ(constraints(*row).size(), 1u);
  between->setActive(false);
  EXPECT_TRUE(constraints(*row).empty());
  EXPECT_FALSE(between->installedView());

  CapturedLog log;  // no shared ancestor: stays inactive, with a reason
  auto stranger = View::create();
  auto apart = eq(a, LayoutAttributeLeft, stranger, LayoutAttributeLeft);
  apart->setActive(true);
  EXPECT_FALSE(apart->isActive());
  ASSERT_FALSE(log.lines.empty());
  EXPECT_NE(log.lines.back().find("no common ancestor"), std::string::npos);
}

TEST_F(LayoutConstraintTest, TheLayoutPassSolvesFramesAndFollowsChanges) {
  auto v = constrainedChild(root);
  auto left = eq(v, LayoutAttributeLeft, root, LayoutAttributeLeft, 10);
  auto right = eq(v, LayoutAttributeRight, root, LayoutAttributeRight, -30);
  auto top = eq(v, LayoutAttributeTop, root, LayoutAttributeCenterY);
  auto height =
      make(v, LayoutAttributeHeight, LayoutRelationEqual, root, LayoutAttributeHeight, 0.25);
  C::activateConstraints({left, right, top, height});
  EXPECT_TRUE(laidOut(*v, 10, 240, 280, 120));

  right->setConstant(-110);  // a constant edited while active
  EXPECT_TRUE(laidOut(*v, 10, 240, 200, 120));

  root->setFrame(makeRect(0, 0, 400, 600));  // the container resizes
  EXPECT_TRUE(laidOut(*v, 10, 300, 280, 150));

  auto narrow = sized(v, LayoutAttributeWidth, 100, LayoutRelationLessThanOrEqual);
  narrow->setPriority(kLayoutPriorityDefaultHigh);  // beats no required one: right edge holds
  narrow->setActive(true);
  EXPECT_TRUE(laidOut(*v, 10, 300, 280, 150));
  right->setActive(false);  // now it decides
  EXPECT_TRUE(laidOut(*v, 10, 300, 100, 150));
  narrow->setActive(false);
  right->setActive(true);
  EXPECT_TRUE(laidOut(*v, 10, 300, 280, 150));
}

TEST_F(LayoutConstraintTest, IntrinsicSizesHugAndResistAtTheirPriorities) {
  auto label = Label::create();
  setTranslatesAutoresizingMaskIntoConstraints(*label, false);
  root->addSubview(label);
  label->setText("Pick-up at four");
  const Size natural = label->intrinsicContentSize();
  ASSERT_GT(natural.width, 20);
  C::activateConstraints({eq(label, LayoutAttributeLeft, root, LayoutAttributeLeft, 5),
                          eq(label, LayoutAttributeTop, root, LayoutAttributeTop, 6)});
  EXPECT_TRUE(laidOut(*label, 5, 6, natural.width, natural.height));

  auto squeeze = sized(label, LayoutAttributeWidth, 10);
  squeeze->setPriority(500);  // under compression resistance (750)
  squeeze->setActive(true);
  auto stretch = sized(label, LayoutAttributeHeight, 100);
  stretch->setPriority(500);  // over hugging (250)
  stretch->setActive(true);
  EXPECT_TRUE(laidOut(*label, 5, 6, natural.width, 100));
  squeeze->setPriority(kLayoutPriorityRequired);
  root->layoutIfNeeded();
  EXPECT_NEAR(label->frame().size.width, 10, 1e-6);

  squeeze->setActive(false);
  label->setText("Pick-up at four, or at five on Fridays");  // a longer text grows the label
  root->layoutIfNeeded();
  EXPECT_NEAR(label->frame().size.width, label->intrinsicContentSize().width, 1e-6);
  EXPECT_GT(label->frame().size.width, natural.width);
}

TEST_F(LayoutConstraintTest, MarginsGuidesAndAutoresizedNeighbours) {
  auto controller = ViewController::create();
  root = controller->view();
  root->setFrame(makeRect(0, 0, 320, 480));
  auto v = constrainedChild(root);
  auto top = topLayoutGuide(*controller), bottom = bottomLayoutGuide(*controller);
  EXPECT_EQ(top->length(), 20);  // the status bar's height
  EXPECT_EQ(bottom->length(), 0);
  bottom->setLength(44);
  auto fixed = View::create(makeRect(0, 0, 50, 30));  // placed by its frame
  fixed->setAutoresizingMask(ViewAutoresizingFlexibleLeftMargin);
  root->addSubview(fixed);
  fixed->setFrame(makeRect(260, 100, 50, 30));
  C::activateConstraints({eq(v, LayoutAttributeLeft, root, LayoutAttributeLeftMargin),
                          eq(v, LayoutAttributeRight, fixed, LayoutAttributeLeft, -4),
                          eq(v, LayoutAttributeTop, top, LayoutAttributeBottom),
                          eq(v, LayoutAttributeBottom, bottom, LayoutAttributeTop)});
  EXPECT_TRUE(laidOut(*v, 8, 20, 248, 416));
  setLayoutMargins(*root, EdgeInsets{0, 16, 0, 16});
  bottom->setLength(260);                    // a keyboard came up
  root->setFrame(makeRect(0, 0, 360, 480));  // and the neighbour moved with its mask
  root->layoutIfNeeded();
  EXPECT_NEAR(fixed->frame().origin.x, 300, 1e-6);
  EXPECT_TRUE(hasFrame(*v, 16, 20, 280, 200));
}

TEST_F(LayoutConstraintTest, TreeChangesAreFollowed) {
  auto panel = constrainedChild(root), a = constrainedChild(panel);
  auto b = View::create();
  setTranslatesAutoresizingMaskIntoConstraints(*b, false);
  C::activateConstraints({eq(panel, LayoutAttributeLeft, root, LayoutAttributeLeft, 40),
                          eq(panel, LayoutAttributeTop, root, LayoutAttributeTop, 50),
                          sized(panel, LayoutAttributeWidth, 200),
                          sized(panel, LayoutAttributeHeight, 100),
                          eq(a, LayoutAttributeLeft, panel, LayoutAttributeCenterX),
                          eq(a, LayoutAttributeTop, panel, LayoutAttributeTop, 5),
                          eq(a, LayoutAttributeRight, panel, LayoutAttributeRight),
                          sized(a, LayoutAttributeHeight, 10)});
  EXPECT_TRUE(laidOut(*a, 100, 5, 100, 10));  // in the panel's coordinates
  // A view whose width was set before it joined: laid out once it is in the tree.
  sized(b, LayoutAttributeWidth, 30)->setActive(true);
  panel->addSubview(b);
  C::activateConstraints({eq(b, LayoutAttributeRight, a, LayoutAttributeLeft, -2)});
  root->layoutIfNeeded();
  EXPECT_NEAR(b->frame().origin.x, 68, 1e-6);
  EXPECT_NEAR(b->frame().size.width, 30, 1e-6);
  // A free-standing neighbour, placed by its frame and mask inside the constrained panel.
  auto fixed = View::create(makeRect(10, 60, 20, 20));
  fixed->setAutoresizingMask(ViewAutoresizingFlexibleLeftMargin);
  panel->addSubview(fixed);
  C::activateConstraints(
      {make(a, LayoutAttributeBottom, LayoutRelationLessThanOrEqual, fixed, LayoutAttributeTop)});
  EXPECT_TRUE(laidOut(*a, 100, 5, 100, 10));
  // Removed from the tree, a view's constraints with its old relatives stop counting.
  a->removeFromSuperview();
  root->layoutIfNeeded();
  EXPECT_FALSE(std::isnan(b->frame().origin.x));
  EXPECT_NEAR(panel->frame().size.width, 200, 1e-6);
  panel->addSubview(a);
  EXPECT_TRUE(laidOut(*a, 100, 5, 100, 10));
  EXPECT_NEAR(b->frame().origin.x, 68, 1e-6);
}

// Random constraints, priorities, constants and tree moves: every pass ends with finite frames
// and no crash, however contradictory the constraints get.
TEST_F(LayoutConstraintTest, RandomChangesKeepFramesFinite) {
  CapturedLog log;
  std::mt19937 random(11);
  std::vector<std::shared_ptr<View>> views{root};
  for (int i = 0; i < 8; ++i) {
    auto v = i % 3 == 2 ? View::create(makeRect(5, 5, 40, 40)) : View::create();
    if (i % 3 != 2) setTranslatesAutoresizingMaskIntoConstraints(*v, false);
    views[random() % views.size()]->addSubview(v);
    views.push_back(v);
  }
  std::vector<std::shared_ptr<C>> made;
  for (int step = 0; step < 300; ++step) {
    const auto pick = [&] { return views[1 + random() % (views.size() - 1)]; };
    switch (random() % 6) {
      case 0:
      case 1: {
        auto a = pick(), b = random() % 4 ? pick() : nullptr;
        const long aa = 1 + random() % 20, ba = 1 + random() % 20;
        auto c = make(a, static_cast<LayoutAttribute>(aa),
                      static_cast<LayoutRelation>(static_cast<long>(random() % 3) - 1), b,
                      static_cast<LayoutAttribute>(b ? ba : 0), (random() % 4) * 0.5,
                      static_cast<double>(random() % 200) - 50);
        c->setPriority(random() % 2 ? 1000.0f : static_cast<float>(1 + random() % 999));
        c->setActive(true);
        made.push_back(c);
        break;
      }
      case 2:
        if (!made.empty()) made[random() % made.size()]->setActive(false);
        break;
      case 3:
        if (!made.empty()) made[random() % made.size()]->setConstant(random() % 100);
        break;
      case 4: {
        auto v = pick(), to = views[random() % views.size()];
        if (!to->isDescendantOfView(v.get())) to->addSubview(v);
        break;
      }
      default:
        root->setFrame(makeRect(0, 0, 200 + random() % 300, 300 + random() % 300));
    }
    root->layoutIfNeeded();
    for (const auto& v : views) {
      const Rect f = v->frame();
      ASSERT_TRUE(std::isfinite(f.origin.x) && std::isfinite(f.origin.y) &&
                  std::isfinite(f.size.width) && std::isfinite(f.size.height))
          << "step " << step;
    }
  }
}

// A list that opted out of its mask but is placed by its frame, beside a bar placed by
// constraints: the list keeps every frame it is given, until constraints of its own place it.
TEST_F(LayoutConstraintTest, AViewThatOptedOutWithoutConstraintsKeepsItsFrame) {
  auto list = constrainedChild(root), bar = constrainedChild(root);
  list->setFrame(makeRect(0, 64, 320, 416));
  auto barHeight = sized(bar, LayoutAttributeHeight, 44);
  C::activateConstraints({eq(bar, LayoutAttributeLeft, root, LayoutAttributeLeft),
                          eq(bar, LayoutAttributeRight, root, LayoutAttributeRight),
                          eq(bar, LayoutAttributeBottom, root, LayoutAttributeBottom), barHeight});
  EXPECT_TRUE(laidOut(*bar, 0, 436, 320, 44));
  EXPECT_TRUE(hasFrame(*list, 0, 64, 320, 416));

  list->setFrame(makeRect(0, 0, 320, 480));  // given another frame, e.g. after Back
  barHeight->setConstant(49);                // and the tree is solved again
  root->setNeedsLayout();
  EXPECT_TRUE(laidOut(*list, 0, 0, 320, 480));
  EXPECT_TRUE(hasFrame(*bar, 0, 431, 320, 49));

  // Constraints of its own place it; without them again it stays where they left it.
  auto own = std::vector<std::shared_ptr<C>>{
      eq(list, LayoutAttributeLeft, root, LayoutAttributeLeft, 10),
      eq(list, LayoutAttributeTop, root, LayoutAttributeTop, 20),
      eq(list, LayoutAttributeRight, root, LayoutAttributeRight, -10),
      eq(list, LayoutAttributeBottom, bar, LayoutAttributeTop)};
  C::activateConstraints(own);
  EXPECT_TRUE(laidOut(*list, 10, 20, 300, 411));
  C::deactivateConstraints(own);
  EXPECT_TRUE(laidOut(*list, 10, 20, 300, 411));
  list->setFrame(makeRect(5, 5, 50, 50));
  barHeight->setConstant(44);
  EXPECT_TRUE(laidOut(*list, 5, 5, 50, 50));
  EXPECT_TRUE(hasFrame(*bar, 0, 436, 320, 44));
}

// Each tree reads itself again only for its own changes, yet a subtree that carries constraints
// into another tree, or leaves one, is followed wherever it goes.
TEST_F(LayoutConstraintTest, ConstraintsFollowSubtreesBetweenTrees) {
  auto first = View::create(makeRect(0, 0, 320, 480)),
       second = View::create(makeRect(0, 0, 200, 100));
  auto card = View::create(makeRect(0, 0, 200, 100));
  auto title = constrainedChild(card);
  auto inset = eq(title, LayoutAttributeLeft, card, LayoutAttributeLeft, 10);
  C::activateConstraints({inset, eq(title, LayoutAttributeTop, card, LayoutAttributeTop),
                          sized(title, LayoutAttributeWidth, 50),
                          sized(title, LayoutAttributeHeight, 20)});
  first->addSubview(card);  // built apart, then shown
  first->layoutIfNeeded();
  EXPECT_TRUE(hasFrame(*title, 10, 0, 50, 20));

  second->addSubview(card);  // straight from one tree into another without constraints
  inset->setConstant(30);
  second->layoutIfNeeded();
  EXPECT_TRUE(hasFrame(*title, 30, 0, 50, 20));
  card->removeFromSuperview();  // on its own
  inset->setConstant(40);
  card->layoutIfNeeded();
  EXPECT_TRUE(hasFrame(*title, 40, 0, 50, 20));

  // A constraint held by the tree, naming a view of a subtree that is away, counts again when
  // the subtree comes back, with what changed meanwhile.
  first->addSubview(card);
  auto below = constrainedChild(first);
  auto gap = eq(below, LayoutAttributeTop, title, LayoutAttributeBottom, 5);
  C::activateConstraints({gap, eq(below, LayoutAttributeLeft, first, LayoutAttributeLeft),
                          sized(below, LayoutAttributeWidth, 10),
                          sized(below, LayoutAttributeHeight, 10)});
  first->layoutIfNeeded();
  EXPECT_NEAR(below->frame().origin.y, 25, 1e-6);
  card->removeFromSuperview();
  first->layoutIfNeeded();
  gap->setConstant(8);
  inset->setConstant(10);
  card->setFrame(makeRect(0, 100, 200, 100));
  first->addSubview(card);
  first->layoutIfNeeded();
  EXPECT_NEAR(below->frame().origin.y, 128, 1e-6);
  EXPECT_TRUE(hasFrame(*title, 10, 0, 50, 20));

  // With its last constraint gone the tree keeps its frames, and a new constraint is obeyed.
  for (const auto& v : {first, card, title, below}) {
    const auto installed = constraints(*v);  // a copy: deactivating edits the list
    C::deactivateConstraints(installed);
  }
  first->layoutIfNeeded();
  EXPECT_NEAR(below->frame().origin.y, 128, 1e-6);
  sized(below, LayoutAttributeWidth, 70)->setActive(true);
  first->layoutIfNeeded();
  EXPECT_NEAR(below->frame().size.width, 70, 1e-6);
}

class NotANumberWide : public View {
  using View::View;

 public:
  Size intrinsicContentSize() const override { return {NAN, 20}; }
};

// A frame the solver cannot take (not a number) is refused; the refusal is logged, and the views
// placed by constraints keep the last solution.
TEST_F(LayoutConstraintTest, ASolverRefusalIsLoggedNotDropped) {
  CapturedLog log;
  auto held = View::create(makeRect(10, 10, 50, 50));  // translates its mask: held at its frame
  root->addSubview(held);
  auto v = constrainedChild(root);
  eq(v, LayoutAttributeLeft, held, LayoutAttributeRight, 8)->setActive(true);
  root->layoutIfNeeded();
  EXPECT_NEAR(v->frame().origin.x, 68, 1e-6);
  const auto refusals = [&log] {
    int n = 0;
    for (const auto& line : log.lines) {
      n += line.find("LayoutEngine: suggesting a frame value") == 0 &&
           line.find("not a finite number") != std::string::npos;
    }
    return n;
  };
  EXPECT_EQ(refusals(), 0);
  held->setFrame(makeRect(NAN, 10, 50, 50));
  root->setNeedsLayout();
  root->layoutIfNeeded();
  EXPECT_EQ(refusals(), 1);
  EXPECT_NEAR(v->frame().origin.x, 68, 1e-6);

  // A size that is not a number is left out with that reason, not called a contradiction.
  auto odd = Object::make<NotANumberWide>();
  root->addSubview(odd);
  setTranslatesAutoresizingMaskIntoConstraints(*odd, false);
  sized(odd, LayoutAttributeTop, 5)->setActive(true);
  log.lines.clear();
  root->layoutIfNeeded();
  bool named = false;
  for (const auto& line : log.lines) {
    EXPECT_EQ(line.find("unable to satisfy"), std::string::npos) << line;
    named |= line.find("breaking compression resistance: the constant is not a finite number") !=
             std::string::npos;
  }
  EXPECT_TRUE(named);
}

TEST_F(LayoutConstraintTest, ImpossibleRequiredConstraintsAreBrokenAndLogged) {
  CapturedLog log;
  auto v = constrainedChild(root);
  auto first = sized(v, LayoutAttributeWidth, 100);
  auto second = sized(v, LayoutAttributeWidth, 200);
  second->setIdentifier("too-wide");
  C::activateConstraints({first, second});
  root->layoutIfNeeded();
  EXPECT_NEAR(v->frame().size.width, 100, 1e-6);
  bool reported = false;
  for (const auto& line : log.lines) reported |= line.find("too-wide") != std::string::npos;
  EXPECT_TRUE(reported);
  first->setActive(false);  // the broken one takes over once it can hold
  root->layoutIfNeeded();
  EXPECT_NEAR(v->frame().size.width, 200, 1e-6);
}

TEST_F(LayoutConstraintTest, VisualFormatPinsEdgesSpacingsAndSizes) {
  auto bar = constrainedChild(root), page = constrainedChild(root);
  const std::map<std::string, std::shared_ptr<View>> views{{"toorBar", bar}, {"pageLabel", page}};
  const std::map<std::string, double> metrics{{"SCPickerPageCtrlH", 30}};
  std::vector<std::shared_ptr<C>> all;
  for (const char* format :
       {"H:|-0-[toorBar]-0-|", "V:[toorBar(44)]-0-|", "V:[pageLabel(SCPickerPageCtrlH)]-20-|",
        "H:|-[pageLabel(>=40@750)]"}) {
    auto result = C::constraintsWithVisualFormat(format, 0, metrics, views);
    ASSERT_TRUE(result) << format << ": " << result.error().localizedDescription();
    all.insert(all.end(), result.value().begin(), result.value().end());
  }
  C::activateConstraints(all);
  EXPECT_TRUE(laidOut(*bar, 0, 436, 320, 44));
  EXPECT_NEAR(page->frame().origin.x, 20, 1e-6);  // the standard spacing to an edge
  EXPECT_NEAR(page->frame().origin.y, 480 - 20 - 30, 1e-6);
  EXPECT_NEAR(page->frame().size.height, 30, 1e-6);

  for (const char* bad : {"H:|-0-[nobody]-0-|", "V:[toorBar(unknownMetric)]", "H:[toorBar",
                          "H:|-0-[toorBar]-x", "", "H:[toorBar(@2000)]"}) {
    auto result = C::constraintsWithVisualFormat(bad, 0, metrics, views);
    ASSERT_FALSE(result) << bad;
    EXPECT_NE(result.error().localizedDescription().find("Unable to parse constraint format"),
              std::string::npos);
  }
  auto orphan = View::create();  // '|' needs a superview
  EXPECT_FALSE(C::constraintsWithVisualFormat("H:|[o]", 0, {}, {{"o", orphan}}));
}

}  // namespace
}  // namespace platform
