#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/ui/ClassRegistry.h"
#include "platform/ui/KeyboardSimulator.h"
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
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/ScrollView.h"
#include "platform/ui/scroll/TableView.h"
#include "render_support.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

using ui_test::Logged;

class BarsTest : public ui_test::OnWindow {
 protected:
  BarsTest() : OnWindow(makeRect(0, 0, 320, 568)) {}
  ui_test::ScopedScreenBounds screen{makeRect(0, 0, 320, 568)};
  std::vector<std::string> log;
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
  fingers.tap({midX(rightView->frame()), 22});
  EXPECT_EQ(taps, 1);
  right->setEnabled(false);
  EXPECT_FALSE(std::static_pointer_cast<Control>(rightView)->isEnabled());
  fingers.tap({midX(rightView->frame()), 22});
  EXPECT_EQ(taps, 1);
}

TEST_F(BarsTest, NavigationStackMovesChildrenAndShowsTheTopItem) {
  auto root = Logged::create("root", &log);
  root->navigationItem()->setTitle("Root");
  auto nav = NavigationController::create(root);
  EXPECT_EQ(log, (std::vector<std::string>{"root willMove", "root didMove"}));
  window->setRootViewController(nav);
  nav->view()->layoutIfNeeded();
  EXPECT_DOUBLE_EQ(minY(nav->navigationBar()->frame()), 20);  // below the status bar
  EXPECT_EQ(nav->navigationBar()->titleLabel()->text(), "Root");

  auto second = Logged::create("second", &log);
  second->navigationItem()->setTitle("Second");
  second->navigationItem()->setRightBarButtonItem(BarButtonItem::create(BarButtonSystemItem::Save));
  log.clear();
  nav->pushViewController(second, true);
  EXPECT_EQ(nav->topViewController(), second);
  EXPECT_EQ(second->navigationController(), nav);
  EXPECT_EQ(
      log, (std::vector<std::string>{"second willMove", "root willDisappear+", "root didDisappear+",
                                     "second loadView", "second viewDidLoad", "second willAppear+",
                                     "second didAppear+", "second didMove"}));
  second->setTitle("Renamed");
  EXPECT_EQ(nav->navigationBar()->titleLabel()->text(), "Renamed");
  EXPECT_TRUE(nav->navigationBar()->leftView());  // the back button
  EXPECT_TRUE(nav->navigationBar()->rightView());

  log.clear();
  EXPECT_EQ(nav->popViewControllerAnimated(true), second);
  EXPECT_EQ(log, (std::vector<std::string>{"second willMove-", "second willDisappear+",
                                           "second didDisappear+", "root willAppear+",
                                           "root didAppear+", "second didMove-"}));
  EXPECT_EQ(nav->popViewControllerAnimated(true), nullptr);  // the root stays
  EXPECT_EQ(second->navigationController(), nullptr);

  nav->setNavigationBarHidden(true);
  EXPECT_TRUE(nav->navigationBar()->isHidden());
}

TEST_F(BarsTest, HomeFromDeepInTheStackPassesOverTheScreensBetween) {
  auto root = Logged::create("root", &log);
  root->setTitle("Root");
  auto nav = NavigationController::create(root);
  window->setRootViewController(nav);
  auto a = Logged::create("a", &log), b = Logged::create("b", &log), c = Logged::create("c", &log);
  c->navigationItem()->setRightBarButtonItem(
      BarButtonItem::create("Home", BarButtonItemStyle::Plain, [&](BarButtonItem&) {
        EXPECT_EQ(nav->popToRootViewControllerAnimated(true),
                  (std::vector<std::shared_ptr<ViewController>>{a, b, c}));
      }));
  nav->setViewControllers({root, a, b, c});
  window->layoutIfNeeded();
  log.clear();
  auto home = nav->navigationBar()->rightView();
  ASSERT_TRUE(home);
  const Rect r = home->convertRectTo(home->bounds(), nullptr);
  fingers.tap({midX(r), midY(r)});
  // Only the top screen leaves and only the root comes up; a and b never load nor appear.
  EXPECT_EQ(
      log, (std::vector<std::string>{"c willMove-", "b willMove-", "a willMove-",
                                     "c willDisappear+", "c didDisappear+", "root willAppear+",
                                     "root didAppear+", "c didMove-", "b didMove-", "a didMove-"}));
  EXPECT_EQ(nav->viewControllers(), (std::vector<std::shared_ptr<ViewController>>{root}));
  EXPECT_EQ(nav->childViewControllers().size(), 1u);
  EXPECT_EQ(nav->navigationBar()->titleLabel()->text(), "Root");
  EXPECT_FALSE(nav->navigationBar()->leftView());
}

