// The constraint solver on a grid of 500 boxes: solving from scratch is the baseline that the
// incremental re-solves are measured against ("speedup" = from-scratch time / re-solve time, both
// from this run; "constraints_per_ms" = constraints solved, or kept solved, per millisecond).
//
// Then its worst shapes, each solved from scratch once in a fresh child process by this solver
// and by its previous version (layout_solver_previous.h) in the same run: a chain of 2,000 views,
// each after the previous (10,001 constraints), and 10,000 preferences in conflicting pairs at
// priorities 1-999 with their 7,501 required bounds. "speedup" = previous time / time,
// "peak_mb" = growth of the peak resident size while solving, "same" = 1 when both solutions
// agree (a weighted sum of every variable, each rounded to a millionth).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/layout_solver_previous.h"

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

// A refused step would leave another problem than the one measured: stop rather than report it.
void require(const platform::Status& status) {
  if (status) return;
  std::fprintf(stderr, "solver refused: %s\n", status.error().localizedDescription().c_str());
  std::abort();
}
// The previous solver still reports an error as an optional.
void require(const std::optional<platform::Error>& error) {
  require(error ? platform::Status(*error) : platform::Status::ok());
}

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
  require(s.addEditVariable(g.width, 1000));
  require(s.addEditVariable(g.height, 1000));
  require(s.suggestValue(g.width, 1200));
  require(s.suggestValue(g.height, 900));
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
  for (const auto& c : g.constraints) require(g.solver->addConstraint(c));
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
    require(g.solver->setConstant(g.spacing, spacing));
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
    require(g.solver->suggestValue(g.width, width));
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

// ---- The worst shapes ----

// Required or preferred `sum(terms) + constant (relation) 0`.
SolverConstraintRef relation(std::vector<std::pair<SolverVariable, double>> terms, double constant,
                             SolverRelation r, double strength = platform::kSolverRequired) {
  return equal(std::move(terms), constant, strength, r);
}

struct Shape {
  std::vector<SolverConstraintRef> constraints;
  std::vector<SolverVariable> variables;  // what is compared
};

// Views left to right, 8 apart from the container's edge and from each other, each at least 10
// wide and preferring 40 at its own priority, the last one's right edge at most 95,000: the
// weakest preferences give way.
template <class Solver>
Shape chain(Solver& s, int views) {
  Shape shape;
  auto add = [&](SolverConstraintRef c) { shape.constraints.push_back(std::move(c)); };
  SolverVariable previousX, previousW;
  for (int i = 0; i < views; ++i) {
    const SolverVariable x{s.makeVariable().id}, y{s.makeVariable().id}, w{s.makeVariable().id},
        h{s.makeVariable().id};
    const double priority = 1 + 998.0 * ((i * 7919) % views) / views;
    if (i == 0) {
      add(relation({{x, 1}}, -8, SolverRelation::Equal));
    } else {
      add(relation({{x, 1}, {previousX, -1}, {previousW, -1}}, -8, SolverRelation::Equal));
    }
    add(relation({{w, 1}}, -10, SolverRelation::GreaterThanOrEqual));
    add(relation({{w, 1}}, -40, SolverRelation::Equal, priority));
    add(relation({{y, 1}}, -8, SolverRelation::Equal));
    add(relation({{h, 1}}, -30, SolverRelation::Equal, 750));
    shape.variables.insert(shape.variables.end(), {x, y, w, h});
    previousX = x;
    previousW = w;
  }
  add(relation({{previousX, 1}, {previousW, 1}}, -(views * 47.5), SolverRelation::LessThanOrEqual));
  return shape;
}

