// The keyboard manager keeping the field being edited above the keyboard: how far it moves what,
// and what it puts back.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>

#include "kb_test_support.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/LayoutGuide.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/TableViewController.h"
#include "platform/ui/scroll/ScrollView.h"
#include "ui/support/keyboard/KBViewAdditions.h"

namespace sprout::kb_test {
namespace {

using platform::makeRect;
using platform::ScrollView;

// The manager's settings keep their names: those whose change acts at once as its setters, the
// rest as fields of its settings value, so a screen written against those names still compiles.
static_assert(requires(KBKeyboardManager & m, KBKeyboardSettings& s) {
  m.setEnable(m.isEnabled());
  m.setKeyboardDistanceFromTextField(m.keyboardDistanceFromTextField());
  m.setShouldResignOnTouchOutside(m.shouldResignOnTouchOutside());
  m.setEnableAutoToolbar(m.isEnableAutoToolbar());
  bool{m.isKeyboardShowing()};
  double{m.movedDistance()};
  s = m.settings();
  s.preventShowingBottomBlankSpace = s.overrideKeyboardAppearance = s.shouldHidePreviousNext;
  s.keyboardAppearance = platform::KeyboardAppearanceDark;
  s.toolbarManageBehaviour = KBKeyboardManager::ByPosition;
  s.shouldToolbarUsesTextFieldTintColor = s.shouldShowTextFieldPlaceholder = s.enableDebugging;
  s.toolbarTintColor = platform::Color::red();
  s.toolbarDoneBarButtonItemImage = std::shared_ptr<platform::Image>();
  s.toolbarDoneBarButtonItemText = "OK";
  s.placeholderFont = platform::Font::systemFont(12);
  s.shouldPlayInputClicks = s.layoutIfNeededOnUpdate = s.shouldFixInteractivePopGestureRecognizer;
  s.disabledDistanceHandlingClasses.insert<platform::TableViewController>();
  s.enabledDistanceHandlingClasses = s.disabledToolbarClasses = s.enabledToolbarClasses;
  s.toolbarPreviousNextAllowedClasses = s.disabledTouchResignedClasses;
  s.enabledTouchResignedClasses.insert<platform::ViewController>();
});

// Without the toolbar the keyboard is a bare 216 points: window 568 and distance 10 leave the
// field's bottom at most at 342.
class Avoidance : public KeyboardTest {
 protected:
  Avoidance() { manager->setEnableAutoToolbar(false); }
  double rootY() { return root->view()->frame().origin.y; }
};

TEST_F(Avoidance, MovesTheRootViewByTheOverlapAndPutsItBack) {
  // A field whose bottom is at 430 goes up by 88.
  auto field = addField(*root->view(), makeRect(20, 400, 280, 30));
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(manager->avoidance().keyboardSize().height, 216);
  EXPECT_EQ(manager->avoidance().animationCurve(), 7u << 16);
  EXPECT_DOUBLE_EQ(rootY(), -88);
  EXPECT_DOUBLE_EQ(manager->movedDistance(), 88);
  EXPECT_EQ(manager->avoidance().topViewBeginRect(), makeRect(0, 0, 320, 568));

  // A field near the bottom: the view never goes up further than the keyboard.
  auto low = addField(*root->view(), makeRect(20, 530, 280, 30));
  low->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(rootY(), -216);
  // Back to a field that is visible: the view comes down only as far as it needs.
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(rootY(), -88);

  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(rootY(), 0);
  EXPECT_DOUBLE_EQ(manager->movedDistance(), 0);
  EXPECT_FALSE(manager->isKeyboardShowing());
  settle();
  EXPECT_EQ(manager->avoidance().topViewBeginRect(), platform::kRectZero);

  // Without the limit the whole overlap is applied.
  manager->settings().preventShowingBottomBlankSpace = false;
  low->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(rootY(), -(560 - (568 - 226)));
}

TEST_F(Avoidance, AHardwareKeyboardOffTheScreenCoversNothingAndAZeroDurationKeepsTheLast) {
  auto field = addField(*root->view(), makeRect(20, 400, 280, 30));
  field->becomeFirstResponder();
  platform::Dictionary info;
  info[platform::kKeyboardFrameEndUserInfoKey] = makeRect(0, 568, 320, 216);
  info[platform::kKeyboardAnimationDurationUserInfoKey] = 0.0;
  info[platform::kKeyboardAnimationCurveUserInfoKey] = 7;
  platform::NotificationCenter::defaultCenter().post(platform::kKeyboardWillShowNotification,
                                                     nullptr, info);
  EXPECT_DOUBLE_EQ(manager->avoidance().animationDuration(), 0.25);
  EXPECT_DOUBLE_EQ(manager->avoidance().keyboardSize().height, 0);
  EXPECT_DOUBLE_EQ(rootY(), 0);
}

TEST_F(Avoidance, PerFieldDistanceReplacesTheManagersOnlyWhenSet) {
  auto field = addField(*root->view(), makeRect(20, 400, 280, 30));
  setKeyboardDistanceFromTextField(*field, 0.1);  // kept in single precision
  EXPECT_EQ(keyboardDistanceFromTextField(*field), static_cast<double>(0.1f));
  setKeyboardDistanceFromTextField(*field, -5);  // stored as 0
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(rootY(), -78);
  field->resignFirstResponder();
  setKeyboardDistanceFromTextField(*field, std::nullopt);
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(rootY(), -88);
}

class FormTable : public platform::TableViewController {
 public:
  explicit FormTable(Key key) : platform::TableViewController(std::move(key)) {}
};

TEST_F(Avoidance, NeverMovesATableViewControllersField) {
  auto table = platform::Object::make<FormTable>();
  window->setRootViewController(table);
  auto field = addField(*table->view(), makeRect(20, 500, 280, 30));
  // The disabled set is checked after the enabled one, so enabling the class does not help.
  manager->settings().enabledDistanceHandlingClasses.insert<platform::TableViewController>();
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(table->view()->frame().origin.y, 0);
  // Not handled at all: no editing cycle is captured and no tap-outside recogniser is attached.
  EXPECT_EQ(manager->avoidance().topViewBeginRect(), platform::kRectZero);
  EXPECT_EQ(manager->avoidance().rootViewController(), nullptr);
  EXPECT_EQ(manager->tapGesture()->view(), nullptr);
  EXPECT_TRUE(manager->isKeyboardShowing());
  // Hidden while this screen is not handled: the manager still knows the keyboard is gone.
  field->resignFirstResponder();
  EXPECT_FALSE(manager->isKeyboardShowing());
}

TEST_F(Avoidance, ReenablingOrAStatusBarChangeWhileMovedLeavesNothingDisplaced) {
  auto field = addField(*root->view(), makeRect(20, 400, 280, 30));
  field->becomeFirstResponder();
  ASSERT_DOUBLE_EQ(rootY(), -88);
  manager->setEnable(false);
  EXPECT_DOUBLE_EQ(rootY(), 0);
  manager->setEnable(true);  // replays the remembered will-show
  EXPECT_DOUBLE_EQ(rootY(), -88);
  platform::ApplicationWindows::shared().setStatusBarHidden(true);
  EXPECT_EQ(manager->avoidance().topViewBeginRect(), makeRect(0, 0, 320, 568));
  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(rootY(), 0);
}

TEST_F(Avoidance, DoesNothingWithoutAKeyWindow) {
  // A field outside any window, with no key window either: no window height to work with.
  platform::ApplicationWindows::shared().reset();
  auto loose = platform::View::create(kScreen);
  auto orphan = addField(*loose, makeRect(20, 400, 280, 30));
  platform::NotificationCenter::defaultCenter().post(
      platform::kTextFieldTextDidBeginEditingNotification, orphan);
  manager->adjustFrame();
  EXPECT_DOUBLE_EQ(loose->frame().origin.y, 0);
  // A key window seen while the field has none is remembered, but not kept alive.
  auto other = platform::Window::create(kScreen);
  other->makeKeyAndVisible();
  EXPECT_EQ(manager->keyWindow(), other);
  platform::ApplicationWindows::shared().reset();
  EXPECT_EQ(manager->keyWindow(), other);
  std::weak_ptr<platform::Window> gone = other;
  other.reset();
  EXPECT_TRUE(gone.expired());
  EXPECT_EQ(manager->keyWindow(), nullptr);
}

TEST_F(Avoidance, ScrollViewAbsorbsTheMoveAndGrowsItsBottomInset) {
  auto scroll = ScrollView::create(kScreen);
  scroll->setContentSize({320, 1000});
  root->view()->addSubview(scroll);
  auto field = addField(*scroll, makeRect(20, 500, 280, 30));
  field->becomeFirstResponder();
  // move = min(500 - 25, 530 - 342) = 188, taken by the scroll view alone.
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 188);
  EXPECT_DOUBLE_EQ(rootY(), 0);
  EXPECT_EQ(manager->avoidance().lastScrollView(), scroll);
  // The inset uses the keyboard without the field distance.
  EXPECT_DOUBLE_EQ(scroll->contentInset().bottom, 216);
  EXPECT_DOUBLE_EQ(scroll->scrollIndicatorInsets().bottom, 216);

  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(scroll->contentInset().bottom, 0);
  EXPECT_EQ(manager->avoidance().lastScrollView(), nullptr);
  // The offset stays (it is inside the content) unless the scroll view asks for it back.
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 188);
  settle();
  scroll->setContentOffset({0, 0});
  setShouldRestoreScrollViewContentOffset(*scroll, true);
  field->becomeFirstResponder();
  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(scroll->contentOffset().y, 0);
}

