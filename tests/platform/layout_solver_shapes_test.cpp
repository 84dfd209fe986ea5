// The solver's hardest shapes, small enough to check against answers worked out independently:
// a chain of views squeezed by its container (the weakest preferences give way first) and boxes
// with conflicting preferences at many priorities (the lexicographic optimum, found by trying
// every corner of each box's feasible region). Constants are changed and constraints removed and
// added again afterwards, so rows and columns that went stale over many pivots are exercised.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>
#include <random>
#include <set>
#include <vector>

#include "platform/layout/LayoutSolver.h"
#include "platform/layout/SolverTableau.h"

namespace platform {
namespace {

using R = SolverRelation;

SolverConstraintRef relation(std::vector<SolverTerm> terms, double constant, R r,
                             double strength = kSolverRequired) {
  return makeSolverConstraint(LinearExpression{std::move(terms), constant}, r, strength);
}

struct Chain {
  static constexpr int kViews = 40;
  LayoutSolver s;
  std::vector<SolverVariable> x, w;
  std::vector<double> priority;
  SolverConstraintRef bound;

  explicit Chain(double right) {
    for (int i = 0; i < kViews; ++i) {
      x.push_back(s.makeVariable());
      w.push_back(s.makeVariable());
      priority.push_back(1 + 998.0 * ((i * 7919) % kViews) / kViews);
      add(i == 0 ? relation({{x[0], 1}}, -8, R::Equal)
                 : relation({{x[i], 1}, {x[i - 1], -1}, {w[i - 1], -1}}, -8, R::Equal));
      add(relation({{w[i], 1}}, -10, R::GreaterThanOrEqual));
      add(relation({{w[i], 1}}, -40, R::Equal, priority[i]));
    }
    bound = relation({{x.back(), 1}, {w.back(), 1}}, -right, R::LessThanOrEqual);
    add(bound);
  }
  void add(const SolverConstraintRef& c) { ASSERT_TRUE(s.addConstraint(c)); }

  // Widths of 40 but for the weakest, each giving up to 30, until the last right edge fits.
  void expectSqueezedTo(double right) {
    SCOPED_TRACE(right);
    std::vector<double> width(kViews, 40);
    double excess = 8.0 * kViews + 40.0 * kViews - right;
    std::vector<int> weakest(kViews);
    std::iota(weakest.begin(), weakest.end(), 0);
    std::sort(weakest.begin(), weakest.end(),
              [&](int a, int b) { return priority[a] < priority[b]; });
    for (int i : weakest) {
      const double give = std::clamp(excess, 0.0, 30.0);
      width[i] -= give;
      excess -= give;
    }
    double left = 8;
    for (int i = 0; i < kViews; ++i) {
      EXPECT_NEAR(s.value(w[i]), width[i], 1e-6) << "view " << i;
      EXPECT_NEAR(s.value(x[i]), left, 1e-6) << "view " << i;
      left += width[i] + 8;
    }
  }
};

TEST(LayoutSolverShapes, AChainGivesWayByPriority) {
  Chain chain(1820);  // 100 too short: three views at 10 and one at 30
  chain.expectSqueezedTo(1820);
  ASSERT_TRUE(chain.s.setConstant(chain.bound, -1700));
  chain.expectSqueezedTo(1700);
  ASSERT_TRUE(chain.s.removeConstraint(chain.bound));
  chain.expectSqueezedTo(1920);                     // nothing in the way: every view at 40
  ASSERT_TRUE(chain.s.addConstraint(chain.bound));  // with the constant it was made with
  chain.expectSqueezedTo(1820);
  // Too short even at every minimum: refused, and the solution stays.
  auto impossible = relation({{chain.x.back(), 1}, {chain.w.back(), 1}}, -600, R::LessThanOrEqual);
  EXPECT_FALSE(chain.s.addConstraint(impossible));
  chain.expectSqueezedTo(1820);
}

// One box on a line of 1,000: place x, width w, with four preferences at distinct priorities.
struct Box {
  double place[2], width[2], priority[4];  // x = place[0] @ priority[0], ... w = width[1] @ [3]
  std::optional<double> fixedX;

