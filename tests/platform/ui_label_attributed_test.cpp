// Attributed text: runs, their fonts and colours as drawn, paragraph alignment, and shadows.
#include <gtest/gtest.h>

#include "platform/render/Render.h"
#include "platform/ui/AttributedString.h"
#include "platform/ui/Label.h"
#include "render_support.h"
#include "ui_support.h"

namespace platform {
namespace {

using render_test::pixelAt;

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

class LabelAttributes : public ui_test::UITest {
 protected:
  static std::shared_ptr<Image> draw(View& view) {
    view.updateTree();
    RenderOptions options;
    options.scale = 1;
    return renderLayer(*view.layer(), options);
  }
  // Columns holding mostly-red and mostly-blue ink.
  static std::pair<int, int> inkColumns(const Image& image, int* firstRed, int* lastBlue) {
    int red = 0, blue = 0;
    *firstRed = 1 << 30, *lastBlue = -1;
    for (int x = 0; x < image.bitmap()->width(); ++x) {
      for (int y = 0; y < image.bitmap()->height(); ++y) {
        const auto p = pixelAt(image, x, y);
        if (p.a < 128) continue;
        if (p.r > 200 && p.b < 60) ++red, *firstRed = std::min(*firstRed, x);
        if (p.b > 200 && p.r < 60) ++blue, *lastBlue = std::max(*lastBlue, x);
      }
    }
    return {red, blue};
  }
};

TEST_F(LabelAttributes, RunsDrawInTheirColoursAndFonts) {
  auto label = Label::create(makeRect(0, 0, 300, 40));
  label->setTextColor(Color::blue());
  AttributedString text("MMMM", TextAttributes{std::nullopt, Color::red()});
  text.append("MMMM");  // no colour: the label's
  text.setAlignment(TextAlignment::Right);
  label->setAttributedText(text);
  EXPECT_EQ(label->text(), "MMMMMMMM");
  EXPECT_EQ(label->textAlignment(), TextAlignment::Right);
  EXPECT_EQ(label->attributedText(), text);
  int firstRed = 0, lastBlue = 0;
  auto [red, blue] = inkColumns(*draw(*label), &firstRed, &lastBlue);
  EXPECT_GT(red, 50);
  EXPECT_GT(blue, 50);
  EXPECT_GT(firstRed, 150);  // right-aligned
  EXPECT_GT(lastBlue, 280);

  // A bigger font in one run widens what is measured and drawn.
  const double plain = label->sizeThatFits({0, 0}).width;
  AttributedString big("MMMM", TextAttributes{Font::systemFont(34), std::nullopt});
  big.append("MMMM");
  label->setAttributedText(big);
  EXPECT_GT(label->sizeThatFits({0, 0}).width, plain * 1.3);

  // Plain text ends the runs; the plain text reads back as runs in the label's look.
  label->setText("MMMMMMMM");
  std::tie(red, blue) = inkColumns(*draw(*label), &firstRed, &lastBlue);
  EXPECT_EQ(red, 0);
  EXPECT_GT(blue, 100);
  EXPECT_EQ(label->attributedText().runs().front().attributes.foregroundColor, Color::blue());
  EXPECT_EQ(label->sizeThatFits({0, 0}).width, std::ceil(plain));
}

TEST_F(LabelAttributes, ShadowsFollowTheTextAtTheirOffset) {
  auto label = Label::create(makeRect(0, 0, 60, 40));
  label->setText("I");
  label->setFont(Font::boldSystemFont(30));
  label->setTextColor(Color::blue());
  EXPECT_FALSE(label->shadowColor());
  EXPECT_EQ(label->shadowOffset(), (Size{0, -1}));
  int firstRed = 0, lastBlue = 0;
  auto image = draw(*label);
  EXPECT_EQ(inkColumns(*image, &firstRed, &lastBlue).first, 0);
  const int textRight = lastBlue;

  label->setShadowColor(Color::red());
  label->setShadowOffset({6, 2});
  image = draw(*label);
  auto [red, blue] = inkColumns(*image, &firstRed, &lastBlue);
  EXPECT_GT(red, 20);   // shadow shows to the right of the stroke
  EXPECT_GT(blue, 20);  // the text stays on top, unchanged
  EXPECT_EQ(lastBlue, textRight);
  EXPECT_GT(firstRed, textRight - 6);
  label->setShadowColor(Color::clear());
  EXPECT_EQ(inkColumns(*draw(*label), &firstRed, &lastBlue).first, 0);
}

}  // namespace
}  // namespace platform
