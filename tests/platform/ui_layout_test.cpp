// Making views (make and didInit) and the layout pass.
#include <gtest/gtest.h>

#include <functional>
#include <future>
#include <string>
#include <vector>

#include "platform/dispatch/OperationQueue.h"
#include "platform/foundation/Log.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "ui_support.h"

namespace platform {
namespace {

// A card that builds its title in didInit; a subclass adds a badge on top of that set-up.
class Card : public View {
 public:
  std::vector<std::string> steps;
  std::shared_ptr<Label> title;

  explicit Card(Key key, const Rect& frame) : View(std::move(key), frame) {}

 protected:
  void didInit() override {
    View::didInit();
    title = Label::create(makeRect(0, 0, 50, 20));
    addSubview(title);
    steps.push_back("card");
  }
};

class BadgedCard : public Card {
 public:
  std::shared_ptr<View> badge;

 protected:
  using Card::Card;
  void didInit() override {
    Card::didInit();
    badge = View::create(makeRect(40, 0, 10, 10));
    title->addSubview(badge);
    steps.push_back("badge");
  }
};

// Counts its layouts and bounds changes; runs `duringLayout` from inside layoutSubviews.
class Tracker : public View {
 public:
  static std::shared_ptr<Tracker> create(const Rect& frame = {}) { return make<Tracker>(frame); }
  int layouts = 0, depth = 0, maxDepth = 0;
  std::vector<Rect> oldBounds;
  std::function<void(Tracker&)> duringLayout;

  void layoutSubviews() override {
    ++layouts;
    maxDepth = std::max(maxDepth, ++depth);
    if (duringLayout) duringLayout(*this);
    --depth;
  }

 protected:
  using View::View;
  void boundsDidChange(const Rect& old) override { oldBounds.push_back(old); }
};

class UILayout : public ui_test::UITest {
 protected:
  UILayout() {
    window->makeKeyAndVisible();
    window->addSubview(parent);
    parent->addSubview(child);
    parent->addSubview(sibling);
    loop.runPending();
    parent->layouts = child->layouts = sibling->layouts = 0;
  }
  std::shared_ptr<Window> window = Window::create(makeRect(0, 0, 320, 480));
  std::shared_ptr<Tracker> parent = Tracker::create(makeRect(0, 0, 300, 400));
  std::shared_ptr<Tracker> child = Tracker::create(makeRect(0, 0, 100, 100));
  std::shared_ptr<Tracker> sibling = Tracker::create(makeRect(0, 200, 100, 100));
};

TEST_F(UILayout, MakeRunsDidInitOnceOwnedSoSubviewsCanBeBuiltThere) {
  auto card = Object::make<BadgedCard>(makeRect(0, 0, 100, 40));
  EXPECT_EQ(card->steps, (std::vector<std::string>{"card", "badge"}));
  ASSERT_EQ(card->subviews().size(), 1u);
  EXPECT_EQ(card->subviews()[0], card->title);
  EXPECT_EQ(card->title->superview(), card);
  EXPECT_EQ(card->badge->superview(), card->title);
  EXPECT_EQ(card->frame(), makeRect(0, 0, 100, 40));

  // The platform's own factories go through it too: a window joins the application's list there.
  auto window = Window::create(makeRect(0, 0, 10, 10));
  const auto windows = ApplicationWindows::shared().windows();
  EXPECT_NE(std::find(windows.begin(), windows.end(), window), windows.end());
}

TEST_F(UILayout, AChildsLayoutIfNeededAppliesItsDirtyParentFirst) {
  parent->duringLayout = [&](Tracker&) { child->setFrame(makeRect(10, 10, 50, 50)); };
  parent->setNeedsLayout();
  child->layoutIfNeeded();  // e.g. after changing what the parent lays out, in an animation block
  EXPECT_EQ(parent->layouts, 1);
  EXPECT_EQ(child->frame(), makeRect(10, 10, 50, 50));
  EXPECT_EQ(child->layouts, 1);  // its new size, laid out in the same call
  EXPECT_FALSE(parent->needsLayout());
  EXPECT_FALSE(child->needsLayout());
  loop.runPending();
  EXPECT_EQ(parent->layouts + child->layouts + sibling->layouts, 2);
}

TEST_F(UILayout, MarkedBranchesAreFoundWhereverTheDirtyViewGoes) {
  auto leaf = Tracker::create(makeRect(0, 0, 10, 10));
  auto loose = View::create();
  loose->addSubview(leaf);
  leaf->setNeedsLayout();
  sibling->addSubview(loose);  // a dirty subtree joining a clean branch
  loop.runPending();
  EXPECT_EQ(leaf->layouts, 1);
  EXPECT_EQ(child->layouts, 0);
  sibling->layouts = 0;  // laid out for its new subview

  // Dirtied during the pass by an ancestor's layout: laid out in the same pass.
  sibling->duringLayout = [&](Tracker&) { leaf->setNeedsLayout(); };
  sibling->setNeedsLayout();
  loop.runPending();
  EXPECT_EQ(leaf->layouts, 2);
  EXPECT_EQ(sibling->layouts, 1);
  EXPECT_EQ(parent->layouts, 0);
}

TEST_F(UILayout, BoundsDidChangeSeesEveryChangeTheOriginIncluded) {
  parent->setBounds(makeRect(0, 40, 300, 400));  // scrolled by 40
  EXPECT_EQ(parent->oldBounds, (std::vector<Rect>{makeRect(0, 0, 300, 400)}));
  EXPECT_TRUE(parent->needsLayout());  // what it shows moved
  parent->setCenter({200, 200});       // moves it in its superview; its own bounds stay
  parent->setBounds(makeRect(0, 40, 300, 400));
  EXPECT_EQ(parent->oldBounds.size(), 1u);

  // A size change still autoresizes the subviews before the override hears of it.
  child->setAutoresizingMask(ViewAutoresizingFlexibleWidth);
  parent->setFrame(makeRect(0, 0, 350, 400));
  EXPECT_EQ(parent->oldBounds.back(), makeRect(0, 40, 300, 400));
  EXPECT_EQ(child->frame().size.width, 150);
  loop.runPending();
  EXPECT_EQ(parent->layouts, 1);
}

TEST_F(UILayout, ALayoutThatAlwaysAsksAgainStopsWithItsClassNamed) {
  std::vector<std::string> warnings;
  setLogSink([&](LogLevel level, std::string_view, std::string_view message) {
    if (level == LogLevel::Warning) warnings.emplace_back(message);
  });
  child->duringLayout = [](Tracker& self) { self.setNeedsLayout(); };
  child->setNeedsLayout();
  loop.runPending();
  setLogSink(nullptr);
  EXPECT_EQ(child->layouts, View::kMaxLayoutPasses);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("platform::(anonymous namespace)::Tracker"), std::string::npos);
  EXPECT_FALSE(child->needsLayout());

