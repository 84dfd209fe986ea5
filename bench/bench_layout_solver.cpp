// The constraint solver on a grid of 500 boxes: solving from scratch is the baseline that the
// incremental re-solves are measured against ("speedup" = from-scratch time / re-solve time, both
// from this run; "constraints_per_ms" = constraints solved, or kept solved, per millisecond).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/LayoutSolver.h"
#include "platform/layout/ViewLayout.h"
#include "platform/ui/View.h"

namespace {

using platform::LayoutSolver;
using platform::LinearExpression;
using platform::makeSolverConstraint;
using platform::SolverConstraintRef;
using platform::SolverRelation;
using platform::SolverVariable;

constexpr int kColumns = 25;
constexpr int kRows = 20;  // 500 boxes

struct Grid {
  std::unique_ptr<LayoutSolver> solver = std::make_unique<LayoutSolver>();
  std::vector<SolverConstraintRef> constraints;
  SolverConstraintRef spacing;  // the one constant the incremental case changes
  SolverVariable width, height, lastRight;
};

SolverConstraintRef equal(std::vector<std::pair<SolverVariable, double>> terms, double constant,
                          double strength = platform::kSolverRequired,
                          SolverRelation r = SolverRelation::Equal) {
  LinearExpression e;
  for (auto [v, c] : terms) e.add(v, c);
  e.constant = constant;
  return makeSolverConstraint(std::move(e), r, strength);
}

// Rows of boxes spaced 8 apart inside a container, equal widths per row and equal heights per
// column, each box preferring 40 x 30 and never smaller than 4 x 4.
Grid makeGrid() {
  Grid g;
  auto& s = *g.solver;
  g.width = s.makeVariable();
  g.height = s.makeVariable();
  s.addEditVariable(g.width, 1000);
  s.addEditVariable(g.height, 1000);
  s.suggestValue(g.width, 1200);
  s.suggestValue(g.height, 900);
  std::vector<SolverVariable> x, y, w, h;
  for (int i = 0; i < kColumns * kRows; ++i) {
    x.push_back(s.makeVariable());
    y.push_back(s.makeVariable());
    w.push_back(s.makeVariable());
    h.push_back(s.makeVariable());
  }
  auto add = [&](SolverConstraintRef c) { g.constraints.push_back(std::move(c)); };
  for (int r = 0; r < kRows; ++r) {
    for (int c = 0; c < kColumns; ++c) {
      const int i = r * kColumns + c;
      add(equal({{w[i], 1}}, -4, platform::kSolverRequired, SolverRelation::GreaterThanOrEqual));
      add(equal({{h[i], 1}}, -4, platform::kSolverRequired, SolverRelation::GreaterThanOrEqual));
      add(equal({{w[i], 1}}, -40, 250));
      add(equal({{h[i], 1}}, -30, 250));
      if (c == 0) {
        add(equal({{x[i], 1}}, -8));
      } else {
        add(equal({{x[i], 1}, {x[i - 1], -1}, {w[i - 1], -1}}, -8));
        add(equal({{w[i], 1}, {w[i - 1], -1}}, 0));
      }
      if (c == kColumns - 1) add(equal({{x[i], 1}, {w[i], 1}, {g.width, -1}}, 8));
      if (r == 0) {
        add(equal({{y[i], 1}}, -8));
      } else {
        add(equal({{y[i], 1}, {y[i - kColumns], -1}, {h[i - kColumns], -1}}, -8));
        add(equal({{h[i], 1}, {h[i - kColumns], -1}}, 0));
      }
      if (r == kRows - 1) {
        add(equal({{y[i], 1}, {h[i], 1}, {g.height, -1}}, 8, platform::kSolverRequired,
                  SolverRelation::LessThanOrEqual));
      }
    }
  }
  g.spacing = g.constraints[10];  // the second box's spacing from the first
  g.lastRight = x[kColumns - 1];
  return g;
}

void addAll(Grid& g) {
  for (const auto& c : g.constraints) g.solver->addConstraint(c);
}

double millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

// One from-scratch solve, timed outside the benchmark loop: the baseline of the re-solves.
double scratchMilliseconds() {
  Grid g = makeGrid();
  const auto start = std::chrono::steady_clock::now();
  addAll(g);
  return millisecondsSince(start);
}

void BM_SolveFromScratch(benchmark::State& state) {
  std::size_t constraints = 0;
  double ms = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Grid g = makeGrid();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    addAll(g);
    benchmark::DoNotOptimize(g.solver->value(g.lastRight));
    ms += millisecondsSince(start);
    constraints += g.constraints.size();
    state.PauseTiming();
    g = Grid();  // freeing is not solving
    state.ResumeTiming();
  }
  state.counters["constraints"] = static_cast<double>(constraints / state.iterations());
  state.counters["constraints_per_ms"] = static_cast<double>(constraints) / ms;
}
BENCHMARK(BM_SolveFromScratch)->Unit(benchmark::kMillisecond);

