// A chain of N views placed by constraints, laid out through the view tree in one
// `layoutIfNeeded`, beside the baseline: the same constraints fed straight to the solver in the
// order they were activated, and the frames read back from its solution.
//
// Each view's leading is the previous view's trailing + 1 (the first: the container's leading
// + 1), its width is 3 at priority 750 and at least 1, its top is 4 below the container's and its
// height is the previous view's (the first: 20). The constraints between two views and those to
// the container are kept on the container; the widths on each view itself.
//
// Every iteration builds a fresh tree and a fresh solver (untimed) and times both sides, so the
// two interleave under the same load. "tree_ms" and "solver_ms" are the mean times of one
// layout, "ratio" = tree / solver, "same" = 1 when every frame the tree laid out equals the one
// read from the solver. Run at two sizes, so growth shows.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/LayoutSolver.h"
#include "platform/layout/ViewLayout.h"
#include "platform/ui/View.h"

namespace {

using platform::LayoutConstraint;
using platform::LinearExpression;
using platform::makeRect;
using platform::Rect;
using platform::SolverRelation;
using platform::SolverVariable;
using platform::View;

double millisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

struct Chain {
  std::shared_ptr<View> root;
  std::vector<std::shared_ptr<View>> views;
};

// The chain as views, its constraints activated view by view.
Chain makeTreeChain(int n) {
  Chain chain;
  chain.root = View::create(makeRect(0, 0, 4.0 * n + 10, 100));
  auto relate = [](const std::shared_ptr<View>& a, platform::LayoutAttribute aa,
                   platform::LayoutRelation r, const std::shared_ptr<View>& b,
                   platform::LayoutAttribute ba, double c, float priority = 1000) {
    auto constraint = LayoutConstraint::create(a, aa, r, b, ba, 1, c);
    constraint->setPriority(priority);
    constraint->setActive(true);
  };
  using platform::LayoutAttributeHeight, platform::LayoutAttributeLeading,
      platform::LayoutAttributeNotAnAttribute, platform::LayoutAttributeTop,
      platform::LayoutAttributeTrailing, platform::LayoutAttributeWidth;
  constexpr auto eq = platform::LayoutRelationEqual;
  std::shared_ptr<View> previous;
  for (int i = 0; i < n; ++i) {
    auto v = View::create();
    platform::setTranslatesAutoresizingMaskIntoConstraints(*v, false);
    chain.root->addSubview(v);
    if (previous) {
      relate(v, LayoutAttributeLeading, eq, previous, LayoutAttributeTrailing, 1);
    } else {
      relate(v, LayoutAttributeLeading, eq, chain.root, LayoutAttributeLeading, 1);
    }
    relate(v, LayoutAttributeWidth, eq, nullptr, LayoutAttributeNotAnAttribute, 3, 750);
    relate(v, LayoutAttributeWidth, platform::LayoutRelationGreaterThanOrEqual, nullptr,
           LayoutAttributeNotAnAttribute, 1);
    relate(v, LayoutAttributeTop, eq, chain.root, LayoutAttributeTop, 4);
    if (previous) {
      relate(v, LayoutAttributeHeight, eq, previous, LayoutAttributeHeight, 0);
    } else {
      relate(v, LayoutAttributeHeight, eq, nullptr, LayoutAttributeNotAnAttribute, 20);
    }
    chain.views.push_back(v);
    previous = v;
  }
  return chain;
}

// The same constraints over a solver's variables, in the same order; the container held at its
// place.
struct SolverChain {
  std::unique_ptr<platform::LayoutSolver> solver = std::make_unique<platform::LayoutSolver>();
  std::vector<platform::SolverConstraintRef> constraints;
  struct Box {
    SolverVariable left, top, width, height;
  };
  Box root;
  std::vector<Box> boxes;
};

SolverChain makeSolverChain(int n) {
  SolverChain s;
  auto box = [&] {
    return SolverChain::Box{s.solver->makeVariable(), s.solver->makeVariable(),
                            s.solver->makeVariable(), s.solver->makeVariable()};
  };
  auto add = [&](std::vector<std::pair<SolverVariable, double>> terms, double constant,
                 SolverRelation r = SolverRelation::Equal,
                 double strength = platform::kSolverRequired) {
    LinearExpression e;
    for (auto [v, c] : terms) e.add(v, c);
    e.constant = constant;
    s.constraints.push_back(platform::makeSolverConstraint(std::move(e), r, strength));
  };
  s.root = box();
  add({{s.root.left, 1}}, 0);
  add({{s.root.top, 1}}, 0);
  for (int i = 0; i < n; ++i) {
    const SolverChain::Box b = box();
    if (i > 0) {
      const SolverChain::Box& p = s.boxes.back();
      add({{b.left, 1}, {p.left, -1}, {p.width, -1}}, -1);
    } else {
      add({{b.left, 1}, {s.root.left, -1}}, -1);
    }
    add({{b.width, 1}}, -3, SolverRelation::Equal, 750);
    add({{b.width, 1}}, -1, SolverRelation::GreaterThanOrEqual);
    add({{b.top, 1}, {s.root.top, -1}}, -4);
    if (i > 0) {
      add({{b.height, 1}, {s.boxes.back().height, -1}}, 0);
    } else {
      add({{b.height, 1}}, -20);
    }
    s.boxes.push_back(b);
  }
  return s;
}

std::vector<Rect> solve(SolverChain& s) {
  for (const auto& c : s.constraints) {
    if (auto status = s.solver->addConstraint(c); !status) {
      std::fprintf(stderr, "solver refused: %s\n", status.error().localizedDescription().c_str());
      std::abort();
    }
  }
  std::vector<Rect> frames;
  frames.reserve(s.boxes.size());
  const double x0 = s.solver->value(s.root.left), y0 = s.solver->value(s.root.top);
  for (const auto& b : s.boxes) {
    frames.push_back(makeRect(s.solver->value(b.left) - x0, s.solver->value(b.top) - y0,
                              s.solver->value(b.width), s.solver->value(b.height)));
  }
  return frames;
}

bool sameFrames(const Chain& chain, const std::vector<Rect>& frames) {
  if (frames.size() != chain.views.size()) return false;
  for (std::size_t i = 0; i < frames.size(); ++i) {
    const Rect f = chain.views[i]->frame();
    if (std::fabs(f.origin.x - frames[i].origin.x) > 1e-6 ||
        std::fabs(f.origin.y - frames[i].origin.y) > 1e-6 ||
        std::fabs(f.size.width - frames[i].size.width) > 1e-6 ||
        std::fabs(f.size.height - frames[i].size.height) > 1e-6) {
      return false;
    }
  }
  return true;
}

void ChainOfViews(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  double treeMs = 0, solverMs = 0;
  bool same = true;
  for (auto _ : state) {
    state.PauseTiming();
    Chain chain = makeTreeChain(n);
    SolverChain bare = makeSolverChain(n);
    state.ResumeTiming();
    auto start = std::chrono::steady_clock::now();
    chain.root->layoutIfNeeded();
    treeMs += millisecondsSince(start);
    start = std::chrono::steady_clock::now();
    const std::vector<Rect> frames = solve(bare);
    solverMs += millisecondsSince(start);
    state.PauseTiming();
    same = same && sameFrames(chain, frames);
    chain = Chain();  // freeing is not laying out
    bare = SolverChain();
    state.ResumeTiming();
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["tree_ms"] = treeMs / runs;
  state.counters["solver_ms"] = solverMs / runs;
  state.counters["ratio"] = treeMs / solverMs;
  state.counters["same"] = same;
  if (!same) state.SkipWithError("the tree's frames differ from the solver's");
}
BENCHMARK(ChainOfViews)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace

int main(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
