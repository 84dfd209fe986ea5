#include <gtest/gtest.h>

#include <cmath>

#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/Screen.h"

using namespace platform;

namespace {

void expectRect(const Rect& r, double x, double y, double w, double h) {
  EXPECT_DOUBLE_EQ(r.origin.x, x);
  EXPECT_DOUBLE_EQ(r.origin.y, y);
  EXPECT_DOUBLE_EQ(r.size.width, w);
  EXPECT_DOUBLE_EQ(r.size.height, h);
}

}  // namespace

TEST(GraphicsGeometry, AccessorsStandardiseNegativeSizes) {
  const Rect r = makeRect(10, 20, -4, -6);
  EXPECT_EQ(minX(r), 6);
  EXPECT_EQ(maxX(r), 10);
  EXPECT_EQ(minY(r), 14);
  EXPECT_EQ(maxY(r), 20);
  EXPECT_EQ(midX(r), 8);
  EXPECT_EQ(width(r), 4);
  EXPECT_EQ(height(r), 6);
  expectRect(standardize(r), 6, 14, 4, 6);
  EXPECT_TRUE(isNull(standardize(kRectNull)));
  EXPECT_TRUE(isEmpty(makeRect(1, 1, 0, 5)));
  EXPECT_TRUE(isEmpty(kRectNull));
  EXPECT_FALSE(isEmpty(r));
  EXPECT_EQ(width(kRectNull), 0);
}

TEST(GraphicsGeometry, NullRectRules) {
  const Rect a = makeRect(0, 0, 10, 10);
  EXPECT_TRUE(isNull(kRectNull));
  EXPECT_FALSE(isNull(kRectZero));
  // Disjoint rects have no intersection; edges that touch give an empty, non-null one.
  EXPECT_TRUE(isNull(intersection(a, makeRect(20, 20, 5, 5))));
  expectRect(intersection(a, makeRect(10, 0, 5, 5)), 10, 0, 0, 5);
  EXPECT_FALSE(intersects(a, makeRect(10, 0, 5, 5)));
  EXPECT_TRUE(intersects(a, makeRect(9, 9, 5, 5)));
  expectRect(intersection(a, makeRect(5, -5, -10, 10)), 0, 0, 5, 5);
  EXPECT_TRUE(isNull(intersection(a, kRectNull)));
  // Union with null is the other rect; otherwise the bounding box.
  EXPECT_EQ(unionRect(kRectNull, a), a);
  EXPECT_EQ(unionRect(a, kRectNull), a);
  expectRect(unionRect(a, makeRect(20, -5, 5, 5)), 0, -5, 25, 15);
  EXPECT_TRUE(isNull(unionRect(kRectNull, kRectNull)));
  // Offsetting and insetting keep null, and an inset past the middle becomes null.
  EXPECT_TRUE(isNull(offsetBy(kRectNull, 3, 3)));
  EXPECT_TRUE(isNull(insetBy(a, 6, 0)));
  expectRect(insetBy(a, 2, 3), 2, 3, 6, 4);
  expectRect(insetBy(a, -2, 0), -2, 0, 14, 10);
  expectRect(offsetBy(makeRect(5, 5, -5, -5), 1, 2), 1, 2, 5, 5);
}

TEST(GraphicsGeometry, ANaNNeverWidensOrPassesThrough) {
  const double nan = std::nan("");
  const Rect a = makeRect(0, 0, 10, 10);
  // In each field and on either side: std::max/std::min keep a NaN on one side only.
  const Rect poisoned[] = {makeRect(nan, 0, 5, 5), makeRect(0, nan, 5, 5), makeRect(0, 0, nan, 5),
                           makeRect(0, 0, 5, nan)};
  for (const Rect& p : poisoned) {
    EXPECT_TRUE(hasNaN(p));
    EXPECT_TRUE(isNull(intersection(a, p)));
    EXPECT_TRUE(isNull(intersection(p, a)));
    EXPECT_FALSE(intersects(a, p));
    EXPECT_FALSE(intersects(p, a));
    EXPECT_EQ(unionRect(a, p), a);
    EXPECT_EQ(unionRect(p, a), a);
    EXPECT_TRUE(isNull(unionRect(p, kRectNull)));
    EXPECT_TRUE(isNull(integral(p)));
    EXPECT_TRUE(isNull(insetBy(p, 1, 1)));
    EXPECT_TRUE(isNull(AffineTransform::scale(2, 2).apply(p)));
    EXPECT_FALSE(contains(a, p));
    EXPECT_FALSE(contains(p, Point{0, 0}));
  }
  EXPECT_FALSE(hasNaN(a));
  EXPECT_TRUE(isNull(insetBy(a, nan, 0)));
  // A transform that turns a corner into NaN (0 × infinity) gives nothing, not a partial box.
  EXPECT_TRUE(isNull(AffineTransform{kInfinity, 0, 0, 1, 0, 0}.apply(makeRect(0, 0, 1, 1))));
  EXPECT_TRUE(isNull(AffineTransform{1, 0, 0, 1, nan, 0}.apply(a)));
}