TEST_F(Avoidance, InnerScrollViewFirstThenTheOuterOneTakesTheRest) {
  auto outer = ScrollView::create(kScreen);
  outer->setContentSize({320, 1200});
  root->view()->addSubview(outer);
  auto inner = ScrollView::create(makeRect(0, 300, 320, 200));
  inner->setContentSize({320, 400});
  outer->addSubview(inner);
  auto field = addField(*inner, makeRect(20, 40, 280, 30));  // window y 340..370
  field->becomeFirstResponder();
  // move = 370 - 342 = 28: the inner one may scroll until the field's top (40) reaches its top.
  EXPECT_DOUBLE_EQ(inner->contentOffset().y, 28);
  EXPECT_DOUBLE_EQ(outer->contentOffset().y, 0);
  field->resignFirstResponder();
  settle();

  // A field lower down: the inner view stops at the field's top, the outer one takes the rest.
  inner->setContentOffset({0, 0});
  auto low = addField(*inner, makeRect(20, 10, 280, 180));  // window y 310..490
  low->becomeFirstResponder();
  // move = min(310 - 25, 490 - 342) = 148; inner: min(148, 10) = 10; outer: 138.
  EXPECT_DOUBLE_EQ(inner->contentOffset().y, 10);
  EXPECT_DOUBLE_EQ(outer->contentOffset().y, 138);
  EXPECT_EQ(manager->avoidance().lastScrollView(), inner);
  EXPECT_DOUBLE_EQ(outer->contentInset().bottom, 0);  // only the innermost gets the inset
  EXPECT_GT(inner->contentInset().bottom, 0);
  // Hiding clamps every offset of the chain to the end of its content.
  inner->setContentSize({320, 200});
  low->resignFirstResponder();
  EXPECT_DOUBLE_EQ(inner->contentOffset().y, 0);
  EXPECT_DOUBLE_EQ(outer->contentOffset().y, 138);
}

