#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "animation_support.h"
#include "platform/animation/BasicAnimation.h"
#include "platform/animation/GradientLayer.h"
#include "platform/animation/Layer.h"
#include "platform/animation/ShapeLayer.h"
#include "platform/animation/Transaction.h"
#include "platform/graphics/Context.h"
#include "platform/render/Render.h"
#include "render_support.h"

namespace platform {
namespace {

using render_test::alphaAt;
using render_test::pixelAt;

constexpr double kPi = 3.14159265358979323846;

class RenderLayer : public animation_test::OnVirtualClock {
 protected:
  static std::shared_ptr<Image> draw(Layer& layer, double scale = 1) {
    RenderOptions options;
    options.scale = scale;
    return renderLayer(layer, options);
  }
  static std::shared_ptr<Layer> box(Rect frame, Color color) {
    auto l = Layer::create();
    l->setFrame(frame);
    l->setBackgroundColor(color);
    return l;
  }
};

TEST_F(RenderLayer, TrimmedRingCoversOnlyItsQuadrant) {
  // A ring from 12 o'clock clockwise, stroked over its first quarter only.
  auto ring = ShapeLayer::create();
  ring->setFrame(makeRect(0, 0, 100, 100));
  ring->setPath(Path::arc({50, 50}, 40, -kPi / 2, 3 * kPi / 2, true));
  ring->setFillColor(Color::clear());
  ring->setStrokeColor(Color::red());
  ring->setLineWidth(6);
  ring->setStrokeEnd(0.25);
  auto image = draw(*ring, 2);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->bitmap()->width(), 200);
  const double r = 80;  // pixels at scale 2
  auto ringPixel = [&](double degreesFromTop) {
    const double a = degreesFromTop * kPi / 180 - kPi / 2;
    return pixelAt(*image, static_cast<int>(100 + r * std::cos(a)),
                   static_cast<int>(100 + r * std::sin(a)));
  };
  for (double deg : {10.0, 45.0, 80.0}) {
    EXPECT_EQ(ringPixel(deg).a, 255) << deg;
    EXPECT_EQ(ringPixel(deg).r, 255) << deg;
  }
  for (double deg : {100.0, 180.0, 270.0, 350.0}) EXPECT_EQ(ringPixel(deg).a, 0) << deg;
  EXPECT_EQ(alphaAt(*image, 100, 100), 0);  // no fill

  // Multi-turn: a two-turn arc trimmed to its first half shows the whole circle once.
  ring->setPath(Path::arc({50, 50}, 40, -kPi / 2, -kPi / 2 + 4 * kPi, true));
  ring->setStrokeEnd(0.5);
  image = draw(*ring, 2);
  for (double deg : {10.0, 100.0, 190.0, 280.0, 350.0}) EXPECT_EQ(ringPixel(deg).a, 255) << deg;
  ring->setStrokeStart(0.5);
  image = draw(*ring, 2);
  for (double deg : {10.0, 190.0}) EXPECT_EQ(ringPixel(deg).a, 0) << deg;