// Changes the spacing between two boxes of the first row: every box after them moves.
void BM_ResolveAfterOneConstant(benchmark::State& state) {
  const double baseline = scratchMilliseconds();
  Grid g = makeGrid();
  addAll(g);
  double spacing = -8;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    spacing = spacing == -8 ? -16 : -8;
    g.solver->setConstant(g.spacing, spacing);
    benchmark::DoNotOptimize(g.solver->value(g.lastRight));
  }
  const double each = millisecondsSince(start) / static_cast<double>(state.iterations());
  state.counters["constraints_per_ms"] = static_cast<double>(g.constraints.size()) / each;
  state.counters["speedup"] = baseline / each;
}
BENCHMARK(BM_ResolveAfterOneConstant)->Unit(benchmark::kMicrosecond);

// The container resized through its edit variables, as a window resize does.
void BM_ResolveAfterContainerResize(benchmark::State& state) {
  const double baseline = scratchMilliseconds();
  Grid g = makeGrid();
  addAll(g);
  double width = 1200;
  const auto start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    width = width == 1200 ? 1100 : 1200;
    g.solver->suggestValue(g.width, width);
    benchmark::DoNotOptimize(g.solver->value(g.lastRight));
  }
  const double each = millisecondsSince(start) / static_cast<double>(state.iterations());
  state.counters["speedup"] = baseline / each;
}
BENCHMARK(BM_ResolveAfterContainerResize)->Unit(benchmark::kMicrosecond);

// The same grid as views placed by platform constraints, through the layout pass: the first pass
// (building the engine) is the baseline of a pass after one constant changed.
struct ViewGrid {
  std::shared_ptr<platform::View> root =
      platform::View::create(platform::makeRect(0, 0, 1200, 900));
  std::shared_ptr<platform::LayoutConstraint> spacing;
  std::size_t constraints = 0;
};

ViewGrid makeViewGrid() {
  using platform::LayoutConstraint;
  ViewGrid g;
  std::vector<std::shared_ptr<platform::View>> boxes;
  std::vector<std::shared_ptr<LayoutConstraint>> all;
  auto relate = [&](std::shared_ptr<platform::View> a, platform::LayoutAttribute aa,
                    std::shared_ptr<platform::View> b, platform::LayoutAttribute ba, double c) {
    all.push_back(LayoutConstraint::create(a, aa, platform::LayoutRelationEqual, b, ba, 1, c));
  };
  for (int i = 0; i < kColumns * kRows; ++i) {
    const int r = i / kColumns, c = i % kColumns;
    auto v = platform::View::create();
    platform::setTranslatesAutoresizingMaskIntoConstraints(*v, false);
    g.root->addSubview(v);
    boxes.push_back(v);
    if (c == 0) {
      relate(v, platform::LayoutAttributeLeft, g.root, platform::LayoutAttributeLeft, 8);
    } else {
      relate(v, platform::LayoutAttributeLeft, boxes[i - 1], platform::LayoutAttributeRight, 8);
      relate(v, platform::LayoutAttributeWidth, boxes[i - 1], platform::LayoutAttributeWidth, 0);
    }
    if (c == kColumns - 1) {
      relate(v, platform::LayoutAttributeRight, g.root, platform::LayoutAttributeRight, -8);
    }
    if (r == 0) {
      relate(v, platform::LayoutAttributeTop, g.root, platform::LayoutAttributeTop, 8);
    } else {
      relate(v, platform::LayoutAttributeTop, boxes[i - kColumns], platform::LayoutAttributeBottom,
             8);
      relate(v, platform::LayoutAttributeHeight, boxes[i - kColumns],
             platform::LayoutAttributeHeight, 0);
    }
    if (r == kRows - 1) {
      relate(v, platform::LayoutAttributeBottom, g.root, platform::LayoutAttributeBottom, -8);
    }
  }
  g.spacing = all[1];  // the first box's distance from the top: every row moves
  g.constraints = all.size();
  LayoutConstraint::activateConstraints(all);
  return g;
}

void BM_LayoutPassFromScratch(benchmark::State& state) {
  double ms = 0;
  std::size_t constraints = 0;
  for (auto _ : state) {
    state.PauseTiming();
    ViewGrid g = makeViewGrid();
    state.ResumeTiming();
    const auto start = std::chrono::steady_clock::now();
    g.root->layoutIfNeeded();
    ms += millisecondsSince(start);
    constraints += g.constraints;
    state.PauseTiming();
    g = ViewGrid();
    state.ResumeTiming();
  }
  state.counters["constraints_per_ms"] = static_cast<double>(constraints) / ms;
}
BENCHMARK(BM_LayoutPassFromScratch)->Unit(benchmark::kMillisecond);

void BM_LayoutPassAfterOneConstant(benchmark::State& state) {
  ViewGrid g = makeViewGrid();
  auto start = std::chrono::steady_clock::now();
  g.root->layoutIfNeeded();
  const double baseline = millisecondsSince(start);
  double spacing = 8;
  start = std::chrono::steady_clock::now();
  for (auto _ : state) {
    spacing = spacing == 8 ? 16 : 8;
    g.spacing->setConstant(spacing);
    g.root->layoutIfNeeded();
  }
  const double each = millisecondsSince(start) / static_cast<double>(state.iterations());
  state.counters["speedup"] = baseline / each;
}
BENCHMARK(BM_LayoutPassAfterOneConstant)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
