#include <cmath>
#include <memory>
#include <variant>
#include <vector>

#include "platform/animation/KeyframeAnimation.h"
#include "platform/graphics/Context.h"
#include "tests/ui_components/fixtures.h"
#include "ui/components/likebutton/LKLikeButton.h"

namespace sprout {
namespace {

using components_test::near255;
using components_test::pixelAt;
using platform::Color;
using platform::KeyframeAnimation;
using platform::Layer;
using platform::makeRect;
using platform::Point;
using platform::Transform3D;

const Color kDisc = Color::rgba(1, 172 / 255.0, 51 / 255.0);
const Color kRay = Color::rgba(250 / 255.0, 120 / 255.0, 68 / 255.0);
const Color kOn = Color::rgba(1, 172 / 255.0, 52 / 255.0);
const Color kOff = Color::rgba(136 / 255.0, 153 / 255.0, 166 / 255.0);

// A 30-point stencil whose left half is opaque.
std::shared_ptr<platform::Image> leftHalfStencil() {
  auto context = platform::Context::create({30, 30}, 2, false);
  context->fillRect(makeRect(0, 0, 15, 30), Color::whiteColor());
  return context->makeImage();
}

// Clock times near 1.8e9 s resolve to about 2.4e-7 s, which moves a key-framed value by ~1e-6.
constexpr double kTol = 1e-5;

double scaleOf(const Layer& layer) { return layer.transform().parts().scaleX; }

std::shared_ptr<const KeyframeAnimation> keyframes(const Layer& layer, const char* key) {
  return std::dynamic_pointer_cast<const KeyframeAnimation>(layer.animationForKey(key));
}

class LikeButton : public components_test::ComponentsTest {
 protected:
  LikeButton() : ComponentsTest(kScreen, 2) {}
  // The image 30 points square in the middle of a 60-point button, on white.
  std::shared_ptr<LKLikeButton> makeButton(std::shared_ptr<platform::Image> image = nullptr) {
    auto button = LKLikeButton::likeButtonWithImage(std::move(image), makeRect(15, 15, 30, 30));
    button->setFrame(makeRect(0, 0, 60, 60));
    box = platform::View::create(makeRect(0, 0, 60, 60));
    box->setBackgroundColor(Color::whiteColor());
    box->addSubview(button);
    return button;
  }
  std::shared_ptr<platform::Image> renderAt(double secondsAfterStart) {
    return render(*box, start + secondsAfterStart);
  }
  // The presentation of `layer` a time after the burst began.
  std::shared_ptr<Layer> shown(const Layer& layer, double seconds) {
    return layer.presentationAt(start + seconds);
  }

