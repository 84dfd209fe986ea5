// The segment bar on its own, and the pager as a person uses it: swiping pages, tapping titles.
#include <algorithm>
#include <optional>
#include <utility>

#include "tests/ui_components/fixtures.h"
#include "ui/components/segment/SGSegmentControl.h"
#include "ui/components/segment/SGSegmentItem.h"
#include "ui/components/segment/SGSegmentViewController.h"

namespace sprout {
namespace {

using components_test::near255;
using components_test::pixelAt;
using platform::Color;
using platform::makeRect;
using Controllers = std::vector<std::shared_ptr<platform::ViewController>>;

class Selections : public SGSegmentControlDelegate {
 public:
  void sgSegmentSelectAtIndex(long index, bool animation) override {
    seen.emplace_back(index, animation);
  }
  std::vector<std::pair<long, bool>> seen;
};

class Segments : public components_test::ComponentsTest {
 protected:
  Segments() : ComponentsTest(makeRect(0, 0, 375, 667), 2) {}

  std::shared_ptr<SGSegmentControl> strip(std::vector<std::string> titles, long type = 0,
                                          double width = 200) {
    auto control = SGSegmentControl::create(makeRect(0, 0, width, 44));
    control->setDelegate(selections);
    control->setSegmentType(type);
    control->setTitles(std::move(titles));
    window->addSubview(control);
    control->load();
    return control;
  }
  double lineX(const SGSegmentControl& c) { return c.lineLayer()->frame().origin.x; }