  // Error of each preference, strongest first.
  std::vector<double> errors(double x, double w) const {
    std::vector<std::pair<double, double>> e{{priority[0], std::fabs(x - place[0])},
                                             {priority[1], std::fabs(x - place[1])},
                                             {priority[2], std::fabs(w - width[0])},
                                             {priority[3], std::fabs(w - width[1])}};
    std::sort(e.begin(), e.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    std::vector<double> out;
    for (const auto& [p, error] : e) out.push_back(error);
    return out;
  }
  // The lexicographic optimum lies on a corner of the lines the preferences and bounds draw.
  std::pair<double, double> best() const {
    struct Line {
      double a, b, c;  // a x + b w = c
    };
    std::vector<Line> lines{{1, 0, place[0]}, {1, 0, place[1]}, {0, 1, width[0]}, {0, 1, width[1]},
                            {1, 0, 0},        {0, 1, 0},        {1, 1, 1000}};
    if (fixedX) lines.push_back({1, 0, *fixedX});
    std::optional<std::pair<double, double>> found;
    std::vector<double> least;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      for (std::size_t j = i + 1; j < lines.size(); ++j) {
        const Line &p = lines[i], &q = lines[j];
        const double det = p.a * q.b - p.b * q.a;
        if (std::fabs(det) < 1e-12) continue;
        const double x = (p.c * q.b - p.b * q.c) / det, w = (p.a * q.c - p.c * q.a) / det;
        if (x < -1e-9 || w < -1e-9 || x + w > 1000 + 1e-9) continue;
        if (fixedX && std::fabs(x - *fixedX) > 1e-9) continue;
        const auto e = errors(x, w);
        if (!found ||
            std::lexicographical_compare(e.begin(), e.end(), least.begin(), least.end(),
                                         [](double a, double b) { return a < b - 1e-9; })) {
          found = {x, w};
          least = e;
        }
      }
    }
    return *found;
  }
};

TEST(LayoutSolverShapes, ConflictingPairsAtManyPrioritiesReachTheLexicographicOptimum) {
  constexpr int kBoxes = 80;
  LayoutSolver s;
  std::vector<Box> boxes;
  std::vector<SolverVariable> x, w;
  std::vector<SolverConstraintRef> preferences;
  for (int k = 0; k < kBoxes; ++k) {
    x.push_back(s.makeVariable());
    w.push_back(s.makeVariable());
    const int base = (k * 37) % 999;
    Box box{
        {double((k * 13) % 700), double((k * 29) % 900)},
        {double(100 + (k * 17) % 500), double((k * 31) % 400)},
        {1.0 + base, 1.0 + (base + 250) % 999, 1.0 + (base + 500) % 999, 1.0 + (base + 750) % 999},
        k == 0 ? std::optional<double>(5) : std::nullopt};
    ASSERT_TRUE(s.addConstraint(relation({{x[k], 1}}, 0, R::GreaterThanOrEqual)));
    ASSERT_TRUE(s.addConstraint(relation({{w[k], 1}}, 0, R::GreaterThanOrEqual)));
    ASSERT_TRUE(s.addConstraint(relation({{x[k], 1}, {w[k], 1}}, -1000, R::LessThanOrEqual)));
    for (int p = 0; p < 4; ++p) {
      const SolverVariable v = p < 2 ? x[k] : w[k];
      const double target = p < 2 ? box.place[p] : box.width[p - 2];
      preferences.push_back(relation({{v, 1}}, -target, R::Equal, box.priority[p]));
      ASSERT_TRUE(s.addConstraint(preferences.back()));
    }
    if (box.fixedX) {
      ASSERT_TRUE(s.addConstraint(relation({{x[k], 1}}, -5, R::Equal)));
    }
    boxes.push_back(box);
  }
  auto expectOptimal = [&](const char* when) {
    for (int k = 0; k < kBoxes; ++k) {
      const auto [bx, bw] = boxes[k].best();
      EXPECT_NEAR(s.value(x[k]), bx, 1e-6) << when << ", box " << k;
      EXPECT_NEAR(s.value(w[k]), bw, 1e-6) << when << ", box " << k;
    }
  };
  expectOptimal("added");

  // Every box's strongest place moved; then the stronger width preferences taken away and back.
  for (int k = 0; k < kBoxes; ++k) {
    boxes[k].place[0] = (k * 53) % 950;
    ASSERT_TRUE(s.setConstant(preferences[4 * k], -boxes[k].place[0]));
  }
  expectOptimal("moved");
  for (int k = 0; k < kBoxes; k += 3) ASSERT_TRUE(s.removeConstraint(preferences[4 * k + 2]));
  for (int k = 0; k < kBoxes; k += 3) {
    // Gone: in the oracle, a copy of the other width preference, weaker than any, has no say.
    boxes[k].priority[2] = 0.5;
    boxes[k].width[0] = boxes[k].width[1];
  }
  expectOptimal("removed");
  for (int k = 0; k < kBoxes; k += 3) {
    boxes[k].width[0] = preferences[4 * k + 2]->expression.constant * -1;
    boxes[k].priority[2] = preferences[4 * k + 2]->strength;
    ASSERT_TRUE(s.addConstraint(preferences[4 * k + 2]));
  }
  expectOptimal("added again");
}

// Rows put in, taken out and edited in place at random, as pivots do: every column always
// names exactly the rows that mention its symbol, whether it is kept or, grown dense, scanned for.
TEST(LayoutSolverShapes, ColumnsNameExactlyTheRowsThatMentionASymbol) {
  constexpr SolverRow::Symbol kSymbols = 400;
  SolverTableau t;
  t.grow(kSymbols);
  std::mt19937 random(3);
  auto symbol = [&] { return static_cast<SolverRow::Symbol>(1 + random() % (kSymbols - 1)); };
  for (int step = 0; step < 6000; ++step) {
    const auto basic = symbol();
    if (!t.find(basic)) {
      SolverRow row(1);
      // A few symbols for most rows, most symbols for some: columns grow dense and thin out.
      const int terms = random() % 3 == 0 ? 300 : 1 + random() % 4;
      for (int i = 0; i < terms; ++i) row.insert(symbol(), 1.0 + random() % 3);
      t.set(basic, std::move(row));
    } else if (random() % 4 == 0) {
      t.take(basic);
    } else {  // in place, told what changed
      SolverRow& row = *t.find(basic);
      const auto s = symbol();
      const double c = row.coefficientFor(s);
      if (c != 0.0) {
        row.insert(s, -c);
        t.noteRemoved(s, basic);
      } else {
        row.insert(s, 2.0);
        t.noteAdded(s, basic);
      }
    }
    if (step % 61 != 0) continue;
    for (SolverRow::Symbol s = 1; s < kSymbols; s += 7) {
      std::set<SolverRow::Symbol> expected, found;
      for (SolverRow::Symbol b = 1; b < kSymbols; ++b) {
        if (t.find(b) && t.find(b)->coefficientFor(s) != 0.0) expected.insert(b);
      }
      for (auto b : t.users(s)) EXPECT_TRUE(found.insert(b).second) << "listed twice: " << b;
      ASSERT_EQ(found, expected) << "step " << step << ", symbol " << s;
    }
  }
  // Handing a column over empties it.
  const auto s = symbol();
  const auto taken = t.takeUsers(s);
  EXPECT_TRUE(t.users(s).empty());
  for (auto b : taken) EXPECT_NE(t.find(b)->coefficientFor(s), 0.0);
}

}  // namespace
}  // namespace platform
