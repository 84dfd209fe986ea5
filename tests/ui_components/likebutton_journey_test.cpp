// The like button under a finger, wired as the recipe cell wires it: a tap toggles it.
#include <memory>

#include "component_test_support.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "ui/components/likebutton/LKLikeButton.h"

namespace sprout {
namespace {

using components_test::near255;
using components_test::pixelAt;
using platform::Color;
using platform::makeRect;

const Color kDisc = Color::rgba(1, 172 / 255.0, 51 / 255.0);
const Color kOn = Color::rgba(1, 172 / 255.0, 52 / 255.0);
const Color kOff = Color::rgba(136 / 255.0, 153 / 255.0, 166 / 255.0);

class LikeJourney : public components_test::ComponentTest {
 protected:
  LikeJourney() {
    window->makeKeyAndVisible();
    auto cell = platform::View::create(makeRect(0, 0, 320, 100));
    cell->setBackgroundColor(Color::whiteColor());
    window->addSubview(cell);
    button->setFrame(makeRect(100, 20, 60, 60));
    cell->addSubview(button);
    std::weak_ptr<LKLikeButton> weak = button;
    button->addTarget(
        [this, weak](platform::Control&) {
          auto b = weak.lock();
          if (!b) return;
          ++toggles;
          if (b->isSelected()) {
            b->deselect();
          } else {
            b->select();
          }
        },
        platform::ControlEventTouchUpInside);
  }
  ~LikeJourney() override { platform::ApplicationWindows::shared().reset(); }
  // The image's centre as drawn, some time from now.
  Color centre(double later = 0) { return pixelAt(*render(*window, clock.now() + later), 130, 50); }

  int toggles = 0;
  std::shared_ptr<platform::Window> window = platform::Window::create(makeRect(0, 0, 320, 568));
  std::shared_ptr<LKLikeButton> button =
      LKLikeButton::likeButtonWithImage(nullptr, makeRect(15, 15, 30, 30));
  platform::TouchDriver fingers{window};
};

TEST_F(LikeJourney, ATapBurstsIntoOrangeAndTheNextTapGoesGreyAtOnce) {
  EXPECT_TRUE(near255(centre(), kOff, 2));
  // Pressed: the button dims; nothing is toggled before the finger lifts.
  fingers.begin({130, 50});
  EXPECT_DOUBLE_EQ(button->layer()->opacity(), 0.4);
  EXPECT_FALSE(button->isSelected());
  fingers.end();
  EXPECT_DOUBLE_EQ(button->layer()->opacity(), 1.0);
  EXPECT_TRUE(button->isSelected());
  EXPECT_EQ(toggles, 1);
  // A twentieth of a second in, the image has not popped yet and the disc fills the middle.
  EXPECT_TRUE(near255(centre(0.05), kDisc, 2));
  loop.advance(1.2);
  EXPECT_TRUE(near255(centre(), kOn, 2));
  EXPECT_TRUE(near255(pixelAt(*render(*window, clock.now()), 105, 25), Color::whiteColor(), 1));

  fingers.tap({130, 50});
  EXPECT_FALSE(button->isSelected());
  EXPECT_TRUE(near255(centre(), kOff, 2));

  // Tapped again and again quickly: the burst restarts and the last tap decides.
  fingers.tap({130, 50});
  loop.advance(0.2);
  fingers.tap({130, 50});
  loop.advance(0.2);
  fingers.tap({130, 50});
  EXPECT_TRUE(button->isSelected());
  EXPECT_EQ(toggles, 5);
  loop.advance(1.2);
  EXPECT_TRUE(near255(centre(), kOn, 2));
}

TEST_F(LikeJourney, AFingerThatSlidesOffBeforeLiftingChangesNothing) {
  fingers.begin({130, 50});
  fingers.move({130, 250});  // well beyond the press area
  EXPECT_DOUBLE_EQ(button->layer()->opacity(), 1.0);
  fingers.move({135, 55});  // back on it
  EXPECT_DOUBLE_EQ(button->layer()->opacity(), 0.4);
  fingers.move({130, 300});
  fingers.end();
  EXPECT_DOUBLE_EQ(button->layer()->opacity(), 1.0);
  EXPECT_EQ(toggles, 0);
  EXPECT_FALSE(button->isSelected());
  loop.advance(1);
  EXPECT_TRUE(near255(centre(), kOff, 2));
}

}  // namespace
}  // namespace sprout
