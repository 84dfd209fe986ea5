// A layer masked by an image may be painted in one operation with the mask's coverage as its
// source; whatever the mask, the paint, the turn, the clip or the scale, the pixels are those of
// the general way (the layer in a group, the mask in another, one masking the other). The
// coverage is kept per image from frame to frame, and dropped with the image.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "animation_support.h"
#include "platform/animation/BasicAnimation.h"
#include "platform/animation/GradientLayer.h"
#include "platform/animation/Layer.h"
#include "platform/animation/ShapeLayer.h"
#include "platform/animation/Transaction.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageOrientation.h"
#include "platform/render/MaskSourceCache.h"
#include "platform/render/Render.h"

namespace platform {
namespace {

// A spinner's fade: alpha sweeps with the angle around the centre, over colours unlike the
// alpha, so only the alpha may count.
std::shared_ptr<Image> sweepImage(int side, double scale,
                                  ImageOrientation orientation = ImageOrientation::Up) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(side) * side);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      const double turn = (std::atan2(y - side / 2.0, x - side / 2.0) + M_PI) / (2 * M_PI);
      const auto a = static_cast<std::uint32_t>(std::lround(255 * turn));
      pixels[static_cast<std::size_t>(y) * side + x] = a << 24 | (a / 3) << 16 | (a / 2) << 8;
    }
  }
  return Image::create(
      Bitmap::create(side, side, std::move(pixels), AlphaInfo::PremultipliedFirst, ColorModel::RGB),
      scale, orientation);
}

void withoutActions(const std::function<void()>& change) {
  Transaction::begin();
  Transaction::setDisableActions(true);
  change();
  Transaction::commit();
}

struct Spinner {
  std::shared_ptr<Layer> root, panel, mask;
  std::shared_ptr<ShapeLayer> shape;
};

// A dark rounded panel holding a trimmed arc masked by a turned sweep, as a HUD shows it.
Spinner makeSpinner(Color stroke, double angle, const std::shared_ptr<Image>& image) {
  Spinner s;
  withoutActions([&] {
    s.root = Layer::create();
    s.root->setFrame(makeRect(0, 0, 120, 100));
    s.root->setBackgroundColor(Color::whiteColor());
    s.panel = Layer::create();
    s.panel->setFrame(makeRect(10, 5, 100, 90));
    s.panel->setBackgroundColor(Color(0.1, 0.1, 0.1, 0.9));
    s.panel->setCornerRadius(14);
    s.panel->setMasksToBounds(true);
    s.shape = ShapeLayer::create();
    s.shape->setFrame(makeRect(26, 21, 48, 48));
    s.shape->setPath(Path::arc({24, 24}, 18, 1.5 * M_PI, 5.5 * M_PI, true));
    s.shape->setFillColor(Color::clear());
    s.shape->setStrokeColor(stroke);
    s.shape->setLineWidth(2);
    s.shape->setLineCap(LineCap::Round);
    s.shape->setLineJoin(LineJoin::Bevel);
    s.shape->setStrokeStart(0.1);
    s.shape->setStrokeEnd(0.57);
    s.mask = Layer::create();
    s.mask->setContents(image);
    s.mask->setFrame(s.shape->bounds());
    s.mask->setAffineTransform(AffineTransform::rotation(angle));
    s.shape->setMask(s.mask);
    s.panel->addSublayer(s.shape);
    s.root->addSublayer(s.panel);
  });
  return s;
}

class MaskedLayers : public animation_test::OnVirtualClock {
 protected:
  // Pixels that differ between the shortcut and the general way; the general way first, so the
  // shortcut draws into a target just used.
  static std::int64_t differing(Layer& root, double scale = 2) {
    RenderOptions general;
    general.scale = scale;
    general.maskShortcuts = false;
    RenderOptions shortcut = general;
    shortcut.maskShortcuts = true;
    const auto a = renderLayer(root, general);
    const std::vector<std::uint32_t> expected(a->bitmap()->pixels(),
                                              a->bitmap()->pixels() + a->bitmap()->byteCount() / 4);
    const auto b = renderLayer(root, shortcut);
    std::int64_t count = 0;
    for (std::size_t i = 0; i < expected.size(); ++i)
      count += expected[i] != b->bitmap()->pixels()[i];
    return count;
  }
};

