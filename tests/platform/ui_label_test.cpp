#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

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

}  // namespace
}  // namespace platform
