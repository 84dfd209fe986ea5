// What a scrolling frame of a long collection costs: a flow layout of N items (one section,
// 100 × 100 cells, three a line) in a 375 × 667 view that moves 40 points a frame. "frame_us" is
// one offset change with its layout pass (cells found, reused and placed); "query_us" the
// layout's search for the elements in the visible rect alone; "scan_us", the baseline, finds the
// same items by testing every item's frame, as a layout without a position index must;
// "found" checks both found the same number of items.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>

#include "bench/BenchSupport.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Clock.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Screen.h"
#include "platform/ui/Window.h"
#include "platform/ui/scroll/CollectionView.h"

namespace {

using platform::makeRect;
using SteadyClock = std::chrono::steady_clock;

constexpr int kFrames = 200;
constexpr double kStep = 40;

class Items : public platform::CollectionViewDataSource {
 public:
  explicit Items(long count) : count_(count) {}
  long numberOfItemsInSection(platform::CollectionView&, long) override { return count_; }
  std::shared_ptr<platform::CollectionViewCell> cellForItemAtIndexPath(
      platform::CollectionView& cv, const platform::IndexPath& p) override {
    return cv.dequeueReusableCellWithReuseIdentifier("item", p);
  }

 private:
  long count_;
};

double elapsedUs(SteadyClock::time_point start, int n) {
  return std::chrono::duration<double, std::micro>(SteadyClock::now() - start).count() / n;
}

// Every item whose frame meets `rect`, by looking at each one.
long scan(const platform::CollectionViewFlowLayout& layout, long count,
          const platform::Rect& rect) {
  long found = 0;
  for (long i = 0; i < count; ++i) {
    if (platform::intersects(layout.layoutAttributesForItemAtIndexPath({0, i})->frame, rect)) {
      ++found;
    }
  }
  return found;
}

void BM_FlowLayoutFrame(benchmark::State& state) {
  const long count = state.range(0);
  auto window = platform::Window::create(makeRect(0, 0, 375, 667));
  window->makeKeyAndVisible();
  auto layout = std::make_shared<platform::CollectionViewFlowLayout>();
  layout->itemSize = {100, 100};
  auto cv = platform::CollectionView::create(window->bounds(), layout);
  window->addSubview(cv);
  auto items = std::make_shared<Items>(count);
  cv->setDataSource(items);
  cv->registerCell("item", [] { return platform::CollectionViewCell::create(); });
  cv->layoutIfNeeded();
  // Half-way down, where a scan has as much before the visible rect as after it.
  const double middle = layout->collectionViewContentSize().height / 2;

  double frameUs = 0, queryUs = 0, scanUs = 0;
  long queried = 0, scanned = 0;
  for (auto _ : state) {
    auto start = SteadyClock::now();
    for (int f = 0; f < kFrames; ++f) {
      cv->setContentOffset({0, middle + f * kStep});
      cv->layoutIfNeeded();
    }
    frameUs += elapsedUs(start, kFrames);
    state.PauseTiming();
    start = SteadyClock::now();
    for (int f = 0; f < kFrames; ++f) {
      const auto rect = makeRect(0, middle + f * kStep, 375, 667);
      queried += static_cast<long>(layout->layoutAttributesForElementsInRect(rect).size());
    }
    queryUs += elapsedUs(start, kFrames);
    start = SteadyClock::now();
    for (int f = 0; f < kFrames; ++f) {
      scanned += scan(*layout, count, makeRect(0, middle + f * kStep, 375, 667));
    }
    scanUs += elapsedUs(start, kFrames);
    state.ResumeTiming();
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["frame_us"] = frameUs / n;
  state.counters["query_us"] = queryUs / n;
  state.counters["scan_us"] = scanUs / n;
  state.counters["scan_over_query"] = scanUs / queryUs;
  state.counters["found"] = queried == scanned ? static_cast<double>(queried) / n / kFrames : -1;
}

BENCHMARK(BM_FlowLayoutFrame)
    ->Arg(100'000)
    ->Arg(1'000'000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) { return bench::runOnPhoneScreen(argc, argv); }
