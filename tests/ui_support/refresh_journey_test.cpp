#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch/DispatchQueue.h"
#include "refresh_test_support.h"
#include "ui/support/refresh/RFRefreshAutoNormalFooter.h"
#include "ui/support/refresh/RFRefreshBackNormalFooter.h"
#include "ui/support/refresh/RFRefreshNormalHeader.h"
#include "ui/support/refresh/RFScrollViewRefresh.h"

namespace sprout {
namespace {

using platform::Rect;

constexpr long kPageRows = 15;
constexpr long kPages = 3;  // the fourth page comes back empty
constexpr double kAnswerDelay = 0.5;
constexpr double kInk = 0xA0 / 255.0;  // darker than this on white is text or a spinner

// A paged list screen made of a full-window table, a pull-down header that reloads the first
// page and a footer that asks for the next; a pretend server answers each request half a second
// later, with `kPages` pages of rows and then an empty one.
class RefreshJourney : public refresh_test::RefreshTest {
 protected:
  RefreshJourney() {
    table->setRowHeight(50);
    header = RFRefreshNormalHeader::headerWithRefreshingBlock([this] { answerFirstPage(); });
    setRf_header(*table, header);
  }

  void attach(std::shared_ptr<RFRefreshFooter> f, std::shared_ptr<platform::Label> label) {
    footer = std::move(f);
    footerLabel = std::move(label);
    footer->setAutomaticallyHidden(true);  // nothing to add to before the first page
    setRf_footer(*table, footer);
    table->reloadData();
  }
  void answerFirstPage() {
    answerLater([this] {
      rows->counts = {kPageRows};
      pagesServed = 1;
      table->reloadData();
      footer->resetNoMoreData();
      header->endRefreshing();
    });
  }
  void answerNextPage() {
    ++pageRequests;
    answerLater([this] {
      if (pagesServed == kPages) {
        footer->endRefreshingWithNoMoreData();
        return;
      }
      ++pagesServed;
      rows->counts[0] += kPageRows;
      table->reloadData();
      footer->endRefreshing();
    });
  }
  void answerLater(std::function<void()> answer) {
    platform::DispatchQueue::main()->asyncAfter(
        kAnswerDelay, [alive = std::weak_ptr(alive_), answer = std::move(answer)] {
          if (!alive.expired()) answer();  // not after the test
        });
  }

  // Pulls the list down well past the header, lets go and waits for the answer.
  void pullDownToRefresh() {
    dragBy({187, 120}, 260, 20);
    holdAndLift();
    advance(platform::ScrollView::kFrameInterval);
    ASSERT_EQ(header->state(), RFRefreshStateRefreshing);
    advance(2);
  }
  // Drags the list 500 points up; the finger stays down.
  void pushUp() { dragBy({187, 620}, -500, 20); }
  // Drags up and lets go until the footer asks for a page; false if it never does.
  bool dragUpUntilAPageIsAsked() {
    const long before = pageRequests;
    for (int tries = 0; tries < 8 && pageRequests == before; ++tries) {
      pushUp();
      if (footerFullyInSight() && !loadingLook) {
        loadingLook = footerAlone();
        loadingInk = inkInWindow(footerInWindow());
        loadingText = footerLabel->text();
      }
      holdAndLift();
      advance(2);  // the footer's start, the answer, the spring-back
    }
    return pageRequests == before + 1;
  }
  // Drags down until the top of the list is back in sight.
  void dragBackToTheTop() {
    for (int tries = 0; tries < 12 && table->contentOffset().y > 0; ++tries) {
      dragBy({187, 100}, 500, 20);
      holdAndLift();
      advance(2);
    }
  }

  Rect footerInWindow() { return footer->convertRectTo(footer->bounds(), nullptr); }
  bool footerFullyInSight() {
    const Rect r = footerInWindow();
    return minY(r) >= 0 && maxY(r) <= height(window->bounds());
  }
  // The footer drawn by itself, wherever it is: its look in the current state.
  std::vector<std::uint32_t> footerAlone() {
    auto image = ui_test::render(*footer, 1, platform::Color::whiteColor());
    const auto& bitmap = *image->bitmap();
    return {bitmap.pixels(), bitmap.pixels() + bitmap.width() * bitmap.height()};
  }
  // Points of the window inside `r` dark enough to be text or a spinner on white.
  int inkInWindow(const Rect& r) {
    auto image = ui_test::render(*window, 1, platform::Color::whiteColor());
    int ink = 0;
    for (int y = std::max(0, static_cast<int>(minY(r)));
         y < std::min(667, static_cast<int>(maxY(r))); ++y) {
      for (int x = 0; x < 375; ++x) {
        const auto p = ui_test::pixelAt(*image, x, y);
        ink += p.r < kInk && p.g < kInk && p.b < kInk;
      }
    }
    return ink;
  }

