#include <gtest/gtest.h>

#include <memory>

#include "platform/ui/View.h"
#include "ui/components/layout/ViewLayout.h"

namespace sprout {
namespace {

using platform::makeRect;
using platform::Rect;
using platform::View;

// Frames travel through the layer's position and bounds, so a value may come back an ulp off.
void expectFrame(const View& view, const Rect& expected) {
  const Rect f = view.frame();
  EXPECT_DOUBLE_EQ(f.origin.x, expected.origin.x);
  EXPECT_DOUBLE_EQ(f.origin.y, expected.origin.y);
  EXPECT_DOUBLE_EQ(f.size.width, expected.size.width);
  EXPECT_DOUBLE_EQ(f.size.height, expected.size.height);
}

std::shared_ptr<View> viewAt(double x, double y, double w, double h) {
  return View::create(makeRect(x, y, w, h));
}

TEST(FrameAccessors, RoundedSettersTakeTheNearestPointWithHalvesAwayFromZero) {
  auto view = viewAt(10, 20, 5, 5);
  setWidth(*view, 10.5);
  expectFrame(*view, makeRect(10, 20, 11, 5));
  setWidth(*view, 10.49);
  EXPECT_EQ(width(*view), 10);
  setHeight(*view, 7.5);
  expectFrame(*view, makeRect(10, 20, 10, 8));
  setSize(*view, {2.5, 3.49});
  expectFrame(*view, makeRect(10, 20, 3, 3));

  positionAtX(*view, 10.4);
  EXPECT_EQ(x(*view), 10);
  positionAtX(*view, -0.5);
  positionAtY(*view, -10.5);
  EXPECT_EQ(origin(*view), (platform::Point{-1, -11}));
  positionAtXAndY(*view, 2.5, -2.5);
  expectFrame(*view, makeRect(3, -3, 3, 3));

  // A negative width comes back standardized by the view: -0.5 rounds to -1, not to 0.
  auto flipped = viewAt(10, 0, 5, 5);
  setWidth(*flipped, -0.5);
  expectFrame(*flipped, makeRect(9, 0, 1, 5));
}

TEST(FrameAccessors, UnroundedSettersAndPassedSizesKeepTheValueAsGiven) {
  auto view = viewAt(0, 0, 50, 60);
  setX(*view, 10.4);
  setY(*view, -3.3);
  expectFrame(*view, makeRect(10.4, -3.3, 50, 60));
  EXPECT_DOUBLE_EQ(xPosition(*view), 10.4);
  EXPECT_DOUBLE_EQ(yPosition(*view), -3.3);
  setOrigin(*view, {0.25, 0.75});
  expectFrame(*view, makeRect(0.25, 0.75, 50, 60));

  positionAtXAndYWithWidth(*view, 0.4, 0.6, 10.5);
  expectFrame(*view, makeRect(0, 1, 10.5, 60));
  positionAtXAndYWithHeight(*view, 1.5, 2.4, 7.25);
  expectFrame(*view, makeRect(2, 2, 10.5, 7.25));
  positionAtXWithHeight(*view, 4.6, 9.5);
  expectFrame(*view, makeRect(5, 2, 10.5, 9.5));
}

TEST(FrameAccessors, ReadersGiveTheStoredFrame) {
  auto view = viewAt(5, 7, 20, 30);
  EXPECT_EQ(size(*view), (platform::Size{20, 30}));
  EXPECT_EQ(height(*view), 30);
  EXPECT_EQ(y(*view), 7);
  EXPECT_EQ(bottomPosition(*view), 37);
  EXPECT_EQ(baselinePosition(*view), 37);
}

TEST(FrameAccessors, PlacementInASuperview) {
  auto parent = viewAt(0, 0, 320, 480);
  auto view = viewAt(3, 4, 100, 100);
  parent->addSubview(view);
  centerInSuperView(*view);
  EXPECT_EQ(origin(*view), (platform::Point{110, 190}));
  aestheticCenterInSuperView(*view);
  EXPECT_EQ(origin(*view), (platform::Point{110, 130}));
  setY(*view, 4.5);
  centerAtXQuarter(*view);
  expectFrame(*view, makeRect(30, 4.5, 100, 100));
  centerAtX3Quarter(*view);
  EXPECT_EQ(x(*view), 190);
  setX(*view, 0);
  centerAtX(*view);
  expectFrame(*view, makeRect(110, 4.5, 100, 100));

  // Odd sizes: each part rounds, and the aesthetic offset is added before the final rounding.
  parent->setFrame(makeRect(0, 0, 321, 485));
  setSize(*view, {100, 100});
  centerInSuperView(*view);
  EXPECT_EQ(origin(*view), (platform::Point{111, 193}));  // 110.5 and 192.5, away from zero
  aestheticCenterInSuperView(*view);
  EXPECT_EQ(origin(*view), (platform::Point{111, 132}));  // 193 - 60.625
  centerAtXQuarter(*view);
  EXPECT_EQ(x(*view), 30);  // 30.25
  centerAtX3Quarter(*view);
  EXPECT_EQ(x(*view), 191);  // 160.5 + 30
}

TEST(FrameAccessors, WithoutASuperviewTheSuperviewSizeIsZero) {
  auto view = viewAt(40, 40, 101, 100);
  centerInSuperView(*view);
  EXPECT_EQ(origin(*view), (platform::Point{-51, -50}));
  aestheticCenterInSuperView(*view);
  EXPECT_EQ(origin(*view), (platform::Point{-51, -50}));
  centerAtX3Quarter(*view);
  EXPECT_EQ(x(*view), -51);
  bringToFront(*view);
  sendToBack(*view);
  EXPECT_EQ(view->superview(), nullptr);
}

// Takes a sibling out with it, so the live subview list changes under the walk.
class TakesSiblingAlong : public View {
 public:
  static std::shared_ptr<TakesSiblingAlong> create() { return make<TakesSiblingAlong>(); }
  void willMoveToSuperview(const std::shared_ptr<View>& newSuperview) override {
    if (!newSuperview) {
      if (auto s = sibling.lock()) s->removeFromSuperview();
    }
  }
  std::weak_ptr<View> sibling;

  explicit TakesSiblingAlong(Key key) : View(std::move(key), makeRect(0, 0, 1, 1)) {}
};

TEST(FrameAccessors, OrderAndRemovalOfSubviews) {
  auto parent = viewAt(0, 0, 100, 100);
  auto a = viewAt(0, 0, 1, 1), b = viewAt(0, 0, 1, 1), c = viewAt(0, 0, 1, 1);
  for (const auto& v : {a, b, c}) parent->addSubview(v);
  bringToFront(*a);
  EXPECT_EQ(parent->subviews(), (std::vector<std::shared_ptr<View>>{b, c, a}));
  sendToBack(*c);
  EXPECT_EQ(parent->subviews(), (std::vector<std::shared_ptr<View>>{c, b, a}));
  removeSubviews(*parent);
  EXPECT_TRUE(parent->subviews().empty());

  auto first = TakesSiblingAlong::create();
  auto second = viewAt(0, 0, 1, 1), third = viewAt(0, 0, 1, 1);
  first->sibling = second;
  for (const auto& v : std::vector<std::shared_ptr<View>>{first, second, third}) {
    parent->addSubview(v);
  }
  removeSubviews(*parent);
  EXPECT_TRUE(parent->subviews().empty());
  EXPECT_EQ(second->superview(), nullptr);
  EXPECT_EQ(third->superview(), nullptr);
}

}  // namespace
}  // namespace sprout