  std::shared_ptr<Selections> selections = std::make_shared<Selections>();
};

TEST_F(Segments, EqualItemsShareTheScreenWidthAndMeasuredOnesFollowTheirTitles) {
  auto equal = strip({"食谱", "作息", "活动"}, 0, 200);
  ASSERT_EQ(equal->items().size(), 3u);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(equal->items()[i]->frame(), makeRect(125.0 * i, 0, 125, 44));
  EXPECT_EQ(equal->scrollView()->contentSize().width, 375);

  const auto font = platform::Font::systemFont(15);
  auto measured = strip({"本周食谱", "  ", "Menu"}, 1);
  const double w0 = SGSegmentItem::caculateWidthWithtitle("本周食谱", font);
  const double w2 = SGSegmentItem::caculateWidthWithtitle("Menu", font);
  EXPECT_GT(w0, 40);
  EXPECT_EQ(measured->items()[0]->frame(), makeRect(0, 0, w0, 44));
  EXPECT_EQ(measured->items()[1]->frame(), makeRect(w0, 0, 40, 44));  // spaces measure 0
  EXPECT_EQ(measured->items()[2]->frame(), makeRect(w0 + 40, 0, w2, 44));
  EXPECT_DOUBLE_EQ(measured->scrollView()->contentSize().width, w0 + 40 + w2);
  // White space beyond ASCII is trimmed too: ideographic, no-break and line-separator spaces.
  EXPECT_EQ(SGSegmentItem::caculateTextWidth(" \n \u3000\u2028", font), 0);
  EXPECT_DOUBLE_EQ(SGSegmentItem::caculateTextWidth("\u3000食谱\u00a0\n", font),
                   SGSegmentItem::caculateTextWidth("食谱", font));

  measured->setTitles({});
  measured->load();
  EXPECT_TRUE(measured->items().empty());
  EXPECT_EQ(measured->scrollView()->contentSize().width, 0);
}

TEST_F(Segments, LoadSelectsTheFirstAndATapSelectsEvenTheSelectedTitleAgainWithoutAnimation) {
  auto control = strip({"一", "二"}, 0, 375);
  EXPECT_EQ(control->lineLayer()->frame(), makeRect(0, 0, 187.5, 2));
  EXPECT_EQ(control->lastSelectRect(), makeRect(0, 0, 187.5, 2));
  finger.tap({50, 20});
  finger.tap({250, 20});
  EXPECT_EQ(selections->seen,
            (std::vector<std::pair<long, bool>>{{0, true}, {0, false}, {1, false}}));
}

TEST_F(Segments, TheLineFollowsTheRateFromTheLastSelection) {
  auto control = strip({"一", "二", "三"});
  control->scrollToRate(0.3);
  EXPECT_DOUBLE_EQ(lineX(*control), 37.5);
  EXPECT_TRUE(control->items()[0]->isSelected());
  control->scrollToRate(0.6);
  EXPECT_DOUBLE_EQ(lineX(*control), 75);
  EXPECT_TRUE(control->items()[1]->isSelected());
  EXPECT_FALSE(control->items()[0]->isSelected());
  control->scrollToRate(-0.4);  // no previous item: left by 0.4 of its own width
  EXPECT_DOUBLE_EQ(lineX(*control), -50);
  control->setSelectIndex(2);
  control->scrollToRate(0.4);
  EXPECT_DOUBLE_EQ(lineX(*control), 300);
  EXPECT_DOUBLE_EQ(control->lineLayer()->frame().size.width, 125);
  control->scrollToRate(-0.6);
  EXPECT_DOUBLE_EQ(lineX(*control), 175);
  EXPECT_TRUE(control->items()[1]->isSelected());
}

TEST_F(Segments, SelectionsOutsideTheItemsAndClicksOnStrangersAreStoredAndOtherwiseIgnored) {
  auto control = strip({"一", "二"});
  control->setSelectIndex(5);
  control->setSelectIndex(-1, false);
  EXPECT_EQ(control->selectIndex(), -1);
  const auto line = control->lineLayer()->frame();
  control->scrollToRate(0.7);  // names no item: nothing follows
  EXPECT_EQ(control->lineLayer()->frame(), line);
  auto stranger = SGSegmentItem::create(makeRect(0, 0, 50, 44));
  control->segmentItemClicked(*stranger);
  EXPECT_EQ(control->selectIndex(), SGSegmentControl::kNotFound);
  EXPECT_EQ(selections->seen.size(), 1u);
  EXPECT_TRUE(control->items()[0]->isSelected());
}

TEST_F(Segments, TheBottomBorderNeedsBothAColourAndAWidth) {
  auto control = strip({"一"});
  control->setBorderWidth(2);
  control->setNeedsDisplay();
  EXPECT_TRUE(near255(pixelAt(*render(*control, clock.now()), 10, 43), Color::whiteColor()));
  control->setBorderColor(Color::rgba(0, 0, 1));
  control->setNeedsDisplay();
  auto bordered = render(*control, clock.now());
  EXPECT_TRUE(near255(pixelAt(*bordered, 10, 42.5), Color::rgba(0, 0, 1)));
  EXPECT_TRUE(near255(pixelAt(*bordered, 10, 40), Color::whiteColor()));
}

// --- the pager

const Color kPageColours[] = {Color::rgba(1, 0.95, 0.85), Color::rgba(0.88, 0.95, 1),
                              Color::rgba(0.9, 1, 0.9)};

class Pages : public Segments {
 protected:
  Pages() {
    const char* titles[] = {"本周食谱", "下周食谱", "营养知识"};
    for (int i = 0; i < 3; ++i) {
      auto page = platform::ViewController::create();
      page->setTitle(titles[i]);
      page->view()->setBackgroundColor(kPageColours[i]);
      pages.push_back(page);
    }
    window->setRootViewController(pager);
    pager->setViewControllers(pages);
    window->layoutIfNeeded();
  }
  std::vector<double> pageXs() {
    std::vector<double> xs;
    for (const auto& v : pager->scrollView()->subviews()) xs.push_back(v->frame().origin.x);
    std::sort(xs.begin(), xs.end());
    return xs;
  }
  // A quick horizontal swipe across the pages, lifted while still moving.
  void swipe(double fromX, double dx) {
    drag({fromX, 300}, {dx, 0}, 6);
    advance(1.5);
  }
  // Title pixels of bar item `i` (below the indicator line): highlight red or grey.
  int titlePixels(const platform::Image& shot, int i, bool red) {
    int count = 0;
    for (double y = 559 + 6; y < 559 + 44; y += 0.5) {
      for (double x = 125.0 * i; x < 125.0 * (i + 1); x += 0.5) {
        const Color c = pixelAt(shot, x, y);
        count += red ? c.r > 0.7 && c.g < 0.4 && c.b < 0.4
                     : c.r < 0.7 && std::abs(c.r - c.g) < 0.05 && std::abs(c.g - c.b) < 0.05;
      }
    }
    return count;
  }
  // What a person sees with page `i` chosen: its page, its red title, the line over it, the
  // other titles grey.
  void expectShowing(int i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(pager->segmentControl()->selectIndex(), i);
    EXPECT_EQ(pager->scrollView()->contentOffset().x, 375.0 * i);
    EXPECT_EQ(pager->childViewControllers(), Controllers{pages[i]});
    auto shot = render(*window, clock.now());
    EXPECT_TRUE(near255(pixelAt(*shot, 187, 300), kPageColours[i]));
    for (int j = 0; j < 3; ++j) {
      const bool chosen = j == i;
      EXPECT_EQ(titlePixels(*shot, j, true) > 20, chosen) << j;
      EXPECT_EQ(titlePixels(*shot, j, false) > 20, !chosen) << j;
      EXPECT_EQ(near255(pixelAt(*shot, 125.0 * j + 62, 560), Color::red(), 8), chosen) << j;
    }
  }

