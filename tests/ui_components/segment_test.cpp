#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "tests/ui_components/component_test_support.h"
#include "ui/components/segment/SGSegmentControl.h"
#include "ui/components/segment/SGSegmentItem.h"
#include "ui/components/segment/SGSegmentViewController.h"

namespace sprout {
namespace {

using components_test::near255;
using components_test::pixelAt;
using platform::Color;
using platform::makeRect;

class Selections : public SGSegmentControlDelegate {
 public:
  void sgSegmentSelectAtIndex(long index, bool animation) override {
    seen.emplace_back(index, animation);
  }
  std::vector<std::pair<long, bool>> seen;
};

class Segments : public components_test::ComponentTest {
 protected:
  Segments() {
    platform::Screen::main().setBounds(makeRect(0, 0, 375, 667));
    window->makeKeyAndVisible();
  }
  ~Segments() override { platform::ApplicationWindows::shared().reset(); }

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
  void advance(double seconds) { loop.advance(seconds); }
  double lineX(const SGSegmentControl& c) { return c.lineLayer()->frame().origin.x; }

  std::shared_ptr<platform::Window> window = platform::Window::create(makeRect(0, 0, 375, 667));
  std::shared_ptr<Selections> selections = std::make_shared<Selections>();
  platform::TouchDriver fingers{window};
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
  EXPECT_EQ(SGSegmentItem::caculateTextWidth(" \n ", font), 0);
  // White space beyond ASCII is trimmed too: ideographic, no-break and line-separator spaces.
  EXPECT_EQ(SGSegmentItem::caculateTextWidth("\u3000\u2028", font), 0);
  EXPECT_DOUBLE_EQ(SGSegmentItem::caculateTextWidth("\u3000食谱\u00a0\n", font),
                   SGSegmentItem::caculateTextWidth("食谱", font));

