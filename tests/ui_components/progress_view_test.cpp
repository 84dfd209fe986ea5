#include <cmath>
#include <limits>

#include "platform/animation/BasicAnimation.h"
#include "tests/ui_components/components_support.h"
#include "ui/components/progress/CPCircularProgressView.h"

namespace sprout {
namespace {

using platform::media_test::near;

class CircularProgress : public components_test::ComponentsTest {
 protected:
  // The ring over black at scale 1: 40 x 40, radius 20, hole radius 14 by default.
  std::shared_ptr<const platform::Bitmap> draw(platform::View& view) {
    platform::RenderOptions options;
    options.scale = 1;
    options.background = platform::Color::black();
    return platform::renderView(view, options)->bitmap();
  }
  // The ring's middle (radius 17) at `turns` of a full turn clockwise from twelve o'clock.
  static std::pair<int, int> onRing(double turns) {
    return {static_cast<int>(std::lround(20 + 17 * std::sin(2 * M_PI * turns))),
            static_cast<int>(std::lround(20 - 17 * std::cos(2 * M_PI * turns)))};
  }
  std::uint32_t at(const platform::Bitmap& b, double turns) {
    auto [x, y] = onRing(turns);
    return b.pixel(x, y);
  }
  std::shared_ptr<CPCircularProgressView> ring = CPCircularProgressView::create();
};

TEST_F(CircularProgress, DefaultsAndClamping) {
  EXPECT_EQ(ring->frame(), platform::makeRect(0, 0, 40, 40));
  EXPECT_EQ(ring->thicknessRatio(), 0.30000001192092896);
  EXPECT_EQ(ring->trackTintColor().a, 0.30000001192092896);
  EXPECT_EQ(ring->roundedCorners(), 0);
  ring->setProgress(-3);
  EXPECT_EQ(ring->progress(), 0);
  ring->setProgress(7);
  EXPECT_EQ(ring->progress(), 1);
  ring->setProgress(std::numeric_limits<double>::quiet_NaN());
  EXPECT_EQ(ring->progress(), 1);
  ring->setThicknessRatio(-1);
  EXPECT_EQ(ring->thicknessRatio(), 0);
  ring->setThicknessRatio(2);
  EXPECT_EQ(ring->thicknessRatio(), 1);
}

TEST_F(CircularProgress, AnimatesOverTheDistanceWithTheLayerDrawingEachStep) {
  ring->setProgress(0.2);
  ring->setProgress(0.7, true);
  auto animation = std::dynamic_pointer_cast<const platform::BasicAnimation>(
      ring->circularProgressLayer().animationForKey("progress"));
  ASSERT_TRUE(animation);
  EXPECT_DOUBLE_EQ(animation->duration(), 0.5);
  EXPECT_EQ(ring->progress(), 0.7);
  // Halfway (ease in and out is symmetric): about 0.45 drawn, so a third of a turn is lit and
  // two thirds are not.
  const platform::TimeInterval now = clock.now();
  platform::RenderOptions options;
  options.scale = 1;
  options.background = platform::Color::black();
  options.time = now + 0.25;
  auto mid = platform::renderView(*ring, options)->bitmap();
  EXPECT_TRUE(near(at(*mid, 0.33), 0xFFFFFF, 10));
  EXPECT_TRUE(near(at(*mid, 0.6), 0x4D4D4D, 10));
  ring->setProgress(0.7, true);
  EXPECT_DOUBLE_EQ(ring->circularProgressLayer().animationForKey("progress")->duration(), 0);
}

TEST_F(CircularProgress, PixelsOfTheTrackTheSliceAndTheHole) {
  auto empty = draw(*ring);
  EXPECT_TRUE(near(at(*empty, 0.1), 0x4D4D4D, 10));      // the track: white at 0.3 over black
  EXPECT_TRUE(near(empty->pixel(20, 20), 0x000000, 2));  // the hole
  EXPECT_TRUE(near(empty->pixel(1, 1), 0x000000, 2));    // outside the disc

  ring->setProgress(0.25);
  auto quarter = draw(*ring);
  EXPECT_TRUE(near(at(*quarter, 0.125), 0xFFFFFF, 10));
  EXPECT_TRUE(near(at(*quarter, 0.375), 0x4D4D4D, 10));
  EXPECT_TRUE(near(at(*quarter, 0.875), 0x4D4D4D, 10));

  ring->setProgress(1);
  auto full = draw(*ring);
  EXPECT_TRUE(near(at(*full, 0.99), 0xFFFFFF, 10));
  EXPECT_TRUE(near(full->pixel(20, 20), 0x000000, 2));

  ring->setThicknessRatio(1);  // no hole: a whole pie
  EXPECT_TRUE(near(draw(*ring)->pixel(20, 20), 0xFFFFFF, 10));
  ring->setThicknessRatio(0);  // the hole takes everything
  auto none = draw(*ring);
  EXPECT_TRUE(near(at(*none, 0.5), 0x000000, 2));
  EXPECT_TRUE(near(none->pixel(20, 20), 0x000000, 2));
}

TEST_F(CircularProgress, TheHoleCutsOnlyTheRingNotWhatLiesBeneath) {
  auto backdrop = platform::View::create(platform::makeRect(0, 0, 60, 60));
  backdrop->setBackgroundColor(platform::Color::hex(0x3366CC));
  ring->setFrame(platform::makeRect(10, 10, 40, 40));
  ring->setRoundedCorners(1);
  ring->setProgress(0.5);
  backdrop->addSubview(ring);
  auto b = draw(*backdrop);
  EXPECT_TRUE(near(b->pixel(30, 30), 0x3366CC, 4));
  EXPECT_TRUE(near(b->pixel(30, 13), 0xFFFFFF, 10));  // the round start cap at twelve o'clock
}

}  // namespace
}  // namespace sprout
