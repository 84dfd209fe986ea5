#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/graphics/Context.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"
#include "render_support.h"
#include "ui_support.h"

namespace platform {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Writes every hook, layout and touch it sees into a shared log.
class Probe : public View {
 public:
  static std::shared_ptr<Probe> create(std::string name, std::vector<std::string>* log,
                                       const Rect& frame = {}) {
    return make<Probe>(std::move(name), log, frame);
  }
  void willMoveToSuperview(const std::shared_ptr<View>& s) override {
    note("willMoveToSuperview " + std::string(s ? "view" : "null"));
  }
  void didMoveToSuperview() override { note("didMoveToSuperview"); }
  void willMoveToWindow(const std::shared_ptr<Window>& w) override {
    note("willMoveToWindow " + std::string(w ? "window" : "null"));
  }
  void didMoveToWindow() override {
    note(std::string("didMoveToWindow ") + (window() ? "in" : "out"));
  }
  void didAddSubview(const std::shared_ptr<View>&) override { note("didAddSubview"); }
  void willRemoveSubview(const std::shared_ptr<View>&) override { note("willRemoveSubview"); }
  void layoutSubviews() override { note("layout"); }
  void drawRect(Context& context, const Rect& rect) override {
    note("draw");
    context.fillRect(rect, Color::red());
  }
  void touchesBegan(const TouchSet& t, const Event&) override {
    note("began " + std::to_string(static_cast<int>(t[0]->locationInView(this).x)));
  }
  void touchesEnded(const TouchSet&, const Event&) override { note("ended"); }

  Probe(Key key, std::string name, std::vector<std::string>* log, const Rect& frame)
      : View(std::move(key), frame), name_(std::move(name)), log_(log) {}

