#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/animation/Layer.h"
#include "platform/graphics/Context.h"
#include "platform/render/Render.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextLayout.h"
#include "render_support.h"
#include "ui_support.h"

namespace platform {
namespace {

using render_test::alphaAt;

class UILabel : public ui_test::UITest {
 protected:
  static std::shared_ptr<Image> draw(View& view) {
    view.updateTree();
    RenderOptions options;
    options.scale = 1;
    return renderLayer(*view.layer(), options);
  }
  // The columns and rows that hold any ink.
  static Rect inkBounds(const Image& image) {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    for (int y = 0; y < image.bitmap()->height(); ++y) {
      for (int x = 0; x < image.bitmap()->width(); ++x) {
        if (alphaAt(image, x, y) < 40) continue;
        x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
      }
    }
    return x1 < 0 ? kRectNull : makeRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
  }
};

TEST_F(UILabel, SingleLineMeasurementMatchesDrawing) {
  const Font font = Font::systemFont(17);
  EXPECT_GT(font.ascender(), 10);
  EXPECT_LT(font.descender(), 0);
  const Size one = TextLayout::measure("Hello, world", font, {0, 0});
  const Size two = TextLayout::measure("Hello, world", font.withSize(34), {0, 0});
  EXPECT_NEAR(one.height, font.lineHeight(), 1e-9);
  EXPECT_GT(one.width, 60);
  EXPECT_NEAR(two.width / one.width, 2, 0.02);  // no hinting: text scales with its size
  EXPECT_GT(TextLayout::measure("Hello, world", font.bold(), {0, 0}).width, one.width);

  auto label = Label::create();
  label->setText("Hello, world");
  const Size fit = label->sizeThatFits({10, 10});  // one line: the width is the text's
  EXPECT_EQ(fit.width, std::ceil(one.width));
  EXPECT_EQ(fit.height, std::ceil(one.height));
  label->sizeToFit();
  EXPECT_EQ(label->bounds().size, fit);
  EXPECT_FALSE(label->isTruncated());

  // Drawn ink stays inside the measured text rect, centred vertically in taller bounds.
  label->setFrame(makeRect(0, 0, 200, 60));
  label->setTextAlignment(TextAlignment::Center);
  const Rect text = label->textRect();
  EXPECT_NEAR(midX(text), 100, 0.5);
  EXPECT_NEAR(midY(text), 30, 0.5);
  const Rect ink = inkBounds(*draw(*label));
  ASSERT_FALSE(isNull(ink));
  EXPECT_GE(minX(ink), std::floor(minX(text)));
  EXPECT_LE(maxX(ink), std::ceil(maxX(text)) + 1);
  EXPECT_GE(minY(ink), std::floor(minY(text)));
  EXPECT_LE(maxY(ink), std::ceil(maxY(text)));
  EXPECT_GT(width(ink), width(text) * 0.8);
}

TEST_F(UILabel, WrapsTruncatesAndHonoursLineLimits) {
  const Font font = Font::systemFont(15);
  const std::string text = "The quick brown fox jumps over the lazy dog and keeps on running.";
  const double line = font.lineHeight();
  const Size wrapped = TextLayout::measure(text, font, {100, 0});
  EXPECT_LE(wrapped.width, 100);
  EXPECT_GE(std::lround(wrapped.height / line), 4);
  EXPECT_NEAR(std::fmod(wrapped.height, line), 0, 0.5);
  // A long word breaks inside itself rather than overflowing.
  EXPECT_LE(TextLayout::measure(std::string(60, 'W'), font, {80, 0}).width, 80);

  auto label = Label::create(makeRect(0, 0, 100, 200));
  label->setFont(font);
  label->setText(text);
  label->setNumberOfLines(2);
  const Size two = label->sizeThatFits({100, 1000});
  EXPECT_NEAR(two.height, std::ceil(2 * line), 1);
  EXPECT_TRUE(label->isTruncated());
  label->setNumberOfLines(0);
  EXPECT_FALSE(label->isTruncated());
  EXPECT_EQ(label->sizeThatFits({100, 1000}).height, std::ceil(wrapped.height));
  // Bounded by height alone: as many whole lines as fit, the last one cut short.
  label->setFrame(makeRect(0, 0, 100, line * 2.5));
  EXPECT_TRUE(label->isTruncated());
  EXPECT_LE(label->textRect().size.height, line * 2.5);
  // One line, too narrow: truncated at the tail within the width.
  label->setNumberOfLines(1);
  label->setFrame(makeRect(0, 0, 60, 30));
  EXPECT_TRUE(label->isTruncated());
  EXPECT_LE(label->textRect().size.width, 60);
  EXPECT_LE(maxX(inkBounds(*draw(*label))), 60);
}

TEST_F(UILabel, ChineseTextRendersWithTheCJKFont) {
  TextLayout layout;
  layout.setFont(Font::systemFont(16));
  layout.setText("加载中...");
  EXPECT_EQ(layout.unknownGlyphCount(), 0);
  const Size s = layout.size();
  EXPECT_GT(s.width, 3 * 14);  // three full-width characters and the dots
  EXPECT_LT(s.width, 16 * 6);
  layout.setText("\xff\xfe broken");  // invalid UTF-8 is repaired, not trusted
  EXPECT_GT(layout.size().width, 0);
  // Absurd sizes and bounds are held to what Pango can represent.
  layout.setFont(Font::systemFont(1e12));
  layout.setBounds(1e300, std::numeric_limits<double>::quiet_NaN());
  EXPECT_GT(layout.size().width, 0);
  EXPECT_TRUE(std::isfinite(layout.size().height));

  auto label = Label::create(makeRect(0, 0, 120, 40));
  label->setFont(Font::systemFont(16));
  label->setTextColor(Color::black());
  label->setText("加载中...");
  const Rect ink = inkBounds(*draw(*label));
  ASSERT_FALSE(isNull(ink));
  EXPECT_GT(width(ink), 40);
  EXPECT_GT(height(ink), 10);
}

// A label that keeps a backing (any content mode but redraw) holds the text's ink only, yet
// shows exactly the pixels a full-size backing would, for every alignment; sizes off the pixel
// grid keep the full-size backing.
TEST_F(UILabel, BackingHoldsTheInkAndShowsTheSamePixels) {
  const double scale = 2;
  for (TextAlignment alignment :
       {TextAlignment::Natural, TextAlignment::Center, TextAlignment::Right}) {
    auto label = Label::create(makeRect(0, 0, 200, 31));
    label->setContentMode(ViewContentMode::Left);
    label->layer()->setContentsScale(scale);
    label->setFont(Font::systemFont(15));
    label->setTextColor(Color::hex(0x224466));
    label->setTextAlignment(alignment);
    label->setText("家长开放日 9:30");
    label->updateTree();
    const Bitmap& backing = *label->layer()->contents()->bitmap();
    EXPECT_LT(backing.width(), 200 * scale * 0.75);
    EXPECT_LT(backing.height(), 31 * scale);

    auto full = Context::create({200, 31}, scale, false);
    label->drawRect(*full, label->bounds());
    auto expected = full->makeImage();
    RenderOptions options;
    options.scale = scale;
    auto shown = renderLayer(*label->layer(), options);
    const std::size_t count = static_cast<std::size_t>(400 * 62);
    int differing = 0;
    for (std::size_t i = 0; i < count; ++i) {
      differing += shown->bitmap()->pixels()[i] != expected->bitmap()->pixels()[i];
    }
    EXPECT_EQ(differing, 0) << "alignment " << static_cast<int>(alignment);
  }
  auto odd = Label::create(makeRect(0, 0, 100.25, 20));
  odd->setContentMode(ViewContentMode::Left);
  odd->layer()->setContentsScale(scale);
  odd->setText("9:30");
  odd->updateTree();
  EXPECT_EQ(odd->layer()->contents()->bitmap()->width(), 201);
}

TEST_F(UILabel, KeepsItsBackingUntilItsLooksChangeAndPlainViewsHaveNone) {
  auto label = Label::create(makeRect(0, 0, 100, 20));
  label->setContentMode(ViewContentMode::Center);
  label->setText("通知");
  label->updateTree();
  const auto drawn = label->layer()->contents();
  ASSERT_TRUE(drawn);
  label->setText("通知");
  label->setFont(label->font());
  label->setTextColor(label->textColor());
  EXPECT_FALSE(label->layer()->needsDisplay());
  label->setTextColor(Color::red());
  EXPECT_TRUE(label->layer()->needsDisplay());
  label->setText("");
  label->updateTree();
  EXPECT_FALSE(label->layer()->contents());  // no text, nothing to hold

  // A view that draws nothing has no image to fill and composite, whatever asks it to display.
  auto plain = View::create(makeRect(0, 0, 375, 667));
  plain->setBackgroundColor(Color::whiteColor());
  plain->setNeedsDisplay();
  plain->updateTree();
  EXPECT_FALSE(plain->layer()->contents());
  EXPECT_FALSE(plain->layer()->needsDisplay());
}

}  // namespace
}  // namespace platform