  std::shared_ptr<SGSegmentViewController> pager = SGSegmentViewController::create();
  Controllers pages;
};

TEST_F(Pages, OnlyTheSelectedPageIsAChildAndItsNeighboursSitBesideIt) {
  EXPECT_EQ(pager->segmentControl()->frame(), makeRect(0, 559, 375, 44));
  EXPECT_EQ(pager->scrollView()->frame(), makeRect(0, 0, 375, 559));
  EXPECT_EQ(pager->scrollView()->contentSize(), (platform::Size{1125, 559}));
  EXPECT_EQ(pageXs(), (std::vector<double>{0, 375}));
  pager->segmentControl()->setSelectIndex(1);
  EXPECT_EQ(pageXs(), (std::vector<double>{0, 375, 750}));
  pager->selectNext();
  EXPECT_EQ(pageXs(), (std::vector<double>{375, 750}));
  pager->selectNext();  // past the last: stays
  advance(1);
  expectShowing(2);
  for (int i = 0; i < 3; ++i) pager->selectPrevious();
  EXPECT_EQ(pager->segmentControl()->selectIndex(), 0);
}

TEST_F(Pages, SwipesTurnPagesOneAtATimeAndTheBarFollows) {
  advance(1);
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

TEST_F(Pages, TappingATitleShowsItsPageAndTheLineFollowsADragHalfWay) {
  advance(1);
  finger.tap({312, 581});
  advance(1);
  expectShowing(2);
  finger.tap({62, 581});
  advance(1);
  expectShowing(0);

  // Dragged slowly two thirds of the way, the next title lights up before the finger lifts.
  drag({300, 300}, {-250, 0}, 25, false);
  auto mid = render(*window, clock.now());
  EXPECT_GT(titlePixels(*mid, 1, true), 20);
  EXPECT_EQ(titlePixels(*mid, 0, true), 0);
  EXPECT_EQ(pager->segmentControl()->selectIndex(), 0);
  const double line = pager->segmentControl()->lineLayer()->frame().origin.x;
  EXPECT_NEAR(line, 125 * pager->scrollView()->contentOffset().x / 375, 1e-9);
  holdAndLift();  // held: the target is where it rests, past the middle
  advance(1.5);
  expectShowing(1);

  // Back towards the first page a third of the way and held: the line follows, then rests.
  drag({100, 300}, {120, 0}, 12, false);
  const double offset = pager->scrollView()->contentOffset().x;
  ASSERT_LT(offset, 375);
  EXPECT_NEAR(pager->segmentControl()->lineLayer()->frame().origin.x, 125 * offset / 375, 1e-9);
  holdAndLift();
  const auto rested = pager->segmentControl()->lineLayer()->frame();
  advance(1.5);
  expectShowing(1);
  EXPECT_EQ(pager->segmentControl()->lineLayer()->frame(), rested);
}

// A second finger taps a title while the first swipes the pages: that page is shown, the line
// stays under the titles for the rest of the drag, and the lift keeps the tapped page.
TEST_F(Pages, ATitleTappedMidSwipeIsThePageShownAfterTheLift) {
  advance(1);
  finger.drag({300, 300}, {200, 300}, 10);
  finger.begin(1, {312, 581});
  finger.end(1);
  for (int i = 1; i <= 5; ++i) {
    advance(1.0 / 60);
    finger.move(0, {200 + 4.0 * i, 300});
    const double line = pager->segmentControl()->lineLayer()->frame().origin.x;
    EXPECT_GE(line, 0) << i;
    EXPECT_LE(line, 250) << i;
  }
  holdAndLift();
  advance(1.5);
  expectShowing(2);
}

// Records what it is told about moving between parents, and whether its view was in the pages
// by then.
class MovingPage : public platform::ViewController {
 public:
  static std::shared_ptr<MovingPage> create(std::string title) {
    auto page = platform::Object::make<MovingPage>();
    page->setTitle(std::move(title));
    return page;
  }
  void willMoveToParentViewController(const std::shared_ptr<ViewController>& parent) override {
    log.push_back(parent ? "will" : "will leave");
  }
  void didMoveToParentViewController(const std::shared_ptr<ViewController>& parent) override {
    const bool shown = isViewLoaded() && view()->superview();
    log.push_back(std::string(parent ? "did" : "did leave") + (shown ? " (shown)" : ""));
  }
  std::vector<std::string> log;

  explicit MovingPage(Key key) : platform::ViewController(std::move(key)) {}
};

TEST_F(Pages, TheSelectedPageIsToldItMovedToThePagerBeforeItsViewIsShown) {
  auto first = MovingPage::create("一"), second = MovingPage::create("二");
  pager->setViewControllers({first, second});
  EXPECT_EQ(first->log, (std::vector<std::string>{"will", "did"}));
  pager->selectNext();
  EXPECT_EQ(first->log, (std::vector<std::string>{"will", "did", "did leave (shown)"}));
  EXPECT_EQ(second->log, (std::vector<std::string>{"will", "did"}));
  // A tap on something that is no item leaves the bar on the not-found index: no next page.
  auto stranger = SGSegmentItem::create(makeRect(0, 0, 50, 44));
  pager->segmentControl()->segmentItemClicked(*stranger);
  pager->selectNext();
  pager->selectPrevious();
  EXPECT_EQ(pager->childViewControllers(), Controllers{second});
}

TEST_F(Pages, TheBarSettingsArePassedOn) {
  pager->setSegmentLineWidth(3);
  pager->setSegmentHighlightColor(Color::rgba(0, 0, 1));
  pager->setSegmentBorderColor(Color::black());
  pager->setSegmentTitleFont(platform::Font::systemFont(13));
  const auto& bar = *pager->segmentControl();
  EXPECT_EQ(bar.lineWidth(), 3);
  EXPECT_EQ(bar.highlightColor(), Color::rgba(0, 0, 1));
  EXPECT_EQ(bar.borderColor(), Color::black());
  EXPECT_EQ(bar.titleFont().pointSize(), 13);
}

TEST_F(Pages, NewControllersReplaceTheOldAndAnUntitledOneGetsAnEmptyTitle) {
  pager->segmentControl()->setSelectIndex(2);
  auto first = platform::ViewController::create();
  first->setTitle("新");
  pager->setViewControllers({first, platform::ViewController::create()});
  EXPECT_EQ(pager->childViewControllers(), Controllers{first});
  EXPECT_EQ(pages[2]->parentViewController(), nullptr);
  EXPECT_EQ(pager->segmentControl()->items().size(), 2u);
  EXPECT_EQ(pager->segmentControl()->items()[1]->title(), std::optional<std::string>(""));
  EXPECT_EQ(pageXs(), (std::vector<double>{0, 375}));
}

}  // namespace
}  // namespace sprout
