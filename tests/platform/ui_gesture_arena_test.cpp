// The arenas' log: who entered, held, failed and won, told by recognizers a finger plays against
// each other.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ui/GestureRecognizerArena.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/TapGestureRecognizer.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

class Board : public View {
 public:
  static std::shared_ptr<Board> create(const Rect& frame) { return make<Board>(frame); }

  Board(Key key, const Rect& frame) : View(std::move(key), frame) {}
};

// One line of an arena's story, split into the arena's number and what it says.
struct Line {
  std::string arena;
  std::string text;
};

class GestureArenaLog : public ui_test::OnWindow {
 protected:
  GestureArenaLog() {
    window->addSubview(board);
    board->addSubview(inner);
  }
  ~GestureArenaLog() override { GestureRecognizerArena::setLogging(false); }

  // The arena lines captured so far.
  std::vector<Line> story() const {
    std::vector<Line> out;
    const std::string prefix = std::string(GestureRecognizerArena::kLogTag) + ": arena ";
    for (const auto& line : log.lines) {
      if (line.rfind(prefix, 0) != 0) continue;
      const auto colon = line.find(": ", prefix.size());
      out.push_back({line.substr(prefix.size(), colon - prefix.size()), line.substr(colon + 2)});
    }
    return out;
  }
  static std::vector<std::string> texts(const std::vector<Line>& lines) {
    std::vector<std::string> out;
    for (const auto& l : lines) out.push_back(l.text);
    return out;
  }
  static bool oneArena(const std::vector<Line>& lines) {
    for (const auto& l : lines) {
      if (l.arena != lines.front().arena) return false;
    }
    return !lines.empty();
  }

  ui_test::CapturedLog log;
  std::shared_ptr<Board> board = Board::create(makeRect(0, 0, 320, 480));
  std::shared_ptr<View> inner = View::create(makeRect(0, 0, 160, 480));
  int singles = 0;
};

using Texts = std::vector<std::string>;

TEST_F(GestureArenaLog, ATapHoldsForTheDoubleTapThenWinsWhenItRunsOutOfTime) {
  auto twice = TapGestureRecognizer::create([](GestureRecognizer&) {});
  twice->setNumberOfTapsRequired(2);
  auto single = TapGestureRecognizer::create([this](GestureRecognizer&) { ++singles; });
  single->requireGestureRecognizerToFail(twice);
  board->addGestureRecognizer(twice);
  inner->addGestureRecognizer(single);

  // Off by default: a gesture tells nothing.
  fingers.tap({80, 100});
  advance(1);
  EXPECT_EQ(singles, 1);
  EXPECT_TRUE(story().empty());

  GestureRecognizerArena::setLogging(true);
  fingers.tap({80, 100});
  advance(TapGestureRecognizer::kMaximumTapInterval + 0.05);
  EXPECT_EQ(singles, 2);
  const auto lines = story();
  EXPECT_EQ(texts(lines),
            (Texts{"TapGestureRecognizer on Board entered", "TapGestureRecognizer on View entered",
                   "TapGestureRecognizer on View holds: waits for TapGestureRecognizer on Board "
                   "to fail",
                   "TapGestureRecognizer on Board failed: by its own rule",
                   "TapGestureRecognizer on View won (recognized)"}));
  EXPECT_TRUE(oneArena(lines));

  // The second tap in time: the double tap wins and the waiting tap is told it lost.
  log.lines.clear();
  fingers.tap({80, 100});
  advance(0.1);
  fingers.tap({82, 100});
  advance(1);
  EXPECT_EQ(singles, 2);
  const auto twoTaps = story();
  ASSERT_FALSE(twoTaps.empty());
  // The double tap, still in the first tap's arena, brings the second tap's arena into it.
  bool joined = false;
  for (const auto& l : twoTaps) {
    joined |= l.text.find("joins through TapGestureRecognizer on Board") != std::string::npos;
  }
  EXPECT_TRUE(joined);
  ASSERT_GE(twoTaps.size(), 2u);
  EXPECT_EQ(twoTaps[twoTaps.size() - 2].text, "TapGestureRecognizer on Board won (recognized)");
  EXPECT_EQ(twoTaps.back().text,
            "TapGestureRecognizer on View failed: lost to TapGestureRecognizer on Board");
}

TEST_F(GestureArenaLog, TheNearerPanWinsAndTheOtherLosesToIt) {
  auto outer = PanGestureRecognizer::create([](GestureRecognizer&) {});
  auto near = PanGestureRecognizer::create([](GestureRecognizer&) {});
  board->addGestureRecognizer(outer);
  inner->addGestureRecognizer(near);
  GestureRecognizerArena::setLogging(true);
  drag({80, 100}, {80, 200}, 6);
  const auto lines = story();
  EXPECT_EQ(texts(lines),
            (Texts{"PanGestureRecognizer on View entered", "PanGestureRecognizer on Board entered",
                   "PanGestureRecognizer on View won (began)",
                   "PanGestureRecognizer on Board failed: lost to PanGestureRecognizer on View"}));
  EXPECT_TRUE(oneArena(lines));
}

TEST_F(GestureArenaLog, FingersOnTwoViewsCompeteInArenasOfTheirOwn) {
  auto left = PanGestureRecognizer::create([](GestureRecognizer&) {});
  auto rightView = View::create(makeRect(160, 0, 160, 480));
  board->addSubview(rightView);
  auto right = PanGestureRecognizer::create([](GestureRecognizer&) {});
  inner->addGestureRecognizer(left);
  rightView->addGestureRecognizer(right);
  GestureRecognizerArena::setLogging(true);

  fingers.begin(0, {80, 100});
  fingers.begin(1, {240, 100});
  for (int i = 1; i <= 6; ++i) {
    advance(1.0 / 60);
    fingers.move(0, {80, 100 + 10.0 * i});
    fingers.move(1, {240, 100 + 10.0 * i});
  }
  // Neither finger is the other's rival: both pans are under way.
  EXPECT_EQ(left->state(), GestureRecognizer::State::Changed);
  EXPECT_EQ(right->state(), GestureRecognizer::State::Changed);
  fingers.end(0);
  fingers.end(1);
  const auto lines = story();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].text, "PanGestureRecognizer on View entered");
  EXPECT_EQ(lines[1].text, "PanGestureRecognizer on View entered");
  EXPECT_NE(lines[0].arena, lines[1].arena);
  EXPECT_EQ(lines[2].text, "PanGestureRecognizer on View won (began)");
  EXPECT_EQ(lines[3].text, "PanGestureRecognizer on View won (began)");
}

}  // namespace
}  // namespace platform
