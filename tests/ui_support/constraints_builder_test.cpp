// The constraint builder's model and maker: what it installs, where, and how it updates.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/layout/ViewLayout.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "ui/support/constraints/CMCompositeConstraint.h"
#include "ui/support/constraints/CMConstraintMaker.h"
#include "ui/support/constraints/CMViewConstraint.h"
#include "ui/support/constraints/UIViewCMAdditions.h"

namespace sprout {
namespace {

using platform::View;

std::shared_ptr<CMViewConstraint> single(const CMConstraint::Ptr& c) {
  return std::dynamic_pointer_cast<CMViewConstraint>(c);
}
std::shared_ptr<CMCompositeConstraint> group(const CMConstraint::Ptr& c) {
  return std::dynamic_pointer_cast<CMCompositeConstraint>(c);
}

struct Tree {
  std::shared_ptr<View> root = View::create(platform::makeRect(0, 0, 320, 480));
  std::shared_ptr<View> box = View::create(), other = View::create();
  Tree() {
    root->addSubview(box);
    root->addSubview(other);
  }
};

TEST(CMViewConstraint, InsetsSizesAndCentresReachOnlyTheirAttributes) {
  Tree t;
  const platform::EdgeInsets insets{10, 20, 30, 40};
  auto constantFor = [&](long attribute, auto apply) {
    auto c = CMViewConstraint::create(cm_attribute(t.box, attribute));
    apply(*c);
    return c->layoutConstant();
  };
  auto withInsets = [&](CMViewConstraint& c) { c.insets(insets); };
  EXPECT_EQ(constantFor(platform::LayoutAttributeLeft, withInsets), 20);
  EXPECT_EQ(constantFor(platform::LayoutAttributeLeading, withInsets), 20);
  EXPECT_EQ(constantFor(platform::LayoutAttributeRight, withInsets), -40);
  EXPECT_EQ(constantFor(platform::LayoutAttributeTrailing, withInsets), -40);
  EXPECT_EQ(constantFor(platform::LayoutAttributeTop, withInsets), 10);
  EXPECT_EQ(constantFor(platform::LayoutAttributeBottom, withInsets), -30);
  EXPECT_EQ(constantFor(platform::LayoutAttributeWidth, withInsets), 0);
  auto withSize = [](CMViewConstraint& c) { c.sizeOffset({5, 6}); };
  EXPECT_EQ(constantFor(platform::LayoutAttributeCenterX, withSize), 0);
  EXPECT_EQ(constantFor(platform::LayoutAttributeWidth, withSize), 5);
  EXPECT_EQ(constantFor(platform::LayoutAttributeHeight, withSize), 6);
  auto withCentre = [](CMViewConstraint& c) { c.centerOffset({7, 8}); };
  EXPECT_EQ(constantFor(platform::LayoutAttributeCenterY, withCentre), 8);
  EXPECT_EQ(constantFor(platform::LayoutAttributeTop, withCentre), 0);
  // Boxed values pick their setter; an unsupported one changes nothing.
  auto boxed = [](CMBoxedValue v) { return [v](CMViewConstraint& c) { c.valueOffset(v); }; };
  EXPECT_EQ(constantFor(platform::LayoutAttributeRight, boxed(insets)), -40);
  EXPECT_EQ(constantFor(platform::LayoutAttributeCenterX, boxed(platform::Point{3, 4})), 3);
  EXPECT_EQ(constantFor(platform::LayoutAttributeTop, boxed(12.0)), 12);
  EXPECT_EQ(constantFor(platform::LayoutAttributeTop, boxed(std::monostate{})), 0);

  auto c = CMViewConstraint::create(cm_attribute(t.box, platform::LayoutAttributeWidth));
  c->dividedBy(4);
  EXPECT_EQ(c->layoutMultiplier(), 0.25);
  c->dividedBy(0);  // no infinite multiplier
  EXPECT_EQ(c->layoutMultiplier(), 0.25);
}

TEST(CMViewConstraint, InstallsOnTheSuperviewTheViewOrTheCommonAncestor) {
  Tree t;
  auto inner = View::create();
  t.other->addSubview(inner);
  auto made = cm_makeConstraints(t.box, [&](CMConstraintMaker& make) {
    make.left()->equalTo(10);
    make.width()->equalTo(100);
    make.top()->equalTo(inner);
  });
  ASSERT_EQ(made.size(), 3u);
  auto left = single(made[0])->layoutConstraint();
  EXPECT_EQ(left->secondItem(), t.root);
  EXPECT_EQ(left->secondAttribute(), platform::LayoutAttributeLeft);
  EXPECT_EQ(left->constant(), 10);
  EXPECT_EQ(single(made[0])->installedView(), t.root);
  auto width = single(made[1])->layoutConstraint();
  EXPECT_FALSE(width->secondItem());
  EXPECT_EQ(width->secondAttribute(), platform::LayoutAttributeNotAnAttribute);
  EXPECT_EQ(single(made[1])->installedView(), t.box);
  auto top = single(made[2])->layoutConstraint();
  EXPECT_EQ(top->secondItem(), inner);  // a view means its attribute of the same kind
  EXPECT_EQ(top->secondAttribute(), platform::LayoutAttributeTop);
  EXPECT_EQ(single(made[2])->installedView(), t.root);
  EXPECT_FALSE(platform::translatesAutoresizingMaskIntoConstraints(*t.box));
  EXPECT_EQ(CMViewConstraint::installedConstraintsForView(*t.box).size(), 3u);

  std::vector<std::string> logged;  // nothing to hold a position: skipped, with the reason
  platform::setLogSink(
      [&](platform::LogLevel, std::string_view, std::string_view m) { logged.emplace_back(m); });
  auto orphan = View::create();
  auto none = cm_makeConstraints(orphan, [](CMConstraintMaker& make) { make.left()->equalTo(5); });
  auto stranger = View::create();
  cm_makeConstraints(t.box, [&](CMConstraintMaker& make) { make.right()->equalTo(stranger); });
  platform::setLogSink(nullptr);
  EXPECT_FALSE(single(none[0])->layoutConstraint());
  EXPECT_EQ(logged.size(), 2u);
  EXPECT_TRUE(platform::constraints(*orphan).empty());
}

TEST(CMConstraintMaker, ArraysGroupsAndChainsBecomeComposites) {
  Tree t;
  auto third = View::create();
  t.root->addSubview(third);
  auto maker = CMConstraintMaker::create(t.box);
  auto result = maker->width()->equalTo(std::vector<CMConstraintTarget>{t.other, third});
  ASSERT_EQ(maker->constraints().size(), 1u);
  auto composite = group(maker->constraints()[0]);
  ASSERT_TRUE(composite);
  EXPECT_EQ(result, composite);
  ASSERT_EQ(composite->childConstraints().size(), 2u);
  EXPECT_EQ(single(composite->childConstraints()[1])->secondViewAttribute()->view(), third);

  maker->left()->right()->equalTo(t.root);  // one group, left then right
  auto chain = group(maker->constraints()[1]);
  ASSERT_TRUE(chain);
  EXPECT_EQ(single(chain->childConstraints()[0])->firstViewAttribute().layoutAttribute(), 1);
  EXPECT_EQ(single(chain->childConstraints()[1])->firstViewAttribute().layoutAttribute(), 2);

  auto edges = group(maker->edges());
  std::vector<long> order;
  for (const auto& c : edges->childConstraints()) {
    order.push_back(single(c)->firstViewAttribute().layoutAttribute());
  }
  EXPECT_EQ(order, (std::vector<long>{1, 2, 3, 4}));
  EXPECT_EQ(group(maker->size())->childConstraints().size(), 2u);
  auto center = group(maker->center());
  EXPECT_EQ(single(center->childConstraints()[1])->firstViewAttribute().layoutAttribute(), 10);

  center->key("box");
  EXPECT_EQ(single(center->childConstraints()[0])->cm_key(), "box[0]");
  EXPECT_EQ(single(center->childConstraints()[1])->cm_key(), "box[1]");
}

TEST(CMConstraintMaker, WorkInsideAGroupReachesTheMakersList) {
  Tree t;
  auto maker = CMConstraintMaker::create(t.box);
  auto g = maker->group([&] {
    maker->top();
    maker->height();
  });
  ASSERT_EQ(g->childConstraints().size(), 2u);
  EXPECT_EQ(maker->constraints().size(), 2u);
  g->childConstraints()[0]->equalTo(std::vector<CMConstraintTarget>{t.root, t.other});
  EXPECT_TRUE(group(maker->constraints()[0]));  // the replacement, not the stale child
  g->addConstraintWithLayoutAttribute(platform::LayoutAttributeCenterX);
  EXPECT_EQ(maker->constraints().size(), 3u);
  g->equalTo(t.root);
  maker->install();
  EXPECT_EQ(CMViewConstraint::installedConstraintsForView(*t.box).size(), 4u);
}

TEST(CMConstraintMaker, UpdateMatchesEverythingButTheConstant) {
  Tree t;
  auto made = cm_makeConstraints(t.box, [](CMConstraintMaker& make) {
    make.width()->equalTo(5);
    make.height()->equalTo(5)->multipliedBy(1);
  });
  auto first = single(made[0])->layoutConstraint();
  const auto before = platform::constraints(*t.box).size();
  cm_updateConstraints(t.box, [](CMConstraintMaker& make) { make.width()->equalTo(50); });
  EXPECT_EQ(platform::constraints(*t.box).size(), before);
  EXPECT_EQ(first->constant(), 50);
  cm_updateConstraints(t.box, [](CMConstraintMaker& make) {
    make.width()->equalTo(60)->priorityHigh();  // another priority: a new constraint
  });
  cm_updateConstraints(t.box, [](CMConstraintMaker& make) {
    make.height()->equalTo(7)->multipliedBy(2);  // another multiplier: likewise
  });
  EXPECT_EQ(platform::constraints(*t.box).size(), before + 2);
  EXPECT_EQ(first->constant(), 50);
}

TEST(CMConstraintMaker, UninstallReinstallAndRemake) {
  Tree t;
  auto made = cm_makeConstraints(
      t.box, [&](CMConstraintMaker& make) { make.left()->equalTo(t.other)->offset(3); });
  auto c = single(made[0]);
  auto platformConstraint = c->layoutConstraint();
  c->uninstall();
  EXPECT_FALSE(platformConstraint->isActive());
  EXPECT_TRUE(CMViewConstraint::installedConstraintsForView(*t.box).empty());
  c->install();
  EXPECT_EQ(c->layoutConstraint(), platformConstraint);  // the same one, active again
  EXPECT_TRUE(platformConstraint->isActive());
  EXPECT_EQ(platform::constraints(*t.root).size(), 1u);
  c->setLayoutConstant(9);  // reaches the installed constraint at once
  EXPECT_EQ(platformConstraint->constant(), 9);

  cm_remakeConstraints(t.box, [](CMConstraintMaker& make) { make.size()->equalTo(20); });
  EXPECT_FALSE(platformConstraint->isActive());
  EXPECT_TRUE(platform::constraints(*t.root).empty());
  EXPECT_EQ(platform::constraints(*t.box).size(), 2u);
  EXPECT_EQ(CMViewConstraint::installedConstraintsForView(*t.box).size(), 2u);
}

TEST(CMConstraintMaker, AReinstallWhoseItemDiedRelatesToTheViewsAsTheyAreNow) {
  auto root = View::create(platform::makeRect(0, 0, 320, 480));
  auto v = View::create();
  auto s2 = View::create(platform::makeRect(40, 40, 200, 200));
  root->addSubview(s2);
  std::shared_ptr<CMViewConstraint> c;
  std::shared_ptr<CMLayoutConstraint> old;
  {
    auto s = View::create(platform::makeRect(0, 0, 100, 100));
    root->addSubview(s);
    s->addSubview(v);
    c = single(cm_makeConstraints(v, [](CMConstraintMaker& make) { make.left()->equalTo(10); })[0]);
    old = c->layoutConstraint();
    EXPECT_EQ(old->secondItem(), s);
    c->uninstall();
    s2->addSubview(v);
    s->removeFromSuperview();
  }
  ASSERT_EQ(old->secondItem(), nullptr);  // its superview is gone
  c->install();
  ASSERT_NE(c->layoutConstraint(), old);
  EXPECT_TRUE(c->layoutConstraint()->isActive());
  EXPECT_EQ(c->layoutConstraint()->secondItem(), s2);
  EXPECT_EQ(c->installedView(), s2);
  EXPECT_EQ(platform::constraints(*s2).size(), 1u);
  EXPECT_EQ(CMViewConstraint::installedConstraintsForView(*v).size(), 1u);
  v->setFrame(platform::makeRect(0, 0, 50, 20));
  root->layoutIfNeeded();
  EXPECT_EQ(v->frame().origin.x, 10);

  // A second uninstall and install still reuses the fresh one while its items live.
  auto fresh = c->layoutConstraint();
  c->uninstall();
  c->install();
  EXPECT_EQ(c->layoutConstraint(), fresh);
  EXPECT_EQ(platform::constraints(*s2).size(), 1u);
}

TEST(CMConstraint, AbstractOperationsRaiseNamingThemselves) {
  struct Bare : CMConstraint {};
  auto bare = std::make_shared<Bare>();
  try {
    bare->multipliedBy(2);
    FAIL() << "no raise";
  } catch (const platform::Exception& e) {
    EXPECT_EQ(e.name(), platform::kInternalInconsistencyException);
    EXPECT_EQ(e.reason(), "You must override multipliedBy in a subclass.");
  }
  EXPECT_THROW(bare->install(), platform::Exception);
  EXPECT_THROW(bare->left(), platform::Exception);
  EXPECT_THROW(bare->offset(1), platform::Exception);
}

TEST(CMViewAdditions, ClosestCommonSuperview) {
  Tree t;
  auto inner = View::create();
  t.box->addSubview(inner);
  EXPECT_EQ(cm_closestCommonSuperview(t.box, t.other), t.root);
  EXPECT_EQ(cm_closestCommonSuperview(inner, t.other), t.root);
  EXPECT_EQ(cm_closestCommonSuperview(inner, t.box), t.box);
  EXPECT_EQ(cm_closestCommonSuperview(t.box, t.box), t.box);
  EXPECT_EQ(cm_closestCommonSuperview(t.box, nullptr), nullptr);
  auto w1 = platform::Window::create(platform::makeRect(0, 0, 10, 10));
  auto w2 = platform::Window::create(platform::makeRect(0, 0, 10, 10));
  auto a = View::create(), b = View::create();
  w1->addSubview(a);
  w2->addSubview(b);
  EXPECT_EQ(cm_closestCommonSuperview(a, b), nullptr);
  EXPECT_TRUE(CMViewAttribute(t.box, 1) == CMViewAttribute(t.box, 1));
  EXPECT_FALSE(CMViewAttribute(t.box, 1) == CMViewAttribute(t.box, 2));
  EXPECT_EQ(CMViewAttribute(t.box, 1).hash(), CMViewAttribute(t.box, 1).hash());
}

}  // namespace
}  // namespace sprout
