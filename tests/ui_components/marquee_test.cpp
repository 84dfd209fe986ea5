#include "platform/animation/GradientLayer.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Application.h"
#include "tests/ui_components/fixtures.h"
#include "ui/components/marquee/MQAutoScrollLabel.h"

namespace sprout {
namespace {

using components_test::pixelAt;
using platform::makeRect;

constexpr const char* kNotice = "明天上午九点家长会，请准时到园参加";

class Marquee : public components_test::ComponentsTest {
 protected:
  Marquee() : ComponentsTest(kScreen, 2) {}

  // A label whose text is `width` points narrower than the view (negative: wider).
  std::shared_ptr<MQAutoScrollLabel> make(double slack) {
    auto probe = platform::Label::create();
    probe->setText(kNotice);
    probe->sizeToFit();
    textWidth = probe->frame().size.width;
    auto label = MQAutoScrollLabel::create(makeRect(0, 0, textWidth + slack, 30));
    label->setText(kNotice);
    window->addSubview(label);
    return label;
  }
  double offsetAt(MQAutoScrollLabel& label, double t) {
    return label.scrollView()->layer()->presentationAt(t)->bounds().origin.x;
  }
  std::vector<double> maskLocations(MQAutoScrollLabel& label) {
    auto mask = std::dynamic_pointer_cast<platform::GradientLayer>(label.layer()->mask());
    return mask ? mask->locations() : std::vector<double>{};
  }

