// The progress HUD as the app shows it over a list screen: each kind of HUD fading in, shown and
// fading out, and each mask. Time runs on a virtual clock here so the fades are caught at chosen
// moments; the real clock is back when the scene ends.
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "catalog/Scenes.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/KeyboardSimulator.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "ui/support/hud/HDProgressHUD.h"
#include "ui/support/hud/HDProgressHUDCenter.h"

namespace catalog {
namespace {

using platform::Color;
using platform::makeRect;
using sprout::HDProgressHUD;
using sprout::HDProgressHUDMaskType;

constexpr double kFadeMiddle = 0.075;  // halfway through a 0.15 s fade

std::shared_ptr<platform::Label> label(const std::string& text, const platform::Rect& frame,
                                       double size, Color color) {
  auto l = platform::Label::create(frame);
  l->setText(text);
  l->setFont(platform::Font::systemFont(size));
  l->setTextColor(color);
  l->setBackgroundColor(Color::clear());
  return l;
}

// The notices list the loading HUD usually covers.
void fillNoticeList(platform::View& screen) {
  const double width = screen.bounds().size.width;
  screen.setBackgroundColor(Color::hex(0xF4F6F4));
  auto bar = platform::View::create(makeRect(0, 0, width, 64));
  bar->setBackgroundColor(Color::hex(0x4CAF50));
  auto title = label("通知", makeRect(0, 20, width, 44), 17, Color::whiteColor());
  title->setTextAlignment(platform::TextAlignment::Center);
  bar->addSubview(title);
  screen.addSubview(bar);
  const std::vector<std::pair<std::string, std::string>> notices = {
      {"春季运动会报名开始啦", "2024-3-18 9:30"}, {"本周食谱已更新", "2024-3-17 16:05"},
      {"家长开放日安排", "2024-3-15 11:20"},      {"清明节放假通知", "2024-3-14 8:45"},
      {"请为孩子准备雨具", "2024-3-12 7:50"},     {"绘本漂流活动", "2024-3-10 15:10"},
      {"疫苗接种提醒", "2024-3-08 10:00"},        {"三月生日会照片", "2024-3-06 17:40"}};
  double y = 64;
  for (const auto& [headline, date] : notices) {
    auto row = platform::View::create(makeRect(0, y, width, 72));
    row->setBackgroundColor(Color::whiteColor());
    row->addSubview(label(headline, makeRect(16, 12, width - 32, 24), 16, Color::hex(0x222222)));
    row->addSubview(label(date, makeRect(16, 40, width - 32, 20), 13, Color::hex(0x888888)));
    auto line = platform::View::create(makeRect(16, 71.5, width - 16, 0.5));
    line->setBackgroundColor(Color::hex(0xDDDDDD));
    row->addSubview(line);
    screen.addSubview(row);
    y += 72;
  }
}

class HUDStage {
 public:
  explicit HUDStage(Catalog& catalog)
      : catalog_(catalog),
        clock_(std::make_shared<platform::VirtualClock>()),
        savedDelegate_(platform::ApplicationWindows::shared().delegate()) {
    platform::Clock::setCurrent(clock_);
    app_ = sprout::AppDelegate::create();
    app_->applicationDidFinishLaunching();
    fillNoticeList(root());
  }

  ~HUDStage() {
    ownHUD_.reset();
    platform::KeyboardSimulator::shared().reset();
    loop().runPending();
    app_->window()->setHidden(true);
    platform::ApplicationWindows::shared().setDelegate(savedDelegate_);
    platform::Clock::setCurrent(nullptr);
  }

  HUDStage(const HUDStage&) = delete;
  HUDStage& operator=(const HUDStage&) = delete;

  static platform::RunLoop& loop() { return platform::RunLoop::main(); }
  // Runs the queued HUD work and then lets `seconds` pass.
  void wait(double seconds) {
    loop().runPending();
    loop().advance(seconds);
    elapsed_ += seconds;
  }
  void capture(const std::string& slug, const std::string& what) {
    platform::RenderOptions options;
    options.scale = platform::Screen::main().scale();
    options.background = Color::whiteColor();
    char when[64];
    std::snprintf(when, sizeof when, "\nt = %.3f s", elapsed_);
    catalog_.addFrame(slug, *platform::renderScreen(options), what + when);
  }
  platform::View& root() { return *app_->window()->rootViewController()->view(); }
  // Starts the clock of a new show from zero.
  void restart() { elapsed_ = 0; }