TEST_F(Avoidance, TextViewsGetABottomInsetNeverTallerThanThemselves) {
  auto text = platform::TextView::create(makeRect(0, 100, 320, 400));
  text->setContentInset({0, 0, 5, 0});
  root->view()->addSubview(text);
  text->becomeFirstResponder();
  // Visible height: min(400, 568 - 226 - 20) = 322, so the inset is 400 - 322.
  EXPECT_DOUBLE_EQ(text->contentInset().bottom, 78);
  manager->adjustFrame();  // again: the recorded starting insets stay the first ones
  text->resignFirstResponder();
  EXPECT_DOUBLE_EQ(text->contentInset().bottom, 5);

  // A window the keyboard covers entirely: the inset is the view's whole height, not more.
  platform::ApplicationWindows::shared().reset();
  auto small = platform::Window::create(makeRect(0, 0, 320, 200));
  small->setRootViewController(platform::ViewController::create());
  small->makeKeyAndVisible();
  auto covered = platform::TextView::create(makeRect(0, 20, 320, 150));
  small->rootViewController()->view()->addSubview(covered);
  covered->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(covered->contentInset().bottom, 150);
}

TEST_F(Avoidance, LinesTypedIntoATallTextViewStayAboveTheKeyboard) {
  auto notes = platform::TextView::create(makeRect(0, 100, 320, 400));
  root->view()->addSubview(notes);
  fingers.tap({160, 200});
  settle();
  ASSERT_TRUE(notes->isFirstResponder());
  const double keyboardTop = 568 - platform::KeyboardSimulator::kKeyboardHeight;
  auto lastLineBottom = [&] {
    const double y = notes->contentSize().height - platform::TextView::kTextInsetY;
    return notes->convertPointTo({0, y}, nullptr).y;
  };
  // The view lays out and reveals its end on the pass after each key, as a frame shows it.
  for (int line = 0; line < 40; ++line) {
    notes->insertText(line % 2 ? "Nap after lunch\n" : "Ate all the pear\n");
    loop.runPending();
    ASSERT_LE(lastLineBottom(), keyboardTop) << "line " << line;
  }
  // Scrolled back up to read, then typing again: back at the end.
  fingers.begin({160, 40});
  for (double y = 60; y <= 300; y += 20) {
    advance(0.016);
    fingers.move({160, y});
  }
  fingers.end();
  settle();
  ASSERT_GT(lastLineBottom(), keyboardTop);
  notes->insertText("!");
  loop.runPending();
  EXPECT_LE(lastLineBottom(), keyboardTop);

  // One that does not scroll (a screen sizes it to its text) keeps showing from the top.
  notes->setScrollEnabled(false);
  notes->setContentOffset({0, 0});
  notes->insertText("Slept well\n");
  loop.runPending();
  EXPECT_DOUBLE_EQ(notes->contentOffset().y, 0);
}

