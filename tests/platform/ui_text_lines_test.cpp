// A text view's text laid out a little at a time (its lines kept between changes, only those in
// view drawn) against the same text laid out whole: sizes, lines and pixels must not differ.
#include <gtest/gtest.h>

#include <cairo.h>
#include <glib.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/TextLayout.h"
#include "platform/ui/text/TextInputTypes.h"
#include "platform/ui/text/TextView.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

constexpr double kWidth = 310;

// Sentences as people type them: words, Chinese with Latin and digits, brackets across
// scripts, emoji sequences, quotes, and now and then a new paragraph or an empty line.
std::string prose(std::size_t bytes, unsigned seed = 1) {
  static const char* const kPieces[] = {"the ",
                                        "children ",
                                        "went ",
                                        "to ",
                                        "the ",
                                        "park ",
                                        "today, ",
                                        "and ",
                                        "played ",
                                        "until ",
                                        "noon. ",
                                        "我们明天去公园。",
                                        "请假(三天)",
                                        "Hello (中文 ",
                                        "测试) ",
                                        "12:30 ",
                                        "“好的”",
                                        "👍🏽 ",
                                        "🇨🇳",
                                        "👨‍👩‍👧 ",
                                        "❤️ ",
                                        "café ",
                                        "e\u0301 ",
                                        "—",
                                        "[x] ",
                                        "«oui» ",
                                        "2026-12-08 ",
                                        "¥120 ",
                                        "\n",
                                        "\n\n",
                                        "supercalifragilistic ",
                                        "ok!! ",
                                        "(",
                                        ") "};
  std::string out;
  unsigned state = seed;
  while (out.size() < bytes) {
    state = state * 1103515245u + 12345u;
    out += kPieces[(state >> 16) % std::size(kPieces)];
  }
  return out;
}

// The last character of `text` off, as the delete key takes it.
void dropLastCharacter(std::string& text) {
  const char* end = text.data() + text.size();
  text.resize(static_cast<std::size_t>(g_utf8_prev_char(end) - text.data()));
}

void configure(TextLayout& layout, LineBreakMode mode, TextAlignment alignment, double width) {
  layout.setFont(Font::systemFont(12));
  layout.setLineBreakMode(mode);
  layout.setAlignment(alignment);
  layout.setNumberOfLines(0);
  layout.setBounds(width, -1);
}

// The pixels of `layout` drawn at (5, 8.5) into a 320 x 200 window whose top is `top` points
// down the text, at `scale`.
std::vector<unsigned char> pixels(TextLayout& layout, double top, double scale) {
  const int w = static_cast<int>(320 * scale), h = static_cast<int>(200 * scale);
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
  cairo_t* cr = cairo_create(surface);
  cairo_scale(cr, scale, scale);
  cairo_translate(cr, 0, -top);
  layout.draw(cr, {5, 8.5}, Color::black());
  cairo_destroy(cr);
  cairo_surface_flush(surface);
  const unsigned char* data = cairo_image_surface_get_data(surface);
  std::vector<unsigned char> out(data, data + cairo_image_surface_get_stride(surface) * h);
  cairo_surface_destroy(surface);
  return out;
}

class KeptLines : public ::testing::Test {
 protected:
  KeptLines() {
    kept.setKeepsLines(true);
    configure(kept, mode, alignment, width);
  }

  void reconfigure() { configure(kept, mode, alignment, width); }

