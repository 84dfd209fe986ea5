#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/foundation/Exception.h"
#include "platform/ui/ImageView.h"
#include "tests/ui_support/carousel_test_support.h"
#include "ui/support/carousel/DPAbstractDotView.h"
#include "ui/support/carousel/DPPageControl.h"

namespace sprout {
namespace {

using carousel_test::solidImage;
using platform::Color;
using platform::makeRect;

class Picks : public DPPageControlDelegate {
 public:
  void DPPageControlDidSelectPageAtIndex(DPPageControl&, long index) override {
    picked.push_back(index);
  }
  std::vector<long> picked;
};

class DotPageControl : public carousel_test::CarouselTest {};

TEST_F(DotPageControl, ThreePagesMakeARowFortyWideWithDotsSixteenApart) {
  auto control = DPPageControl::create(makeRect(0, 0, 40, 8));
  control->setNumberOfPages(3);
  EXPECT_EQ(control->sizeForNumberOfPages(3), (platform::Size{40, 8}));
  ASSERT_EQ(control->dots().size(), 3u);
  for (int i = 0; i < 3; ++i) {
    // The current dot is scaled up about its centre.
    EXPECT_EQ(control->dots()[i]->center(), (platform::Point{4 + 16.0 * i, 4})) << i;
    EXPECT_EQ(control->dots()[i]->bounds().size, (platform::Size{8, 8})) << i;
  }
  // No pages: no dots and no negative width.
  EXPECT_EQ(control->sizeForNumberOfPages(0).width, 0);
  // A wider control centres the row.
  auto wide = DPPageControl::create(makeRect(0, 0, 100, 20));
  wide->setNumberOfPages(3);
  EXPECT_EQ(wide->dots()[1]->frame(), makeRect(46, 6, 8, 8));
}

TEST_F(DotPageControl, TheCurrentDotSpringsToItsColourAndAPageOutsideThePagesIsIgnored) {
  auto control = DPPageControl::create(makeRect(0, 0, 40, 8));
  control->setDotColor(Color::red());
  control->setNumberOfPages(3);
  auto dot = [&](int i) { return std::static_pointer_cast<DPAnimatedDotView>(control->dots()[i]); };
  EXPECT_EQ(dot(0)->backgroundColor(), Color::red());
  EXPECT_DOUBLE_EQ(dot(0)->transform().a, 1.4);
  control->setCurrentPage(2);
  EXPECT_EQ(dot(0)->backgroundColor(), Color::clear());
  EXPECT_DOUBLE_EQ(dot(0)->transform().a, 1);
  EXPECT_EQ(dot(2)->backgroundColor(), Color::red());
  // The spring overshoots (damping 0.5) before it settles at 1.4.
  double most = 0;
  for (double t = 0; t <= 1.0; t += 0.02) {
    most = std::max(most, dot(2)->layer()->presentationAt(clock.now() + t)->affineTransform().a);
  }
  EXPECT_GT(most, 1.45);
  advance(1.1);
  EXPECT_NEAR(dot(2)->layer()->presentationLayer()->affineTransform().a, 1.4, 1e-6);
  control->setCurrentPage(3);
  control->setCurrentPage(-1);
  EXPECT_EQ(control->currentPage(), 2);
  EXPECT_EQ(dot(2)->backgroundColor(), Color::red());
  // Dots built before a colour change keep their old colour until the next rebuild.
  control->setDotColor(Color::black());
  EXPECT_EQ(dot(2)->dotColor(), Color::red());
  control->setNumberOfPages(3);
  EXPECT_EQ(dot(2)->dotColor(), Color::black());
}

TEST_F(DotPageControl, ImagesReplaceTheDotsAndSizeThem) {
  auto control = DPPageControl::create(makeRect(0, 0, 200, 20));
  control->setNumberOfPages(3);
  auto plain = solidImage({6, 4}, Color::gray());
  auto current = solidImage({10, 10}, Color::whiteColor());
  control->setDotImage(plain);
  EXPECT_EQ(control->dotSize(), (platform::Size{6, 4}));
  control->setCurrentPage(1);
  for (const auto& dot : control->dots()) {
    EXPECT_EQ(std::static_pointer_cast<platform::ImageView>(dot)->image(), plain);
  }
  control->setCurrentDotImage(current);
  auto image = [&](int i) {
    return std::static_pointer_cast<platform::ImageView>(control->dots()[i])->image();
  };
  EXPECT_EQ(image(1), current);
  EXPECT_EQ(image(0), plain);
  control->setCurrentPage(2);
  EXPECT_EQ(image(1), plain);
  EXPECT_EQ(image(2), current);

  // A lone current-dot image sizes the dots as well.
  auto lone = DPPageControl::create(makeRect(0, 0, 200, 20));
  lone->setCurrentDotImage(current);
  lone->setNumberOfPages(2);
  EXPECT_EQ(lone->dotSize(), (platform::Size{10, 10}));
  EXPECT_EQ(lone->sizeForNumberOfPages(2).width, 28);
}

TEST_F(DotPageControl, FrameFittingAndHidingForOnePage) {
  auto control = DPPageControl::create(makeRect(10, 10, 100, 30));
  control->setNumberOfPages(3);
  control->updateFrame(false);
  EXPECT_EQ(control->frame(), makeRect(10, 10, 100, 30));
  control->sizeToFit();  // keeps the centre (60, 25)
  EXPECT_EQ(control->frame(), makeRect(40, 21, 40, 8));
  control->setHidesForSinglePage(true);
  control->setNumberOfPages(1);
  EXPECT_TRUE(control->isHidden());
  control->setHidesForSinglePage(false);
  control->setNumberOfPages(1);
  EXPECT_FALSE(control->isHidden());
  EXPECT_EQ(control->dots().size(), 1u);
}

TEST_F(DotPageControl, ATapOnADotReachesTheDelegateAndOneBesideTheDotsDoesNot) {
  auto control = DPPageControl::create(makeRect(0, 100, 100, 20));
  window->addSubview(control);
  control->setNumberOfPages(3);  // dots at x 30, 46, 62
  auto picks = std::make_shared<Picks>();
  control->setDelegate(picks);
  fingers.tap({66, 110});
  fingers.tap({5, 110});
  EXPECT_EQ(picks->picked, std::vector<long>{2});
  picks.reset();  // held weakly: a gone delegate is simply not told
  fingers.tap({34, 110});
}

TEST_F(DotPageControl, TheAbstractDotMustBeOverridden) {
  try {
    DPAbstractDotView::create();
    FAIL() << "no exception";
  } catch (const platform::Exception& e) {
    EXPECT_EQ(e.name(), "NSInternalInconsistencyException");
    EXPECT_EQ(e.reason(), "You must override init in DPAbstractDotView");
  }
  auto plain = DPDotView::create(makeRect(0, 0, 8, 8));
  plain->changeActivityState(true);
  EXPECT_EQ(plain->backgroundColor(), Color::whiteColor());
  EXPECT_EQ(plain->layer()->cornerRadius(), 4);
}

}  // namespace
}  // namespace sprout
