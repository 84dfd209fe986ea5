// What one change costs its observers. "ObserverList" notifies old and new points to N observers
// through the subscription list; "FunctionVector" is the plain baseline of calling the same
// observers from a std::vector<std::function>. Subscribing and dropping a token is timed too.
#include <benchmark/benchmark.h>

#include <functional>
#include <vector>

#include "platform/foundation/ObserverList.h"
#include "platform/graphics/Geometry.h"

namespace {

using platform::ObserverList;
using platform::Point;
using platform::Subscription;

void ObserverListNotify(benchmark::State& state) {
  ObserverList<Point, Point> list;
  double sink = 0;
  std::vector<Subscription> tokens;
  for (int i = 0; i < state.range(0); ++i) {
    tokens.push_back(list.subscribe([&sink](Point old, Point now) { sink += now.y - old.y; }));
  }
  Point old{0, 0};
  for (auto _ : state) {
    const Point now{0, old.y + 1};
    list.notify(old, now);
    old = now;
  }
  benchmark::DoNotOptimize(sink);
  state.counters["observers"] = static_cast<double>(state.range(0));
}
BENCHMARK(ObserverListNotify)->Arg(1)->Arg(4)->Arg(16);

void FunctionVectorNotify(benchmark::State& state) {
  std::vector<std::function<void(Point, Point)>> list;
  double sink = 0;
  for (int i = 0; i < state.range(0); ++i) {
    list.emplace_back([&sink](Point old, Point now) { sink += now.y - old.y; });
  }
  Point old{0, 0};
  for (auto _ : state) {
    const Point now{0, old.y + 1};
    for (const auto& f : list) f(old, now);
    old = now;
  }
  benchmark::DoNotOptimize(sink);
  state.counters["observers"] = static_cast<double>(state.range(0));
}
BENCHMARK(FunctionVectorNotify)->Arg(1)->Arg(4)->Arg(16);

void SubscribeAndDrop(benchmark::State& state) {
  ObserverList<Point, Point> list;
  std::vector<Subscription> others;
  for (int i = 0; i < 4; ++i) others.push_back(list.subscribe([](Point, Point) {}));
  for (auto _ : state) {
    Subscription token = list.subscribe([](Point, Point) {});
    benchmark::DoNotOptimize(token);
  }
}
BENCHMARK(SubscribeAndDrop);

}  // namespace

BENCHMARK_MAIN();
