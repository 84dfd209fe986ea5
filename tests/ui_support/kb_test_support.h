#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/Log.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"
#include "tests/ui_support/ui_support_test.h"
#include "ui/support/keyboard/KBKeyboardManager.h"

namespace sprout::kb_test {

// A 320 x 568 portrait app: a key window with a plain root controller, and the shared keyboard
// manager put back to its start-up settings and out of any editing cycle afterwards.
class KeyboardTest : public ui_test::ScreenTest {
 protected:
  static constexpr platform::Rect kScreen{{0, 0}, {320, 568}};

  KeyboardTest() : ScreenTest(kScreen.size) {
    root = platform::ViewController::create();
    window->setRootViewController(root);
    window->makeKeyAndVisible();
    forgetKeyboard();
    restoreDefaults();
  }
  ~KeyboardTest() override {
    if (auto first = platform::Responder::currentFirstResponder()) first->resignOnLeavingWindow();
    forgetKeyboard();
    platform::KeyboardSimulator::shared().reset();
    loop.runPending();
    restoreDefaults();
    platform::setLogSink(nullptr);
  }

  // Ends whatever keyboard an earlier test left the manager remembering.
  static void forgetKeyboard() {
    auto& center = platform::NotificationCenter::defaultCenter();
    center.post(platform::kKeyboardWillHideNotification);
    center.post(platform::kKeyboardDidHideNotification);
  }

  // Every setting back to how the app starts.
  void restoreDefaults() {
    manager->settings() = {};
    manager->setEnable(true);
    manager->setKeyboardDistanceFromTextField(10);
    manager->setEnableAutoToolbar(true);
    manager->setShouldResignOnTouchOutside(false);
  }

  std::shared_ptr<platform::TextField> addField(platform::View& parent, const platform::Rect& frame,
                                                const std::string& placeholder = {}) {
    auto field = platform::TextField::create(frame);
    field->setPlaceholder(placeholder);
    parent.addSubview(field);
    return field;
  }

  // Lets the keyboard's slide and the manager's animations end.
  void settle() { advance(1.0); }

  // The manager's log lines from now on (debugging on).
  std::vector<std::string>& captureLog() {
    manager->settings().enableDebugging = true;
    platform::setLogSink([this](platform::LogLevel, std::string_view tag, std::string_view text) {
      if (tag == "KBKeyboardManager") logLines.emplace_back(text);
    });
    return logLines;
  }
  bool logged(const std::string& part) const {
    for (const auto& line : logLines) {
      if (line.find(part) != std::string::npos) return true;
    }
    return false;
  }

  std::shared_ptr<platform::ViewController> root;
  std::shared_ptr<KBKeyboardManager> manager = KBKeyboardManager::sharedManager();
  std::vector<std::string> logLines;
};

}  // namespace sprout::kb_test
