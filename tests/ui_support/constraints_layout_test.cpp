// The builder's constraints as laid out by the layout pass, and their descriptions.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/layout/LayoutGuide.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "ui/support/constraints/CMConstraintMaker.h"
#include "ui/support/constraints/CMViewConstraint.h"
#include "ui/support/constraints/NSArrayCMAdditions.h"
#include "ui/support/constraints/NSLayoutConstraintCMDebugAdditions.h"
#include "ui/support/constraints/UIViewCMAdditions.h"
#include "ui/support/constraints/UIViewControllerCMAdditions.h"

namespace sprout {
namespace {

using platform::View;

CMViews rowIn(const std::shared_ptr<View>& parent, int count) {
  CMViews views;
  for (int i = 0; i < count; ++i) {
    views.push_back(View::create());
    parent->addSubview(views.back());
  }
  return views;
}

// The multiplier of the constraint the distribution put on a view's trailing edge.
double trailingMultiplier(const std::shared_ptr<View>& view) {
  for (const auto& c : CMViewConstraint::installedConstraintsForView(*view)) {
    if (c->firstViewAttribute().layoutAttribute() == platform::LayoutAttributeRight) {
      return c->layoutMultiplier();
    }
  }
  return 0;
}

void pinVertically(const CMViews& views) {
  cm_makeConstraints(views, [](CMConstraintMaker& make) {
    make.top()->equalTo(0);
    make.height()->equalTo(20);
  });
}

TEST(CMDistribution, FixedSpacingSharesTheWidth) {
  auto root = View::create(platform::makeRect(0, 0, 325, 100));
  auto views = rowIn(root, 3);
  pinVertically(views);
  cm_distributeViewsAlongAxis(views, 0, CMFixedSpacing{10}, 5, 5);
  root->layoutIfNeeded();
  const double width = (325 - 5 - 5 - 20) / 3.0;  // 98.33
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(views[i]->frame().size.width, width, 1e-6);
    EXPECT_NEAR(views[i]->frame().origin.x, 5 + i * (width + 10), 1e-6);
  }
  EXPECT_NEAR(views[1]->frame().origin.x, 113.33, 0.01);
  EXPECT_NEAR(views[2]->frame().origin.x, 221.67, 0.01);
  root->setFrame(platform::makeRect(0, 0, 425, 100));  // the gaps stay, the widths grow
  root->layoutIfNeeded();
  EXPECT_NEAR(views[2]->frame().origin.x - views[1]->frame().origin.x, (415 - 20) / 3.0 + 10, 1e-6);
}

TEST(CMDistribution, FixedLengthSpreadsTheEdgesLinearly) {
  auto root = View::create(platform::makeRect(0, 0, 300, 100));
  auto views = rowIn(root, 3);
  pinVertically(views);
  cm_distributeViewsAlongAxis(views, 0, CMFixedItemLength{50}, 10, 10);
  root->layoutIfNeeded();
  const double lefts[3] = {10, 125, 240};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(views[i]->frame().origin.x, lefts[i], 1e-6);
    EXPECT_NEAR(views[i]->frame().size.width, 50, 1e-6);
  }
  // Four views: the middle multipliers are 1/3 and 2/3, in floating point.
  auto wide = View::create(platform::makeRect(0, 0, 400, 100));
  auto four = rowIn(wide, 4);
  pinVertically(four);
  cm_distributeViewsAlongAxis(four, 0, CMFixedItemLength{40}, 0, 0);
  wide->layoutIfNeeded();
  EXPECT_NEAR(trailingMultiplier(four[1]), 1.0 / 3, 1e-12);
  for (int i = 0; i < 4; ++i) {
    EXPECT_NEAR(four[i]->frame().origin.x + 40, 40 + i * (400 - 40) / 3.0, 1e-6);
  }
}

TEST(CMDistribution, FewerThanTwoOrUnrelatedViewsAreLeftAlone) {
  auto root = View::create(platform::makeRect(0, 0, 300, 100));
  auto one = rowIn(root, 1);
  cm_distributeViewsAlongAxis(one, 0, CMFixedSpacing{10}, 0, 0);
  EXPECT_TRUE(CMViewConstraint::installedConstraintsForView(*one[0]).empty());
  std::vector<std::string> logged;
  platform::setLogSink(
      [&](platform::LogLevel, std::string_view, std::string_view m) { logged.emplace_back(m); });
  CMViews apart{View::create(), View::create()};
  cm_distributeViewsAlongAxis(apart, 1, CMFixedItemLength{10}, 0, 0);
  platform::setLogSink(nullptr);
  EXPECT_EQ(logged.size(), 1u);
  EXPECT_TRUE(CMViewConstraint::installedConstraintsForView(*apart[0]).empty());
  EXPECT_EQ(cm_commonSuperviewOfViews({nullptr, one[0]}), one[0]);
  EXPECT_EQ(cm_commonSuperviewOfViews({}), nullptr);
}

TEST(CMLayout, AScreenFromTheBuilderLaysOutAndUpdates) {
  auto controller = platform::ViewController::create();
  auto root = controller->view();
  root->setFrame(platform::makeRect(0, 0, 320, 480));
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
  auto f = header->frame();
  EXPECT_EQ(f.origin.x, 8);
  EXPECT_EQ(f.origin.y, 20);
  EXPECT_EQ(f.size.width, 304);
  auto c = card->frame();
  EXPECT_EQ(c.size.width, 160);
  EXPECT_EQ(c.size.height, 160);
  EXPECT_EQ(c.origin.x, 80);
  EXPECT_EQ(c.origin.y, 240 + 20 - 80);
  cm_updateConstraints(header, [](CMConstraintMaker& make) { make.height()->equalTo(60); });
  cm_remakeConstraints(card, [&](CMConstraintMaker& make) {
    make.edges()->equalTo(root)->insets({100, 10, 10, 10});
  });
  root->layoutIfNeeded();
  EXPECT_EQ(header->frame().size.height, 60);
  EXPECT_EQ(card->frame().origin.y, 100);
  EXPECT_EQ(card->frame().size.width, 300);
  EXPECT_EQ(card->frame().size.height, 370);
}

TEST(CMDebugDescriptions, NameViewsAndConstraintsByTheirKeys) {
  auto root = View::create(platform::makeRect(0, 0, 320, 480));
  auto box = View::create();
  root->addSubview(box);
  setCm_key(*box, "box");
  auto made = cm_makeConstraints(box, [&](CMConstraintMaker& make) {
    make.left()->equalTo(10)->key("c1");
    make.width()->equalTo(100);
    make.right()->equalTo(cm_centerX(root))->multipliedBy(0.5)->offset(-8)->priorityHigh();
    make.top()->equalTo(root)->priority(600);
  });
  auto text = [&](std::size_t i) {
    return std::dynamic_pointer_cast<CMViewConstraint>(made[i])->layoutConstraint()->description();
  };
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