  std::shared_ptr<platform::View> box;
  const double start = clock.now();
};

TEST_F(LikeButton, LayersArePlacedFromTheImageFrame) {
  auto button = makeButton();
  const auto& sub = button->layer()->sublayers();
  ASSERT_EQ(sub.size(), 7u);
  EXPECT_EQ(sub.front(), button->circleShape());
  EXPECT_EQ(sub.back(), button->imageShape());

  const auto& disc = *button->circleShape();
  EXPECT_EQ(disc.bounds(), makeRect(15, 15, 30, 30));
  EXPECT_EQ(disc.position(), (Point{30, 30}));
  EXPECT_EQ(disc.transform(), Transform3D::scale(0, 0, 1));
  EXPECT_TRUE(disc.path().contains({30, 30}));
  EXPECT_FALSE(disc.path().contains({16, 16}));  // outside the inscribed oval
  // The mask is the frame with a hole of radius 0.1 at the centre.
  const auto& mask = *button->circleMask();
  EXPECT_EQ(disc.mask(), button->circleMask());
  EXPECT_EQ(mask.fillRule(), platform::FillRule::EvenOdd);
  EXPECT_FALSE(mask.path().contains({30, 30}, true));
  EXPECT_TRUE(mask.path().contains({30.2, 30}, true));
  EXPECT_TRUE(mask.path().contains({16, 16}, true));

  ASSERT_EQ(button->lineArray().size(), 5u);
  for (int i = 0; i < 5; ++i) {
    const auto& ray = *button->lineArray()[i];
    EXPECT_EQ(sub[1 + i], button->lineArray()[i]);
    EXPECT_EQ(ray.bounds(), makeRect(7.5, 7.5, 45, 45));
    EXPECT_EQ(ray.position(), (Point{30, 30}));
    EXPECT_TRUE(ray.masksToBounds());
    EXPECT_DOUBLE_EQ(ray.path().length(), 22.5);
    EXPECT_EQ(ray.lineWidth(), 1.25);
    EXPECT_EQ(ray.lineCap(), platform::LineCap::Round);
    EXPECT_EQ(ray.strokeColor(), button->lineColor());
    EXPECT_EQ(ray.strokeEnd(), 0);
    EXPECT_EQ(ray.opacity(), 0);
    // Ray k points k x 36 degrees clockwise from straight up.
    const double angle = (2 * i + 1) * M_PI / 5;
    const Point tip = ray.transform().apply(Point{0, -22.5});
    EXPECT_NEAR(tip.x, 22.5 * std::sin(angle), 1e-9);
    EXPECT_NEAR(tip.y, -22.5 * std::cos(angle), 1e-9);
  }
  // Without an image the stencil is a plain rectangle.
  EXPECT_EQ(button->imageShape()->mask(), nullptr);
  EXPECT_TRUE(near255(button->imageShape()->fillColor(), kOff, 0));
  EXPECT_TRUE(button->imageShape()->path().contains({15.5, 44.5}));

  auto wide = LKLikeButton::likeButtonWithImage(leftHalfStencil(), makeRect(0, 0, 40, 20));
  EXPECT_EQ(wide->lineArray()[0]->bounds(), makeRect(-10, -5, 60, 30));
  EXPECT_DOUBLE_EQ(wide->lineArray()[0]->path().length(), 15);
  ASSERT_NE(wide->imageShape()->mask(), nullptr);
  EXPECT_NE(wide->imageShape()->mask()->contents(), nullptr);
}

TEST_F(LikeButton, SelectStartsTheBurstWithItsKeyFrames) {
  auto button = makeButton();
  button->select();
  EXPECT_TRUE(button->isSelected());
  EXPECT_EQ(button->imageShape()->fillColor(), button->imageColorOn());
  const auto disc = keyframes(*button->circleShape(), "transform");
  ASSERT_NE(disc, nullptr);
  EXPECT_EQ(disc->duration(), 0.333);
  EXPECT_EQ(disc->keyTimes(), (std::vector<double>{0, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 1.0}));
  EXPECT_EQ(keyframes(*button->circleMask(), "transform")->values().size(), 9u);
  EXPECT_EQ(keyframes(*button->imageShape(), "transform")->keyTimes().size(), 17u);
  for (const auto& ray : button->lineArray()) {
    EXPECT_EQ(keyframes(*ray, "strokeStart")->duration(), 0.6);
    EXPECT_EQ(keyframes(*ray, "strokeEnd")->duration(), 0.6);
    EXPECT_EQ(keyframes(*ray, "opacity")->duration(), 1.0);
  }

  // Linear between keys, at chosen instants of the burst.
  EXPECT_NEAR(scaleOf(*shown(*button->circleShape(), 0.0333)), 0.5, kTol);
  EXPECT_NEAR(scaleOf(*shown(*button->circleShape(), 0.25 * 0.333)), 1.1, kTol);
  EXPECT_NEAR(scaleOf(*shown(*button->circleShape(), 0.3)), 1.4, kTol);
  EXPECT_EQ(shown(*button->circleMask(), 0.05)->transform(), Transform3D::identity());
  const auto hole = shown(*button->circleMask(), 0.45 * 0.333)->transform().parts();
  EXPECT_NEAR(hole.scaleX, 30 * (2.688 + 3.923) / 2, 1e-3);
  EXPECT_NEAR(hole.scaleY, hole.scaleX, 1e-9);
  const auto ray = button->lineArray()[2];
  const auto rayAt = [&](double s) {
    return std::static_pointer_cast<platform::ShapeLayer>(shown(*ray, s));
  };
  EXPECT_NEAR(rayAt(0.3)->strokeStart(), 0.71 + 0.056 / 0.5 * 0.18, kTol);
  EXPECT_NEAR(rayAt(0.3)->strokeEnd(), 0.68 + 0.222 / 0.666 * 0.24, kTol);
  EXPECT_NEAR(rayAt(0.5)->opacity(), 1 - 0.1 / 0.167, kTol);
  EXPECT_EQ(rayAt(0.8)->opacity(), 0);  // the fade's keys end at 0.567
  EXPECT_NEAR(scaleOf(*shown(*button->imageShape(), 0.2)), 0.6, kTol);
  EXPECT_NEAR(scaleOf(*shown(*button->imageShape(), 0.5)), 0.875, kTol);
  EXPECT_NEAR(scaleOf(*shown(*button->imageShape(), 0.95)), 0.96 + 0.05 / 0.067 * 0.03, kTol);

  // A second later everything rests again: disc and rays invisible, the image at full size.
  loop.advance(1.01);
  for (const auto& layer : button->layer()->sublayers()) EXPECT_FALSE(layer->hasAnimations());
  EXPECT_FALSE(button->circleMask()->hasAnimations());
  EXPECT_EQ(scaleOf(*button->circleShape()->presentationLayer()), 0);
  EXPECT_EQ(button->imageShape()->presentationLayer()->transform(), Transform3D::identity());
  EXPECT_TRUE(button->isSelected());
}

TEST_F(LikeButton, DurationScalesEveryPartAndKeepsTheKeyTimes) {
  auto button = makeButton();
  button->setDuration(2);
  EXPECT_EQ(button->duration(), 2);
  button->select();
  EXPECT_DOUBLE_EQ(keyframes(*button->circleShape(), "transform")->duration(), 0.666);
  EXPECT_DOUBLE_EQ(keyframes(*button->circleMask(), "transform")->duration(), 0.666);
  EXPECT_DOUBLE_EQ(keyframes(*button->lineArray()[0], "strokeEnd")->duration(), 1.2);
  EXPECT_DOUBLE_EQ(keyframes(*button->lineArray()[0], "opacity")->duration(), 2);
  EXPECT_DOUBLE_EQ(keyframes(*button->imageShape(), "transform")->duration(), 2);
  EXPECT_NEAR(scaleOf(*shown(*button->circleShape(), 0.0666)), 0.5, kTol);
  loop.advance(1.5);
  EXPECT_TRUE(button->imageShape()->hasAnimations());
}

TEST_F(LikeButton, SwitchingOnAndOff) {
  auto button = makeButton();
  button->select();
  loop.advance(0.5);
  // Selecting again replays the burst from its start.
  const double again = clock.now();
  button->select();
  EXPECT_TRUE(button->isSelected());
  EXPECT_NEAR(scaleOf(*button->circleShape()->presentationAt(again + 0.0333)), 0.5, kTol);

  // Deselecting cuts every animation at once.
  loop.advance(0.1);
  button->deselect();
  EXPECT_FALSE(button->isSelected());
  EXPECT_EQ(button->imageShape()->fillColor(), button->imageColorOff());
  for (const auto& layer : button->layer()->sublayers()) EXPECT_FALSE(layer->hasAnimations());
  EXPECT_FALSE(button->circleMask()->hasAnimations());

  // The plain state change recolours without a burst; switching off that way deselects.
  button->setSelected(true);
  EXPECT_EQ(button->imageShape()->fillColor(), button->imageColorOn());
  EXPECT_FALSE(button->circleShape()->hasAnimations());
  button->select();
  button->setSelected(false);
  EXPECT_FALSE(button->circleShape()->hasAnimations());
  EXPECT_EQ(button->imageShape()->fillColor(), button->imageColorOff());

  // Colours reach the layers; the stencil's only in the matching state, and at once.
  button->setImageColorOn(Color::red());
  EXPECT_EQ(button->imageShape()->fillColor(), button->imageColorOff());
  button->setImageColorOff(Color::blue());
  EXPECT_EQ(button->imageShape()->fillColor(), Color::blue());
  EXPECT_FALSE(button->imageShape()->hasAnimations());
  button->lineArray()[0]->setStrokeEnd(0.5);  // the rays' ends never animate by themselves
  EXPECT_FALSE(button->lineArray()[0]->hasAnimations());
  button->lineArray()[0]->setStrokeEnd(0);
  button->setSelected(true);
  EXPECT_EQ(button->imageShape()->fillColor(), Color::red());
  button->setLineColor(Color::green());
  for (const auto& ray : button->lineArray()) EXPECT_EQ(ray->strokeColor(), Color::green());
  button->setCircleColor(Color::yellow());
  EXPECT_EQ(button->circleShape()->fillColor(), Color::yellow());
}

TEST_F(LikeButton, WholeImagesReplaceTheStencil) {
  auto button = makeButton(leftHalfStencil());
  auto on = leftHalfStencil(), off = leftHalfStencil();
  button->setImageOn(on);
  EXPECT_EQ(button->imageShape()->superlayer(), nullptr);
  EXPECT_FALSE(button->hasImageLayer());  // off: nothing shows yet
  button->setImageOff(off);
  ASSERT_TRUE(button->hasImageLayer());
  const auto& imageLayer = button->imageLayer();
  EXPECT_EQ(imageLayer->contents(), off);
  EXPECT_EQ(imageLayer->bounds(), makeRect(15, 15, 30, 30));
  EXPECT_EQ(imageLayer->position(), (Point{30, 30}));
  EXPECT_EQ(imageLayer->superlayer(), button->layer());
  button->select();
  EXPECT_EQ(imageLayer->contents(), on);
  EXPECT_NE(imageLayer->animationForKey("transform"), nullptr);
  button->deselect();
  EXPECT_EQ(imageLayer->contents(), off);
  EXPECT_FALSE(imageLayer->hasAnimations());
}

TEST_F(LikeButton, DrawsTheBurst) {
  auto button = makeButton(leftHalfStencil());
  // At rest: the stencil's opaque half in the off colour, its clear half shows the white below.
  auto rest = renderAt(0);
  EXPECT_TRUE(near255(pixelAt(*rest, 20, 30), kOff));
  EXPECT_TRUE(near255(pixelAt(*rest, 40, 30), Color::whiteColor()));

  button->select();
  // The disc at half size, the image not there yet.
  auto early = renderAt(0.0333);
  EXPECT_TRUE(near255(pixelAt(*early, 30, 30), kDisc));
  EXPECT_TRUE(near255(pixelAt(*early, 36.5, 30), kDisc));
  EXPECT_TRUE(near255(pixelAt(*early, 38.5, 30), Color::whiteColor()));
  // The disc at 1.2, a small hole, and a ray pointing 36 degrees right of up over it.
  auto rays = renderAt(0.1);
  const Point onRay{30 + 8 * std::sin(M_PI / 5), 30 - 8 * std::cos(M_PI / 5)};
  EXPECT_TRUE(near255(pixelAt(*rays, onRay.x, onRay.y), kRay, 3));
  EXPECT_TRUE(near255(pixelAt(*rays, 30 + 16, 30), kDisc));
  // A ring: the hole has grown to about 18 of the disc's 20.5 points.
  auto ring = renderAt(0.5 * 0.333);
  EXPECT_TRUE(near255(pixelAt(*ring, 30 + 19.25, 30), kDisc));
  EXPECT_TRUE(near255(pixelAt(*ring, 30 + 10, 30), Color::whiteColor()));
  EXPECT_TRUE(near255(pixelAt(*ring, 30 + 22, 30), Color::whiteColor()));
  // After the burst: the stencil in the on colour, nothing else.
  auto after = renderAt(1.05);
  EXPECT_TRUE(near255(pixelAt(*after, 20, 30), kOn));
  EXPECT_TRUE(near255(pixelAt(*after, 40, 30), Color::whiteColor()));
  EXPECT_TRUE(near255(pixelAt(*after, 30 + 19.25, 30), Color::whiteColor()));
}

// --- under a finger, wired as the recipe cell wires it: a tap toggles it

class LikeJourney : public LikeButton {
 protected:
  LikeJourney() {
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
  // The image's centre as drawn, some time from now.
  Color centre(double later = 0) { return pixelAt(*render(*window, clock.now() + later), 130, 50); }

  int toggles = 0;
  std::shared_ptr<LKLikeButton> button =
      LKLikeButton::likeButtonWithImage(nullptr, makeRect(15, 15, 30, 30));
};

TEST_F(LikeJourney, ATapBurstsIntoOrangeAndTheNextTapGoesGreyAtOnce) {
  EXPECT_TRUE(near255(centre(), kOff, 2));
  // Pressed: the button dims; nothing is toggled before the finger lifts.
  finger.begin({130, 50});
  EXPECT_DOUBLE_EQ(button->layer()->opacity(), 0.4);
  EXPECT_FALSE(button->isSelected());
  finger.end();
  EXPECT_DOUBLE_EQ(button->layer()->opacity(), 1.0);
  EXPECT_TRUE(button->isSelected());
  EXPECT_EQ(toggles, 1);
  // A twentieth of a second in, the image has not popped yet and the disc fills the middle.
  EXPECT_TRUE(near255(centre(0.05), kDisc, 2));
  advance(1.2);
  EXPECT_TRUE(near255(centre(), kOn, 2));
  EXPECT_TRUE(near255(pixelAt(*render(*window, clock.now()), 105, 25), Color::whiteColor(), 1));

  finger.tap({130, 50});
  EXPECT_FALSE(button->isSelected());
  EXPECT_TRUE(near255(centre(), kOff, 2));

  // Tapped again and again quickly: the burst restarts and the last tap decides.
  finger.tap({130, 50});
  advance(0.2);
  finger.tap({130, 50});
  advance(0.2);
  finger.tap({130, 50});
  EXPECT_TRUE(button->isSelected());
  EXPECT_EQ(toggles, 5);
  advance(1.2);
  EXPECT_TRUE(near255(centre(), kOn, 2));
}

TEST_F(LikeJourney, AFingerThatSlidesOffOrIsCancelledChangesNothing) {
  finger.begin({130, 50});
  finger.move({130, 250});  // well beyond the press area
  EXPECT_DOUBLE_EQ(button->layer()->opacity(), 1.0);
  finger.move({135, 55});  // back on it
  EXPECT_DOUBLE_EQ(button->layer()->opacity(), 0.4);
  finger.move({130, 300});
  finger.end();
  EXPECT_DOUBLE_EQ(button->layer()->opacity(), 1.0);
  finger.begin({130, 50});
  EXPECT_DOUBLE_EQ(button->layer()->opacity(), 0.4);
  finger.cancel();
  EXPECT_DOUBLE_EQ(button->layer()->opacity(), 1.0);
  EXPECT_EQ(toggles, 0);
  EXPECT_FALSE(button->isSelected());
  advance(1);
  EXPECT_TRUE(near255(centre(), kOff, 2));
}

}  // namespace
}  // namespace sprout
