// The banner carousel and the dot page control as a person uses them: swipes, taps and waiting.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/render/RenderView.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/PageControl.h"
#include "tests/ui_support/carousel_test_support.h"
#include "ui/support/carousel/BCCarouselView.h"
#include "ui/support/carousel/DPPageControl.h"

namespace sprout {
namespace {

using carousel_test::solidImage;
using platform::Color;
using platform::makeRect;

const Color kBanners[] = {Color::rgba(0.9, 0.2, 0.2), Color::rgba(0.2, 0.8, 0.3),
                          Color::rgba(0.2, 0.3, 0.9)};

bool near(const Color& a, const Color& b) {
  return std::abs(a.r - b.r) < 0.02 && std::abs(a.g - b.g) < 0.02 && std::abs(a.b - b.b) < 0.02;
}

class CarouselJourney : public carousel_test::CarouselTest {
 protected:
  std::shared_ptr<platform::Image> shot() {
    platform::RenderOptions options;
    options.scale = 1;
    return platform::renderView(*window, options);
  }
  Color at(const platform::Image& image, int x, int y) {
    return Color::fromPremultipliedARGB(image.bitmap()->pixel(x, y));
  }
  // The banner the strip shows and the page the indicator marks agree, and the banner is the
  // one a person expects.
  void expectBanner(const BCCarouselView& view, int banner) {
    SCOPED_TRACE(banner);
    auto dots = std::dynamic_pointer_cast<platform::PageControl>(view.pageControl());
    ASSERT_TRUE(dots);
    EXPECT_EQ(dots->currentPage(), banner);
    EXPECT_DOUBLE_EQ(std::fmod(view.mainView()->contentOffset().x, 375), 0);
    auto image = shot();
    EXPECT_TRUE(near(at(*image, 187, 60), kBanners[banner]));
    EXPECT_TRUE(near(at(*image, 20, 60), kBanners[banner]));  // a whole page, not two halves
    // The indicator (36 x 10 at 169.5, 160) draws three 7-point dots 16 apart; the current one
    // is white.
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(near(at(*image, 171 + 16 * i, 165), Color::whiteColor()), i == banner) << i;
    }
  }
  void swipe(double dx) {
    fingers.begin({187 - dx / 2, 90});
    for (int i = 1; i <= 6; ++i) {
      advance(1.0 / 60);
      fingers.move({187 - dx / 2 + dx * i / 6, 90});
    }
    fingers.end();
  }
};

TEST_F(CarouselJourney, ASwipeTurnsOneBannerTheDotsFollowAndTheTimerTakesOverAgain) {
  std::vector<BCCarouselView::ImagePath> paths;
  for (const auto& c : kBanners) paths.emplace_back(solidImage({375, 180}, c));
  auto view = BCCarouselView::carouselViewWithFrame(makeRect(0, 0, 375, 180), paths, true);
  window->addSubview(view);
  window->layoutIfNeeded();
  advance(0.5);
  expectBanner(*view, 0);

  swipe(-200);  // towards the next banner
  advance(0.8);
  expectBanner(*view, 1);
  swipe(200);  // and back
  advance(0.8);
  expectBanner(*view, 0);
  swipe(200);  // back past the first: the loop shows the last
  advance(0.8);
  expectBanner(*view, 2);

  // Two seconds after the last lift the timer turns on by itself, every two seconds.
  advance(1.0);
  expectBanner(*view, 2);
  advance(0.9);
  expectBanner(*view, 0);
  advance(2.0);
  expectBanner(*view, 1);

  // A finger resting on the strip holds it; the turns start again two seconds after it lifts.
  fingers.begin({100, 90});
  advance(0.05);
  fingers.move({90, 90});
  advance(5);
  fingers.move({100, 90});
  advance(0.3);
  fingers.end();
  advance(0.8);
  expectBanner(*view, 1);
  advance(1.6);
  expectBanner(*view, 2);
}

// Makes the tapped page current, as a screen using the control as its pager would.
class TurnsTo : public DPPageControlDelegate {
 public:
  void DPPageControlDidSelectPageAtIndex(DPPageControl& control, long index) override {
    picked.push_back(index);
    control.setCurrentPage(index);
  }
  std::vector<long> picked;
};

TEST_F(CarouselJourney, ATappedDotBecomesTheCurrentOneOnScreen) {
  auto backdrop = platform::View::create(makeRect(0, 0, 375, 100));
  backdrop->setBackgroundColor(Color::black());
  window->addSubview(backdrop);
  auto control = DPPageControl::create(makeRect(100, 40, 100, 20));
  control->setDotColor(Color::rgba(1, 0.5, 0));
  control->setSpacingBetweenDots(16);
  control->setNumberOfPages(4);
  backdrop->addSubview(control);
  auto turns = std::make_shared<TurnsTo>();
  control->setDelegate(turns);
  advance(1.5);
  // Four 8-point dots 24 apart, centred in the control: their centres at 114, 138, 162 and
  // 186, y 50.
  auto dotColour = [&](int i) {
    auto image = shot();
    return at(*image, 114 + 24 * i, 50);
  };
  EXPECT_TRUE(near(dotColour(0), Color::rgba(1, 0.5, 0)));
  EXPECT_TRUE(near(dotColour(2), Color::black()));

  fingers.tap({162, 50});
  EXPECT_EQ(turns->picked, (std::vector<long>{2}));
  advance(1.5);  // the spring settles
  EXPECT_TRUE(near(dotColour(2), Color::rgba(1, 0.5, 0)));
  EXPECT_TRUE(near(dotColour(0), Color::black()));
  fingers.tap({126, 50});  // between two dots: nothing
  fingers.tap({186, 50});
  EXPECT_EQ(turns->picked, (std::vector<long>{2, 3}));
  advance(1.5);
  EXPECT_TRUE(near(dotColour(3), Color::rgba(1, 0.5, 0)));
  EXPECT_TRUE(near(dotColour(2), Color::black()));
}

}  // namespace
}  // namespace sprout
