// Animated sources: frame counts, delays, and compositing checked on pixels. The frames of
// animated.gif and animated.webp are described in make_samples.cpp.
#include <gtest/gtest.h>

#include "graphics_support.h"
#include "platform/graphics/ImageSource.h"

using namespace platform;
using graphics_test::colorNear;
using graphics_test::samePixels;
using graphics_test::sample;

namespace {

std::shared_ptr<const Bitmap> frame(const ImageSource& source, std::size_t index) {
  auto result = source.frameAt(index);
  EXPECT_TRUE(result) << "frame " << index << ": "
                      << (!result ? result.error().localizedDescription() : "");
  return result ? result.value() : nullptr;
}

}  // namespace

TEST(GraphicsGif, FramesDelaysAndDisposal) {
  auto source = ImageSource::create(sample("animated.gif"));
  ASSERT_TRUE(source);
  ASSERT_EQ(source->count(), 4u);
  EXPECT_TRUE(source->status());

  EXPECT_DOUBLE_EQ(*source->propertiesAt(0)->gifDelayTime, 0.10);
  EXPECT_DOUBLE_EQ(*source->propertiesAt(1)->gifDelayTime, 0.01);
  EXPECT_DOUBLE_EQ(*source->propertiesAt(1)->gifUnclampedDelayTime, 0.01);
  EXPECT_DOUBLE_EQ(*source->propertiesAt(2)->gifDelayTime, 0.0);
  EXPECT_FALSE(source->propertiesAt(3)->gifDelayTime);  // no graphic control extension
  EXPECT_FALSE(source->propertiesAt(3)->gifUnclampedDelayTime);
  EXPECT_EQ(source->propertiesAt(3)->width, 80);
  EXPECT_FALSE(source->propertiesAt(4));

  auto f0 = frame(*source, 0);
  auto f1 = frame(*source, 1);
  auto f2 = frame(*source, 2);
  auto f3 = frame(*source, 3);
  ASSERT_TRUE(f0 && f1 && f2 && f3);
  // Frame 1 paints the red ball over frame 0; its transparent corners let frame 0 show.
  EXPECT_TRUE(colorNear(f1->pixel(20, 20), 0xFF0000, 0));
  EXPECT_EQ(f1->pixel(10, 10), f0->pixel(10, 10));
  EXPECT_EQ(f1->pixel(50, 30), f0->pixel(50, 30));
  // Frame 1 disposes to background: its rect is transparent under frame 2.
  EXPECT_EQ(f2->pixel(20, 20), 0u);
  EXPECT_EQ(f2->pixel(10, 10), 0u);
  EXPECT_EQ(f2->pixel(31, 20), f0->pixel(31, 20));  // just outside that rect
  EXPECT_TRUE(colorNear(f2->pixel(50, 30), 0x00CC00, 0x33));
  // Frame 2 restores to previous: frame 3 shows frame 0 where the green was, the hole stays.
  EXPECT_EQ(f3->pixel(55, 25), f0->pixel(55, 25));
  EXPECT_EQ(f3->pixel(20, 20), 0u);
  EXPECT_TRUE(colorNear(f3->pixel(38, 38), 0x0000FF, 0));
  EXPECT_TRUE(colorNear(f3->pixel(30, 30), 0xFFFFFF, 0));  // the white rim

  // Going back starts over and gives the same frames.
  auto again = frame(*source, 1);
  ASSERT_TRUE(again);
  EXPECT_TRUE(samePixels(*f1, *again));
  auto out = source->frameAt(4);
  ASSERT_FALSE(out);
  EXPECT_EQ(out.error().domain, "SproutImageErrorDomain");
}

TEST(GraphicsGif, SingleFrameHasNoDelay) {
  auto source = ImageSource::create(sample("single.gif"));
  ASSERT_TRUE(source);
  EXPECT_EQ(source->count(), 1u);
  EXPECT_FALSE(source->propertiesAt(0)->gifDelayTime);
  auto f = frame(*source, 0);
  ASSERT_TRUE(f);
  EXPECT_EQ(pixels::alpha(f->pixel(0, 0)), 255);
}

TEST(GraphicsWebp, AnimatedFramesAreComposited) {
  auto source = ImageSource::create(sample("animated.webp"));
  ASSERT_TRUE(source);
  ASSERT_EQ(source->count(), 3u);
  const std::uint32_t colours[3] = {0xFF0000, 0x00FF00, 0x0000FF};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_DOUBLE_EQ(*source->propertiesAt(i)->webpDelayTime, 0.1 * (i + 1));
    EXPECT_FALSE(source->propertiesAt(i)->gifDelayTime);
    auto f = frame(*source, i);
    ASSERT_TRUE(f);
    ASSERT_EQ(f->width(), 64);
    EXPECT_TRUE(colorNear(f->pixel(12 + 20 * int(i), 24), colours[i], 2)) << "frame " << i;
    // Where the ball was in the frame before, the background is back.
    if (i > 0) {
      EXPECT_TRUE(colorNear(f->pixel(12 + 20 * int(i - 1), 24), 0xFFF8E1, 2));
    }
  }
  auto first = frame(*source, 0);
  ASSERT_TRUE(first);
  EXPECT_TRUE(colorNear(first->pixel(12, 24), 0xFF0000, 2));
}
