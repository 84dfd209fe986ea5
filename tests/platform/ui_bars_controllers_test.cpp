#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ClassRegistry.h"
#include "platform/ui/Label.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/AlertController.h"
#include "platform/ui/controllers/AlertControllerTextField.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/TableViewController.h"
#include "platform/ui/controls/Toolbar.h"
#include "platform/ui/controls/ToolbarButton.h"
#include "platform/ui/controls/ToolbarTextButton.h"
#include "render_support.h"
#include "ui_support.h"

namespace platform {
namespace {

class BarsTest : public ui_test::UITest {
 protected:
  BarsTest() { window->makeKeyAndVisible(); }
  ui_test::ScopedScreenBounds screen{makeRect(0, 0, 320, 568)};
  std::shared_ptr<Window> window = Window::create(makeRect(0, 0, 320, 568));
};

// Notes the parent moves it hears of: "will:<parent>" / "did:<parent>", "-" for none.
class Child : public ViewController {
 public:
  void willMoveToParentViewController(const std::shared_ptr<ViewController>& p) override {
    log.push_back(std::string("will:") + (p ? "nav" : "-"));
  }
  void didMoveToParentViewController(const std::shared_ptr<ViewController>& p) override {
    log.push_back(std::string("did:") + (p ? "nav" : "-"));
  }
  void viewDidAppear(bool) override { log.push_back("appeared"); }
  void viewDidDisappear(bool) override { log.push_back("disappeared"); }
  std::vector<std::string> log;