TEST_F(Avoidance, GuideConstraintsChangeTheirConstantInstead) {
  auto field = addField(*root->view(), makeRect(20, 480, 280, 30));
  auto bottom = platform::LayoutConstraint::create(
      platform::bottomLayoutGuide(*root), platform::LayoutAttributeTop,
      platform::LayoutRelationEqual, field, platform::LayoutAttributeBottom, 1, 58);
  setKBLayoutGuideConstraint(*root, bottom);
  field->becomeFirstResponder();
  // The status bar does not count; move = 510 - 342 = 168, added to a bottom guide's constant.
  EXPECT_DOUBLE_EQ(bottom->constant(), 58 + 168);
  EXPECT_DOUBLE_EQ(rootY(), 0);
  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(bottom->constant(), 58);
  settle();

  auto top = platform::LayoutConstraint::create(
      field, platform::LayoutAttributeTop, platform::LayoutRelationEqual,
      platform::topLayoutGuide(*root), platform::LayoutAttributeBottom, 1, 460);
  setKBLayoutGuideConstraint(*root, top);
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(top->constant(), 460 - 168);  // a top guide's goes down by it
  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(top->constant(), 460);
}

TEST_F(Avoidance, FormSheetMovesByAtMostHalfTheFreeSpaceLessTheKeyboard) {
  auto sheet = platform::ViewController::create();
  sheet->setModalPresentationStyle(platform::ModalPresentationStyle::FormSheet);
  root->presentViewController(sheet, false);
  const auto sheetFrame = sheet->view()->frame();  // 0, 40, 320, 528 on a phone
  // Window y 560..590: the field would need the sheet to go up by 248.
  auto field = addField(*sheet->view(), makeRect(20, 520, 280, 30));
  field->becomeFirstResponder();
  settle();  // sheets move once the keyboard is up
  const double bound = (568 - height(sheetFrame) - 20) * 0.5 - 216;
  EXPECT_DOUBLE_EQ(sheet->view()->frame().origin.y, bound);
  EXPECT_DOUBLE_EQ(manager->movedDistance(), 40 - bound);
  field->resignFirstResponder();
  EXPECT_EQ(sheet->view()->frame(), sheetFrame);
}

TEST_F(Avoidance, NavigationControllerIsCapturedAtTheBottomOfTheWindow) {
  auto content = platform::ViewController::create();
  auto nav = platform::NavigationController::create(content);
  window->setRootViewController(nav);
  auto field = addField(*content->view(), makeRect(20, 400, 280, 30));
  field->becomeFirstResponder();
  EXPECT_EQ(manager->avoidance().rootViewController(), nav);
  EXPECT_DOUBLE_EQ(nav->view()->frame().origin.y, -88);
  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(nav->view()->frame().origin.y, 0);
}

