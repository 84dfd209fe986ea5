#pragma once

#include <gtest/gtest.h>

#include <any>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/ViewController.h"
#include "tests/ui_support/ui_support_test.h"
#include "ui/support/hud/HDProgressHUD.h"
#include "ui/support/hud/HDProgressHUDCenter.h"

namespace sprout::hud_test {

class TestAppDelegate : public platform::ApplicationDelegate {
 public:
  explicit TestAppDelegate(std::shared_ptr<platform::Window> window) : window_(std::move(window)) {}
  std::shared_ptr<platform::Window> window() const override { return window_; }

 private:
  std::shared_ptr<platform::Window> window_;
};

// One HUD notification as it arrived, `at` seconds into the test.
struct Posted {
  std::string name;
  const void* object = nullptr;
  bool hasUserInfo = false;
  std::optional<std::string> status;
  double at = 0;
};

// One accessibility post as it arrived, after how many HUD notifications.
struct Said {
  platform::AccessibilityNotification kind;
  std::optional<std::string> argument;
  std::size_t afterPosted = 0;
  double at = 0;
};

// A 320 x 568 portrait app: a white screen in a key window that is the app delegate's, every HUD
// notification and accessibility post recorded, and a HUD of its own.
class HUDTest : public ui_test::ScreenTest {
 protected:
  static constexpr platform::Rect kScreen{{0, 0}, {320, 568}};

  HUDTest() : ScreenTest(kScreen.size) {
    auto root = platform::ViewController::create();
    window->setRootViewController(root);
    content = root->view();
    content->setBackgroundColor(platform::Color::whiteColor());
    window->makeKeyAndVisible();
    platform::ApplicationWindows::shared().setDelegate(std::make_shared<TestAppDelegate>(window));
    for (const char* name :
         {kHDProgressHUDWillAppearNotification, kHDProgressHUDDidAppearNotification,
          kHDProgressHUDWillDisappearNotification, kHDProgressHUDDidDisappearNotification,
          kHDProgressHUDDidReceiveTouchEventNotification,
          kHDProgressHUDDidTouchDownInsideNotification}) {
      tokens_.push_back(platform::NotificationCenter::defaultCenter().addObserver(
          name, nullptr, [this](const platform::Notification& n) { record(n); }));
    }
    accessibility_ = platform::Accessibility::observers().subscribe(
        [this](platform::AccessibilityNotification kind, const std::optional<std::string>& arg) {
          said.push_back({kind, arg, posted.size(), elapsed()});
        });
  }
  ~HUDTest() override {
    tokens_.clear();
    ownHUD_.reset();
    loop.runPending();
    platform::KeyboardSimulator::shared().reset();
  }

  std::shared_ptr<HDProgressHUD> hud() { return HDProgressHUD::sharedView(); }
  // Lets the queued calls run, then `seconds` pass.
  void run(double seconds) {
    drain();
    advance(seconds);
  }
  double elapsed() const { return clock.now() - start_; }
  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& p : posted) out.push_back(p.name);
    return out;
  }
  // The panel's frame in the window.
  platform::Rect panel() {
    return hud()->hudView()->convertRectTo(hud()->hudView()->bounds(), nullptr);
  }

  std::shared_ptr<platform::View> content;
  std::vector<Posted> posted;
  std::vector<Said> said;

 private:
  void record(const platform::Notification& n) {
    Posted p{n.name, n.object.get(), !n.userInfo.empty(), std::nullopt, elapsed()};
    if (auto it = n.userInfo.find(kHDProgressHUDStatusUserInfoKey); it != n.userInfo.end()) {
      if (const auto* text = std::any_cast<std::string>(&it->second)) p.status = *text;
    }
    posted.push_back(p);
  }

  std::unique_ptr<HDProgressHUDCenter::Scope> ownHUD_ =
      std::make_unique<HDProgressHUDCenter::Scope>();
  const double start_ = clock.now();
  std::vector<platform::ObserverToken> tokens_;
  platform::Subscription accessibility_;
};

}  // namespace sprout::hud_test