  // Even-odd: a square inside a square leaves a hole.
  auto frame = ShapeLayer::create();
  frame->setFrame(makeRect(0, 0, 40, 40));
  Path nested = Path::rect(makeRect(0, 0, 40, 40));
  nested.addRect(makeRect(10, 10, 20, 20));
  frame->setPath(nested);
  frame->setFillRule(FillRule::EvenOdd);
  image = draw(*frame);
  EXPECT_EQ(pixelAt(*image, 5, 5).a, 255);
  EXPECT_EQ(pixelAt(*image, 20, 20).a, 0);
}

TEST_F(RenderLayer, GradientsFollowColoursAndLocations) {
  auto g = GradientLayer::create();
  g->setFrame(makeRect(0, 0, 100, 10));
  g->setColors({Color::red(), Color::blue()});
  g->setStartPoint({0, 0.5});
  g->setEndPoint({1, 0.5});
  auto image = draw(*g);
  EXPECT_GT(pixelAt(*image, 1, 5).r, 245);
  EXPECT_LT(pixelAt(*image, 1, 5).b, 10);
  EXPECT_NEAR(pixelAt(*image, 50, 5).r, 128, 4);
  EXPECT_NEAR(pixelAt(*image, 50, 5).b, 128, 4);
  EXPECT_GT(pixelAt(*image, 98, 5).b, 245);
  // All red until 0.8, then blending to blue at the end.
  g->setLocations({0.8, 1.0});
  image = draw(*g);
  EXPECT_EQ(pixelAt(*image, 50, 5).r, 255);
  EXPECT_NEAR(pixelAt(*image, 90, 5).b, 128, 10);
  // Radial: the colour at the centre, the other at the radius.
  g->setType(GradientType::Radial);
  g->setFrame(makeRect(0, 0, 100, 100));
  g->setLocations({});
  g->setColors({Color::white(1, 1), Color::white(1, 0)});
  g->setStartPoint({0.5, 0.5});
  g->setEndPoint({1, 0.5});
  image = draw(*g);
  EXPECT_GT(alphaAt(*image, 50, 50), 250);
  EXPECT_NEAR(alphaAt(*image, 75, 50), 128, 4);
  EXPECT_LT(alphaAt(*image, 99, 50), 6);
}

TEST_F(RenderLayer, CornersBordersOpacityMasksAndTransforms) {
  auto root = box(makeRect(0, 0, 100, 100), Color::clear());
  auto panel = box(makeRect(10, 10, 80, 80), Color::black());
  panel->setCornerRadius(14);
  panel->setMasksToBounds(true);
  root->addSublayer(panel);
  auto spill = box(makeRect(-10, -10, 30, 30), Color::green());  // clipped by the round corner
  panel->addSublayer(spill);
  auto image = draw(*root);
  EXPECT_EQ(alphaAt(*image, 11, 11), 0);
  EXPECT_EQ(pixelAt(*image, 20, 20).g, 255);
  EXPECT_EQ(pixelAt(*image, 50, 50).a, 255);
  EXPECT_EQ(pixelAt(*image, 50, 50).g, 0);
  EXPECT_EQ(alphaAt(*image, 5, 50), 0);

  // Border over the sublayers, inside the bounds. (In a tree the change would animate.)
  Transaction::begin();
  Transaction::setDisableActions(true);
  panel->setBorderWidth(4);
  panel->setBorderColor(Color::red());
  Transaction::commit();
  EXPECT_FALSE(panel->hasAnimations());
  image = draw(*root);
  EXPECT_EQ(pixelAt(*image, 50, 11).r, 255);
  EXPECT_EQ(pixelAt(*image, 50, 16).r, 0);

  // Group opacity: overlapping children at half opacity do not add up.
  auto faded = box(makeRect(0, 0, 100, 100), Color::clear());
  faded->addSublayer(box(makeRect(0, 0, 60, 100), Color::blue()));
  faded->addSublayer(box(makeRect(40, 0, 60, 100), Color::blue()));
  faded->setOpacity(0.5);
  auto host = box(makeRect(0, 0, 100, 100), Color::clear());
  host->addSublayer(faded);
  image = draw(*host);
  EXPECT_NEAR(alphaAt(*image, 20, 50), 128, 1);
  EXPECT_NEAR(alphaAt(*image, 50, 50), 128, 1);

  // A mask keeps only where it is opaque; it sits in the masked layer's coordinates.
  auto masked = box(makeRect(0, 0, 100, 100), Color::red());
  masked->setMask(box(makeRect(50, 0, 50, 100), Color::black()));
  image = draw(*masked);
  EXPECT_EQ(alphaAt(*image, 25, 50), 0);
  EXPECT_EQ(pixelAt(*image, 75, 50).r, 255);

  // A half-turn about the centre moves a corner square to the opposite corner.
  auto turner = box(makeRect(0, 0, 100, 100), Color::clear());
  turner->addSublayer(box(makeRect(0, 0, 20, 20), Color::blue()));
  turner->setTransform(Transform3D::rotation(kPi, 0, 0, 1));
  host = box(makeRect(0, 0, 100, 100), Color::clear());
  host->addSublayer(turner);
  image = draw(*host);
  EXPECT_EQ(alphaAt(*image, 5, 5), 0);
  EXPECT_EQ(pixelAt(*image, 95, 95).b, 255);
  turner->setHidden(true);
  EXPECT_EQ(alphaAt(*draw(*host), 95, 95), 0);
  // A broken transform on one layer hides that layer only.
  turner->setHidden(false);
  auto broken = box(makeRect(0, 0, 10, 10), Color::red());
  broken->setTransform(Transform3D::scale(std::nan(""), 1));
  host->insertSublayer(broken, 0);
  image = draw(*host);
  EXPECT_EQ(alphaAt(*image, 5, 5), 0);
  EXPECT_EQ(pixelAt(*image, 95, 95).b, 255);
}

TEST_F(RenderLayer, ContentsGravityScaleAndAnimationsAtClockTime) {
  auto layer = Layer::create();
  layer->setFrame(makeRect(0, 0, 40, 40));
  layer->setContents(render_test::solidImage(10, 10, Color::red()));
  layer->setContentsGravity(ContentsGravity::Center);
  auto image = draw(*layer);
  EXPECT_EQ(alphaAt(*image, 2, 2), 0);
  EXPECT_EQ(pixelAt(*image, 16, 16).r, 255);
  EXPECT_EQ(alphaAt(*image, 14, 20), 0);
  layer->setContentsScale(2);  // the same pixels now cover 5 x 5 points
  image = draw(*layer);
  EXPECT_EQ(alphaAt(*image, 16, 20), 0);
  EXPECT_EQ(pixelAt(*image, 19, 19).r, 255);
  layer->setContentsGravity(ContentsGravity::BottomRight);
  image = draw(*layer);
  EXPECT_EQ(pixelAt(*image, 38, 38).r, 255);
  EXPECT_EQ(alphaAt(*image, 33, 38), 0);
  layer->setContentsGravity(ContentsGravity::Resize);
  EXPECT_EQ(pixelAt(*draw(*layer), 1, 1).r, 255);

  // A fade drawn half way through.
  auto fade = BasicAnimation::create("opacity");
  fade->setFromValue(0.0);
  fade->setToValue(1.0);
  fade->setDuration(2);
  auto host = Layer::create();
  host->setFrame(makeRect(0, 0, 40, 40));
  host->addSublayer(layer);
  layer->addAnimation(fade, "fade");
  RenderOptions options;
  options.scale = 1;
  options.time = start + 1;
  EXPECT_NEAR(alphaAt(*renderLayer(*host, options), 20, 20), 128, 1);
  options.time = start + 3;
  EXPECT_EQ(alphaAt(*renderLayer(*host, options), 20, 20), 255);
}

TEST_F(RenderLayer, BackdropBlurSoftensWhatIsBehind) {
  auto root = box(makeRect(0, 0, 100, 40), Color::whiteColor());
  root->addSublayer(box(makeRect(0, 0, 50, 40), Color::black()));
  auto frost = Layer::create();
  frost->setFrame(makeRect(20, 0, 60, 40));
  frost->setBackdropBlurRadius(10);
  root->addSublayer(frost);
  auto image = draw(*root);
  const int nearEdgeLeft = pixelAt(*image, 47, 20).r, nearEdgeRight = pixelAt(*image, 53, 20).r;
  EXPECT_GT(nearEdgeLeft, 20);
  EXPECT_LT(nearEdgeRight, 235);
  EXPECT_LT(nearEdgeLeft, nearEdgeRight);
  EXPECT_EQ(pixelAt(*image, 5, 20).r, 0);  // outside the frost: untouched
  EXPECT_EQ(pixelAt(*image, 95, 20).r, 255);
}

// Draws its own contents, the way a custom layer subclass does.
class Dot : public Layer {
 public:
  static std::shared_ptr<Dot> create() { return std::shared_ptr<Dot>(new Dot()); }
  void drawInContext(Context& context) override {
    ++draws;
    context.fillRect(makeRect(0, 0, 10, 10), Color::green());
  }
  int draws = 0;
};

TEST_F(RenderLayer, LayersThatNeedDisplayAreDrawnBeforeShowing) {
  auto host = box(makeRect(0, 0, 40, 40), Color::clear());
  auto dot = Dot::create();
  dot->setFrame(makeRect(20, 20, 20, 20));
  dot->setContentsScale(2);
  host->addSublayer(dot);
  EXPECT_EQ(alphaAt(*draw(*host), 25, 25), 0);  // nobody asked it to draw
  dot->setNeedsDisplay();
  auto image = draw(*host);
  EXPECT_EQ(pixelAt(*image, 25, 25).g, 255);
  EXPECT_EQ(alphaAt(*image, 35, 35), 0);
  ASSERT_TRUE(dot->contents());
  EXPECT_EQ(dot->contents()->bitmap()->width(), 40);  // at its contentsScale
  draw(*host);
  EXPECT_EQ(dot->draws, 1);  // drawn once, then kept
  // Nonsense geometry draws nothing rather than failing.
  dot->setBounds(makeRect(0, 0, std::numeric_limits<double>::quiet_NaN(), 1e300));
  dot->setNeedsDisplay();
  EXPECT_EQ(draw(*dot), nullptr);
  dot->displayIfNeeded();
  EXPECT_EQ(dot->contents(), nullptr);
  EXPECT_EQ(dot->draws, 1);
}

}  // namespace
}  // namespace platform