  // Pull down, then up page by page until the list is complete; then nothing more loads.
  void loadEveryPage(const std::string& idleText, const std::string& noMoreDataText) {
    EXPECT_TRUE(footer->isHidden());
    pullDownToRefresh();
    EXPECT_EQ(header->state(), RFRefreshStateIdle);
    EXPECT_EQ(table->contentOffset().y, 0);
    EXPECT_EQ(table->numberOfRowsInSection(0), kPageRows);
    EXPECT_FALSE(footer->isHidden());
    EXPECT_GT(inkInWindow(platform::makeRect(0, 0, 375, 50)), 50);  // "Notice 0" is drawn

    for (long page = 2; page <= kPages; ++page) {
      ASSERT_TRUE(dragUpUntilAPageIsAsked()) << page;
      EXPECT_EQ(table->numberOfRowsInSection(0), page * kPageRows);
      EXPECT_EQ(footer->state(), RFRefreshStateIdle);
      EXPECT_EQ(footerLabel->text(), idleText);
    }
    ASSERT_TRUE(loadingLook) << "the footer was never fully in sight while loading";
    EXPECT_GT(loadingInk, 50);

    // The next page is empty: the footer says the list is complete.
    ASSERT_TRUE(dragUpUntilAPageIsAsked());
    ASSERT_EQ(footer->state(), RFRefreshStateNoMoreData);
    EXPECT_EQ(footerLabel->text(), noMoreDataText);
    EXPECT_EQ(table->numberOfRowsInSection(0), kPages * kPageRows);

    // Pulled again and held in sight, it shows so, and asks for nothing once let go.
    for (int i = 0; i < 3; ++i) {
      pushUp();
      ASSERT_TRUE(footerFullyInSight()) << i;
      EXPECT_EQ(footer->state(), RFRefreshStateNoMoreData);
      EXPECT_GT(inkInWindow(footerInWindow()), 50);
      EXPECT_NE(footerAlone(), *loadingLook) << "\"" << *loadingText << "\" looks unchanged";
      holdAndLift();
      advance(2);
    }
    EXPECT_EQ(pageRequests, kPages);  // pages 2 and 3 and the empty one
    EXPECT_EQ(footer->state(), RFRefreshStateNoMoreData);

    // A new pull-down starts the list over, and the footer loads again.
    dragBackToTheTop();
    ASSERT_EQ(table->contentOffset().y, 0);
    pullDownToRefresh();
    EXPECT_EQ(table->numberOfRowsInSection(0), kPageRows);
    EXPECT_EQ(footer->state(), RFRefreshStateIdle);
    EXPECT_EQ(footerLabel->text(), idleText);
    ASSERT_TRUE(dragUpUntilAPageIsAsked());
    EXPECT_EQ(table->numberOfRowsInSection(0), 2 * kPageRows);
  }

  std::shared_ptr<refresh_test::Rows> rows =
      std::make_shared<refresh_test::Rows>(std::vector<long>{0});
  std::shared_ptr<platform::TableView> table = addTable(rows, 667);
  std::shared_ptr<RFRefreshNormalHeader> header;
  std::shared_ptr<RFRefreshFooter> footer;
  std::shared_ptr<platform::Label> footerLabel;
  long pagesServed = 0;
  long pageRequests = 0;
  // How the footer looked, fully in sight under the finger, while a page loaded.
  std::optional<std::vector<std::uint32_t>> loadingLook;
  std::optional<std::string> loadingText;
  int loadingInk = 0;
  std::shared_ptr<int> alive_ = std::make_shared<int>();
};

TEST_F(RefreshJourney, TheAutomaticFooterLoadsPagesUntilTheListIsComplete) {
  auto f = RFRefreshAutoNormalFooter::footerWithRefreshingBlock([this] { answerNextPage(); });
  attach(f, f->stateLabel());
  loadEveryPage("Tap or scroll on to load more", "That is all for now");
  EXPECT_EQ(loadingText, "Loading more…");
}

TEST_F(RefreshJourney, TheSpringBackFooterLoadsPagesUntilTheListIsComplete) {
  auto f = RFRefreshBackNormalFooter::footerWithRefreshingBlock([this] { answerNextPage(); });
  attach(f, f->stateLabel());
  loadEveryPage("Pull up to load more", "That is all for now");
  EXPECT_EQ(loadingText, "Let go to load more");
}

}  // namespace
}  // namespace sprout