TEST_F(MaskedLayers, TurnedImageMaskOverAStrokedArcMatchesTheGeneralWay) {
  const auto image = sweepImage(120, 2.5);  // 48 points at 2.5 pixels a point
  for (const Color& stroke : {Color::whiteColor(), Color::black(), Color(1, 0, 0, 1)}) {
    for (int step = 0; step < 48; ++step) {
      const double angle = step * (2 * M_PI / 48) + (step % 3) * 0.013;
      Spinner s = makeSpinner(stroke, angle, image);
      for (const double scale : {2.0, 3.0}) {
        EXPECT_EQ(differing(*s.root, scale), 0) << "angle " << angle << " scale " << scale;
      }
    }
  }
  EXPECT_GE(keptMaskSources(), 1u);  // the shortcut was taken
}

TEST_F(MaskedLayers, EveryOtherMaskPaintAndPlacementMatchesTheGeneralWay) {
  const auto image = sweepImage(96, 2);
  const std::vector<std::pair<std::string, std::function<void(Spinner&)>>> variants = {
      {"as it is", [](Spinner&) {}},
      {"a fill",
       [](Spinner& s) {
         s.shape->setStrokeColor(Color::clear());
         s.shape->setFillColor(Color::black());
         s.shape->setPath(Path::rect(makeRect(4, 4, 40, 40)));
       }},
      {"a grey fill and stroke",
       [](Spinner& s) { s.shape->setFillColor(Color(0.5, 0.5, 0.5, 1)); }},
      {"a half-clear stroke", [](Spinner& s) { s.shape->setStrokeColor(Color(1, 1, 1, 0.5)); }},
      {"a grey stroke", [](Spinner& s) { s.shape->setStrokeColor(Color(0.3, 0.6, 0.9, 1)); }},
      {"a fading layer", [](Spinner& s) { s.shape->setOpacity(0.5); }},
      {"a fading mask", [](Spinner& s) { s.mask->setOpacity(0.6); }},
      {"a small mask the arc crosses",
       [](Spinner& s) { s.mask->setFrame(makeRect(10, 6, 30, 28)); }},
      {"a mask stretched off centre",
       [](Spinner& s) {
         s.mask->setAffineTransform(
             AffineTransform::scale(1.3, 0.8).concat(AffineTransform::translation(3.25, -2.5)));
       }},
      {"a mask clipping itself",
       [](Spinner& s) {
         s.mask->setMasksToBounds(true);
         s.mask->setContentsGravity(ContentsGravity::Center);
       }},
      {"a turned image",
       [](Spinner& s) { s.mask->setContents(sweepImage(96, 2, ImageOrientation::Right)); }},
      {"a colour mask",
       [](Spinner& s) {
         s.mask->setContents(nullptr);
         s.mask->setBackgroundColor(Color(0, 0, 0, 0.7));
       }},
      {"a gradient mask",
       [](Spinner& s) {
         auto gradient = GradientLayer::create();
         gradient->setFrame(s.shape->bounds());
         gradient->setColors({Color::clear(), Color::black()});
         s.shape->setMask(gradient);
       }},
      {"a shape mask",
       [](Spinner& s) {
         auto shape = ShapeLayer::create();
         shape->setFrame(s.shape->bounds());
         shape->setPath(Path::ellipse(makeRect(0, 0, 30, 48)));
         s.shape->setMask(shape);
       }},
      {"a panel corner cutting the arc",
       [](Spinner& s) {
         s.panel->setCornerRadius(40);
         s.shape->setStrokeStart(0);
         s.shape->setStrokeEnd(1);
         s.shape->setFrame(makeRect(-12, -12, 48, 48));
       }},
      {"a turned panel",
       [](Spinner& s) { s.panel->setAffineTransform(AffineTransform::rotation(0.3)); }},
      {"a panel between pixels",
       [](Spinner& s) { s.panel->setFrame(makeRect(10.3, 5.7, 100, 90)); }},
  };
  for (const auto& [name, change] : variants) {
    for (const double angle : {0.0, 0.7, M_PI / 2, 2.2}) {
      Spinner s = makeSpinner(Color::whiteColor(), angle, image);
      withoutActions([&] { change(s); });
      for (const double scale : {1.0, 1.5, 2.0}) {
        EXPECT_EQ(differing(*s.root, scale), 0)
            << name << ", angle " << angle << ", scale " << scale;
      }
    }
  }
}

