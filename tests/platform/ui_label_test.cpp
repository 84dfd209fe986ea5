// Text measured and drawn: labels, attributed runs, shadows and the label's kept backing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "platform/graphics/Context.h"
#include "platform/ui/AttributedString.h"
#include "platform/ui/Label.h"
#include "platform/ui/TextLayout.h"
#include "render_support.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

using render_test::alphaAt;
using render_test::pixelAt;
using ui_test::renderTree;

// The columns and rows that hold any ink.
Rect inkBounds(const Image& image) {
  int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
  for (int y = 0; y < image.bitmap()->height(); ++y) {
    for (int x = 0; x < image.bitmap()->width(); ++x) {
      if (alphaAt(image, x, y) < 40) continue;
      x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    }
  }
  return x1 < 0 ? kRectNull : makeRect(x0, y0, x1 - x0 + 1, y1 - y0 + 1);
}

// Pixels of mostly-red and mostly-blue ink, and where the red starts and the blue ends.
struct Inks {
  int red = 0, blue = 0, firstRed = 1 << 30, lastBlue = -1;
};
Inks inksOf(const Image& image) {
  Inks ink;
  for (int x = 0; x < image.bitmap()->width(); ++x) {
    for (int y = 0; y < image.bitmap()->height(); ++y) {
      const auto p = pixelAt(image, x, y);
      if (p.a < 128) continue;
      if (p.r > 200 && p.b < 60) ++ink.red, ink.firstRed = std::min(ink.firstRed, x);
      if (p.b > 200 && p.r < 60) ++ink.blue, ink.lastBlue = std::max(ink.lastBlue, x);
    }
  }
  return ink;
}

using UILabel = ui_test::UITest;

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
  const Rect ink = inkBounds(*renderTree(*label));
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
  EXPECT_NEAR(label->sizeThatFits({100, 1000}).height, std::ceil(2 * line), 1);
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
  EXPECT_LE(maxX(inkBounds(*renderTree(*label))), 60);
}

TEST_F(UILabel, ChineseTextRendersAndHostileTextIsHeldInBounds) {
  TextLayout layout;
  layout.setFont(Font::systemFont(16));
  layout.setText("加载中...");
  EXPECT_EQ(layout.unknownGlyphCount(), 0);
  EXPECT_GT(layout.size().width, 3 * 14);  // three full-width characters and the dots
  EXPECT_LT(layout.size().width, 16 * 6);
  layout.setText("\xff\xfe broken");  // invalid UTF-8 is repaired, not trusted
  EXPECT_GT(layout.size().width, 0);
  // Absurd sizes and bounds are held to what Pango can represent.
  layout.setFont(Font::systemFont(1e12));
  layout.setBounds(1e300, std::numeric_limits<double>::quiet_NaN());
  EXPECT_GT(layout.size().width, 0);
  EXPECT_TRUE(std::isfinite(layout.size().height));

  auto label = Label::create(makeRect(0, 0, 120, 40));
  label->setFont(Font::systemFont(16));
  label->setText("加载中...");
  const Rect ink = inkBounds(*renderTree(*label));
  EXPECT_GT(width(ink), 40);
  EXPECT_GT(height(ink), 10);

  // An overlong word wraps within the width like characters do, with nothing drawn at its breaks.
  auto lay = [](std::size_t letters, LineBreakMode mode) {
    std::string word;
    for (std::size_t i = 0; i < letters; ++i) word += static_cast<char>('a' + i % 26);
    auto wrapped = std::make_unique<TextLayout>();
    wrapped->setFont(Font::systemFont(12));
    wrapped->setLineBreakMode(mode);
    wrapped->setText(word);
    wrapped->setBounds(300, -1);
    return wrapped;
  };
  // Up to 256 letters a word wraps exactly as by characters.
  auto shortWord = lay(256, LineBreakMode::ByWordWrapping);
  EXPECT_GT(shortWord->lineCount(), 2);
  EXPECT_EQ(shortWord->size(), lay(256, LineBreakMode::ByCharWrapping)->size());
  // Past that it may also break after each 256th letter: at most one line more per 256.
  auto longWord = lay(2000, LineBreakMode::ByWordWrapping);
  const int byChars = lay(2000, LineBreakMode::ByCharWrapping)->lineCount();
  EXPECT_GE(longWord->lineCount(), byChars);
  EXPECT_LE(longWord->lineCount(), byChars + 2000 / 256);
  EXPECT_LE(longWord->size().width, 300);
  EXPECT_EQ(longWord->unknownGlyphCount(), 0);  // the breaks draw nothing, not even a box
}