// Boxes on a line of 1,000 that each prefer two places and two widths at four priorities; a
// preference of each pair loses, and some lose to the line's end.
template <class Solver>
Shape conflictingPairs(Solver& s, int boxes) {
  Shape shape;
  auto add = [&](SolverConstraintRef c) { shape.constraints.push_back(std::move(c)); };
  for (int k = 0; k < boxes; ++k) {
    const SolverVariable x{s.makeVariable().id}, w{s.makeVariable().id};
    add(relation({{x, 1}}, 0, SolverRelation::GreaterThanOrEqual));
    add(relation({{w, 1}}, 0, SolverRelation::GreaterThanOrEqual));
    add(relation({{x, 1}, {w, 1}}, -1000, SolverRelation::LessThanOrEqual));
    const int base = (k * 37) % 999;
    auto priority = [&](int offset) { return 1.0 + (base + offset) % 999; };
    add(relation({{x, 1}}, -((k * 13) % 700), SolverRelation::Equal, priority(0)));
    add(relation({{x, 1}}, -((k * 29) % 900), SolverRelation::Equal, priority(250)));
    add(relation({{w, 1}}, -(100 + (k * 17) % 500), SolverRelation::Equal, priority(500)));
    add(relation({{w, 1}}, -((k * 31) % 400), SolverRelation::Equal, priority(750)));
    shape.variables.insert(shape.variables.end(), {x, w});
    if (k == 0) add(relation({{x, 1}}, -5, SolverRelation::Equal));
  }
  return shape;
}

long statusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  }
  return 0;
}

struct Solved {
  double milliseconds = -1;
  double peakMegabytes = 0;
  double checksum = 0;  // the solution, summed with weights, to compare two solvers
};

// Builds and solves the shape in a fresh child process, so that neither solver's memory or heap
// state touches the other's figures.
template <class Solver>
Solved solveInChild(Shape (*build)(Solver&, int), int size) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    Solved out;
    {
      auto solver = std::make_unique<Solver>();
      Shape shape = build(*solver, size);
      std::ofstream("/proc/self/clear_refs") << "5";  // VmHWM starts again from VmRSS
      const long before = statusKilobytes("VmRSS:");
      const auto start = std::chrono::steady_clock::now();
      for (const auto& c : shape.constraints) require(solver->addConstraint(c));
      for (std::size_t i = 0; i < shape.variables.size(); ++i) {
        out.checksum += std::round(solver->value(shape.variables[i]) * 1e6) * (1 + i % 7);
      }
      out.milliseconds = millisecondsSince(start);
      out.peakMegabytes = static_cast<double>(statusKilobytes("VmHWM:") - before) / 1024.0;
    }
    const ssize_t written = write(fds[1], &out, sizeof out);
    _exit(written == sizeof out ? 0 : 1);
  }
  close(fds[1]);
  Solved in;
  if (child < 0 || read(fds[0], &in, sizeof in) != sizeof in) in = Solved{};
  close(fds[0]);
  if (child > 0) waitpid(child, nullptr, 0);
  return in;
}

void compareShapes(benchmark::State& state, Shape (*now)(LayoutSolver&, int),
                   Shape (*before)(platform::previous_solver::LayoutSolver&, int), int size,
                   double constraints) {
  Solved mine, previous;
  for (auto _ : state) {
    mine = solveInChild(now, size);
    previous = solveInChild(before, size);
  }
  if (mine.milliseconds < 0 || previous.milliseconds < 0) state.SkipWithError("a child failed");
  state.counters["ms"] = mine.milliseconds;
  state.counters["peak_mb"] = mine.peakMegabytes;
  state.counters["previous_ms"] = previous.milliseconds;
  state.counters["previous_peak_mb"] = previous.peakMegabytes;
  state.counters["speedup"] = previous.milliseconds / mine.milliseconds;
  state.counters["constraints_per_ms"] = constraints / mine.milliseconds;
  state.counters["same"] =
      std::fabs(mine.checksum - previous.checksum) <= 1e-6 * std::fabs(previous.checksum) + 1;
}

void BM_ChainOf2000Views(benchmark::State& state) {
  compareShapes(state, chain<LayoutSolver>, chain<platform::previous_solver::LayoutSolver>, 2000,
                10001);
}
BENCHMARK(BM_ChainOf2000Views)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ConflictingPairs(benchmark::State& state) {
  compareShapes(state, conflictingPairs<LayoutSolver>,
                conflictingPairs<platform::previous_solver::LayoutSolver>, 2500, 17501);
}
BENCHMARK(BM_ConflictingPairs)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