TEST_F(MaskedLayers, AnAnimatedSpinnerMatchesTheGeneralWayFrameByFrame) {
  Spinner s = makeSpinner(Color::whiteColor(), 0, sweepImage(120, 2.5));
  auto turn = BasicAnimation::create("transform.rotation");
  turn->setToValue(AnimationValue{2 * M_PI});
  turn->setDuration(1);
  turn->setRepeatCount(kRepeatForever);
  s.mask->addAnimation(turn, "rotate");
  auto end = BasicAnimation::create("strokeEnd");
  end->setFromValue(AnimationValue{0.2});
  end->setToValue(AnimationValue{0.9});
  end->setDuration(1);
  s.shape->addAnimation(end, "end");
  for (int frame = 0; frame < 30; ++frame) {
    EXPECT_EQ(differing(*s.root), 0) << "frame " << frame;
    advance(1.0 / 30);
  }
}

TEST_F(MaskedLayers, CoverageIsKeptPerImageAndDroppedWithIt) {
  EXPECT_TRUE(MaskSourceCache::isExact(Color::whiteColor()));
  EXPECT_TRUE(MaskSourceCache::isExact(Color(0, 1, 0, 1)));
  EXPECT_FALSE(MaskSourceCache::isExact(Color(0.5, 0.5, 0.5, 1)));
  EXPECT_FALSE(MaskSourceCache::isExact(Color(1, 1, 1, 0.99)));

  MaskSourceCache cache;
  auto first = sweepImage(8, 1);
  auto twin = sweepImage(8, 1);  // the same pixels, another image
  cairo_pattern_t* red = cache.source(first->bitmap(), Color(1, 0, 0, 1));
  EXPECT_EQ(cache.source(first->bitmap(), Color(1, 0, 0, 1)), red);
  EXPECT_NE(cache.source(twin->bitmap(), Color(1, 0, 0, 1)), red);
  EXPECT_NE(cache.source(first->bitmap(), Color::whiteColor()), red);
  EXPECT_EQ(cache.size(), 3u);
  // The coverage is the alpha, in the colour's channels only.
  cairo_surface_t* surface = nullptr;
  ASSERT_EQ(cairo_pattern_get_surface(red, &surface), CAIRO_STATUS_SUCCESS);
  const auto* words = reinterpret_cast<const std::uint32_t*>(cairo_image_surface_get_data(surface));
  for (int i = 0; i < 64; ++i) {
    const std::uint32_t a = first->bitmap()->pixels()[i] >> 24;
    EXPECT_EQ(words[i], a << 24 | a << 16);
  }
  // Gone images leave with the next image asked for.
  first.reset();
  twin.reset();
  auto next = sweepImage(8, 1);
  cache.source(next->bitmap(), Color::black());
  EXPECT_EQ(cache.size(), 1u);

  // The renderer's own: a spinner's image is kept across frames, then dropped with it.
  {
    Spinner s = makeSpinner(Color::whiteColor(), 0.4, sweepImage(120, 2.5));
    EXPECT_EQ(differing(*s.root), 0);
    const std::size_t kept = keptMaskSources();
    EXPECT_GE(kept, 1u);
    EXPECT_EQ(differing(*s.root), 0);
    EXPECT_EQ(keptMaskSources(), kept);
  }
  Spinner other = makeSpinner(Color::whiteColor(), 0.4, sweepImage(120, 2.5));
  EXPECT_EQ(differing(*other.root), 0);
  EXPECT_EQ(keptMaskSources(), 1u);
}

}  // namespace
}  // namespace platform
