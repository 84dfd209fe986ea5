// What the in-app components cost a frame in a 375 x 667 window at scale 2 (a list screen under
// them). Each frame moves the virtual clock one 60 Hz step, lays the window out and renders it:
// the carousel while it turns one page, the marquee mid-pass, the picker while its day wheel
// scrolls. "frame_budget_ratio" is that time over the 16.7 ms of a frame; "baseline_ms" is the
// same window without the component, measured in the same run, and "ratio" the one over the other.
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/graphics/Context.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/TableView.h"
#include "ui/components/datepicker/DTDatePickerViewController.h"
#include "ui/components/marquee/MQAutoScrollLabel.h"
#include "ui/support/carousel/BCCarouselView.h"

namespace {

using platform::Color;
using platform::makeRect;
using SteadyClock = std::chrono::steady_clock;

constexpr double kFrame = 1.0 / 60;

std::shared_ptr<platform::VirtualClock> virtualClock;

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
  window->layoutIfNeeded();
  return window;
}

std::shared_ptr<platform::Image> banner(double hue) {
  auto context = platform::Context::create({375, 180}, 2, true);
  context->fillRect(makeRect(0, 0, 375, 180), Color::rgba(hue, 0.6, 1 - hue));
  context->fillRect(makeRect(40, 40, 200, 100), Color::white(0.9));
  return context->makeImage();
}

// One frame: `step` moves the component (when given), the clock steps, timers and animations
// run, the window is laid out and drawn.
double framesNs(platform::Window& window, benchmark::State* state, std::int64_t frames,
                const std::function<void()>& step = nullptr) {
  platform::RenderOptions options;
  options.scale = 2;
  auto one = [&] {
    if (step) step();
    platform::RunLoop::main().advance(kFrame);
    window.layoutIfNeeded();
    options.time = virtualClock->now();
    benchmark::DoNotOptimize(platform::renderView(window, options));
  };
  const auto start = SteadyClock::now();
  if (state) {
    for (auto _ : *state) one();
  } else {
    for (std::int64_t i = 0; i < frames; ++i) one();
  }
  return std::chrono::duration<double, std::nano>(SteadyClock::now() - start).count() /
         static_cast<double>(state ? state->iterations() : frames);
}

void report(benchmark::State& state, double subjectNs, double baselineNs) {
  state.counters["frame_budget_ratio"] = subjectNs * 1e-9 / kFrame;
  state.counters["baseline_ms"] = baselineNs * 1e-6;
  state.counters["ratio"] = subjectNs / baselineNs;
}

void BM_CarouselTurningFrame(benchmark::State& state) {
  auto window = makeWindow();
  const double baselineNs = framesNs(*window, nullptr, 30);
  auto carousel = sprout::BCCarouselView::carouselViewWithFrame(
      makeRect(0, 0, 375, 180),
      std::vector<sprout::BCCarouselView::ImagePath>{banner(0.1), banner(0.5), banner(0.9)});
  carousel->setAutoScroll(false);  // the benchmark turns it, every 18 frames (0.3 s)
  carousel->setTitlesGroup({"春季亲子运动会", "家长开放日", "园所通知"});
  window->rootViewController()->view()->addSubview(carousel);
  window->layoutIfNeeded();
  std::int64_t frame = 0;
  const double subjectNs = framesNs(*window, &state, 0, [&] {
    if (frame++ % 18 == 0) carousel->automaticScroll();
  });
  report(state, subjectNs, baselineNs);
  carousel->removeFromSuperview();
}

void BM_MarqueeFrame(benchmark::State& state) {
  auto window = makeWindow();
  const double baselineNs = framesNs(*window, nullptr, 30);
  auto marquee = sprout::MQAutoScrollLabel::create(makeRect(16, 20, 343, 30));
  marquee->setText("最新通知：本周五下午三点召开家长会，请各位家长准时到园参加，谢谢配合");
  window->rootViewController()->view()->addSubview(marquee);
  platform::RunLoop::main().advance(2);  // past the pause: the pass is under way
  const double subjectNs = framesNs(*window, &state, 0);
  report(state, subjectNs, baselineNs);
}

void BM_PickerWheelScrollFrame(benchmark::State& state) {
  auto window = makeWindow();
  auto picker = sprout::DTDatePickerViewController::create();
  window->rootViewController()->presentViewController(picker, false);
  window->layoutIfNeeded();
  const double baselineNs = framesNs(*window, nullptr, 30);  // the picker at rest
  auto table = picker->pickerView()->tableForComponent(0);
  double offset = table->contentOffset().y;
  const double subjectNs = framesNs(*window, &state, 0, [&] {
    offset += 7;  // a steady drag, about a row every five frames
    table->setContentOffset({0, offset});
  });
  report(state, subjectNs, baselineNs);
  picker->quitPicking();
}

BENCHMARK(BM_CarouselTurningFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MarqueeFrame)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PickerWheelScrollFrame)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
  platform::Screen::main().setBounds(makeRect(0, 0, 375, 667));
  platform::Screen::main().setScale(2);
  virtualClock = std::make_shared<platform::VirtualClock>();
  platform::Clock::setCurrent(virtualClock);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  platform::RunLoop::main().runPending();
  platform::RunLoop::main().invalidateAllTimers();
  platform::ApplicationWindows::shared().reset();
  platform::Clock::setCurrent(nullptr);
  return 0;
}
