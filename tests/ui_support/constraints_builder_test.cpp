// The constraint builder: what it installs, where, how it updates, and the screens it lays out.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Exception.h"
#include "platform/foundation/Log.h"
#include "platform/layout/LayoutGuide.h"
#include "platform/layout/ViewLayout.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "ui/support/constraints/CMCompositeConstraint.h"
#include "ui/support/constraints/CMConstraintMaker.h"
#include "ui/support/constraints/CMViewConstraint.h"
#include "ui/support/constraints/LayoutConstraintCMDebugAdditions.h"
#include "ui/support/constraints/ViewArrayCMAdditions.h"
#include "ui/support/constraints/ViewCMAdditions.h"
#include "ui/support/constraints/ViewControllerCMAdditions.h"

namespace sprout {
namespace {

using platform::makeRect;
using platform::View;

std::shared_ptr<CMViewConstraint> single(const CMConstraint::Ptr& c) {
  return std::dynamic_pointer_cast<CMViewConstraint>(c);
}
std::shared_ptr<CMCompositeConstraint> group(const CMConstraint::Ptr& c) {
  return std::dynamic_pointer_cast<CMCompositeConstraint>(c);
}
long attributeOf(const CMConstraint::Ptr& c) {
  return single(c)->firstViewAttribute().layoutAttribute();
}

// The log lines written while `work` runs.
std::vector<std::string> logOf(const std::function<void()>& work) {
  std::vector<std::string> logged;
  platform::setLogSink(
      [&](platform::LogLevel, std::string_view, std::string_view m) { logged.emplace_back(m); });
  work();
  platform::setLogSink(nullptr);
  return logged;
}

struct Tree {
  std::shared_ptr<View> root = View::create(makeRect(0, 0, 320, 480));
  std::shared_ptr<View> box = View::create(), other = View::create();
  Tree() {
    root->addSubview(box);
    root->addSubview(other);
  }
};

TEST(CMViewConstraint, InsetsSizesAndCentresReachOnlyTheirAttributes) {
  Tree t;
  const platform::EdgeInsets insets{10, 20, 30, 40};
  using Apply = std::function<void(CMViewConstraint&)>;
  const Apply withInsets = [&](CMViewConstraint& c) { c.insets(insets); };
  const Apply withSize = [](CMViewConstraint& c) { c.sizeOffset({5, 6}); };
  const Apply withCentre = [](CMViewConstraint& c) { c.centerOffset({7, 8}); };
  // Boxed values pick their setter; an unsupported one changes nothing.
  auto boxed = [](CMBoxedValue v) { return Apply([v](CMViewConstraint& c) { c.valueOffset(v); }); };
  const std::tuple<platform::LayoutAttribute, Apply, double> cases[] = {
      {platform::LayoutAttributeLeft, withInsets, 20},
      {platform::LayoutAttributeLeading, withInsets, 20},
      {platform::LayoutAttributeRight, withInsets, -40},
      {platform::LayoutAttributeTrailing, withInsets, -40},
      {platform::LayoutAttributeTop, withInsets, 10},
      {platform::LayoutAttributeBottom, withInsets, -30},
      {platform::LayoutAttributeWidth, withInsets, 0},
      {platform::LayoutAttributeCenterX, withSize, 0},
      {platform::LayoutAttributeWidth, withSize, 5},
      {platform::LayoutAttributeHeight, withSize, 6},
      {platform::LayoutAttributeCenterY, withCentre, 8},
      {platform::LayoutAttributeTop, withCentre, 0},
      {platform::LayoutAttributeRight, boxed(insets), -40},
      {platform::LayoutAttributeCenterX, boxed(platform::Point{3, 4}), 3},
      {platform::LayoutAttributeTop, boxed(12.0), 12},
      {platform::LayoutAttributeTop, boxed(std::monostate{}), 0}};
  int i = 0;
  for (const auto& [attribute, apply, constant] : cases) {
    auto c = CMViewConstraint::create(cm_attribute(t.box, attribute));
    apply(*c);
    EXPECT_EQ(c->layoutConstant(), constant) << "case " << i++;
  }

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

  // Nothing to hold a position: skipped, with the reason.
  auto orphan = View::create();
  std::vector<CMConstraint::Ptr> none;
  const auto logged = logOf([&] {
    none = cm_makeConstraints(orphan, [](CMConstraintMaker& make) { make.left()->equalTo(5); });
    cm_makeConstraints(t.box,
                       [](CMConstraintMaker& make) { make.right()->equalTo(View::create()); });
  });
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
  EXPECT_EQ(attributeOf(chain->childConstraints()[0]), 1);
  EXPECT_EQ(attributeOf(chain->childConstraints()[1]), 2);

  std::vector<long> order;
  for (const auto& c : group(maker->edges())->childConstraints()) order.push_back(attributeOf(c));
  EXPECT_EQ(order, (std::vector<long>{1, 2, 3, 4}));
  EXPECT_EQ(group(maker->size())->childConstraints().size(), 2u);
  auto center = group(maker->center());
  EXPECT_EQ(attributeOf(center->childConstraints()[1]), 10);
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
  auto root = View::create(makeRect(0, 0, 320, 480));
  auto v = View::create();
  auto s2 = View::create(makeRect(40, 40, 200, 200));
  root->addSubview(s2);
  std::shared_ptr<CMViewConstraint> c;
  std::shared_ptr<CMLayoutConstraint> old;
  {
    auto s = View::create(makeRect(0, 0, 100, 100));
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
  EXPECT_EQ(CMViewConstraint::installedConstraintsForView(*v).size(), 1u);
  v->setFrame(makeRect(0, 0, 50, 20));
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

TEST(CMViewAdditions, ClosestCommonSuperviewAndAttributeIdentity) {
  Tree t;
  auto inner = View::create();
  t.box->addSubview(inner);
  EXPECT_EQ(cm_closestCommonSuperview(t.box, t.other), t.root);
  EXPECT_EQ(cm_closestCommonSuperview(inner, t.other), t.root);
  EXPECT_EQ(cm_closestCommonSuperview(inner, t.box), t.box);
  EXPECT_EQ(cm_closestCommonSuperview(t.box, t.box), t.box);
  EXPECT_EQ(cm_closestCommonSuperview(t.box, nullptr), nullptr);
  auto w1 = platform::Window::create(makeRect(0, 0, 10, 10));
  auto w2 = platform::Window::create(makeRect(0, 0, 10, 10));
  auto a = View::create(), b = View::create();
  w1->addSubview(a);
  w2->addSubview(b);
  EXPECT_EQ(cm_closestCommonSuperview(a, b), nullptr);
  EXPECT_TRUE(CMViewAttribute(t.box, 1) == CMViewAttribute(t.box, 1));
  EXPECT_FALSE(CMViewAttribute(t.box, 1) == CMViewAttribute(t.box, 2));
  EXPECT_EQ(CMViewAttribute(t.box, 1).hash(), CMViewAttribute(t.box, 1).hash());
}

CMViews rowIn(const std::shared_ptr<View>& parent, int count) {
  CMViews views;
  for (int i = 0; i < count; ++i) {
    views.push_back(View::create());
    parent->addSubview(views.back());
  }
  cm_makeConstraints(views, [](CMConstraintMaker& make) {
    make.top()->equalTo(0);
    make.height()->equalTo(20);
  });
  return views;
}

TEST(CMDistribution, FixedSpacingSharesTheWidth) {
  auto root = View::create(makeRect(0, 0, 325, 100));
  auto views = rowIn(root, 3);
  cm_distributeViewsAlongAxis(views, 0, CMFixedSpacing{10}, 5, 5);
  root->layoutIfNeeded();
  const double width = (325 - 5 - 5 - 20) / 3.0;  // 98.33
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(views[i]->frame().size.width, width, 1e-6);
    EXPECT_NEAR(views[i]->frame().origin.x, 5 + i * (width + 10), 1e-6);
  }
  root->setFrame(makeRect(0, 0, 425, 100));  // the gaps stay, the widths grow
  root->layoutIfNeeded();
  EXPECT_NEAR(views[2]->frame().origin.x - views[1]->frame().origin.x, (415 - 20) / 3.0 + 10, 1e-6);
}

TEST(CMDistribution, FixedLengthSpreadsTheEdgesLinearly) {
  auto root = View::create(makeRect(0, 0, 300, 100));
  auto views = rowIn(root, 3);
  cm_distributeViewsAlongAxis(views, 0, CMFixedItemLength{50}, 10, 10);
  root->layoutIfNeeded();
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(views[i]->frame().origin.x, 10 + 115 * i, 1e-6);
    EXPECT_NEAR(views[i]->frame().size.width, 50, 1e-6);
  }
  // Four views: the middle multipliers are 1/3 and 2/3, in floating point.
  auto wide = View::create(makeRect(0, 0, 400, 100));
  auto four = rowIn(wide, 4);
  cm_distributeViewsAlongAxis(four, 0, CMFixedItemLength{40}, 0, 0);
  wide->layoutIfNeeded();
  double trailing = 0;  // the multiplier on the second view's trailing edge
  for (const auto& c : CMViewConstraint::installedConstraintsForView(*four[1])) {
    if (c->firstViewAttribute().layoutAttribute() == platform::LayoutAttributeRight) {
      trailing = c->layoutMultiplier();
    }
  }
  EXPECT_NEAR(trailing, 1.0 / 3, 1e-12);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(four[i]->frame().origin.x + 40, 40 + i * (400 - 40) / 3.0, 1e-6);
  }
}

TEST(CMDistribution, FewerThanTwoOrUnrelatedViewsAreLeftAlone) {
  auto root = View::create(makeRect(0, 0, 300, 100));
  CMViews one{View::create()};
  root->addSubview(one[0]);
  cm_distributeViewsAlongAxis(one, 0, CMFixedSpacing{10}, 0, 0);
  EXPECT_TRUE(CMViewConstraint::installedConstraintsForView(*one[0]).empty());
  CMViews apart{View::create(), View::create()};
  EXPECT_EQ(
      logOf([&] { cm_distributeViewsAlongAxis(apart, 1, CMFixedItemLength{10}, 0, 0); }).size(),
      1u);
  EXPECT_TRUE(CMViewConstraint::installedConstraintsForView(*apart[0]).empty());
  EXPECT_EQ(cm_commonSuperviewOfViews({nullptr, one[0]}), one[0]);
  EXPECT_EQ(cm_commonSuperviewOfViews({}), nullptr);
}

TEST(CMLayout, AScreenFromTheBuilderLaysOutAndUpdates) {
  auto controller = platform::ViewController::create();
  auto root = controller->view();
  root->setFrame(makeRect(0, 0, 320, 480));
  platform::topLayoutGuide(*controller)->setLength(20);
  auto header = View::create(), card = View::create();
  root->addSubview(header);
  root->addSubview(card);
  cm_makeConstraints(header, [&](CMConstraintMaker& make) {
    make.top()->equalTo(cm_topLayoutGuide(*controller));
    make.left()->right()->equalTo(root)->insets({0, 8, 0, 8});
    make.height()->equalTo(44);
  });
  cm_makeConstraints(card, [&](CMConstraintMaker& make) {
    make.center()->equalTo(root)->centerOffset({0, 20});
    make.width()->equalTo(root)->multipliedBy(0.5);
    make.height()->equalTo(cm_width(card));
  });
  root->layoutIfNeeded();
  EXPECT_EQ(header->frame(), makeRect(8, 20, 304, 44));
  EXPECT_EQ(card->frame(), makeRect(80, 240 + 20 - 80, 160, 160));
  cm_updateConstraints(header, [](CMConstraintMaker& make) { make.height()->equalTo(60); });
  cm_remakeConstraints(card, [&](CMConstraintMaker& make) {
    make.edges()->equalTo(root)->insets({100, 10, 10, 10});
  });
  root->layoutIfNeeded();
  EXPECT_EQ(header->frame().size.height, 60);
  EXPECT_EQ(card->frame(), makeRect(10, 100, 300, 370));
}

TEST(CMDebugDescriptions, NameViewsAndConstraintsByTheirKeys) {
  auto root = View::create(makeRect(0, 0, 320, 480));
  auto box = View::create();
  root->addSubview(box);
  setCm_key(*box, "box");
  auto made = cm_makeConstraints(box, [&](CMConstraintMaker& make) {
    make.left()->equalTo(10)->key("c1");
    make.width()->equalTo(100);
    make.right()->equalTo(cm_centerX(root))->multipliedBy(0.5)->offset(-8)->priorityHigh();
    make.top()->equalTo(root)->priority(600);
  });
  auto text = [&](std::size_t i) { return single(made[i])->layoutConstraint()->description(); };
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(root.get()));
  EXPECT_EQ(text(0),
            std::string("<CMLayoutConstraint:c1 View:box.left == View:") + address + ".left + 10>");
  EXPECT_NE(text(1).find(" View:box.width == 100>"), std::string::npos);
  EXPECT_NE(text(2).find(".right == View:" + std::string(address) + ".centerX * 0.5 - 8 ^high>"),
            std::string::npos);
  EXPECT_NE(text(3).find(" ^600>"), std::string::npos);
  EXPECT_EQ(layoutPriorityDescriptionsByValue().at(50), "fitting size");
  auto odd = platform::LayoutConstraint::create(box, static_cast<platform::LayoutAttribute>(12),
                                                platform::LayoutRelationEqual, nullptr,
                                                platform::LayoutAttributeNotAnAttribute, 1, 0);
  EXPECT_NE(odd->description().find(".(12) == 0>"), std::string::npos);
}

}  // namespace
}  // namespace sprout