  // Gives the kept layout `text` and checks it against a fresh whole layout of it.
  void expectWhole(const std::string& text, const char* step) {
    SCOPED_TRACE(step);
    SCOPED_TRACE(text.size());
    kept.setText(text);
    TextLayout whole;
    configure(whole, mode, alignment, width);
    whole.setText(text);
    const Size size = whole.size();
    ASSERT_EQ(kept.size().height, size.height);
    EXPECT_EQ(kept.size().width, size.width);
    EXPECT_EQ(kept.lineCount(), whole.lineCount());
    EXPECT_EQ(kept.unknownGlyphCount(), whole.unknownGlyphCount());
    const Rect ink = whole.inkRect({5, 8.5}), keptInk = kept.inkRect({5, 8.5});
    EXPECT_TRUE(keptInk == ink) << keptInk.origin.x << "," << keptInk.origin.y << " "
                                << keptInk.size.width << "x" << keptInk.size.height << " vs "
                                << ink.origin.x << "," << ink.origin.y << " " << ink.size.width
                                << "x" << ink.size.height;
    // A height bound shows the same lines (a label sets its own height; Pango leaves out the
    // paragraphs past one that reaches near it).
    for (const double h : {std::ceil(size.height / 3), std::floor(size.height * 0.6),
                           std::ceil(size.height) - 7, size.height - 3.25}) {
      for (TextLayout* l : {&kept, &whole}) l->setBounds(width, h);
      EXPECT_EQ(kept.lineCount(), whole.lineCount()) << h;
      EXPECT_EQ(kept.isTruncated(), whole.isTruncated()) << h;
      EXPECT_TRUE(kept.size() == whole.size()) << h;
      EXPECT_EQ(kept.unknownGlyphCount(), whole.unknownGlyphCount()) << h;
    }
    for (TextLayout* l : {&kept, &whole}) l->setBounds(width, std::ceil(size.height));
    // The top, the middle and the end, one of them at twice the scale.
    const double middle = std::floor(size.height / 2) + 0.25;
    const double end = std::max(0.0, size.height - 150);
    EXPECT_TRUE(pixels(kept, 0, 1) == pixels(whole, 0, 1));
    EXPECT_TRUE(pixels(kept, middle, 2) == pixels(whole, middle, 2));
    EXPECT_TRUE(pixels(kept, end, 1) == pixels(whole, end, 1));
    kept.setBounds(width, -1);
  }

  LineBreakMode mode = LineBreakMode::ByWordWrapping;
  TextAlignment alignment = TextAlignment::Natural;
  double width = kWidth;
  TextLayout kept;
};

TEST_F(KeptLines, TypingAndDeletingKeepTheWholeLayout) {
  const std::string typed = prose(2400);
  std::string text;
  std::size_t next = 97;
  for (const char* p = typed.data(); p < typed.data() + typed.size(); p = g_utf8_next_char(p)) {
    text.append(p, static_cast<std::size_t>(g_utf8_next_char(p) - p));
    kept.setText(text);
    (void)kept.size();  // laid out after every key, as a text view does
    if (text.size() >= next) expectWhole(text, "typing"), next += 97;
  }
  expectWhole(text, "typed");
  // Back over wrapped lines, paragraph breaks and emoji sequences, one character at a time.
  for (int i = 1; i <= 700; ++i) {
    dropLastCharacter(text);
    kept.setText(text);
    (void)kept.size();
    if (i % 41 == 0) expectWhole(text, "deleting");
  }
  expectWhole(text, "deleted");
  expectWhole("", "emptied");
  expectWhole("x", "one letter");
}

TEST_F(KeptLines, PastesLongWordsAndTheLengthLimit) {
  std::string text = prose(300, 7);
  expectWhole(text, "start");
  text += prose(12000, 3);  // a paste
  expectWhole(text, "pasted");
  // A word of thousands of letters gets zero-width breaks; typing on into it and past it.
  text += std::string(3000, 'w');
  expectWhole(text, "long word");
  for (int i = 0; i < 300; ++i) {
    text += static_cast<char>('a' + i % 26);
    kept.setText(text);
    (void)kept.size();
    if (i % 61 == 0) expectWhole(text, "into the long word");
  }
  text += " and on";
  expectWhole(text, "after the long word");
  for (int i = 0; i < 280; ++i) dropLastCharacter(text), kept.setText(text), (void)kept.size();
  expectWhole(text, "back into the long word");
  while (text.size() + 1000 <= kMaxTextInputLength) {
    text += prose(1000, static_cast<unsigned>(text.size()));
    text.resize(std::min(text.size(), kMaxTextInputLength));
    while (!g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
      text.pop_back();
    }
    kept.setText(text);
    (void)kept.size();
  }
  expectWhole(text, "near the limit");
}

