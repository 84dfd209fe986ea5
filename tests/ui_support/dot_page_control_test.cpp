// The dot page control: its row of dots, their spring and images, and taps on them.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/foundation/Exception.h"
#include "platform/ui/ImageView.h"
#include "tests/ui_support/ui_support_test.h"
#include "ui/support/carousel/DPAbstractDotView.h"
#include "ui/support/carousel/DPPageControl.h"

namespace sprout {
namespace {

using platform::Color;
using platform::makeRect;
using platform::Size;
using ui_test::solidImage;

// Makes the tapped page current, as a screen using the control as its pager would.
class TurnsTo : public DPPageControlDelegate {
 public:
  void DPPageControlDidSelectPageAtIndex(DPPageControl& control, long index) override {
    picked.push_back(index);
    control.setCurrentPage(index);
  }
  std::vector<long> picked;
};

class DotPageControl : public ui_test::ScreenTest {
 protected:
  DotPageControl() : ScreenTest({375, 667}) { window->makeKeyAndVisible(); }
};

TEST_F(DotPageControl, ATappedDotBecomesTheCurrentOneOnScreen) {
  auto backdrop = platform::View::create(makeRect(0, 0, 375, 100));
  backdrop->setBackgroundColor(Color::black());
  window->addSubview(backdrop);
  auto control = DPPageControl::create(makeRect(100, 40, 100, 20));
  const Color orange = Color::rgba(1, 0.5, 0);
  control->setDotColor(orange);
  control->setSpacingBetweenDots(16);
  control->setNumberOfPages(4);
  backdrop->addSubview(control);
  auto turns = std::make_shared<TurnsTo>();
  control->setDelegate(turns);
  advance(1.5);
  // Four 8-point dots 24 apart, centred in the control: centres at x 114, 138, 162, 186, y 50.
  auto dotIs = [&](int i, Color c) {
    return ui_test::near(ui_test::pixelAt(*ui_test::render(*window), 114 + 24 * i, 50), c);
  };
  EXPECT_TRUE(dotIs(0, orange));
  EXPECT_TRUE(dotIs(2, Color::black()));

  fingers.tap({162, 50});
  EXPECT_EQ(turns->picked, (std::vector<long>{2}));
  advance(1.5);  // the spring settles
  EXPECT_TRUE(dotIs(2, orange));
  EXPECT_TRUE(dotIs(0, Color::black()));
  fingers.tap({126, 50});  // between two dots: nothing
  fingers.tap({186, 50});
  EXPECT_EQ(turns->picked, (std::vector<long>{2, 3}));
  advance(1.5);
  EXPECT_TRUE(dotIs(3, orange));
  EXPECT_TRUE(dotIs(2, Color::black()));
  turns.reset();  // held weakly: a gone delegate is simply not told
  fingers.tap({114, 50});
}

TEST_F(DotPageControl, DotsMakeACentredRowSixteenApart) {
  auto control = DPPageControl::create(makeRect(0, 0, 40, 8));
  control->setNumberOfPages(3);
  EXPECT_EQ(control->sizeForNumberOfPages(3), (Size{40, 8}));
  ASSERT_EQ(control->dots().size(), 3u);
  for (int i = 0; i < 3; ++i) {
    // The current dot is scaled up about its centre.
    EXPECT_EQ(control->dots()[i]->center(), (platform::Point{4 + 16.0 * i, 4})) << i;
    EXPECT_EQ(control->dots()[i]->bounds().size, (Size{8, 8})) << i;
  }
  EXPECT_EQ(control->sizeForNumberOfPages(0).width, 0);  // not negative
  auto wide = DPPageControl::create(makeRect(0, 0, 100, 20));
  wide->setNumberOfPages(3);
  EXPECT_EQ(wide->dots()[1]->frame(), makeRect(46, 6, 8, 8));

  // Fitted, the frame keeps its centre (60, 25); one page hides the control only when asked.
  auto fitted = DPPageControl::create(makeRect(10, 10, 100, 30));
  fitted->setNumberOfPages(3);
  fitted->updateFrame(false);
  EXPECT_EQ(fitted->frame(), makeRect(10, 10, 100, 30));
  fitted->sizeToFit();
  EXPECT_EQ(fitted->frame(), makeRect(40, 21, 40, 8));
  fitted->setHidesForSinglePage(true);
  fitted->setNumberOfPages(1);
  EXPECT_TRUE(fitted->isHidden());
  fitted->setHidesForSinglePage(false);
  fitted->setNumberOfPages(1);
  EXPECT_FALSE(fitted->isHidden());
}

TEST_F(DotPageControl, TheCurrentDotSpringsToItsColourAndAPageOutsideThePagesIsIgnored) {
  auto control = DPPageControl::create(makeRect(0, 0, 40, 8));
  control->setDotColor(Color::red());
  control->setNumberOfPages(3);
  auto dot = [&](int i) { return std::static_pointer_cast<DPAnimatedDotView>(control->dots()[i]); };
  EXPECT_DOUBLE_EQ(dot(0)->transform().a, 1.4);
  control->setCurrentPage(2);
  EXPECT_EQ(dot(0)->backgroundColor(), Color::clear());
  EXPECT_DOUBLE_EQ(dot(0)->transform().a, 1);
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
  EXPECT_EQ(control->dotSize(), (Size{6, 4}));
  auto image = [&](int i) {
    return std::static_pointer_cast<platform::ImageView>(control->dots()[i])->image();
  };
  control->setCurrentPage(1);
  EXPECT_EQ(image(1), plain);  // without a current image the current dot is plain too
  control->setCurrentDotImage(current);
  EXPECT_EQ(image(1), current);
  EXPECT_EQ(image(0), plain);
  control->setCurrentPage(2);
  EXPECT_EQ(image(1), plain);
  EXPECT_EQ(image(2), current);

  // A lone current-dot image sizes the dots as well.
  auto lone = DPPageControl::create(makeRect(0, 0, 200, 20));
  lone->setCurrentDotImage(current);
  lone->setNumberOfPages(2);
  EXPECT_EQ(lone->sizeForNumberOfPages(2).width, 28);
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