 private:
  Catalog& catalog_;
  std::shared_ptr<platform::VirtualClock> clock_;
  std::shared_ptr<platform::ApplicationDelegate> savedDelegate_;
  // A fresh HUD for the scene, gone with it.
  std::unique_ptr<sprout::HDProgressHUDCenter::Scope> ownHUD_ =
      std::make_unique<sprout::HDProgressHUDCenter::Scope>();
  std::shared_ptr<sprout::AppDelegate> app_;
  double elapsed_ = 0;
};

// Fading in, shown, then fading out after `dismissAfter` (a manual dismissal when `dismiss`).
void playShow(HUDStage& stage, const std::string& slug, const std::string& what,
              const std::function<void()>& show, double dismissAfter, bool dismiss) {
  stage.restart();
  show();
  stage.wait(kFadeMiddle);
  stage.capture(slug + "-fading-in", what + ", fading in");
  stage.wait(0.5 - kFadeMiddle);
  stage.capture(slug + "-shown", what + ", shown");
  stage.wait(dismissAfter - 0.5);
  if (dismiss) HDProgressHUD::dismiss();
  stage.wait(kFadeMiddle);
  stage.capture(slug + "-fading-out", what + ", fading out");
  stage.wait(1);
}

}  // namespace

void sceneProgressHUD(Catalog& catalog) {
  HUDStage stage(catalog);
  HDProgressHUD::setDefaultStyle(sprout::HDProgressHUDStyle::Dark);  // the app's style

  playShow(
      stage, "loading", "Loading \"加载中...\" (dismissed at 2 s)",
      [] { HDProgressHUD::showWithStatus("加载中..."); }, 2, true);
  playShow(
      stage, "success", "Success \"提交成功\" (leaves by itself after 5 s)",
      [] { HDProgressHUD::showSuccessWithStatus("提交成功"); }, 5, false);
  playShow(
      stage, "error", "Error \"网络连接失败，请稍后重试\" (leaves after 5 s)",
      [] { HDProgressHUD::showErrorWithStatus("网络连接失败，请稍后重试"); }, 5, false);
  playShow(
      stage, "info", "Info \"请先选择孩子\" (leaves after 5 s)",
      [] { HDProgressHUD::showInfoWithStatus("请先选择孩子"); }, 5, false);
  playShow(
      stage, "progress", "Progress 30 % \"上传中 30%\"",
      [] { HDProgressHUD::showProgress(0.3f, "上传中 30%"); }, 2, true);

  const std::vector<std::pair<HDProgressHUDMaskType, std::string>> masks = {
      {HDProgressHUDMaskType::None, "none (touches reach the list)"},
      {HDProgressHUDMaskType::Clear, "clear (touches stop at the overlay)"},
      {HDProgressHUDMaskType::Black, "black, 40 %"},
      {HDProgressHUDMaskType::Gradient, "gradient"},
      {HDProgressHUDMaskType::Custom, "custom colour"}};
  HDProgressHUD::setBackgroundLayerColor(Color::rgba(0.05, 0.35, 0.15, 0.45));
  for (const auto& [mask, name] : masks) {
    stage.restart();
    HDProgressHUD::showWithStatus("加载中...", mask);
    stage.wait(0.5);
    stage.capture("mask-" + std::to_string(static_cast<int>(mask)), "Mask " + name);
  }
  // With the keyboard up the panel and the gradient's centre move above it. The simulated
  // keyboard draws nothing, so a grey block stands where it would be.
  const platform::Rect screen = platform::Screen::main().bounds();
  auto keys = platform::View::create(makeRect(0, screen.size.height - 216, screen.size.width, 216));
  keys->setBackgroundColor(Color::hex(0xD1D5DB));
  stage.root().addSubview(keys);
  HDProgressHUD::showWithStatus("加载中...", HDProgressHUDMaskType::Gradient);
  platform::KeyboardSimulator::shared().show(216, 0.25);
  stage.wait(0.5);
  stage.capture("mask-gradient-keyboard", "Mask gradient, 216-point keyboard up");
  platform::KeyboardSimulator::shared().hide(0.25);
  keys->removeFromSuperview();
  HDProgressHUD::dismiss();
  stage.wait(1);

  HDProgressHUD::setDefaultStyle(sprout::HDProgressHUDStyle::Light);
  stage.restart();
  HDProgressHUD::showWithStatus("加载中...");
  stage.wait(0.5);
  stage.capture("light-style", "The light style, for comparison");
}

}  // namespace catalog