  // Settling after a second pass is fine and quiet.
  child->duringLayout = [](Tracker& self) {
    if (self.layouts == View::kMaxLayoutPasses + 1) self.setNeedsLayout();
  };
  child->setNeedsLayout();
  loop.runPending();
  EXPECT_EQ(child->layouts, View::kMaxLayoutPasses + 2);
}

TEST_F(UILayout, AnOperationWaitInsideLayoutDoesNotReenterThePass) {
  auto queue = OperationQueue::create("layout.wait");
  parent->duringLayout = [&](Tracker& self) {
    if (self.layouts > 1) return;
    child->setNeedsLayout();
    self.setNeedsLayout();
    // The operation ends only once the main loop, turning inside the wait, has run what was
    // posted after the display pass asked for above.
    std::promise<void> mainTurned;
    auto turned = mainTurned.get_future().share();
    queue->addOperation([turned] { turned.wait(); });
    RunLoop::main().post([&mainTurned] { mainTurned.set_value(); });
    queue->waitUntilAllOperationsAreFinished();
    EXPECT_EQ(child->layouts, 0);  // nothing was laid out inside the wait
  };
  parent->setNeedsLayout();
  loop.runPending();
  EXPECT_EQ(parent->maxDepth, 1);
  EXPECT_EQ(parent->layouts, 2);
  EXPECT_EQ(child->layouts, 1);
  EXPECT_FALSE(parent->needsLayout());
}

TEST_F(UILayout, InvalidatingTheIntrinsicSizeRelaysTheSuperview) {
  child->invalidateIntrinsicContentSize();
  EXPECT_TRUE(parent->needsLayout());
  loop.runPending();
  EXPECT_EQ(parent->layouts, 1);
}

}  // namespace
}  // namespace platform
