// What moving a subtree costs, as cell reuse does it: a 21-view cell (content view, buttons,
// labels, image views) is taken out of a visible list screen and put back. "tint_calls" counts
// the tint-change notifications the cell's views receive per remove/add cycle; "baseline_us" is
// the same cycle for an identical cell that carries its own tint (so nothing inherited can
// change), "ratio" the one over the other.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "bench/BenchSupport.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"

namespace {

using platform::makeRect;
using SteadyClock = std::chrono::steady_clock;

constexpr int kCycles = 10'000;
long tintCalls = 0;

class CountingView : public platform::View {
 public:
  static std::shared_ptr<CountingView> create(const platform::Rect& frame) {
    return make<CountingView>(frame);
  }
  void tintColorDidChange() override { ++tintCalls; }

 private:
  using View::View;
};

// 1 content view + 4 rows of (container, button, label, image view, counting view) = 21 views.
std::shared_ptr<platform::View> makeCell() {
  auto cell = CountingView::create(makeRect(0, 0, 345, 176));
  for (int row = 0; row < 4; ++row) {
    auto container = CountingView::create(makeRect(0, row * 44, 345, 44));
    auto button = platform::Button::create(makeRect(8, 6, 80, 32), platform::ButtonType::System);
    button->setTitle("按钮", platform::ControlStateNormal);
    auto label = platform::Label::create(makeRect(96, 6, 160, 32));
    label->setText("第一行");
    container->addSubview(button);
    container->addSubview(label);
    container->addSubview(platform::ImageView::create(makeRect(264, 6, 32, 32)));
    container->addSubview(CountingView::create(makeRect(304, 6, 32, 32)));
    cell->addSubview(container);
  }
  return cell;
}

double cyclesNs(platform::View& parent, const std::shared_ptr<platform::View>& cell, int n) {
  const auto start = SteadyClock::now();
  for (int i = 0; i < n; ++i) {
    cell->removeFromSuperview();
    parent.addSubview(cell);
  }
  return std::chrono::duration<double, std::nano>(SteadyClock::now() - start).count() / n;
}

void BM_CellRemoveAndReadd(benchmark::State& state) {
  auto window = platform::Window::create(makeRect(0, 0, 375, 667));
  window->makeKeyAndVisible();
  auto list = platform::View::create(window->bounds());
  window->addSubview(list);
  auto cell = makeCell();
  auto tinted = makeCell();
  tinted->setTintColor(platform::Color::rgba(1, 0, 0, 1));
  list->addSubview(cell);
  list->addSubview(tinted);

  cyclesNs(*list, cell, kCycles / 10);  // warm up both
  cyclesNs(*list, tinted, kCycles / 10);
  double subjectNs = 0, baselineNs = 0;
  long calls = 0;
  for (auto _ : state) {
    tintCalls = 0;
    subjectNs += cyclesNs(*list, cell, kCycles);
    calls = tintCalls;
    state.PauseTiming();
    baselineNs += cyclesNs(*list, tinted, kCycles);
    state.ResumeTiming();
  }
  subjectNs /= static_cast<double>(state.iterations());
  baselineNs /= static_cast<double>(state.iterations());
  platform::RunLoop::main().runPending();
  state.counters["cycle_us"] = subjectNs * 1e-3;
  state.counters["baseline_us"] = baselineNs * 1e-3;
  state.counters["ratio"] = subjectNs / baselineNs;
  state.counters["tint_calls"] = static_cast<double>(calls) / kCycles;
}

BENCHMARK(BM_CellRemoveAndReadd)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return bench::runOnPhoneScreen(argc, argv); }