 private:
  void note(const std::string& what) { log_->push_back(name_ + " " + what); }
  std::string name_;
  std::vector<std::string>* log_;
};

class UIView : public ui_test::UITest {
 protected:
  std::vector<std::string> log;
};

TEST_F(UIView, HierarchyEditsKeepOrderAndRunHooksInOrder) {
  auto window = Window::create(makeRect(0, 0, 320, 480));
  auto parent = Probe::create("parent", &log);
  auto child = Probe::create("child", &log);
  auto grandchild = Probe::create("grandchild", &log);
  child->addSubview(grandchild);
  log.clear();
  window->addSubview(parent);
  parent->addSubview(child);
  EXPECT_EQ(log, (std::vector<std::string>{
                     "parent willMoveToSuperview view", "parent willMoveToWindow window",
                     "parent didMoveToWindow in", "parent didMoveToSuperview",
                     "child willMoveToSuperview view", "child willMoveToWindow window",
                     "grandchild willMoveToWindow window", "child didMoveToWindow in",
                     "grandchild didMoveToWindow in", "child didMoveToSuperview",
                     "parent didAddSubview"}));
  EXPECT_EQ(grandchild->window(), window);
  log.clear();
  child->removeFromSuperview();
  EXPECT_EQ(log, (std::vector<std::string>{
                     "parent willRemoveSubview", "child willMoveToSuperview null",
                     "child willMoveToWindow null", "grandchild willMoveToWindow null",
                     "child didMoveToWindow out", "grandchild didMoveToWindow out",
                     "child didMoveToSuperview"}));
  EXPECT_EQ(child->superview(), nullptr);
  EXPECT_EQ(grandchild->window(), nullptr);

  // Ordering: insert at index, below, above, to front, to back; layers follow the views.
  auto a = View::create(), b = View::create(), c = View::create(), d = View::create();
  parent->addSubview(a);
  parent->addSubview(b);
  parent->insertSubview(c, 1);             // a c b
  parent->insertSubviewBelow(d, a.get());  // d a c b
  auto order = [&] {
    std::string s;
    for (const auto& v : parent->subviews()) {
      s += v == a ? "a" : v == b ? "b" : v == c ? "c" : "d";
    }
    return s;
  };
  EXPECT_EQ(order(), "dacb");
  parent->bringSubviewToFront(d.get());
  EXPECT_EQ(order(), "acbd");
  parent->sendSubviewToBack(b.get());
  EXPECT_EQ(order(), "bacd");
  parent->insertSubviewAbove(b, c.get());
  EXPECT_EQ(order(), "acbd");
  parent->exchangeSubviewAtIndex(0, 3);
  EXPECT_EQ(order(), "dcba");
  const auto& sublayers = parent->layer()->sublayers();
  ASSERT_EQ(sublayers.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(sublayers[i], parent->subviews()[i]->layer());
  // A view cannot go inside its own subtree; tags find descendants.
  child->addSubview(parent);  // parent is not below child, so this is a legal move...
  EXPECT_EQ(parent->superview(), child);
  parent->addSubview(child);  // ...and this would make a cycle
  EXPECT_EQ(child->superview(), nullptr);
  c->setTag(7);
  EXPECT_EQ(child->viewWithTag(7), c);
  EXPECT_EQ(child->viewWithTag(8), nullptr);
}

TEST_F(UIView, ReorderingIsSilentAndMovingBetweenParentsTellsOnlyTheSuperviews) {
  auto window = Window::create(makeRect(0, 0, 320, 480));
  auto left = Probe::create("left", &log), right = Probe::create("right", &log);
  auto child = Probe::create("child", &log);
  auto sibling = View::create();
  window->addSubview(left);
  window->addSubview(right);
  left->addSubview(child);
  left->addSubview(sibling);
  log.clear();
  left->sendSubviewToBack(sibling.get());
  left->insertSubview(child, 0);
  EXPECT_TRUE(log.empty());
  EXPECT_EQ(left->subviews().front(), child);
  EXPECT_EQ(left->layer()->sublayers().front(), child->layer());
  right->addSubview(child);  // same window: no window hooks
  EXPECT_EQ(log,
            (std::vector<std::string>{"left willRemoveSubview", "child willMoveToSuperview view",
                                      "child didMoveToSuperview", "right didAddSubview"}));
  EXPECT_EQ(left->subviews(), std::vector<std::shared_ptr<View>>{sibling});
  EXPECT_EQ(child->superview(), right);
}

TEST_F(UIView, AutoresizingLayoutAndDisplayPasses) {
  auto window = Window::create(makeRect(0, 0, 200, 200));
  window->makeKeyAndVisible();
  auto box = Probe::create("box", &log, makeRect(0, 0, 100, 100));
  window->addSubview(box);
  auto fixed = View::create(makeRect(10, 10, 20, 20));
  auto wide = View::create(makeRect(10, 10, 20, 20));
  wide->setAutoresizingMask(ViewAutoresizingFlexibleWidth);
  auto pinnedRight = View::create(makeRect(10, 10, 20, 20));
  pinnedRight->setAutoresizingMask(ViewAutoresizingFlexibleLeftMargin);
  auto centred = View::create(makeRect(10, 60, 20, 20));  // margins 10 and 70 below... 20 above
  centred->setAutoresizingMask(ViewAutoresizingFlexibleTopMargin |
                               ViewAutoresizingFlexibleBottomMargin);
  for (const auto& v : {fixed, wide, pinnedRight, centred}) box->addSubview(v);
  loop.runPending();
  log.clear();

  box->setFrame(makeRect(0, 0, 150, 180));
  EXPECT_EQ(fixed->frame(), makeRect(10, 10, 20, 20));
  EXPECT_EQ(wide->frame(), makeRect(10, 10, 70, 20));
  EXPECT_EQ(pinnedRight->frame(), makeRect(60, 10, 20, 20));
  // 80 more points split over margins of 60 and 20 in proportion: 60 and 20 more.
  EXPECT_EQ(centred->frame(), makeRect(10, 120, 20, 20));
  EXPECT_TRUE(box->needsLayout());
  EXPECT_TRUE(log.empty());  // layout waits for the pass
  box->setNeedsLayout();
  loop.runPending();
  EXPECT_EQ(log, (std::vector<std::string>{"box layout"}));  // once for both requests
  box->layoutIfNeeded();
  EXPECT_EQ(log.size(), 1u);
  box->setNeedsLayout();
  box->layoutIfNeeded();
  EXPECT_EQ(log.size(), 2u);

  // Drawing happens in the pass for views in a window, into the layer's contents.
  log.clear();
  box->setNeedsDisplay();
  auto loose = Probe::create("loose", &log, makeRect(0, 0, 10, 10));
  loose->setNeedsDisplay();
  loop.runPending();
  EXPECT_EQ(log, (std::vector<std::string>{"box draw"}));
  ASSERT_TRUE(box->layer()->contents());
  EXPECT_EQ(box->layer()->contents()->bitmap()->width(), 300);  // 150 points at scale 2
  EXPECT_EQ(render_test::pixelAt(*box->layer()->contents(), 5, 5).r, 255);
  EXPECT_EQ(loose->layer()->contents(), nullptr);
  loose->updateTree();  // rendering a loose tree draws it on demand
  EXPECT_NE(loose->layer()->contents(), nullptr);
}

TEST_F(UIView, HitTestingConversionAndTouches) {
  auto window = Window::create(makeRect(0, 0, 300, 300));
  window->makeKeyAndVisible();
  auto panel = Probe::create("panel", &log, makeRect(50, 50, 200, 200));
  window->addSubview(panel);
  auto button = Probe::create("button", &log, makeRect(0, 0, 50, 50));
  panel->addSubview(button);

  EXPECT_EQ(window->hitTest({60, 60}, nullptr), button);
  EXPECT_EQ(window->hitTest({150, 150}, nullptr), panel);
  EXPECT_EQ(window->hitTest({10, 10}, nullptr), window);
  EXPECT_EQ(window->hitTest({400, 10}, nullptr), nullptr);
  button->setHidden(true);
  EXPECT_EQ(window->hitTest({60, 60}, nullptr), panel);
  button->setHidden(false);
  button->setAlpha(0.005);
  EXPECT_EQ(window->hitTest({60, 60}, nullptr), panel);
  button->setAlpha(1);
  panel->setUserInteractionEnabled(false);  // takes its subtree with it
  EXPECT_EQ(window->hitTest({60, 60}, nullptr), window);
  panel->setUserInteractionEnabled(true);

  // Under a rotation and a scale the conversion follows the layer geometry.
  panel->setTransform(AffineTransform::rotation(kPi / 2));
  const Rect inWindow = button->convertRectTo(button->bounds(), window.get());
  EXPECT_NEAR(inWindow.origin.x, 200, 1e-9);  // the top-left quarter turned to the top-right
  EXPECT_NEAR(inWindow.origin.y, 50, 1e-9);
  EXPECT_NEAR(inWindow.size.width, 50, 1e-9);
  panel->setTransform(AffineTransform::scale(0.5, 0.5));
  // Halved about the panel's centre (150, 150): window (100, 100) is the panel's top-left.
  const Point p = window->convertPointTo({100, 100}, button.get());
  EXPECT_NEAR(p.x, 0, 1e-9);
  EXPECT_NEAR(p.y, 0, 1e-9);
  EXPECT_EQ(window->hitTest({110, 110}, nullptr), button);
  EXPECT_EQ(window->hitTest({60, 60}, nullptr), window);  // outside the shrunken panel

  // A touch lands on the deepest view and stays with it.
  log.clear();
  TouchDriver finger(window);
  EXPECT_EQ(finger.begin({110, 110}), button);
  finger.move({250, 250});
  finger.end();
  EXPECT_EQ(log, (std::vector<std::string>{"button began 20", "button ended"}));
  // A view that handles nothing passes its touches up the responder chain.
  panel->setTransform(AffineTransform());
  auto plain = View::create(makeRect(100, 100, 50, 50));
  panel->addSubview(plain);
  EXPECT_EQ(plain->nextResponder(), panel);
  EXPECT_EQ(window->nextResponder(), nullptr);
  log.clear();
  finger.tap({160, 160});
  EXPECT_EQ(log, (std::vector<std::string>{"panel began 110", "panel ended"}));
}

}  // namespace
}  // namespace platform