TEST_F(KeptLines, ChangesInTheMiddleSettingsAndRightToLeftText) {
  std::string text = prose(4000, 11);
  expectWhole(text, "start");
  text.replace(1800, 0, "\n插入的文字 inserted in the middle ");
  expectWhole(text, "middle insert");
  text.erase(900, 400);
  expectWhole(text, "middle cut");
  expectWhole(text + "שלום עולם and العربية", "right to left");
  expectWhole(text + " back to left to right", "right to left gone");
  width = 200;
  reconfigure();
  expectWhole(text, "narrower");
  mode = LineBreakMode::ByCharWrapping;
  reconfigure();
  expectWhole(text, "character wrapping");
  for (int i = 0; i < 40; ++i) text += "好", kept.setText(text), (void)kept.size();
  expectWhole(text, "typed with character wrapping");
  alignment = TextAlignment::Center;
  mode = LineBreakMode::ByWordWrapping;
  reconfigure();
  expectWhole(text, "centred");
  text.erase(text.size() - 30);
  expectWhole(text, "centred, deleted");
}

// A text view that fills a phone's screen, the keyboard over its lower part.
class TypingIntoTextView : public ui_test::OnWindow {
 protected:
  TypingIntoTextView() : OnWindow(makeRect(0, 0, 320, 568)) {
    window->addSubview(view);
    view->setContentInset({0, 0, kKeyboard, 0});
  }
  // The end of the text shows just above the keyboard once the content is taller than the room.
  void expectCaretShown(const char* step) const {
    SCOPED_TRACE(step);
    const double room = view->bounds().size.height - kKeyboard;
    const double end = view->contentSize().height - view->contentOffset().y;
    if (view->contentSize().height > room) {
      EXPECT_DOUBLE_EQ(end, room);
    } else {
      EXPECT_DOUBLE_EQ(view->contentOffset().y, 0);
    }
  }
  static constexpr double kKeyboard = 216;
  std::shared_ptr<TextView> view = TextView::create(makeRect(0, 0, 320, 568));
};

TEST_F(TypingIntoTextView, EachKeyIsLaidOutOnTheNextPassWithTheCaretAboveTheKeyboard) {
  fingers.tap({160, 100});
  ASSERT_TRUE(view->isEditing());
  const std::string typed = prose(1500, 5);
  std::size_t keys = 0;
  for (const char* p = typed.data(); p < typed.data() + typed.size(); p = g_utf8_next_char(p)) {
    view->insertText(std::string(p, static_cast<std::size_t>(g_utf8_next_char(p) - p)));
    loop.runPending();
    if (++keys % 50 == 0) expectCaretShown("typing");
  }
  for (int i = 0; i < 200; ++i) view->deleteBackward(), loop.runPending();
  expectCaretShown("deleting");
  // A burst of keys within one turn moves nothing until the pass.
  const Point before = view->contentOffset();
  for (int i = 0; i < 200; ++i) view->insertText(i % 40 == 39 ? "\n" : "k");
  EXPECT_TRUE(view->contentOffset() == before);
  loop.runPending();
  expectCaretShown("burst");

  // The same text set at once into a fresh view, scrolled to its end: the same frame.
  auto fresh = TextView::create(makeRect(0, 0, 320, 568));
  fresh->setContentInset({0, 0, kKeyboard, 0});
  fresh->setText(view->text());
  fresh->layoutIfNeeded();
  fresh->setContentOffset(fresh->maximumContentOffset());
  EXPECT_EQ(fresh->contentSize().height, view->contentSize().height);
  EXPECT_TRUE(fresh->contentOffset() == view->contentOffset());
  const auto typedFrame = ui_test::renderTree(*view, 2);
  const auto freshFrame = ui_test::renderTree(*fresh, 2);
  EXPECT_EQ(ui_test::differingPixels(*typedFrame, *freshFrame), 0);
  // And scrolled back to the top.
  view->setContentOffset({0, 0});
  fresh->setContentOffset({0, 0});
  EXPECT_EQ(ui_test::differingPixels(*ui_test::renderTree(*view), *ui_test::renderTree(*fresh)), 0);
}

}  // namespace
}  // namespace platform
