// What the progress HUD costs a frame. A 375 x 667 window at scale 2 (a list screen) is rendered
// with the HUD up (spinner, gradient mask, status text) at successive 60 Hz frame times:
// "frame_budget_ratio" is the render time over the 16.7 ms a frame may take, "baseline_ms" the same
// window without the HUD and "ratio" the one over the other. Status text measurement is timed with
// the HUD's layout cache against laying the text out afresh every time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>

#include "platform/dispatch/Clock.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "ui/support/hud/HDProgressHUD.h"
#include "ui/support/hud/HDTextMeasureCache.h"

namespace {

using platform::Color;
using platform::makeRect;
using Clock = std::chrono::steady_clock;

constexpr double kFrame = 1.0 / 60;

class Delegate : public platform::ApplicationDelegate {
 public:
  explicit Delegate(std::shared_ptr<platform::Window> window) : window_(std::move(window)) {}
  std::shared_ptr<platform::Window> window() const override { return window_; }

 private:
  std::shared_ptr<platform::Window> window_;
};

struct Stage {
  std::shared_ptr<platform::VirtualClock> clock = std::make_shared<platform::VirtualClock>();
  std::shared_ptr<platform::Window> window;
};

Stage* stage = nullptr;

// A list screen of labelled rows.
std::shared_ptr<platform::Window> makeWindow() {
  auto window = platform::Window::create(makeRect(0, 0, 375, 667));
  window->setRootViewController(platform::ViewController::create());
  auto root = window->rootViewController()->view();
  root->setBackgroundColor(Color::whiteColor());
  for (int i = 0; i < 9; ++i) {
    auto row = platform::Label::create(makeRect(16, 64 + i * 66, 343, 66));
    row->setText("第 " + std::to_string(i + 1) + " 条通知：本周五下午家长会");
    row->setFont(platform::Font::systemFont(16));
    root->addSubview(row);
  }
  window->makeKeyAndVisible();
  return window;
}

double renderFramesNs(benchmark::State* state, std::int64_t frames) {
  platform::RenderOptions options;
  options.scale = 2;
  const double t0 = stage->clock->now();
  const auto start = Clock::now();
  std::int64_t frame = 0;
  auto renderOne = [&] {
    options.time = t0 + static_cast<double>(frame++) * kFrame;
    benchmark::DoNotOptimize(platform::renderView(*stage->window, options));
  };
  if (state) {
    for (auto _ : *state) renderOne();
  } else {
    for (std::int64_t i = 0; i < frames; ++i) renderOne();
  }
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
         static_cast<double>(state ? state->iterations() : frames);
}

void BM_RenderWindowWithHUD(benchmark::State& state) {
  sprout::HDProgressHUD::dismiss();
  sprout::HDProgressHUD::setFadeOutAnimationDuration(0);
  platform::RunLoop::main().runPending();
  const std::int64_t frames = 30;
  const double baselineNs = renderFramesNs(nullptr, frames);

  sprout::HDProgressHUD::setDefaultStyle(sprout::HDProgressHUDStyle::Dark);
  sprout::HDProgressHUD::showWithStatus("加载中...", sprout::HDProgressHUDMaskType::Gradient);
  platform::RunLoop::main().runPending();
  platform::RunLoop::main().advance(1);  // faded in
  const double subjectNs = renderFramesNs(&state, 0);

  state.counters["frame_budget_ratio"] = subjectNs * 1e-9 / kFrame;
  state.counters["baseline_ms"] = baselineNs * 1e-6;
  state.counters["ratio"] = subjectNs / baselineNs;
}

void BM_MeasureStatusText(benchmark::State& state) {
  const std::string texts[] = {"加载中...", "提交成功", "网络连接失败，请稍后重试"};
  const platform::Font font = platform::Font::systemFont(14);
  const platform::Size constraint{200, 300};
  sprout::HDTextMeasureCache cache;
  std::size_t i = 0;
  const auto start = Clock::now();
  for (auto _ : state) {
    benchmark::DoNotOptimize(cache.measure(texts[i++ % 3], font, constraint));
  }
  const double cachedNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                          static_cast<double>(state.iterations());
  const std::int64_t calls = std::min<std::int64_t>(state.iterations(), 2000);
  const auto baselineStart = Clock::now();
  for (std::int64_t n = 0; n < calls; ++n) {
    benchmark::DoNotOptimize(
        sprout::HDTextMeasureCache::measureUncached(texts[n % 3], font, constraint));
  }
  const double uncachedNs =
      std::chrono::duration<double, std::nano>(Clock::now() - baselineStart).count() /
      static_cast<double>(calls);
  state.counters["uncached_ns"] = uncachedNs;
  state.counters["ratio"] = cachedNs / uncachedNs;
}

BENCHMARK(BM_RenderWindowWithHUD)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MeasureStatusText);

}  // namespace

int main(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
  platform::Screen::main().setBounds(makeRect(0, 0, 375, 667));
  platform::Screen::main().setScale(2);
  Stage s;
  stage = &s;
  platform::Clock::setCurrent(s.clock);
  s.window = makeWindow();
  platform::ApplicationWindows::shared().setDelegate(std::make_shared<Delegate>(s.window));
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  sprout::HDProgressHUD::resetSharedView();
  platform::RunLoop::main().runPending();
  platform::ApplicationWindows::shared().reset();
  platform::Clock::setCurrent(nullptr);
  return 0;
}
