#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/animation/KeyframeAnimation.h"
#include "platform/foundation/Object.h"
#include "platform/foundation/ObserverList.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "render_support.h"
#include "ui_support.h"

namespace platform {
namespace {

using render_test::solidImage;

constexpr double kPi = 3.14159265358979323846;

class UIControls : public ui_test::UITest {};

// Two keys share each label: keys are told apart by address, not by name.
constexpr AssociatedKey<std::shared_ptr<int>> kStrongKey{"value"};
constexpr AssociatedKey<std::weak_ptr<int>> kWeakKey{"value"};
constexpr AssociatedKey<int> kCountKey{"count"};
constexpr AssociatedKey<int> kOtherCountKey{"count"};
constexpr AssociatedKey<ObserverList<>> kListKey{"list"};  // neither copyable nor movable

template <class Key, class Value>
concept Settable = requires(Object& object, const Key& key, Value value) {
  object.setAssociated(key, std::move(value));
};
static_assert(Settable<AssociatedKey<int>, int>);
static_assert(!Settable<AssociatedKey<int>, std::string>, "the key fixes the value's type");
static_assert(!std::is_copy_constructible_v<AssociatedKey<int>>, "a copy would be another key");

TEST_F(UIControls, ObjectsKeepTypedAssociatedValuesStrongOrWeakAndMadeOnce) {
  auto view = View::create();
  auto strong = std::make_shared<int>(1);
  auto weak = std::make_shared<int>(2);
  view->setAssociated(kStrongKey, strong);
  view->setAssociated(kWeakKey, weak);
  view->setAssociated(kCountKey, 3);
  EXPECT_EQ(*view->associated(kCountKey), 3);
  EXPECT_EQ(view->associated(kOtherCountKey), nullptr);
  EXPECT_EQ(*view->associated(kStrongKey), strong);
  EXPECT_EQ(view->associated(kWeakKey)->lock(), weak);
  std::weak_ptr<int> watch = strong;
  strong.reset();
  weak.reset();
  EXPECT_FALSE(watch.expired());                       // kept alive
  EXPECT_TRUE(view->associated(kWeakKey)->expired());  // let go
  view->removeAssociated(kCountKey);
  EXPECT_EQ(view->associated(kCountKey), nullptr);
  view->removeAssociated(kStrongKey);
  EXPECT_TRUE(watch.expired());

  // Made once on demand; a value's destructor may look at its object, and finds it gone.
  ObserverList<>& list = view->associatedOrMake(kListKey);
  EXPECT_EQ(&view->associatedOrMake(kListKey), &list);
  int heard = 0;
  auto subscription = list.subscribe([&] { ++heard; });
  view->associated(kListKey)->notify();
  EXPECT_EQ(heard, 1);
  bool stillThere = true;
  view->setAssociated(kStrongKey, std::shared_ptr<int>(new int(0), [&](int* gone) {
                        stillThere = view->associated(kStrongKey) != nullptr;
                        delete gone;
                      }));
  view->removeAssociated(kStrongKey);
  EXPECT_FALSE(stillThere);
}

TEST_F(UIControls, ButtonStatesTitlesImagesAndActions) {
  auto window = Window::create(makeRect(0, 0, 320, 480));
  window->makeKeyAndVisible();
  auto button = Button::create(makeRect(20, 20, 200, 44));
  window->addSubview(button);
  auto icon = solidImage(40, 40, Color::red(), 2);  // 20 x 20 points
  auto pressed = solidImage(40, 40, Color::blue(), 2);
  button->setTitle("Send", ControlStateNormal);
  button->setTitle("Sending", ControlStateSelected);
  button->setTitleColor(Color::red(), ControlStateNormal);
  button->setTitleColor(Color::green(), ControlStateHighlighted);
  button->setImage(icon, ControlStateNormal);
  button->setBackgroundImage(solidImage(4, 4, Color::black()), ControlStateNormal);
  button->setBackgroundImage(pressed, ControlStateHighlighted);

  EXPECT_EQ(button->currentTitle(), "Send");
  EXPECT_EQ(button->titleForState(ControlStateDisabled), "Send");  // falls back to normal
  button->setSelected(true);
  EXPECT_EQ(button->state(), ControlStateSelected);
  EXPECT_EQ(button->titleLabel()->text(), "Sending");
  EXPECT_EQ(button->currentTitleColor(), Color::red());
  button->setSelected(false);
  button->setTitle(std::nullopt, ControlStateSelected);
  button->setSelected(true);
  EXPECT_EQ(button->currentTitle(), "Send");
  button->setSelected(false);

  // Layout: image then title, centred as a pair.
  button->layoutIfNeeded();
  const Rect image = button->imageView()->frame(), title = button->titleLabel()->frame();
  EXPECT_EQ(image.size, (Size{20, 20}));
  EXPECT_DOUBLE_EQ(maxX(image), minX(title));
  EXPECT_NEAR((minX(image) + maxX(title)) / 2, 100, 1e-9);
  EXPECT_NEAR(midY(image), 22, 1e-9);
  EXPECT_EQ(button->sizeThatFits({}).width, 20 + button->titleLabel()->sizeThatFits({}).width);

  // A touch drives the highlight, the per-state looks and the events.
  std::vector<std::string> events;
  auto record = [&](const std::string& name) {
    return [&events, name](Control& sender) {
      events.push_back(name + (sender.isHighlighted() ? "+" : "-"));
    };
  };
  button->addTarget(record("down"), ControlEventTouchDown);
  button->addTarget(record("up"), ControlEventTouchUpInside);
  int marker = 0;
  button->addTarget(&marker, record("any-up"),
                    ControlEventTouchUpInside | ControlEventTouchUpOutside);
  button->addTarget(record("exit"), ControlEventTouchDragExit);
  TouchDriver finger(window);
  EXPECT_EQ(finger.begin({100, 40}), button);
  EXPECT_TRUE(button->isHighlighted());
  EXPECT_EQ(button->currentBackgroundImage(), pressed);
  EXPECT_EQ(button->titleLabel()->textColor(), Color::green());
  finger.move({100, 300});  // far outside, past the slop
  EXPECT_FALSE(button->isHighlighted());
  finger.end();
  EXPECT_EQ(events, (std::vector<std::string>{"down+", "exit-", "any-up-"}));
  events.clear();
  finger.tap({100, 40});
  EXPECT_EQ(events, (std::vector<std::string>{"down+", "up-", "any-up-"}));
  // Removing by target, disabling, and sending directly.
  events.clear();
  button->removeTarget(&marker, ControlEventAllEvents);
  button->setEnabled(false);
  EXPECT_EQ(button->state(), ControlStateDisabled);
  finger.tap({100, 40});
  EXPECT_TRUE(events.empty());
  button->sendActionsForControlEvents(ControlEventTouchUpInside);
  EXPECT_EQ(events, (std::vector<std::string>{"up-"}));
}

TEST_F(UIControls, ButtonTitlesWrapOnlyWhenTheirLabelTakesSeveralLines) {
  const std::string text =
      "Choose the day and the time the child comes back to school after the leave";
  auto make = [&](int lines) {
    auto button = Button::create(makeRect(0, 0, 120, 60), ButtonType::System);
    button->setImage(solidImage(20, 20, Color::red()), ControlStateNormal);
    button->titleLabel()->setNumberOfLines(lines);
    button->titleLabel()->setTextAlignment(TextAlignment::Center);
    button->setTitle(text, ControlStateNormal);
    button->layoutIfNeeded();
    return button;
  };
  const double lineHeight = make(1)->titleLabel()->sizeThatFits({}).height;

  // One line: as before, cut to the 100 points beside the image, one line high.
  const Rect single = make(1)->titleLabel()->frame();
  EXPECT_DOUBLE_EQ(single.size.width, 100);
  EXPECT_DOUBLE_EQ(single.size.height, lineHeight);

  // Three lines: wrapped within those 100 points, three lines high, centred in the button.
  auto wrapped = make(3);
  const Rect three = wrapped->titleLabel()->frame();
  EXPECT_LE(three.size.width, 100);
  EXPECT_NEAR(three.size.height, 3 * lineHeight, 2);
  EXPECT_NEAR(midY(three), 30, 1e-9);
  EXPECT_DOUBLE_EQ(minX(three), maxX(wrapped->imageView()->frame()));
  EXPECT_TRUE(wrapped->titleLabel()->isTruncated());  // the rest did not fit in three

  // As many lines as the height holds, never taller than the content.
  auto unlimited = make(0);
  unlimited->setContentEdgeInsets({10, 0, 10, 0});
  unlimited->layoutIfNeeded();
  EXPECT_LE(unlimited->titleLabel()->frame().size.height, 40);
  EXPECT_GT(unlimited->titleLabel()->frame().size.height, lineHeight);
}

TEST_F(UIControls, ImageViewsPlayFramesOnTheClock) {
  auto frames = std::vector<std::shared_ptr<Image>>{solidImage(2, 2, Color::red()),
                                                    solidImage(2, 2, Color::green()),
                                                    solidImage(2, 2, Color::blue())};
  auto still = solidImage(6, 4, Color::black(), 2);
  auto lit = solidImage(6, 4, Color::whiteColor(), 2);
  auto view = ImageView::create(still, lit);
  EXPECT_EQ(view->frame(), makeRect(0, 0, 3, 2));
  EXPECT_EQ(view->layer()->contents(), still);
  EXPECT_DOUBLE_EQ(view->layer()->contentsScale(), 2);
  view->setHighlighted(true);
  EXPECT_EQ(view->layer()->contents(), lit);
  view->setHighlighted(false);

  view->setAnimationImages(frames);
  view->setAnimationDuration(0.3);
  view->setAnimationRepeatCount(2);
  view->startAnimating();
  EXPECT_TRUE(view->isAnimating());
  auto shownAt = [&](TimeInterval t) {
    return view->layer()->presentationAt(start + t)->contents();
  };
  EXPECT_EQ(shownAt(0.05), frames[0]);
  EXPECT_EQ(shownAt(0.15), frames[1]);
  EXPECT_EQ(shownAt(0.25), frames[2]);
  EXPECT_EQ(shownAt(0.35), frames[0]);  // second round
  EXPECT_EQ(shownAt(0.7), still);       // two rounds done: the image again
  advance(0.7);
  EXPECT_FALSE(view->isAnimating());

  // Without a duration each frame is a thirtieth of a second; repeat 0 is for ever.
  view->setAnimationDuration(0);
  view->setAnimationRepeatCount(0);
  view->startAnimating();
  const TimeInterval t0 = clock.now() - start;
  EXPECT_EQ(shownAt(t0 + 100 + 1.5 / 30), frames[1]);
  view->stopAnimating();
  EXPECT_FALSE(view->isAnimating());
  EXPECT_EQ(shownAt(t0 + 0.05), still);

  // An animated image plays by itself.
  view->setImage(Image::animated(frames, 0.6));
  EXPECT_EQ(shownAt(t0 + 0.5), frames[2]);
  EXPECT_FALSE(view->isAnimating());  // that is not startAnimating's animation
}

TEST_F(UIControls, ActivityIndicatorSpinsInTwelveSteps) {
  auto spinner = ActivityIndicatorView::create(ActivityIndicatorViewStyle::WhiteLarge);
  EXPECT_EQ(spinner->bounds().size, (Size{37, 37}));
  EXPECT_TRUE(spinner->isHidden());
  spinner->startAnimating();
  EXPECT_FALSE(spinner->isHidden());
  auto turnAt = [&](TimeInterval t) {
    return spinner->layer()->presentationAt(start + t)->transform().parts().rotation;
  };
  EXPECT_NEAR(turnAt(0.01), 0, 1e-9);
  EXPECT_NEAR(std::fabs(turnAt(0.5)), kPi, 1e-6);  // six steps: half a turn
  EXPECT_NEAR(turnAt(1.0 / 12 + 0.01), kPi / 6, 1e-6);
  EXPECT_NEAR(turnAt(10 + 0.25 + 0.01), kPi / 2, 1e-6);
  spinner->stopAnimating();
  EXPECT_TRUE(spinner->isHidden());
  EXPECT_FALSE(spinner->isAnimating());
  spinner->setHidesWhenStopped(false);
  EXPECT_FALSE(spinner->isHidden());
  spinner->setActivityIndicatorViewStyle(ActivityIndicatorViewStyle::Gray);
  EXPECT_EQ(spinner->bounds().size, (Size{20, 20}));
  EXPECT_EQ(spinner->color(), Color::gray());
  // Drawn: the leading spoke at twelve o'clock is solid, the one behind it fainter.
  spinner->updateTree();
  auto image = spinner->layer()->contents();
  ASSERT_TRUE(image);
  const int lead = render_test::alphaAt(*image, 20, 5);   // scale 2: (10, 2.5) points
  const int trail = render_test::alphaAt(*image, 14, 6);  // one spoke anticlockwise
  EXPECT_GT(lead, 200);
  EXPECT_LT(trail, lead);
}

}  // namespace
}  // namespace platform
