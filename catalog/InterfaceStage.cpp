#include "catalog/InterfaceStage.h"

#include <stdlib.h>

#include <filesystem>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"
#include "ui/support/refresh/RFRefreshBundle.h"

namespace catalog {

InterfaceStage::InterfaceStage(Catalog& catalog)
    : catalog_(catalog), clock_(std::make_shared<platform::VirtualClock>(kStartTime)) {
  platform::Clock::setCurrent(clock_);
  std::string pattern = (std::filesystem::temp_directory_path() / "sprout-catalog-XXXXXX").string();
  home_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  platform::FileManager::setHomeDirectory(home_);
  platform::UserDefaults::resetStandardForTesting();
  platform::TimeZone::setDefaultTimeZone(platform::TimeZone::named("Asia/Shanghai"));
  platform::Locale::setPreferredLanguagesForTesting(std::vector<std::string>{"zh-Hans-CN"});
  sprout::rf_resetRefreshBundleForTesting();
  platform::Screen::main().setBounds(platform::makeRect(0, 0, 375, 667));
  platform::Screen::main().setScale(2);
  window_ = platform::Window::create(platform::makeRect(0, 0, 375, 667));
  window_->setBackgroundColor(platform::Color::whiteColor());
  window_->makeKeyAndVisible();
  finger_ = std::make_unique<platform::TouchDriver>(window_);
}

InterfaceStage::~InterfaceStage() {
  loop().runPending();
  window_->setHidden(true);
  finger_.reset();
  window_.reset();
  platform::ApplicationWindows::shared().reset();
  platform::Locale::setPreferredLanguagesForTesting(std::nullopt);
  sprout::rf_resetRefreshBundleForTesting();
  platform::TimeZone::setDefaultTimeZone(std::nullopt);
  platform::FileManager::setHomeDirectory("");
  platform::UserDefaults::resetStandardForTesting();
  std::error_code ignored;
  if (!home_.empty()) std::filesystem::remove_all(home_, ignored);
  platform::Clock::setCurrent(nullptr);
}

void InterfaceStage::wait(double seconds) {
  loop().runPending();
  loop().advance(seconds);
}

void InterfaceStage::drag(platform::Point from, double dy, int frames) {
  // A finger still down carries on from where it is.
  if (!down_) {
    at_ = from;
    finger_->begin(at_);
    down_ = true;
  }
  from = at_;
  for (int i = 1; i <= frames; ++i) {
    loop().advance(1.0 / 60);
    at_.y = from.y + dy * i / frames;
    finger_->move(at_);
  }
}

void InterfaceStage::lift() {
  loop().advance(0.2);
  finger_->end();
  down_ = false;
}

void InterfaceStage::capture(const std::string& slug, const std::string& caption) {
  platform::RenderOptions options;
  options.scale = 2;
  options.background = platform::Color::whiteColor();
  catalog_.addFrame(slug, *platform::renderView(*window_, options), caption);
}

}  // namespace catalog
