// What a layout pass costs when one view of a large screen asks for layout. A window holds 50
// cells of 21 views each (1,051 views); one label deep in one cell is marked and the window is
// laid out: "MarkedBranches" is the pass, which walks only the branches marked dirty.
// "WalkEveryView" is the baseline: the same pass plus the walk of every view of the tree that the
// pass made before it had subtree marks.
//
// "CellReenters/*": one cell leaves the window and comes back (as a reused cell does), then the
// window is laid out. "NoConstraintAnywhere" is the baseline, run first, before any constraint
// exists in the process; "ConstraintInAnotherWindow" is the same with one active constraint in a
// second window, which must not make this window's pass collect its tree, and
// "ConstraintInSameWindow" the same with a badge in this very window holding one width constraint:
// the moving cell holds no constraint and none names it, so the pass need not collect the window
// either ("ratio" = each one's time over the baseline's, both from this run).
#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/ViewLayout.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/View.h"
#include "platform/ui/Window.h"

namespace {

using platform::makeRect;
using platform::View;

constexpr int kCells = 50;
constexpr int kViewsPerCell = 21;  // the cell, a content view and 19 parts

struct Screen {
  std::shared_ptr<platform::Window> window = platform::Window::create(makeRect(0, 0, 375, 3000));
  std::shared_ptr<View> dirtyLeaf;

  Screen() {
    for (int c = 0; c < kCells; ++c) {
      auto cell = View::create(makeRect(0, c * 44.0, 375, 44));
      auto content = View::create(makeRect(0, 0, 375, 44));
      cell->addSubview(content);
      for (int p = 0; p < kViewsPerCell - 2; ++p) {
        content->addSubview(View::create(makeRect(p * 10.0, 0, 10, 44)));
      }
      window->addSubview(cell);
    }
    dirtyLeaf = window->subviews()[kCells / 2]->subviews()[0]->subviews()[7];
    window->layoutIfNeeded();
  }
  ~Screen() {
    platform::ApplicationWindows::shared().reset();
    platform::RunLoop::main().runPending();
  }
};

void MarkedBranches(benchmark::State& state) {
  Screen screen;
  for (auto _ : state) {
    screen.dirtyLeaf->setNeedsLayout();
    screen.window->layoutIfNeeded();
  }
  state.counters["views"] = kCells * kViewsPerCell + 1;
}
BENCHMARK(MarkedBranches);

// The walk the pass made before: every view, each taking a copy of its subview list to recurse.
void visit(const View& view, int& count) {
  ++count;
  for (const auto& s : std::vector<std::shared_ptr<View>>(view.subviews())) visit(*s, count);
}

void WalkEveryView(benchmark::State& state) {
  Screen screen;
  for (auto _ : state) {
    screen.dirtyLeaf->setNeedsLayout();
    int count = 0;
    visit(*screen.window, count);
    benchmark::DoNotOptimize(count);
    screen.window->layoutIfNeeded();
  }
  state.counters["views"] = kCells * kViewsPerCell + 1;
}
BENCHMARK(WalkEveryView);

double nanosecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
}

// A cell leaves and re-enters the window, then the window is laid out; nanoseconds per round.
double cellReentry(Screen& screen, benchmark::State& state) {
  auto cell = screen.window->subviews()[kCells / 2];
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    cell->removeFromSuperview();
    screen.window->insertSubview(cell, kCells / 2);
    screen.window->layoutIfNeeded();
  }
  return nanosecondsSince(start) / static_cast<double>(state.iterations());
}

double noConstraintNanoseconds = 0;  // the baseline, from this run

void CellReenters_NoConstraintAnywhere(benchmark::State& state) {
  Screen screen;
  noConstraintNanoseconds = cellReentry(screen, state);
  state.counters["views"] = kCells * kViewsPerCell + 1;
}
BENCHMARK(CellReenters_NoConstraintAnywhere);

// Re-entry rounds while `badge`, a view of `tree` placed by one width constraint, is laid out.
void reentryBesideABadge(benchmark::State& state, Screen& screen, View& holder, View& tree) {
  auto badge = View::create();
  platform::setTranslatesAutoresizingMaskIntoConstraints(*badge, false);
  holder.addSubview(badge);
  platform::LayoutConstraint::create(badge, platform::LayoutAttributeWidth,
                                     platform::LayoutRelationEqual, nullptr,
                                     platform::LayoutAttributeNotAnAttribute, 1, 30)
      ->setActive(true);
  tree.layoutIfNeeded();
  if (noConstraintNanoseconds == 0) state.SkipWithError("run with the baseline before it");
  const double each = cellReentry(screen, state);
  state.counters["ratio"] = each / noConstraintNanoseconds;
  state.counters["views"] = kCells * kViewsPerCell + 1 + (&tree == screen.window.get());
  if (badge->frame().size.width != 30) state.SkipWithError("the badge was not laid out");
}

void CellReenters_ConstraintInAnotherWindow(benchmark::State& state) {
  Screen screen;
  auto other = platform::Window::create(makeRect(0, 0, 375, 667));
  reentryBesideABadge(state, screen, *other, *other);
}
BENCHMARK(CellReenters_ConstraintInAnotherWindow);

void CellReenters_ConstraintInSameWindow(benchmark::State& state) {
  Screen screen;
  reentryBesideABadge(state, screen, *screen.window->subviews()[3], *screen.window);
}
BENCHMARK(CellReenters_ConstraintInSameWindow);

}  // namespace

int main(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