TEST_F(BarsTest, AScreenInOneStackIsNotPushedOntoAnother) {
  auto first = NavigationController::create(ViewController::create());
  auto second = NavigationController::create(ViewController::create());
  window->setRootViewController(first);
  auto detail = ViewController::create(), sheet = ViewController::create();
  first->pushViewController(detail, false);
  first->presentViewController(sheet, false);
  ui_test::CapturedLog warnings(LogLevel::Warning);
  second->pushViewController(detail, false);
  second->setViewControllers({second->topViewController(), sheet});
  EXPECT_EQ(warnings.count("cannot push"), 2);
  EXPECT_EQ(second->viewControllers().size(), 1u);
  // The first stack still has it: popping there leaves the second one untouched.
  EXPECT_EQ(detail->navigationController(), first);
  EXPECT_EQ(first->popViewControllerAnimated(false), detail);
  EXPECT_EQ(first->viewControllers().size(), 1u);
  EXPECT_EQ(first->presentedViewController(), sheet);
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

TEST_F(BarsTest, DismissingTakesAwayWhatAControllerShowsOrElseTheControllerItself) {
  auto make = [&](const std::string& name) { return Logged::create(name, &log); };
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

  // Asked from inside the navigation stack, what the navigation controller shows goes, top
  // first, and the stack stays; the completion comes after every callback.
  log.clear();
  a->dismissViewControllerAnimated(true, [&] { log.push_back("completion"); });
  EXPECT_EQ(log, (std::vector<std::string>{"C willDisappear+", "B willDisappear", "C didDisappear+",
                                           "B didDisappear"}));
  loop.runPending();
  EXPECT_EQ(log.back(), "completion");
  EXPECT_EQ(nav->view()->window(), window);
  EXPECT_FALSE(nav->presentedViewController());
  EXPECT_FALSE(c->presentingViewController());
  EXPECT_FALSE(b->presentedViewController());
  // Showing nothing now, the stack itself is asked to go.
  log.clear();
  a->dismissViewControllerAnimated(false);
  EXPECT_EQ(log, (std::vector<std::string>{"A willDisappear", "A didDisappear"}));
  EXPECT_EQ(window->subviews(), (std::vector<std::shared_ptr<View>>{root->view()}));
  EXPECT_FALSE(root->presentedViewController());

  // A controller in the middle takes what is over it away and stays.
  root->presentViewController(nav, false);
  a->presentViewController(b, false);
  b->presentViewController(c, false);
  log.clear();
  b->dismissViewControllerAnimated(false);
  EXPECT_EQ(log, (std::vector<std::string>{"C willDisappear", "C didDisappear"}));
  EXPECT_FALSE(c->view()->window());
  EXPECT_EQ(b->view()->window(), window);
  b->dismissViewControllerAnimated(false);
  EXPECT_FALSE(b->view()->window());
  EXPECT_EQ(nav->view()->window(), window);
  EXPECT_FALSE(nav->presentedViewController());
  // The window's root, which nobody presents, takes away what it presents.
  log.clear();
  root->dismissViewControllerAnimated(true);
  EXPECT_EQ(log, (std::vector<std::string>{"A willDisappear+", "A didDisappear+"}));
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

TEST_F(BarsTest, AnAlertStaysReachableWhenTheDeviceTurnsOrTheKeyboardComesUp) {
  auto root = ViewController::create();
  window->setRootViewController(root);
  std::string chosen;
  auto alert = AlertController::create("Name", "Who picks up today?", AlertControllerStyle::Alert);
  alert->addTextFieldWithConfigurationHandler(nullptr);
  alert->addAction(AlertAction::create("Cancel", AlertActionStyle::Cancel));
  alert->addAction(AlertAction::create("OK", AlertActionStyle::Default, [&](AlertAction&) {
    chosen = alert->textFields()[0]->text();
  }));
  root->presentViewController(alert, false);
  auto box = alert->view()->subviews().at(0);
  auto onScreen = [&] { return box->convertRectTo(box->bounds(), nullptr); };

  // Turned to landscape, the box is centred in the new bounds, every button inside them.
  window->setFrame(makeRect(0, 0, 568, 320));
  window->layoutIfNeeded();
  EXPECT_DOUBLE_EQ(midX(onScreen()), 284);
  EXPECT_DOUBLE_EQ(midY(onScreen()), 160);

  // Back upright, a tap in the field brings the keyboard up; the box moves above it.
  window->setFrame(makeRect(0, 0, 320, 568));
  window->layoutIfNeeded();
  auto field = alert->textFields()[0];
  const Rect fieldRect = field->convertRectTo(field->bounds(), nullptr);
  fingers.tap({midX(fieldRect), midY(fieldRect)});
  ASSERT_TRUE(field->isFirstResponder());
  field->insertText("小明");
  advance(1);
  const double keyboardTop = minY(KeyboardSimulator::shared().frame());
  EXPECT_LE(maxY(onScreen()), keyboardTop);
  fingers.tap({midX(onScreen()), maxY(onScreen()) - 10});  // the bottom button: OK
  EXPECT_EQ(chosen, "小明");
  EXPECT_FALSE(root->presentedViewController());
}

TEST_F(BarsTest, AnAlertWithAVeryLongMessageScrollsItAndKeepsItsButtonsOnScreen) {
  auto root = ViewController::create();
  window->setRootViewController(root);
  std::string message;
  for (int i = 0; i < 300; ++i) message += "服务器返回错误 server error ";
  bool chosen = false;
  auto alert = AlertController::create("出错了", message, AlertControllerStyle::Alert);
  alert->addAction(
      AlertAction::create("OK", AlertActionStyle::Default, [&](AlertAction&) { chosen = true; }));
  root->presentViewController(alert, false);
  auto box = alert->view()->subviews().at(0);
  const Rect shown = box->convertRectTo(box->bounds(), nullptr);
  EXPECT_GE(minY(shown), 0);
  EXPECT_LE(maxY(shown), 568);
  // The message scrolls under a finger; the button below it takes a tap.
  auto scroll = std::dynamic_pointer_cast<ScrollView>(box->subviews().at(0));
  ASSERT_TRUE(scroll);
  drag({160, midY(shown)}, {160, midY(shown) - 150}, 10);
  EXPECT_GT(scroll->contentOffset().y, 100);
  fingers.tap({midX(shown), maxY(shown) - 10});
  EXPECT_TRUE(chosen);
}

TEST_F(BarsTest, AFormSheetKeepsItsSizeWhenTheDeviceTurns) {
  ui_test::ScopedScreenBounds tablet{makeRect(0, 0, 768, 1024)};
  window->setFrame(makeRect(0, 0, 768, 1024));
  auto root = ViewController::create();
  window->setRootViewController(root);
  auto sheet = ViewController::create();
  sheet->setModalPresentationStyle(ModalPresentationStyle::FormSheet);
  auto page = ViewController::create();
  page->setModalPresentationStyle(ModalPresentationStyle::PageSheet);
  root->presentViewController(sheet, false);
  sheet->presentViewController(page, false);
  window->setFrame(makeRect(0, 0, 1024, 768));
  window->layoutIfNeeded();
  EXPECT_EQ(sheet->view()->frame(), makeRect(242, 74, 540, 620));
  EXPECT_EQ(page->view()->frame(), makeRect(0, 40, 1024, 728));
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

// A class is looked up by its type, so a misspelt or renamed one does not compile; and only an
// object's type has a class.
template <class T>
concept HasClass = requires {
  ClassRegistry::of<T>();
};
template <class... Ts>
concept MakesClassSet = requires {
  ClassSet::of<Ts...>();
};
static_assert(HasClass<Object> && HasClass<TableViewController> && HasClass<Logged>);
static_assert(!HasClass<int> && !HasClass<std::string> && !HasClass<Rect>);
static_assert(MakesClassSet<TableView, CollectionView> && !MakesClassSet<TableView, Rect>);

TEST_F(BarsTest, RegistryAnswersKindsByTypeAndThePlatformsNames) {
  auto& registry = ClassRegistry::shared();
  auto table = TableViewController::create();
  const ObjectClass& tables = ClassRegistry::of<TableViewController>();
  EXPECT_TRUE(tables.isKind(*table));
  EXPECT_TRUE(tables.isExactly(*table));
  EXPECT_TRUE(ClassRegistry::of<ViewController>().isKind(*table));
  EXPECT_FALSE(ClassRegistry::of<ViewController>().isExactly(*table));
  EXPECT_TRUE(ClassRegistry::of<Object>().isKind(*table));
  EXPECT_FALSE(ClassRegistry::of<NavigationController>().isKind(*table));
  // The type and the platform's name lead to the same class.
  EXPECT_EQ(registry.named("TableViewController"), &tables);
  EXPECT_EQ(registry.named("UIToolbarButton"), &ClassRegistry::of<ToolbarButton>());

  // Private views report the names they have on the platform.
  auto field = AlertControllerTextField::create();
  EXPECT_EQ(registry.nameOf(*field), "_UIAlertControllerTextField");
  EXPECT_EQ(ClassRegistry::of<AlertControllerTextField>().name(), "_UIAlertControllerTextField");
  EXPECT_TRUE(ClassRegistry::of<TextField>().isKind(*field));
  auto item = BarButtonItem::create("Go", BarButtonItemStyle::Plain);
  EXPECT_EQ(registry.nameOf(*ToolbarTextButton::create(item)), "UIToolbarTextButton");
  EXPECT_TRUE(ClassRegistry::of<ToolbarButton>().isKind(*ToolbarTextButton::create(item)));
  // A class the platform does not name goes by its C++ name, the same entry every time.
  auto logged = Logged::create("", &log);
  EXPECT_EQ(registry.nameOf(*logged), "Logged");
  EXPECT_EQ(ClassRegistry::of<Logged>().name(), "Logged");
  EXPECT_EQ(&ClassRegistry::of<Logged>(), &ClassRegistry::of<Logged>());
  EXPECT_TRUE(ClassRegistry::of<Logged>().isExactly(*logged));

  auto set = ClassSet::of<TableView, CollectionView>();
  set.insert<TableView>();
  set.insert<ScrollView>();
  std::vector<std::string> order;
  for (const auto* cls : set) order.push_back(cls->name());
  EXPECT_EQ(order, (std::vector<std::string>{"TableView", "CollectionView", "ScrollView"}));
  EXPECT_TRUE(set.matches(*TableView::create()));
  EXPECT_FALSE(set.matches(*View::create()));
  set.erase<ScrollView>();
  EXPECT_FALSE(set.contains<ScrollView>());
  EXPECT_EQ(set.size(), 2u);
}

// A name no class has is a fault: logged once as an error, and a failure of the test asking.
TEST_F(BarsTest, AnUnknownClassNameIsLoggedOnceAndFailsTheTest) {
  struct CapturedErrors {
    CapturedErrors() {
      setLogSink([this](LogLevel level, std::string_view tag, std::string_view message) {
        if (level == LogLevel::Error && tag == "ClassRegistry") lines.emplace_back(message);
      });
    }
    ~CapturedErrors() { setLogSink(nullptr); }
    std::vector<std::string> lines;
  } errors;
  // Each name is logged once per process, so every run of this test asks for a fresh one.
  static int runs = 0;
  const std::string unknown = "UISearchBarTextField" + std::to_string(++runs);
  EXPECT_NONFATAL_FAILURE(EXPECT_EQ(ClassRegistry::shared().named(unknown), nullptr), unknown);
  EXPECT_NONFATAL_FAILURE(ClassRegistry::shared().named(unknown), "no class is named");
  ASSERT_EQ(errors.lines.size(), 1u);
  EXPECT_NE(errors.lines[0].find("\"" + unknown + "\""), std::string::npos) << errors.lines[0];
  // A class known only by its type has no name to be found by.
  ClassRegistry::of<Logged>();
  EXPECT_NONFATAL_FAILURE(ClassRegistry::shared().named("Logged"), "Logged");
}

}  // namespace
}  // namespace platform
