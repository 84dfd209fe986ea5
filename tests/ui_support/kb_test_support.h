#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "ui/support/keyboard/KBKeyboardManager.h"

namespace sprout::kb_test {

// A 320 x 568 portrait app on the virtual clock: a key window with a plain root controller, and
// the shared keyboard manager put back to its start-up settings and out of any editing cycle
// afterwards.
class KeyboardTest : public ::testing::Test {
 protected:
  static constexpr platform::Rect kScreen{{0, 0}, {320, 568}};

  KeyboardTest() : savedScreen_(platform::Screen::main().bounds()) {
    platform::Screen::main().setBounds(kScreen);
    platform::KeyboardSimulator::shared().reset();
    window = platform::Window::create(kScreen);
    root = platform::ViewController::create();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    manager = KBKeyboardManager::sharedManager();
    forgetKeyboard();
    restoreDefaults();
  }

  // Ends whatever keyboard an earlier test left the manager remembering.
  static void forgetKeyboard() {
    auto& center = platform::NotificationCenter::defaultCenter();
    center.post(platform::kKeyboardWillHideNotification);
    center.post(platform::kKeyboardDidHideNotification);
  }

  ~KeyboardTest() override {
    if (auto first = platform::Responder::currentFirstResponder()) first->resignOnLeavingWindow();
    forgetKeyboard();
    platform::KeyboardSimulator::shared().reset();
    platform::RunLoop::main().runPending();
    restoreDefaults();
    platform::setLogSink(nullptr);
    platform::ApplicationWindows::shared().reset();
    platform::Screen::main().setBounds(savedScreen_);
  }

  void restoreDefaults() {
    manager->setEnable(true);
    manager->setEnableDebugging(false);
    manager->setKeyboardDistanceFromTextField(10);
    manager->setPreventShowingBottomBlankSpace(true);
    manager->setOverrideKeyboardAppearance(false);
    manager->setKeyboardAppearance(platform::KeyboardAppearanceDefault);
    manager->setEnableAutoToolbar(true);
    manager->setToolbarManageBehaviour(KBKeyboardManager::BySubviews);
    manager->setShouldToolbarUsesTextFieldTintColor(false);
    manager->setToolbarTintColor(std::nullopt);
    manager->setShouldHidePreviousNext(false);
    manager->setToolbarDoneBarButtonItemImage(nullptr);
    manager->setToolbarDoneBarButtonItemText(std::nullopt);
    manager->setShouldShowTextFieldPlaceholder(true);
    manager->setPlaceholderFont(std::nullopt);
    manager->setShouldResignOnTouchOutside(false);
    manager->setShouldPlayInputClicks(true);
    manager->setLayoutIfNeededOnUpdate(false);
    manager->setShouldFixInteractivePopGestureRecognizer(true);
    auto& registry = platform::ClassRegistry::shared();
    manager->disabledDistanceHandlingClasses() = {registry.named("TableViewController")};
    manager->enabledDistanceHandlingClasses() = {};
    manager->disabledToolbarClasses() = {};
    manager->enabledToolbarClasses() = {};
    manager->disabledTouchResignedClasses() = {};
    manager->enabledTouchResignedClasses() = {};
    manager->toolbarPreviousNextAllowedClasses() = {registry.named("TableView"),
                                                    registry.named("CollectionView"),
                                                    registry.named("KBPreviousNextView")};
  }

  std::shared_ptr<platform::TextField> addField(platform::View& parent, const platform::Rect& frame,
                                                const std::string& placeholder = {}) {
    auto field = platform::TextField::create(frame);
    field->setPlaceholder(placeholder);
    parent.addSubview(field);
    return field;
  }

  // Lets the keyboard's slide and the manager's animations end.
  void settle() { platform::RunLoop::main().advance(1.0); }

  // Captures the manager's log lines (debugging on).
  std::vector<std::string>& captureLog() {
    manager->setEnableDebugging(true);
    platform::setLogSink([this](platform::LogLevel, std::string_view tag, std::string_view text) {
      if (tag == "KBKeyboardManager") logLines.emplace_back(text);
    });
    return logLines;
  }

  platform::ScopedVirtualClock clock;
  std::shared_ptr<platform::Window> window;
  std::shared_ptr<platform::ViewController> root;
  std::shared_ptr<KBKeyboardManager> manager;
  std::vector<std::string> logLines;

 private:
  platform::Rect savedScreen_;
};

}  // namespace sprout::kb_test
