#pragma once

#include <gtest/gtest.h>

#include <any>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Accessibility.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "ui/support/hud/HDProgressHUD.h"

namespace sprout::hud_test {

class TestAppDelegate : public platform::ApplicationDelegate {
 public:
  explicit TestAppDelegate(std::shared_ptr<platform::Window> window) : window_(std::move(window)) {}
  std::shared_ptr<platform::Window> window() const override { return window_; }

 private:
  std::shared_ptr<platform::Window> window_;
};

// One HUD notification as it arrived.
struct Posted {
  std::string name;
  const void* object = nullptr;
  bool hasUserInfo = false;
  std::optional<std::string> status;
  double at = 0;  // seconds since the test began
};

// One accessibility post as it arrived, after how many HUD notifications.
struct Said {
  platform::AccessibilityNotification kind;
  std::optional<std::string> argument;
  std::size_t afterPosted = 0;
  double at = 0;
};

// A 320 x 568 portrait app on the virtual clock: a white screen in a key window that is the app
// delegate's, every HUD notification recorded, and a fresh shared HUD afterwards.
class HUDTest : public ::testing::Test {
 protected:
  HUDTest() {
    platform::Screen::main().setBounds(kScreen);
    window = platform::Window::create(kScreen);
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
      tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(
          name, nullptr, [this](const platform::Notification& n) { record(n); }));
    }
    accessibility = platform::Accessibility::observers().subscribe(
        [this](platform::AccessibilityNotification kind, const std::optional<std::string>& arg) {
          said.push_back({kind, arg, posted.size(), elapsed()});
        });
  }

  ~HUDTest() override {
    tokens.clear();
    HDProgressHUD::resetSharedView();
    loop.runPending();
    platform::KeyboardSimulator::shared().reset();
    platform::ApplicationWindows::shared().reset();
    platform::Screen::main().setBounds(savedScreen);
  }

  std::shared_ptr<HDProgressHUD> hud() { return HDProgressHUD::sharedView(); }
  void drain() { loop.runPending(); }
  void advance(platform::TimeInterval dt) { loop.advance(dt); }
  double elapsed() const { return clock.now() - start; }

  std::vector<std::string> names() const {
    std::vector<std::string> out;
    for (const auto& p : posted) out.push_back(p.name);
    return out;
  }

  static constexpr platform::Rect kScreen{{0, 0}, {320, 568}};

  platform::RunLoop& loop = platform::RunLoop::main();
  platform::ScopedVirtualClock clock;
  const double start = clock.now();
  const platform::Rect savedScreen = platform::Screen::main().bounds();
  std::shared_ptr<platform::Window> window;
  std::shared_ptr<platform::View> content;
  std::vector<Posted> posted;
  std::vector<Said> said;
  platform::Subscription accessibility;

 private:
  void record(const platform::Notification& n) {
    Posted p{n.name, n.object.get(), !n.userInfo.empty(), std::nullopt, elapsed()};
    if (auto it = n.userInfo.find(kHDProgressHUDStatusUserInfoKey); it != n.userInfo.end()) {
      if (const auto* text = std::any_cast<std::string>(&it->second)) p.status = *text;
    }
    posted.push_back(p);
  }

  std::vector<platform::ObserverToken> tokens;
};

}  // namespace sprout::hud_test