TEST(GraphicsGeometry, IntegralAndContainment) {
  expectRect(integral(makeRect(0.5, 1.2, 2.0, 2.9)), 0, 1, 3, 4);
  expectRect(integral(makeRect(-0.5, -1.5, 1.0, 1.0)), -1, -2, 2, 2);
  expectRect(integral(makeRect(3.7, 2.0, -1.2, 1.0)), 2, 2, 2, 1);
  EXPECT_TRUE(isNull(integral(kRectNull)));

  const Rect a = makeRect(0, 0, 10, 10);
  EXPECT_TRUE(contains(a, Point{0, 0}));
  EXPECT_TRUE(contains(a, Point{9.99, 5}));
  EXPECT_FALSE(contains(a, Point{10, 5}));  // max edges are outside
  EXPECT_FALSE(contains(kRectNull, Point{0, 0}));
  EXPECT_TRUE(contains(a, makeRect(2, 2, 8, 8)));
  EXPECT_FALSE(contains(a, makeRect(2, 2, 9, 8)));
  EXPECT_TRUE(contains(a, makeRect(10, 10, -10, -10)));

  const EdgeInsets insets{1, 2, 3, 4};
  expectRect(insetRect(a, insets), 2, 1, 4, 6);
}

TEST(GraphicsGeometry, AffineTransforms) {
  const AffineTransform move = AffineTransform::translation(10, 20);
  const AffineTransform scale = AffineTransform::scale(2, 3);
  // concat applies the receiver first.
  const Point p = move.concat(scale).apply(Point{1, 1});
  EXPECT_DOUBLE_EQ(p.x, 22);
  EXPECT_DOUBLE_EQ(p.y, 63);
  const Point q = scale.concat(move).apply(Point{1, 1});
  EXPECT_DOUBLE_EQ(q.x, 12);
  EXPECT_DOUBLE_EQ(q.y, 23);
  // The chained forms prepend: scaledBy runs before the translation already there.
  const Point chained = move.scaledBy(2, 3).apply(Point{1, 1});
  EXPECT_DOUBLE_EQ(chained.x, 12);
  EXPECT_DOUBLE_EQ(chained.y, 23);

  const AffineTransform quarter = AffineTransform::rotation(M_PI / 2);
  const Point turned = quarter.apply(Point{1, 0});
  EXPECT_NEAR(turned.x, 0, 1e-12);
  EXPECT_NEAR(turned.y, 1, 1e-12);

  const AffineTransform mixed = move.concat(quarter).concat(scale);
  const Point back = mixed.invert().apply(mixed.apply(Point{3, -7}));
  EXPECT_NEAR(back.x, 3, 1e-9);
  EXPECT_NEAR(back.y, -7, 1e-9);
  const AffineTransform singular = AffineTransform::scale(0, 2);
  EXPECT_EQ(singular.invert(), singular);  // not invertible: returned unchanged
  EXPECT_TRUE(AffineTransform::identity().isIdentity());
  EXPECT_FALSE(move.isIdentity());

  // Sizes ignore translation; rects become the bounding box of their corners.
  const Size s = move.concat(scale).apply(Size{1, 1});
  EXPECT_DOUBLE_EQ(s.width, 2);
  EXPECT_DOUBLE_EQ(s.height, 3);
  const Rect box = quarter.apply(makeRect(0, 0, 4, 2));
  EXPECT_NEAR(box.origin.x, -2, 1e-12);
  EXPECT_NEAR(box.origin.y, 0, 1e-12);
  EXPECT_NEAR(box.size.width, 2, 1e-12);
  EXPECT_NEAR(box.size.height, 4, 1e-12);
  EXPECT_TRUE(isNull(scale.apply(kRectNull)));
}

TEST(GraphicsGeometry, ColorsAndScreen) {
  EXPECT_EQ(Color::hex(0x336699).premultipliedARGB(), 0xFF336699u);
  EXPECT_EQ(Color::rgba(1, 0, 0, 0.5).premultipliedARGB(), 0x80800000u);
  EXPECT_EQ(Color::clear().premultipliedARGB(), 0u);
  EXPECT_EQ(Color::rgba(2, -1, NAN, 1).premultipliedARGB(), 0xFFFF0000u);  // clamped
  const Color back = Color::fromPremultipliedARGB(0x80800000u);
  EXPECT_NEAR(back.r, 1, 0.01);
  EXPECT_NEAR(back.a, 0.5, 0.01);
  EXPECT_EQ(Color::black().withAlpha(0.25), Color::rgba(0, 0, 0, 0.25));

  Screen& screen = Screen::main();
  const double scale = screen.scale();
  EXPECT_GT(scale, 0);
  screen.setScale(-1);  // ignored
  screen.setScale(0);
  EXPECT_EQ(screen.scale(), scale);
}