// A label that keeps a backing (any content mode but redraw) holds the text's ink only, yet
// shows exactly the pixels a full-size backing would, for every alignment; sizes off the pixel
// grid keep the full-size backing.
TEST_F(UILabel, BackingHoldsTheInkAndShowsTheSamePixels) {
  for (TextAlignment alignment :
       {TextAlignment::Natural, TextAlignment::Center, TextAlignment::Right}) {
    auto label = Label::create(makeRect(0, 0, 200, 31));
    label->setContentMode(ViewContentMode::Left);
    label->layer()->setContentsScale(2);
    label->setFont(Font::systemFont(15));
    label->setTextColor(Color::hex(0x224466));
    label->setTextAlignment(alignment);
    label->setText("家长开放日 9:30");
    auto shown = renderTree(*label, 2);
    const Bitmap& backing = *label->layer()->contents()->bitmap();
    EXPECT_LT(backing.width(), 200 * 2 * 0.75);
    EXPECT_LT(backing.height(), 31 * 2);
    auto full = Context::create({200, 31}, 2, false);
    label->drawRect(*full, label->bounds());
    EXPECT_EQ(ui_test::differingPixels(*shown, *full->makeImage()), 0)
        << "alignment " << static_cast<int>(alignment);
  }
  auto odd = Label::create(makeRect(0, 0, 100.25, 20));
  odd->setContentMode(ViewContentMode::Left);
  odd->layer()->setContentsScale(2);
  odd->setText("9:30");
  odd->updateTree();
  EXPECT_EQ(odd->layer()->contents()->bitmap()->width(), 201);
}

