#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "kb_test_support.h"
#include "platform/ui/Device.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/TableViewController.h"
#include "platform/ui/controls/Toolbar.h"
#include "ui/support/keyboard/KBToolbar.h"
#include "ui/support/keyboard/KBToolbarAddition.h"
#include "ui/support/keyboard/KBViewAdditions.h"

namespace sprout::kb_test {
namespace {

using platform::makeRect;

TEST_F(KeyboardTest, StartsEnabledWithItsDefaultsAndLogsWhatEnablingDoes) {
  EXPECT_TRUE(manager->isEnabled());
  EXPECT_DOUBLE_EQ(manager->keyboardDistanceFromTextField(), 10);
  EXPECT_TRUE(manager->preventShowingBottomBlankSpace());
  EXPECT_TRUE(manager->isEnableAutoToolbar());
  EXPECT_TRUE(manager->shouldShowTextFieldPlaceholder());
  EXPECT_TRUE(manager->shouldPlayInputClicks());
  EXPECT_FALSE(manager->shouldResignOnTouchOutside());
  EXPECT_FALSE(manager->tapGesture()->isEnabled());
  EXPECT_DOUBLE_EQ(manager->avoidance().animationDuration(), 0.25);
  std::vector<std::string> allowed;
  for (const auto* cls : manager->toolbarPreviousNextAllowedClasses()) {
    allowed.push_back(cls->name());
  }
  EXPECT_EQ(allowed,
            (std::vector<std::string>{"TableView", "CollectionView", "KBPreviousNextView"}));
  EXPECT_EQ(manager->registeredClasses().size(), 2u);

  auto& all = captureLog();
  manager->setEnable(true);
  manager->setEnable(false);
  manager->setEnable(false);
  manager->setEnable(true);
  manager->setKeyboardDistanceFromTextField(-5);
  manager->setShouldResignOnTouchOutside(true);
  std::vector<std::string> log;  // without the hide handler's brackets (disabling runs it)
  for (const auto& line : all) {
    if (line.find("******") == std::string::npos) log.push_back(line);
  }
  EXPECT_EQ(log, (std::vector<std::string>{
                     "KBKeyboardManager: Already enabled", "KBKeyboardManager: Disabled",
                     "KBKeyboardManager: Already disabled", "KBKeyboardManager: Enabled",
                     "KBKeyboardManager: keyboardDistanceFromTextField: 0.00",
                     "KBKeyboardManager: shouldResignOnTouchOutside: Yes"}));
  EXPECT_DOUBLE_EQ(manager->keyboardDistanceFromTextField(), 0);
  EXPECT_TRUE(manager->tapGesture()->isEnabled());
  // Silent without debugging.
  all.clear();
  manager->setEnableDebugging(false);
  manager->setEnable(true);
  manager->setEnable(false);
  EXPECT_TRUE(all.empty());
}

TEST_F(KeyboardTest, ReadsTheKeyboardFrameDurationAndCurve) {
  manager->setEnableAutoToolbar(false);
  auto field = addField(*root->view(), makeRect(20, 400, 280, 30));
  field->becomeFirstResponder();
  EXPECT_TRUE(manager->isKeyboardShowing());
  EXPECT_DOUBLE_EQ(manager->avoidance().keyboardSize().height, 216);
  EXPECT_EQ(manager->avoidance().animationCurve(), 7u << 16);

  // A duration of 0 keeps the last one; a hardware keyboard's frame lies off the screen.
  platform::Dictionary info;
  info[platform::kKeyboardFrameEndUserInfoKey] = makeRect(0, 568, 320, 216);
  info[platform::kKeyboardAnimationDurationUserInfoKey] = 0.0;
  info[platform::kKeyboardAnimationCurveUserInfoKey] = 7;
  platform::NotificationCenter::defaultCenter().post(platform::kKeyboardWillShowNotification,
                                                     nullptr, info);
  EXPECT_DOUBLE_EQ(manager->avoidance().animationDuration(), 0.25);
  EXPECT_DOUBLE_EQ(manager->avoidance().keyboardSize().height, 0);
  // With nothing covering the field, the root view is back where it began.
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, 0);
}

TEST_F(KeyboardTest, MovesTheRootViewByTheOverlapAndPutsItBack) {
  manager->setEnableAutoToolbar(false);  // a bare 216-point keyboard
  // Window 568, keyboard 216, distance 10: a field whose bottom is at 430 goes up by 88.
  auto field = addField(*root->view(), makeRect(20, 400, 280, 30));
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, -88);
  EXPECT_DOUBLE_EQ(manager->movedDistance(), 88);
  EXPECT_EQ(manager->avoidance().topViewBeginRect(), makeRect(0, 0, 320, 568));

