#include <cmath>
#include <limits>

#include "platform/animation/BasicAnimation.h"
#include "tests/ui_components/fixtures.h"
#include "ui/components/progress/CPCircularProgressView.h"

namespace sprout {
namespace {

using platform::media_test::near;

class CircularProgress : public components_test::ComponentsTest {
 protected:
  // The ring over black at scale 1: 40 x 40, radius 20, hole radius 14 by default.
  std::shared_ptr<const platform::Bitmap> draw(platform::View& view,
                                               std::optional<double> at = std::nullopt) {
    platform::RenderOptions options;
    options.scale = 1;
    options.background = platform::Color::black();
    options.time = at;
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

TEST_F(CircularProgress, ProgressAndThicknessAreClampedToZeroToOne) {
  const std::pair<double, double> progress[] = {
      {-3, 0}, {7, 1}, {std::numeric_limits<double>::quiet_NaN(), 1}};
  for (const auto& [given, kept] : progress) {
    ring->setProgress(given);
    EXPECT_EQ(ring->progress(), kept) << given;
  }
  for (const auto& [given, kept] : {std::pair{-1.0, 0.0}, std::pair{2.0, 1.0}}) {
    ring->setThicknessRatio(given);
    EXPECT_EQ(ring->thicknessRatio(), kept) << given;
  }
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
  auto mid = draw(*ring, clock.now() + 0.25);
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