TEST_F(UILabel, KeepsItsBackingUntilItsLooksChangeAndPlainViewsHaveNone) {
  auto label = Label::create(makeRect(0, 0, 100, 20));
  label->setContentMode(ViewContentMode::Center);
  label->setText("通知");
  label->updateTree();
  ASSERT_TRUE(label->layer()->contents());
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

TEST(AttributedStringTest, RunsSplitMergeAndKeepCharactersWhole) {
  AttributedString text("Hello ", TextAttributes{Font::boldSystemFont(20), std::nullopt});
  text.append("世界", TextAttributes{std::nullopt, Color::red()});
  text.append("!", TextAttributes{std::nullopt, Color::red()});  // joins the run before it
  EXPECT_EQ(text.string(), "Hello 世界!");
  ASSERT_EQ(text.runs().size(), 2u);
  EXPECT_EQ(text.runs()[1].location, 6u);
  EXPECT_EQ(text.runs()[1].length, 7u);

  // Colour over "lo 世": the range's end inside 世's bytes falls back to the character's start.
  text.addAttributes(TextAttributes{std::nullopt, Color::blue()}, 3, 5);
  EXPECT_EQ(text.attributesAt(2), (TextAttributes{Font::boldSystemFont(20), std::nullopt}));
  EXPECT_EQ(text.attributesAt(3), (TextAttributes{Font::boldSystemFont(20), Color::blue()}));
  EXPECT_EQ(text.attributesAt(6), (TextAttributes{std::nullopt, Color::red()}));
  std::size_t covered = 0;
  for (const auto& run : text.runs()) {
    EXPECT_EQ(run.location, covered);
    covered += run.length;
  }
  EXPECT_EQ(covered, text.length());
  EXPECT_EQ(text.attributesAt(99), TextAttributes{});

  text.addAttributes(TextAttributes{Font::systemFont(9), std::nullopt}, 50, 10);  // past the end
  text.addAttributes(TextAttributes{Font::systemFont(9), std::nullopt}, 0, SIZE_MAX);
  for (const auto& run : text.runs()) EXPECT_EQ(run.attributes.font, Font::systemFont(9));

  AttributedString joined("a");
  joined.append(text);
  EXPECT_EQ(joined.string(), "aHello 世界!");
  EXPECT_EQ(joined.runs().front().length, 1u);
}

TEST_F(UILabel, AttributedRunsDrawInTheirColoursAndFonts) {
  auto label = Label::create(makeRect(0, 0, 300, 40));
  label->setTextColor(Color::blue());
  AttributedString text("MMMM", TextAttributes{std::nullopt, Color::red()});
  text.append("MMMM");  // no colour: the label's
  text.setAlignment(TextAlignment::Right);
  label->setAttributedText(text);
  EXPECT_EQ(label->text(), "MMMMMMMM");
  EXPECT_EQ(label->textAlignment(), TextAlignment::Right);
  EXPECT_EQ(label->attributedText(), text);
  Inks ink = inksOf(*renderTree(*label));
  EXPECT_GT(ink.red, 50);
  EXPECT_GT(ink.blue, 50);
  EXPECT_GT(ink.firstRed, 150);  // right-aligned
  EXPECT_GT(ink.lastBlue, 280);

  // A bigger font in one run widens what is measured and drawn.
  const double plain = label->sizeThatFits({0, 0}).width;
  AttributedString big("MMMM", TextAttributes{Font::systemFont(34), std::nullopt});
  big.append("MMMM");
  label->setAttributedText(big);
  EXPECT_GT(label->sizeThatFits({0, 0}).width, plain * 1.3);

  // Plain text ends the runs; the plain text reads back as runs in the label's look.
  label->setText("MMMMMMMM");
  ink = inksOf(*renderTree(*label));
  EXPECT_EQ(ink.red, 0);
  EXPECT_GT(ink.blue, 100);
  EXPECT_EQ(label->attributedText().runs().front().attributes.foregroundColor, Color::blue());
  EXPECT_EQ(label->sizeThatFits({0, 0}).width, std::ceil(plain));
}

TEST_F(UILabel, ShadowsFollowPlainAndAttributedTextAtTheirOffset) {
  for (const bool attributed : {false, true}) {
    SCOPED_TRACE(attributed ? "attributed" : "plain");
    auto label = Label::create(makeRect(0, 0, 60, 40));
    label->setFont(Font::boldSystemFont(30));
    label->setTextColor(Color::blue());
    if (attributed) {
      label->setAttributedText(
          AttributedString("I", TextAttributes{Font::boldSystemFont(30), Color::blue()}));
    } else {
      label->setText("I");
    }
    EXPECT_FALSE(label->shadowColor());
    EXPECT_EQ(label->shadowOffset(), (Size{0, -1}));
    const Inks bare = inksOf(*renderTree(*label));
    EXPECT_EQ(bare.red, 0);

    label->setShadowColor(Color::red());
    label->setShadowOffset({6, 2});
    const Inks shadowed = inksOf(*renderTree(*label));
    EXPECT_GT(shadowed.red, 20);   // shadow shows to the right of the stroke
    EXPECT_GT(shadowed.blue, 20);  // the text stays on top, unchanged
    EXPECT_EQ(shadowed.lastBlue, bare.lastBlue);
    EXPECT_GT(shadowed.firstRed, bare.lastBlue - 6);
    label->setShadowColor(Color::clear());
    EXPECT_EQ(inksOf(*renderTree(*label)).red, 0);
  }
}

}  // namespace
}  // namespace platform