  // A field near the bottom: the view never goes up further than the keyboard.
  auto low = addField(*root->view(), makeRect(20, 530, 280, 30));
  low->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, -216);
  // Back to a field that is visible: the view comes down only as far as it needs.
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, -88);

  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, 0);
  EXPECT_DOUBLE_EQ(manager->movedDistance(), 0);
  EXPECT_FALSE(manager->isKeyboardShowing());
  settle();
  EXPECT_EQ(manager->avoidance().topViewBeginRect(), platform::kRectZero);

  // Without the limit the whole overlap is applied.
  manager->setPreventShowingBottomBlankSpace(false);
  low->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, -(560 - (568 - 226)));
}

TEST_F(KeyboardTest, PerFieldDistanceReplacesTheManagersOnlyWhenSet) {
  manager->setEnableAutoToolbar(false);
  auto field = addField(*root->view(), makeRect(20, 400, 280, 30));
  setKeyboardDistanceFromTextField(*field, 0.1);  // kept in single precision
  EXPECT_EQ(keyboardDistanceFromTextField(*field), static_cast<double>(0.1f));
  setKeyboardDistanceFromTextField(*field, -5);  // stored as 0
  EXPECT_EQ(keyboardDistanceFromTextField(*field), 0.0);
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, -78);
  field->resignFirstResponder();
  setKeyboardDistanceFromTextField(*field, std::nullopt);
  field->becomeFirstResponder();
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, -88);
}

class FormTable : public platform::TableViewController {
 protected:
  friend class platform::Object;
  explicit FormTable(Key key) : platform::TableViewController(key) {}
};

TEST_F(KeyboardTest, NeverMovesATableViewControllersField) {
  manager->setEnableAutoToolbar(false);
  auto table = platform::Object::make<FormTable>();
  window->setRootViewController(table);
  auto field = addField(*table->view(), makeRect(20, 500, 280, 30));
  // The disabled set is checked after the enabled one, so enabling the class does not help.
  manager->enabledDistanceHandlingClasses().insert(
      platform::ClassRegistry::shared().named("TableViewController"));
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

TEST_F(KeyboardTest, ReenablingWhileTheKeyboardIsUpLeavesNothingDisplaced) {
  manager->setEnableAutoToolbar(false);
  auto field = addField(*root->view(), makeRect(20, 400, 280, 30));
  field->becomeFirstResponder();
  ASSERT_DOUBLE_EQ(root->view()->frame().origin.y, -88);
  manager->setEnable(false);
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, 0);
  manager->setEnable(true);  // replays the remembered will-show
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, -88);
  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, 0);
}

TEST_F(KeyboardTest, StatusBarChangeWhileMovedKeepsTheUnmovedPlace) {
  manager->setEnableAutoToolbar(false);
  auto field = addField(*root->view(), makeRect(20, 400, 280, 30));
  field->becomeFirstResponder();
  ASSERT_DOUBLE_EQ(root->view()->frame().origin.y, -88);
  platform::ApplicationWindows::shared().setStatusBarHidden(true);
  EXPECT_EQ(manager->avoidance().topViewBeginRect(), makeRect(0, 0, 320, 568));
  field->resignFirstResponder();
  EXPECT_DOUBLE_EQ(root->view()->frame().origin.y, 0);
}

TEST_F(KeyboardTest, DoesNothingWithoutAKeyWindow) {
  manager->setEnableAutoToolbar(false);
  auto field = addField(*root->view(), makeRect(20, 400, 280, 30));
  field->becomeFirstResponder();
  ASSERT_DOUBLE_EQ(root->view()->frame().origin.y, -88);
  field->resignFirstResponder();
  // A field outside any window, with no key window either: no window height to work with.
  platform::ApplicationWindows::shared().reset();
  auto loose = platform::View::create(kScreen);
  auto orphan = addField(*loose, makeRect(20, 400, 280, 30));
  platform::NotificationCenter::defaultCenter().post(
      platform::kTextFieldTextDidBeginEditingNotification, orphan);
  manager->adjustFrame();
  EXPECT_DOUBLE_EQ(loose->frame().origin.y, 0);
  // A key window seen while the field has none is remembered for a moment without one, but
  // not kept alive.
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

}  // namespace
}  // namespace sprout::kb_test

