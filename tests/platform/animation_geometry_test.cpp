#include <gtest/gtest.h>

#include <cmath>

#include "platform/animation/Layer.h"
#include "platform/animation/Path.h"
#include "platform/animation/TimingFunction.h"
#include "platform/animation/Transform3D.h"

namespace platform {
namespace {

constexpr double kPi = 3.14159265358979323846;

void expectRect(const Rect& r, double x, double y, double w, double h) {
  EXPECT_NEAR(r.origin.x, x, 1e-9);
  EXPECT_NEAR(r.origin.y, y, 1e-9);
  EXPECT_NEAR(r.size.width, w, 1e-9);
  EXPECT_NEAR(r.size.height, h, 1e-9);
}

TEST(AnimationGeometry, TransformsComposeInLayerOrderAndInvert) {
  // Row vectors: scale first, then move.
  const Transform3D t = Transform3D::scale(2, 3).concat(Transform3D::translation(10, 20));
  const Point p = t.apply(Point{1, 1});
  EXPECT_DOUBLE_EQ(p.x, 12);
  EXPECT_DOUBLE_EQ(p.y, 23);
  const Point back = t.inverted().apply(p);
  EXPECT_NEAR(back.x, 1, 1e-12);
  EXPECT_NEAR(back.y, 1, 1e-12);
  // A quarter turn about z takes +x to +y (clockwise on a y-down screen), like the affine one.
  const Point turned = Transform3D::rotation(kPi / 2, 0, 0, 1).apply(Point{1, 0});
  EXPECT_NEAR(turned.x, 0, 1e-12);
  EXPECT_NEAR(turned.y, 1, 1e-12);
  const AffineTransform a =
      AffineTransform::rotation(0.3).concat(AffineTransform::translation(4, 5));
  EXPECT_TRUE(Transform3D::fromAffine(a).isAffine());
  EXPECT_EQ(Transform3D::fromAffine(a).affine(), a);
  // Parts round-trip: scale and rotation survive, so key paths can edit one of them.
  const Transform3D sr = Transform3D::scale(2, 0.5).concat(Transform3D::rotation(0.7, 0, 0, 1));
  const Transform3D::Parts parts = sr.parts();
  EXPECT_NEAR(parts.scaleX, 2, 1e-12);
  EXPECT_NEAR(parts.scaleY, 0.5, 1e-12);
  EXPECT_NEAR(parts.rotation, 0.7, 1e-12);
  EXPECT_FALSE(Transform3D::scale(0, 1).isInvertible());
}

TEST(AnimationGeometry, FrameFollowsBoundsPositionAnchorAndTransform) {
  auto layer = Layer::create();
  layer->setBounds(makeRect(0, 0, 100, 50));
  layer->setPosition({200, 100});
  expectRect(layer->frame(), 150, 75, 100, 50);
  layer->setAnchorPoint({0, 0});
  expectRect(layer->frame(), 200, 100, 100, 50);
  // A quarter turn about the top-left anchor swings the box to the left of the anchor.
  layer->setTransform(Transform3D::rotation(kPi / 2, 0, 0, 1));
  expectRect(layer->frame(), 150, 100, 50, 100);
  layer->setTransform(Transform3D::scale(2, 2));
  expectRect(layer->frame(), 200, 100, 200, 100);
  // Setting the frame places position through the anchor and keeps the bounds origin.
  layer->setTransform({});
  layer->setAnchorPoint({0.5, 0.5});
  layer->setBounds(makeRect(5, 5, 1, 1));
  layer->setFrame(makeRect(10, 20, 30, 40));
  EXPECT_EQ(layer->position(), (Point{25, 40}));
  expectRect(layer->bounds(), 5, 5, 30, 40);
}

TEST(AnimationGeometry, PointsAndRectsConvertAcrossTransformedLayers) {
  auto root = Layer::create();
  root->setFrame(makeRect(0, 0, 400, 400));
  auto parent = Layer::create();
  parent->setFrame(makeRect(100, 100, 200, 200));
  parent->setBounds(makeRect(10, 0, 200, 200));  // scrolled by 10
  root->addSublayer(parent);
  auto child = Layer::create();
  child->setFrame(makeRect(50, 50, 20, 10));
  child->setTransform(Transform3D::scale(2, 2));  // about its centre (60, 55) in the parent
  parent->addSublayer(child);

  const Point inRoot = child->convertPointTo({0, 0}, root.get());
  EXPECT_NEAR(inRoot.x, 100 - 10 + 60 - 20, 1e-9);
  EXPECT_NEAR(inRoot.y, 100 + 55 - 10, 1e-9);
  const Point back = child->convertPointFrom(inRoot, root.get());
  EXPECT_NEAR(back.x, 0, 1e-9);
  EXPECT_NEAR(back.y, 0, 1e-9);
  expectRect(child->convertRectTo(child->bounds(), root.get()), 130, 145, 40, 20);
  expectRect(root->convertRectTo(makeRect(130, 145, 40, 20), child.get()), 0, 0, 20, 10);
  // Tree edits keep one parent per layer and refuse cycles.
  root->addSublayer(child);
  EXPECT_EQ(child->superlayer(), root);
  EXPECT_TRUE(parent->sublayers().empty());
  child->addSublayer(root);
  EXPECT_TRUE(child->sublayers().empty());
  root->insertSublayerBelow(parent, child.get());
  ASSERT_EQ(root->sublayers().size(), 2u);
  EXPECT_EQ(root->sublayers()[0], parent);
  child->removeFromSuperlayer();
  EXPECT_EQ(child->superlayer(), nullptr);
  EXPECT_EQ(root->sublayers().size(), 1u);
}

TEST(AnimationGeometry, PathsMeasureTrimAndContain) {
  // Whole turns, multi-turn sweeps and a trimmed quadrant are drawn and checked by RenderLayer.
  const double r = 20;
  // Anticlockwise from 0 to -pi/2 is a quarter; clockwise the same pair is three quarters.
  EXPECT_NEAR(Path::arc({0, 0}, r, 0, -kPi / 2, false).length(), kPi * r / 2, 0.05);
  EXPECT_NEAR(Path::arc({0, 0}, r, 0, -kPi / 2, true).length(), 3 * kPi * r / 2, 0.1);
  // Nonsense angles add nothing; absurd sweeps are held to a bounded number of turns.
  EXPECT_TRUE(Path::arc({0, 0}, r, 0, std::nan(""), true).isEmpty());
  EXPECT_LT(Path::arc({0, 0}, 1, 0, 1e300, true).elements().size(), 1000u);

  const Path ring = Path::arc({50, 50}, r, -kPi / 2, 3 * kPi / 2, true);
  EXPECT_TRUE(ring.trimmed(0.5, 0.5).isEmpty());
  EXPECT_TRUE(ring.trimmed(0.7, 0.2).isEmpty());
  // Trimming spans segments and subpaths by length.
  Path lines;
  lines.addLines({{0, 0}, {10, 0}, {10, 10}});
  lines.moveTo({100, 100});
  lines.lineTo({120, 100});
  EXPECT_NEAR(lines.length(), 40, 1e-9);
  const Path middle = lines.trimmed(0.125, 0.75);
  EXPECT_NEAR(middle.length(), 25, 1e-9);
  EXPECT_EQ(middle.elements().front().points[0], (Point{5, 0}));
  EXPECT_EQ(middle.currentPoint(), (Point{110, 100}));

  // A square inside a square, both drawn the same way: a hole only under even-odd.
  Path nested;
  nested.addRect(makeRect(0, 0, 100, 100));
  nested.addRect(makeRect(25, 25, 50, 50));
  EXPECT_TRUE(nested.contains({50, 50}, false));
  EXPECT_FALSE(nested.contains({50, 50}, true));
  EXPECT_TRUE(nested.contains({10, 10}, true));
  EXPECT_FALSE(nested.contains({150, 10}, false));
  EXPECT_TRUE(Path::roundedRect(makeRect(0, 0, 100, 100), 50).contains({50, 50}));
  EXPECT_FALSE(Path::roundedRect(makeRect(0, 0, 100, 100), 50).contains({3, 3}));
}

TEST(AnimationGeometry, TimingFunctionsFollowTheirCurves) {
  const TimingFunction linear = TimingFunction::named(TimingFunctionName::Linear);
  const TimingFunction easeIn = TimingFunction::named(TimingFunctionName::EaseIn);
  const TimingFunction easeOut = TimingFunction::named(TimingFunctionName::EaseOut);
  const TimingFunction easeInOut = TimingFunction::named(TimingFunctionName::EaseInEaseOut);
  EXPECT_DOUBLE_EQ(linear.evaluate(0.3), 0.3);
  for (const TimingFunction& f :
       {easeIn, easeOut, easeInOut, TimingFunction::named(TimingFunctionName::Default)}) {
    EXPECT_NEAR(f.evaluate(0), 0, 1e-9);
    EXPECT_NEAR(f.evaluate(1), 1, 1e-9);
    double last = 0;
    for (int i = 1; i <= 20; ++i) {
      const double y = f.evaluate(i / 20.0);
      EXPECT_GE(y, last - 1e-9);
      last = y;
    }
  }
  // Slow start, fast start, symmetric.
  EXPECT_LT(easeIn.evaluate(0.5), 0.35);
  EXPECT_GT(easeOut.evaluate(0.5), 0.65);
  EXPECT_NEAR(easeInOut.evaluate(0.5), 0.5, 1e-6);
  EXPECT_NEAR(easeIn.evaluate(0.5) + easeOut.evaluate(0.5), 1, 1e-6);
  // A point worked out by hand: halfway along its parameter the ease-in curve is at
  // x = 0.6575, y = 0.5.
  EXPECT_NEAR(easeIn.evaluate(0.6575), 0.5, 1e-6);
}

}  // namespace
}  // namespace platform