 protected:
  friend class Object;
  explicit Child(Key key) : ViewController(key) {}
};

TEST_F(BarsTest, ToolbarLaysItemsOutBetweenMarginsAndSharesFlexibleSpace) {
  auto bar = Toolbar::create(makeRect(0, 0, 320, 10));
  bar->sizeToFit();
  EXPECT_DOUBLE_EQ(height(bar->frame()), 44);
  int taps = 0;
  auto flexible = BarButtonItem::create(BarButtonSystemItem::FlexibleSpace);
  auto fixed = BarButtonItem::create(BarButtonSystemItem::FixedSpace);
  fixed->setWidth(6);
  auto left = BarButtonItem::create(render_test::solidImage(20, 20, Color::black()),
                                    BarButtonItemStyle::Plain, [&](BarButtonItem&) { ++taps; });
  auto right = BarButtonItem::create(BarButtonSystemItem::Done, [&](BarButtonItem&) { ++taps; });
  auto middle = BarButtonItem::create(View::create(makeRect(0, 0, 40, 20)));
  // One flexible item may stand twice.
  bar->setItems(
      std::vector<std::shared_ptr<BarButtonItem>>{left, fixed, flexible, middle, flexible, right});
  window->addSubview(bar);
  bar->layoutIfNeeded();

  auto leftView = bar->viewForItemAtIndex(0);
  auto rightView = bar->viewForItemAtIndex(5);
  ASSERT_TRUE(std::dynamic_pointer_cast<ToolbarButton>(leftView));
  EXPECT_FALSE(std::dynamic_pointer_cast<ToolbarTextButton>(leftView));
  ASSERT_TRUE(std::dynamic_pointer_cast<ToolbarTextButton>(rightView));
  EXPECT_EQ(bar->viewForItemAtIndex(1), nullptr);
  EXPECT_DOUBLE_EQ(minX(leftView->frame()), Toolbar::kEdgeMargin);
  EXPECT_DOUBLE_EQ(maxX(rightView->frame()), 320 - Toolbar::kEdgeMargin);
  // Both flexible spaces got the same share: the custom view sits in the middle of the gap.
  const Rect mid = middle->customView()->frame();
  const double gapLeft = minX(mid) - (maxX(leftView->frame()) + 6);
  const double gapRight = minX(rightView->frame()) - maxX(mid);
  EXPECT_NEAR(gapLeft, gapRight, 1e-9);
  EXPECT_DOUBLE_EQ(midY(mid), 22);

  // Taps reach the actions; a disabled item ignores them and its view shows it.
  TouchDriver fingers(window);
  fingers.tap({midX(rightView->frame()), 22});
  EXPECT_EQ(taps, 1);
  right->setEnabled(false);
  EXPECT_FALSE(std::static_pointer_cast<Control>(rightView)->isEnabled());
  fingers.tap({midX(rightView->frame()), 22});
  EXPECT_EQ(taps, 1);
}

TEST_F(BarsTest, NavigationStackMovesChildrenAndShowsTheTopItem) {
  auto root = Object::make<Child>();
  root->navigationItem()->setTitle("Root");
  auto nav = NavigationController::create(root);
  EXPECT_EQ(root->log, (std::vector<std::string>{"will:nav", "did:nav"}));
  window->setRootViewController(nav);
  nav->view()->layoutIfNeeded();
  EXPECT_DOUBLE_EQ(minY(nav->navigationBar()->frame()), 20);  // below the status bar
  EXPECT_EQ(nav->navigationBar()->titleLabel()->text(), "Root");

  auto second = Object::make<Child>();
  second->navigationItem()->setTitle("Second");
  auto save = BarButtonItem::create(BarButtonSystemItem::Save);
  second->navigationItem()->setRightBarButtonItem(save);
  nav->pushViewController(second, true);
  EXPECT_EQ(nav->topViewController(), second);
  EXPECT_EQ(second->navigationController(), nav);
  EXPECT_EQ(second->log, (std::vector<std::string>{"will:nav", "appeared", "did:nav"}));
  EXPECT_EQ(root->log.back(), "disappeared");
  second->setTitle("Renamed");
  EXPECT_EQ(nav->navigationBar()->titleLabel()->text(), "Renamed");
  EXPECT_TRUE(nav->navigationBar()->leftView());  // the back button
  EXPECT_TRUE(nav->navigationBar()->rightView());

  second->log.clear();
  EXPECT_EQ(nav->popViewControllerAnimated(true), second);
  EXPECT_EQ(second->log, (std::vector<std::string>{"will:-", "disappeared", "did:-"}));
  EXPECT_EQ(nav->popViewControllerAnimated(true), nullptr);  // the root stays
  EXPECT_EQ(second->navigationController(), nullptr);

  nav->setNavigationBarHidden(true);
  EXPECT_TRUE(nav->navigationBar()->isHidden());
}

TEST_F(BarsTest, SheetsAndAlertsArePresentedWhereTheirStyleSays) {
  auto root = ViewController::create();
  window->setRootViewController(root);
  auto sheet = ViewController::create();
  sheet->setModalPresentationStyle(ModalPresentationStyle::FormSheet);
  root->presentViewController(sheet, false);
  EXPECT_EQ(sheet->view()->frame(), makeRect(0, 40, 320, 528));  // a phone: the page sheet
  EXPECT_EQ(ViewController::presentationFrame(ModalPresentationStyle::FormSheet,
                                              makeRect(0, 0, 768, 1024)),
            makeRect(114, 202, 540, 620));
  sheet->dismissViewControllerAnimated(false);

  AlertController::clearPresentations();
  bool chosen = false;
  auto alert = AlertController::create("Leave?", "Unsaved text", AlertControllerStyle::Alert);
  alert->addAction(AlertAction::create("Cancel", AlertActionStyle::Cancel));
  alert->addAction(
      AlertAction::create("OK", AlertActionStyle::Default, [&](AlertAction&) { chosen = true; }));
  alert->addTextFieldWithConfigurationHandler([](TextField& f) { f.setPlaceholder("Name"); });
  root->presentViewController(alert, true);
  ASSERT_EQ(AlertController::presentations().size(), 1u);
  EXPECT_EQ(AlertController::presentations()[0].title, "Leave?");
  EXPECT_EQ(AlertController::presentations()[0].actionTitles,
            (std::vector<std::string>{"Cancel", "OK"}));
  alert->chooseAction(1);
  EXPECT_TRUE(chosen);
  EXPECT_EQ(root->presentedViewController(), nullptr);
}

// Notes its appearance changes into a shared log as "<name> will-go <animated>" and so on.
class Recorder : public ViewController {
 public:
  void viewWillAppear(bool a) override { note("will-show", a); }
  void viewDidAppear(bool a) override { note("did-show", a); }
  void viewWillDisappear(bool a) override { note("will-go", a); }
  void viewDidDisappear(bool a) override { note("did-go", a); }
  void note(const std::string& what, bool animated) {
    if (log) log->push_back(name + " " + what + " " + (animated ? "1" : "0"));
  }
  std::string name;
  std::vector<std::string>* log = nullptr;