namespace sprout::kb_test {
namespace {

bool hasLine(const std::vector<std::string>& log, const std::string& part) {
  for (const auto& line : log) {
    if (line.find(part) != std::string::npos) return true;
  }
  return false;
}

TEST_F(KeyboardTest, LogsWhatItMovesAndRestores) {
  manager->setEnableAutoToolbar(false);
  auto field = addField(*root->view(), platform::makeRect(20, 400, 280, 30));
  auto& log = captureLog();
  field->becomeFirstResponder();
  EXPECT_TRUE(hasLine(log, "KBKeyboardManager: ****** textFieldViewDidBeginEditing: started"));
  EXPECT_TRUE(hasLine(log, "<ViewController 0x"));
  EXPECT_TRUE(hasLine(log, "beginning Frame: {{0, 0}, {320, 568}}"));
  EXPECT_TRUE(hasLine(log, "KBKeyboardManager: Need to move: 88.00"));
  EXPECT_TRUE(hasLine(log, "KBKeyboardManager: Moving Upward"));
  EXPECT_TRUE(hasLine(log, "frame to : {{0, -88}, {320, 568}}"));
  field->resignFirstResponder();
  EXPECT_TRUE(hasLine(log, "frame to : {{0, 0}, {320, 568}}"));
}

TEST_F(KeyboardTest, WithoutARootControllerNothingMovesAndTheLogSaysWhy) {
  auto bare = platform::Window::create(kScreen);  // no root view controller
  bare->makeKeyAndVisible();
  auto field = addField(*bare, platform::makeRect(20, 500, 280, 30));
  auto& log = captureLog();
  field->becomeFirstResponder();
  settle();
  ASSERT_TRUE(manager->isKeyboardShowing());
  EXPECT_TRUE(hasLine(log, "KBKeyboardManager: Moving Upward"));
  EXPECT_TRUE(hasLine(log, "KBKeyboardManager: The key window has no root view controller"));
  EXPECT_FALSE(hasLine(log, "frame to :"));
  EXPECT_EQ(field->frame(), platform::makeRect(20, 500, 280, 30));
  EXPECT_EQ(bare->frame(), kScreen);
  EXPECT_EQ(root->view()->frame(), kScreen);  // another window's controller is not touched
  EXPECT_EQ(manager->movedDistance(), 0);
  field->resignFirstResponder();
  settle();
  EXPECT_EQ(field->frame(), platform::makeRect(20, 500, 280, 30));
}

// Every handler's "started" line is closed by its own "ended: <seconds> seconds" line, nested
// like the calls, whichever way the handler returned.
TEST_F(KeyboardTest, EveryHandlerBracketsItsWorkInTheLog) {
  auto field = addField(*root->view(), platform::makeRect(20, 400, 280, 30));
  auto& log = captureLog();
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

  const std::string prefix = "KBKeyboardManager: ****** ";
  std::vector<std::string> open;
  std::set<std::string> closed;
  for (const auto& line : log) {
    if (line.rfind(prefix, 0) != 0) continue;
    const std::string rest = line.substr(prefix.size());
    const auto space = rest.find(' ');
    const std::string name = rest.substr(0, space), what = rest.substr(space + 1);
    if (what == "started ******") {
      open.push_back(name);
      continue;
    }
    ASSERT_EQ(what.rfind("ended: ", 0), 0u) << line;
    ASSERT_EQ(what.substr(what.size() - 15), " seconds ******") << line;
    const std::string seconds = what.substr(7, what.size() - 7 - 15);
    char* end = nullptr;
    EXPECT_GE(std::strtod(seconds.c_str(), &end), 0) << line;
    EXPECT_EQ(*end, '\0') << line;
    ASSERT_FALSE(open.empty()) << line;
    EXPECT_EQ(open.back(), name) << line;
    open.pop_back();
    closed.insert(name);
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