TEST_F(Avoidance, LogsWhatItMovesAndWhatSettingsChangeOnlyWhileDebugging) {
  auto field = addField(*root->view(), makeRect(20, 400, 280, 30));
  captureLog();
  field->becomeFirstResponder();
  field->resignFirstResponder();
  for (const char* line :
       {"KBKeyboardManager: ****** textFieldViewDidBeginEditing: started", "<ViewController 0x",
        "beginning Frame: {{0, 0}, {320, 568}}", "KBKeyboardManager: Need to move: 88.00",
        "KBKeyboardManager: Moving Upward", "frame to : {{0, -88}, {320, 568}}",
        "frame to : {{0, 0}, {320, 568}}"}) {
    EXPECT_TRUE(logged(line)) << line;
  }

  logLines.clear();
  manager->setEnable(true);
  manager->setEnable(false);
  manager->setEnable(false);
  manager->setEnable(true);
  manager->setKeyboardDistanceFromTextField(-5);
  manager->setShouldResignOnTouchOutside(true);
  std::vector<std::string> settings;  // without the hide handler's brackets (disabling runs it)
  for (const auto& line : logLines) {
    if (line.find("******") == std::string::npos) settings.push_back(line);
  }
  EXPECT_EQ(settings, (std::vector<std::string>{
                          "KBKeyboardManager: Already enabled", "KBKeyboardManager: Disabled",
                          "KBKeyboardManager: Already disabled", "KBKeyboardManager: Enabled",
                          "KBKeyboardManager: keyboardDistanceFromTextField: 0.00",
                          "KBKeyboardManager: shouldResignOnTouchOutside: Yes"}));
  EXPECT_TRUE(manager->tapGesture()->isEnabled());
  logLines.clear();
  manager->settings().enableDebugging = false;
  manager->setEnable(false);
  EXPECT_TRUE(logLines.empty());
}

TEST_F(KeyboardTest, WithoutARootControllerNothingMovesAndTheLogSaysWhy) {
  auto bare = platform::Window::create(kScreen);  // no root view controller
  bare->makeKeyAndVisible();
  auto field = addField(*bare, makeRect(20, 500, 280, 30));
  captureLog();
  field->becomeFirstResponder();
  settle();
  ASSERT_TRUE(manager->isKeyboardShowing());
  EXPECT_TRUE(logged("KBKeyboardManager: Moving Upward"));
  EXPECT_TRUE(logged("KBKeyboardManager: The key window has no root view controller"));
  EXPECT_FALSE(logged("frame to :"));
  EXPECT_EQ(field->frame(), makeRect(20, 500, 280, 30));
  EXPECT_EQ(bare->frame(), kScreen);
  EXPECT_EQ(root->view()->frame(), kScreen);  // another window's controller is not touched
  field->resignFirstResponder();
  settle();
  EXPECT_EQ(field->frame(), makeRect(20, 500, 280, 30));
}

// Every handler's "started" line is closed by its own "ended: <seconds> seconds" line, nested
// like the calls, whichever way the handler returned.
TEST_F(KeyboardTest, EveryHandlerBracketsItsWorkInTheLog) {
  auto field = addField(*root->view(), makeRect(20, 400, 280, 30));
  captureLog();
  field->becomeFirstResponder();
  settle();
  auto& app = platform::ApplicationWindows::shared();
  app.setStatusBarHidden(true);
  app.setStatusBarHidden(false);
  app.setStatusBarOrientation(platform::InterfaceOrientation::LandscapeLeft);
  app.setStatusBarOrientation(platform::InterfaceOrientation::Portrait);
  field->resignFirstResponder();
  settle();
  manager->setEnable(false);  // runs the hide handler with no notification
  manager->keyboardDidShow(nullptr);
  manager->setEnable(true);

  const std::regex bracket(
      R"(KBKeyboardManager: \*{6} (\S+) (started|ended: (\S+) seconds) \*{6})");
  std::vector<std::string> open;
  std::set<std::string> closed;
  for (const auto& line : logLines) {
    std::smatch m;
    if (line.rfind("KBKeyboardManager: ******", 0) != 0) continue;
    ASSERT_TRUE(std::regex_match(line, m, bracket)) << line;
    if (m[2] == "started") {
      open.push_back(m[1]);
      continue;
    }
    const std::string seconds = m[3];
    char* end = nullptr;
    EXPECT_GE(std::strtod(seconds.c_str(), &end), 0) << line;
    EXPECT_EQ(*end, '\0') << line;
    ASSERT_FALSE(open.empty()) << line;
    EXPECT_EQ(open.back(), m[1]) << line;
    open.pop_back();
    closed.insert(m[1]);
  }
  EXPECT_TRUE(open.empty());
  for (const char* handler :
       {"keyboardWillShow:", "keyboardDidShow:", "keyboardWillHide:", "keyboardDidHide:",
        "textFieldViewDidBeginEditing:", "textFieldViewDidEndEditing:",
        "willChangeStatusBarOrientation:", "didChangeStatusBarFrame:", "adjustFrame"}) {
    EXPECT_TRUE(closed.count(handler)) << handler;
  }
}

}  // namespace
}  // namespace sprout::kb_test