 protected:
  friend class Object;
  explicit Recorder(Key key) : ViewController(key) {}
};

TEST_F(BarsTest, DismissingAPresenterTakesEverythingItShowsOffScreen) {
  std::vector<std::string> log;
  auto make = [&](const std::string& name) {
    auto c = Object::make<Recorder>();
    c->name = name;
    c->log = &log;
    return c;
  };
  auto root = ViewController::create();
  window->setRootViewController(root);
  auto a = make("A");
  auto nav = NavigationController::create(a);
  root->presentViewController(nav, false);
  // A child shows its screen through its container: the navigation controller presents B.
  auto b = make("B"), c = make("C");
  a->presentViewController(b, false);
  b->presentViewController(c, false);
  EXPECT_EQ(b->presentingViewController(), nav);
  EXPECT_EQ(nav->presentedViewController(), b);
  EXPECT_EQ(a->presentedViewController(), b);
  EXPECT_EQ(c->view()->window(), window);

  // Asked from inside the navigation stack, the presented navigation controller goes, and
  // everything over it with it, top first; the completion comes after every callback.
  log.clear();
  a->dismissViewControllerAnimated(true, [&] { log.push_back("completion"); });
  EXPECT_EQ(log, (std::vector<std::string>{"C will-go 1", "B will-go 0", "A will-go 0",
                                           "C did-go 1", "B did-go 0", "A did-go 0"}));
  loop.runPending();
  EXPECT_EQ(log.back(), "completion");
  EXPECT_EQ(window->subviews(), (std::vector<std::shared_ptr<View>>{root->view()}));
  EXPECT_FALSE(root->presentedViewController());
  EXPECT_FALSE(c->presentingViewController());
  EXPECT_FALSE(b->presentedViewController());

  // A controller in the middle takes what is over it along; what lies below stays.
  root->presentViewController(nav, false);
  a->presentViewController(b, false);
  b->presentViewController(c, false);
  log.clear();
  b->dismissViewControllerAnimated(false);
  EXPECT_EQ(log,
            (std::vector<std::string>{"C will-go 0", "B will-go 0", "C did-go 0", "B did-go 0"}));
  EXPECT_FALSE(c->view()->window());
  EXPECT_EQ(nav->view()->window(), window);
  EXPECT_FALSE(nav->presentedViewController());
  // The window's root, which nobody presents, takes away what it presents.
  log.clear();
  root->dismissViewControllerAnimated(true);
  EXPECT_EQ(log, (std::vector<std::string>{"A will-go 1", "A did-go 1"}));
  EXPECT_FALSE(nav->view()->window());
  root->dismissViewControllerAnimated(true);  // nothing left: nothing happens
  EXPECT_EQ(log.size(), 2u);

  // A child of another controller is not presented on its own.
  root->presentViewController(b, false);
  b->presentViewController(a, false);
  EXPECT_EQ(b->presentedViewController(), nullptr);
  EXPECT_FALSE(a->view()->window());
  b->dismissViewControllerAnimated(false);
  EXPECT_FALSE(b->view()->window());
}

TEST_F(BarsTest, ControllersTurnLikeAPhoneUnlessTheySayOtherwise) {
  auto plain = ViewController::create();
  EXPECT_TRUE(plain->shouldAutorotate());
  EXPECT_EQ(plain->supportedInterfaceOrientations(), InterfaceOrientationMaskAllButUpsideDown);
  EXPECT_EQ(plain->supportedInterfaceOrientations() & InterfaceOrientationMaskPortraitUpsideDown,
            0u);
  EXPECT_TRUE(plain->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::Portrait));
  EXPECT_FALSE(plain->shouldAutorotateToInterfaceOrientation(InterfaceOrientation::LandscapeLeft));
  // Presented in the orientation the interface has when it comes up.
  EXPECT_EQ(plain->preferredInterfaceOrientationForPresentation(), InterfaceOrientation::Portrait);
  ApplicationWindows::shared().setStatusBarOrientation(InterfaceOrientation::LandscapeRight);
  EXPECT_EQ(plain->preferredInterfaceOrientationForPresentation(),
            InterfaceOrientation::LandscapeRight);
}

TEST_F(BarsTest, RegistryAnswersKindsByNameIncludingPrivateViews) {
  auto& registry = ClassRegistry::shared();
  auto table = TableViewController::create();
  EXPECT_TRUE(isKindOfClass(*table, "TableViewController"));
  EXPECT_TRUE(isKindOfClass(*table, "ViewController"));
  EXPECT_FALSE(isKindOfClass(*table, "NavigationController"));
  EXPECT_FALSE(isKindOfClass(*table, "UISearchBarTextField"));  // no such class here
  EXPECT_EQ(registry.named("UISearchBarTextField"), nullptr);

  auto field = AlertControllerTextField::create();
  EXPECT_EQ(registry.nameOf(*field), "_UIAlertControllerTextField");
  EXPECT_TRUE(isKindOfClass(*field, "TextField"));
  auto item = BarButtonItem::create("Go", BarButtonItemStyle::Plain);
  EXPECT_EQ(registry.nameOf(*ToolbarTextButton::create(item)), "UIToolbarTextButton");
  EXPECT_TRUE(isKindOfClass(*ToolbarTextButton::create(item), "UIToolbarButton"));
  EXPECT_EQ(registry.nameOf(*Child::make<Child>()), "Child");  // unregistered: its C++ name

  ClassSet set{registry.named("TableView"), registry.named("CollectionView")};
  set.insert(registry.named("TableView"));
  set.insert(registry.named("ScrollView"));
  std::vector<std::string> order;
  for (const auto* cls : set) order.push_back(cls->name());
  EXPECT_EQ(order, (std::vector<std::string>{"TableView", "CollectionView", "ScrollView"}));
  EXPECT_TRUE(set.matches(*TableView::create()));
  EXPECT_FALSE(set.matches(*View::create()));
}

}  // namespace
}  // namespace platform