  double textWidth = 0;
};

TEST_F(Marquee, TextExactlyAsWideAsTheViewStaysStillAndOnePointWiderScrolls) {
  auto fits = make(0);
  EXPECT_GT(textWidth, 200);
  EXPECT_TRUE(fits->labels()[1]->isHidden());
  EXPECT_EQ(fits->layer()->mask(), nullptr);
  EXPECT_EQ(fits->mainLabel()->frame(), fits->bounds());
  loop.advance(5);
  EXPECT_EQ(offsetAt(*fits, clock.now()), 0);
  EXPECT_FALSE(fits->isScrolling());

  auto wide = make(-1);
  EXPECT_FALSE(wide->labels()[1]->isHidden());
  EXPECT_EQ(wide->labels()[1]->frame().origin.x, textWidth + 20);
  EXPECT_EQ(wide->scrollView()->contentSize().width, textWidth + (textWidth - 1) + 20);
  loop.advance(5);
  EXPECT_TRUE(wide->isScrolling());
}

TEST_F(Marquee, EachPassWaitsThenMovesTheTextOneWidthAndTheGapAtThirtyPointsASecond) {
  auto label = make(-100);
  const double t0 = clock.now();
  const double travel = textWidth + 20;
  const double duration = textWidth / 30;
  loop.advance(1.4);
  EXPECT_FALSE(label->isScrolling());
  EXPECT_EQ(offsetAt(*label, clock.now()), 0);
  loop.advance(0.2);
  EXPECT_TRUE(label->isScrolling());
  EXPECT_NEAR(offsetAt(*label, t0 + 1.5 + duration / 2), travel / 2, 0.01);
  loop.advance(duration / 2);
  label->setText(kNotice);  // the same text: the pass goes on
  EXPECT_TRUE(label->isScrolling());
  loop.advance(duration / 2);  // the pass ends; the next one waits again from the start
  EXPECT_FALSE(label->isScrolling());
  EXPECT_NEAR(offsetAt(*label, clock.now()), 0, 0.01);
  loop.advance(1.5);
  EXPECT_TRUE(label->isScrolling());
  // Towards the right the second copy starts in view and the content moves to offset 0.
  label->setScrollDirection(MQAutoScrollLabel::kDirectionRight);
  EXPECT_EQ(label->scrollView()->contentOffset().x, 0);  // the model is at the target at once
  EXPECT_NEAR(offsetAt(*label, clock.now() + 1), travel, 0.01);
  EXPECT_NEAR(offsetAt(*label, clock.now() + 1.5 + duration / 4), travel * 0.75, 0.01);
}

TEST_F(Marquee, TheMaskFadesTheRightEdgeAtRestAndBothWhileMoving) {
  auto label = make(-100);
  const double width = label->bounds().size.width;
  const double a = 7 / width;
  EXPECT_EQ(maskLocations(*label), (std::vector<double>{0, 0, 1 - a, 1}));
  for (auto& copy : label->labels()) copy->setBackgroundColor(platform::Color::red());
  auto resting = render(*label, clock.now());
  EXPECT_GT(pixelAt(*resting, 0.5, 15).a, 0.95);
  EXPECT_LT(pixelAt(*resting, width - 0.5, 15).a, 0.2);
  loop.advance(2);
  EXPECT_EQ(maskLocations(*label), (std::vector<double>{0, a, 1 - a, 1}));
  auto moving = render(*label, clock.now());
  EXPECT_LT(pixelAt(*moving, 0.5, 15).a, 0.2);
  EXPECT_NEAR(pixelAt(*moving, 3.5, 15).a, 0.5, 0.1);
  EXPECT_GT(pixelAt(*moving, width / 2, 15).a, 0.95);

  label->setScrollDirection(MQAutoScrollLabel::kDirectionRight);
  EXPECT_EQ(maskLocations(*label), (std::vector<double>{0, a, 1 - a, 1}));  // still scrolling
  label->setFadeLength(width);  // both fades meet in the middle, never cross
  EXPECT_EQ(maskLocations(*label), (std::vector<double>{0, 0, 1, 1}));  // at rest, rightwards
  loop.advance(2);
  EXPECT_EQ(maskLocations(*label), (std::vector<double>{0, 0.5, 0.5, 1}));
  label->setFadeLength(0);
  EXPECT_EQ(label->layer()->mask(), nullptr);
}

// A text that fits, set while a pass waits to start, ends that pass: the label does not say it
// scrolls, and a long text again rests with its first characters unfaded.
TEST_F(Marquee, AShortTextSetDuringThePauseEndsThePass) {
  auto label = make(-100);
  const double a = 7 / label->bounds().size.width;
  loop.advance(0.5);
  label->setText("园");
  loop.advance(2);
  EXPECT_FALSE(label->isScrolling());
  EXPECT_EQ(label->layer()->mask(), nullptr);
  label->setText(kNotice);
  EXPECT_EQ(maskLocations(*label), (std::vector<double>{0, 0, 1 - a, 1}));
  EXPECT_FALSE(label->isScrolling());
}

TEST_F(Marquee, NewBoundsRestartThePassEvenWhenOnlyTheirOriginMoves) {
  auto label = make(-100);
  loop.advance(3);
  ASSERT_GT(offsetAt(*label, clock.now()), 0);
  const double width = label->bounds().size.width;
  label->setBounds(makeRect(5, 0, width, 30));
  EXPECT_EQ(offsetAt(*label, clock.now() + 1), 0);  // waiting again
  EXPECT_GT(offsetAt(*label, clock.now() + 2), 0);
}

TEST_F(Marquee, AnUnnamedDirectionKeepsBothFadesAtRestAndNoSpeedOrWidthMeansNoPassOrMask) {
  auto label = make(-100);
  const double a = 7 / label->bounds().size.width;
  label->setScrollDirection(2);  // moves like direction 0, but keeps both fades at rest
  loop.advance(0.5);
  EXPECT_FALSE(label->isScrolling());
  EXPECT_EQ(maskLocations(*label), (std::vector<double>{0, a, 1 - a, 1}));
  for (double speed : {0.0, -5.0}) {
    label->setScrollSpeed(speed);
    loop.advance(3);
    EXPECT_FALSE(label->isScrolling()) << speed;
  }
  label->setFrame(makeRect(0, 0, 0, 30));
  EXPECT_EQ(label->layer()->mask(), nullptr);
}

TEST_F(Marquee, ComingBackToTheForegroundRestartsThePass) {
  auto label = make(-100);
  label->observeApplicationNotifications();
  loop.advance(3);
  ASSERT_TRUE(label->isScrolling());
  platform::NotificationCenter::defaultCenter().post(
      platform::kApplicationWillEnterForegroundNotification, nullptr);
  EXPECT_EQ(offsetAt(*label, clock.now() + 1), 0);  // waiting again
  std::weak_ptr<MQAutoScrollLabel> weak = label;
  label->removeFromSuperview();
  label.reset();
  EXPECT_TRUE(weak.expired());
  platform::NotificationCenter::defaultCenter().post(
      platform::kApplicationDidBecomeActiveNotification, nullptr);
  loop.advance(3);
}

}  // namespace
}  // namespace sprout