  // An empty list leaves no items.
  measured->setTitles({});
  measured->load();
  EXPECT_TRUE(measured->items().empty());
  EXPECT_EQ(measured->scrollView()->contentSize().width, 0);
}

TEST_F(Segments, LoadSelectsTheFirstTitleAndTheLineRunsAlongTheTop) {
  auto control = strip({"食谱", "作息"});
  EXPECT_EQ(selections->seen, (std::vector<std::pair<long, bool>>{{0, true}}));
  EXPECT_TRUE(control->items()[0]->isSelected());
  EXPECT_FALSE(control->items()[1]->isSelected());
  EXPECT_EQ(control->lineLayer()->frame(), makeRect(0, 0, 187.5, 2));
  EXPECT_EQ(control->lastSelectRect(), makeRect(0, 0, 187.5, 2));
  auto image = render(*control, clock.now() + 1);
  EXPECT_TRUE(near255(pixelAt(*image, 100, 1), Color::red()));
  EXPECT_TRUE(near255(pixelAt(*image, 100, 3), Color::whiteColor()));
  // The selected title is drawn in the highlight colour, the other in grey.
  bool redInk = false, greyInk = false;
  for (double x = 60; x < 130; x += 0.5) {
    for (double y = 14; y < 30; y += 0.5) {
      const Color a = pixelAt(*image, x, y), b = pixelAt(*image, x + 187.5, y);
      redInk = redInk || (a.r > 0.9 && a.g < 0.3);
      greyInk = greyInk || (b.r < 0.7 && std::abs(b.r - b.g) < 0.05);
    }
  }
  EXPECT_TRUE(redInk);
  EXPECT_TRUE(greyInk);
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

TEST_F(Segments, SelectionsOutsideTheItemsAreStoredAndOtherwiseIgnored) {
  auto control = strip({"一", "二"});
  control->setSelectIndex(5);
  control->setSelectIndex(-1, false);
  EXPECT_EQ(control->selectIndex(), -1);
  EXPECT_EQ(selections->seen.size(), 1u);
  EXPECT_TRUE(control->items()[0]->isSelected());
  const auto line = control->lineLayer()->frame();
  control->scrollToRate(0.7);  // names no item: nothing follows
  EXPECT_EQ(control->lineLayer()->frame(), line);
  EXPECT_TRUE(control->items()[0]->isSelected());
}

TEST_F(Segments, AClickOnSomethingThatIsNoItemSelectsTheNotFoundIndexAndIsIgnored) {
  auto control = strip({"一", "二"});
  auto stranger = SGSegmentItem::create(makeRect(0, 0, 50, 44));
  control->segmentItemClicked(*stranger);
  EXPECT_EQ(control->selectIndex(), SGSegmentControl::kNotFound);
  EXPECT_EQ(selections->seen.size(), 1u);
  EXPECT_TRUE(control->items()[0]->isSelected());
}

TEST_F(Segments, ATapSelectsEvenTheSelectedTitleAgainWithoutAnimation) {
  strip({"一", "二"}, 0, 375);
  fingers.tap({50, 20});
  fingers.tap({250, 20});
  EXPECT_EQ(selections->seen,
            (std::vector<std::pair<long, bool>>{{0, true}, {0, false}, {1, false}}));
}

TEST_F(Segments, TheBottomBorderNeedsBothAColourAndAWidth) {
  auto control = strip({"一"});
  control->setBorderWidth(2);
  control->setNeedsDisplay();
  auto bare = render(*control, clock.now());
  EXPECT_TRUE(near255(pixelAt(*bare, 10, 43), Color::whiteColor()));
  control->setBorderColor(Color::rgba(0, 0, 1));
  control->setNeedsDisplay();
  auto bordered = render(*control, clock.now());
  EXPECT_TRUE(near255(pixelAt(*bordered, 10, 42.5), Color::rgba(0, 0, 1)));
  EXPECT_TRUE(near255(pixelAt(*bordered, 10, 40), Color::whiteColor()));
}

// --- the pager

class Pages : public Segments {
 protected:
  Pages() {
    for (const char* title : {"本周食谱", "下周食谱", "营养"}) {
      auto page = platform::ViewController::create();
      page->setTitle(title);
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

  std::shared_ptr<SGSegmentViewController> pager = SGSegmentViewController::create();
  std::vector<std::shared_ptr<platform::ViewController>> pages;
};

TEST_F(Pages, OnlyTheSelectedPageIsAChildAndItsNeighboursSitBesideIt) {
  EXPECT_EQ(pager->segmentControl()->frame(), makeRect(0, 559, 375, 44));
  EXPECT_EQ(pager->scrollView()->frame(), makeRect(0, 0, 375, 559));
  EXPECT_EQ(pager->scrollView()->contentSize(), (platform::Size{1125, 559}));
  EXPECT_EQ(pageXs(), (std::vector<double>{0, 375}));
  pager->segmentControl()->setSelectIndex(1);
  EXPECT_EQ(pageXs(), (std::vector<double>{0, 375, 750}));
  ASSERT_EQ(pager->childViewControllers().size(), 1u);
  EXPECT_EQ(pager->childViewControllers()[0], pages[1]);
  pager->selectNext();
  EXPECT_EQ(pageXs(), (std::vector<double>{375, 750}));
  pager->selectNext();
  EXPECT_EQ(pager->segmentControl()->selectIndex(), 2);
  advance(1);
  EXPECT_EQ(pager->scrollView()->contentOffset().x, 750);
  pager->selectPrevious();
  pager->selectPrevious();
  pager->selectPrevious();
  EXPECT_EQ(pager->segmentControl()->selectIndex(), 0);
}

TEST_F(Pages, ADragGivesTheBarRatesUntilTheFingerLiftsAndTheTargetPicksThePage) {
  pager->segmentControl()->setSelectIndex(1);
  advance(1);
  fingers.begin({200, 300});
  for (int i = 1; i <= 10; ++i) {
    advance(1.0 / 60);
    fingers.move({200 + 11.25 * i, 300});
  }
  const double offset = pager->scrollView()->contentOffset().x;
  ASSERT_LT(offset, 375);
  const double rate = (offset - 375) / 375;
  EXPECT_NEAR(lineX(*pager->segmentControl()), 125 + 125 * rate, 1e-9);
  advance(0.3);
  fingers.end();  // held still: back to page 1
  const auto line = pager->segmentControl()->lineLayer()->frame();
  advance(2);
  EXPECT_EQ(pager->segmentControl()->lineLayer()->frame(), line);
  EXPECT_EQ(pager->segmentControl()->selectIndex(), 1);

  platform::Point target{1.99 * 375, 0};
  pager->scrollViewWillEndDragging(*pager->scrollView(), {}, &target);
  EXPECT_EQ(pager->segmentControl()->selectIndex(), 1);
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

 protected:
  friend class platform::Object;
  explicit MovingPage(Key key) : platform::ViewController(key) {}
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
  EXPECT_EQ(pager->childViewControllers(),
            (std::vector<std::shared_ptr<platform::ViewController>>{second}));
}

TEST_F(Pages, TheBarSettingsAreKeptAndPassedOn) {
  EXPECT_EQ(pager->segmentLineWidth(), 0);
  EXPECT_FALSE(pager->segmentHighlightColor().has_value());
  pager->setSegmentLineWidth(3);
  pager->setSegmentHighlightColor(Color::rgba(0, 0, 1));
  pager->setSegmentBorderColor(Color::black());
  pager->setSegmentTitleFont(platform::Font::systemFont(13));
  EXPECT_EQ(pager->segmentLineWidth(), 3);
  EXPECT_EQ(pager->segmentHighlightColor(), Color::rgba(0, 0, 1));
  EXPECT_EQ(pager->segmentBorderColor(), Color::black());
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
  auto untitled = platform::ViewController::create();
  pager->setViewControllers({first, untitled});
  EXPECT_EQ(pager->childViewControllers(),
            (std::vector<std::shared_ptr<platform::ViewController>>{first}));
  EXPECT_EQ(pages[2]->parentViewController(), nullptr);
  EXPECT_EQ(pager->segmentControl()->items().size(), 2u);
  EXPECT_EQ(pager->segmentControl()->items()[1]->title(), std::optional<std::string>(""));
  EXPECT_EQ(pageXs(), (std::vector<double>{0, 375}));
}

}  // namespace
}  // namespace sprout
