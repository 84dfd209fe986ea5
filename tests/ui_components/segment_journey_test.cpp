// The segment pager as a person uses it: swiping the pages and tapping titles.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "tests/ui_components/component_test_support.h"
#include "ui/components/segment/SGSegmentControl.h"
#include "ui/components/segment/SGSegmentViewController.h"

namespace sprout {
namespace {

using components_test::near255;
using components_test::pixelAt;
using platform::Color;
using platform::makeRect;

const Color kPageColours[] = {Color::rgba(1, 0.95, 0.85), Color::rgba(0.88, 0.95, 1),
                              Color::rgba(0.9, 1, 0.9)};

class SegmentJourney : public components_test::ComponentTest {
 protected:
  SegmentJourney() {
    platform::Screen::main().setBounds(makeRect(0, 0, 375, 667));
    const char* titles[] = {"本周食谱", "下周食谱", "营养知识"};
    for (int i = 0; i < 3; ++i) {
      auto page = platform::ViewController::create();
      page->setTitle(titles[i]);
      page->view()->setBackgroundColor(kPageColours[i]);
      pages.push_back(page);
    }
    window->setRootViewController(pager);
    window->makeKeyAndVisible();
    pager->setViewControllers(pages);
    window->layoutIfNeeded();
    loop.advance(1);
  }
  ~SegmentJourney() override { platform::ApplicationWindows::shared().reset(); }

  // A quick horizontal swipe across the pages, lifted while still moving.
  void swipe(double fromX, double dx) {
    fingers.begin({fromX, 300});
    for (int i = 1; i <= 6; ++i) {
      loop.advance(1.0 / 60);
      fingers.move({fromX + dx * i / 6, 300});
    }
    fingers.end();
    loop.advance(1.5);
  }
  // Highlight-red pixels among the titles of bar item `i` (below the indicator line).
  int redTitlePixels(const platform::Image& shot, int i) {
    int count = 0;
    for (double y = 559 + 6; y < 559 + 44; y += 0.5) {
      for (double x = 125.0 * i; x < 125.0 * (i + 1); x += 0.5) {
        const Color c = pixelAt(shot, x, y);
        count += c.r > 0.7 && c.g < 0.4 && c.b < 0.4;
      }
    }
    return count;
  }
  // Checks what a person sees with page `i` chosen: its page, its red title, the line over it.
  void expectShowing(int i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(pager->segmentControl()->selectIndex(), i);
    EXPECT_EQ(pager->scrollView()->contentOffset().x, 375.0 * i);
    ASSERT_EQ(pager->childViewControllers().size(), 1u);
    EXPECT_EQ(pager->childViewControllers()[0], pages[i]);
    auto shot = render(*window, clock.now());
    EXPECT_TRUE(near255(pixelAt(*shot, 187, 300), kPageColours[i]));
    for (int j = 0; j < 3; ++j) {
      const bool chosen = j == i;
      EXPECT_EQ(redTitlePixels(*shot, j) > 20, chosen) << j;
      EXPECT_EQ(near255(pixelAt(*shot, 125.0 * j + 62, 560), Color::red(), 8), chosen) << j;
    }
  }

  std::shared_ptr<platform::Window> window = platform::Window::create(makeRect(0, 0, 375, 667));
  std::shared_ptr<SGSegmentViewController> pager = SGSegmentViewController::create();
  std::vector<std::shared_ptr<platform::ViewController>> pages;
  platform::TouchDriver fingers{window};
};

TEST_F(SegmentJourney, SwipesTurnPagesOneAtATimeAndTheBarFollows) {
  expectShowing(0);
  swipe(300, -240);
  expectShowing(1);
  swipe(300, -240);
  expectShowing(2);
  swipe(300, -240);  // past the last page it springs back
  expectShowing(2);
  swipe(60, 240);
  expectShowing(1);
}

TEST_F(SegmentJourney, TappingATitleShowsItsPageAndTheLineFollowsADragHalfWay) {
  fingers.tap({312, 581});
  loop.advance(1);
  expectShowing(2);
  fingers.tap({62, 581});
  loop.advance(1);
  expectShowing(0);

  // Dragged slowly two thirds of the way, the next title lights up before the finger lifts.
  fingers.begin({300, 300});
  for (int i = 1; i <= 25; ++i) {
    loop.advance(1.0 / 60);
    fingers.move({300 - 10.0 * i, 300});
  }
  auto mid = render(*window, clock.now());
  EXPECT_GT(redTitlePixels(*mid, 1), 20);
  EXPECT_EQ(redTitlePixels(*mid, 0), 0);
  EXPECT_EQ(pager->segmentControl()->selectIndex(), 0);
  const double line = pager->segmentControl()->lineLayer()->frame().origin.x;
  EXPECT_NEAR(line, 125 * pager->scrollView()->contentOffset().x / 375, 1e-9);
  loop.advance(0.3);
  fingers.end();  // held: the target is where it rests, past the middle
  loop.advance(1.5);
  expectShowing(1);
}

}  // namespace
}  // namespace sprout
