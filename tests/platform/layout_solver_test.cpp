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

// v relation constant, or a - b relation constant.
SolverConstraintRef fix(SolverVariable v, R r, double c, double strength = kSolverRequired) {
  return makeSolverConstraint(LinearExpression{{{v, 1}}, -c}, r, strength);
}
SolverConstraintRef diff(SolverVariable a, SolverVariable b, R r, double c,
                         double strength = kSolverRequired) {
  return makeSolverConstraint(LinearExpression{{{a, 1}, {b, -1}}, -c}, r, strength);
}

long codeOf(const Status& status) { return status ? 0 : status.error().code; }

TEST(LayoutSolver, RequiredEqualitiesAndInequalitiesHold) {
  LayoutSolver s;
  auto x = s.makeVariable(), y = s.makeVariable(), z = s.makeVariable();
  ASSERT_TRUE(s.addConstraint(fix(x, R::Equal, 10)));
  ASSERT_TRUE(s.addConstraint(diff(y, x, R::Equal, 5)));  // y = x + 5
  ASSERT_TRUE(s.addConstraint(diff(z, y, R::GreaterThanOrEqual, 0)));
  ASSERT_TRUE(s.addConstraint(fix(z, R::LessThanOrEqual, 30)));
  ASSERT_TRUE(s.addConstraint(fix(z, R::Equal, 100, 250)));  // wants more than allowed
  EXPECT_DOUBLE_EQ(s.value(x), 10);
  EXPECT_DOUBLE_EQ(s.value(y), 15);
  EXPECT_DOUBLE_EQ(s.value(z), 30);
  ASSERT_TRUE(s.addConstraint(fix(z, R::Equal, 0, 500)));  // now below y: stops at y
  EXPECT_DOUBLE_EQ(s.value(z), 15);
}

TEST(LayoutSolver, StrongerPreferenceWinsWhateverTheNumberOfWeakerOnes) {
  struct Wish {
    double value, strength;
  };
  // Where one variable settles among wishes; among equals the errors add up.
  for (const auto& [wishes, settled] : std::vector<std::pair<std::vector<Wish>, double>>{
           {{{200, 250}, {100, 750}}, 100},
           {{{0, 250}, {0, 250}, {0, 250}, {40, 500}}, 40},
           {{{0, 250}, {0, 250}, {40, 250}}, 0}}) {
    LayoutSolver s;
    auto x = s.makeVariable();
    for (const Wish& w : wishes)
      ASSERT_TRUE(s.addConstraint(fix(x, R::Equal, w.value, w.strength)));
    EXPECT_DOUBLE_EQ(s.value(x), settled) << wishes.size() << " wishes";
  }
}

TEST(LayoutSolver, HuggingAndCompressionAroundAnIntrinsicWidth) {
  LayoutSolver s;
  auto w = s.makeVariable();
  ASSERT_TRUE(s.addConstraint(fix(w, R::GreaterThanOrEqual, 80, 750)));  // compression
  ASSERT_TRUE(s.addConstraint(fix(w, R::LessThanOrEqual, 80, 250)));     // hugging
  EXPECT_DOUBLE_EQ(s.value(w), 80);
  auto stretch = fix(w, R::Equal, 120, 500);
  ASSERT_TRUE(s.addConstraint(stretch));  // beats hugging
  EXPECT_DOUBLE_EQ(s.value(w), 120);
  ASSERT_TRUE(s.setConstant(stretch, -40));  // below the intrinsic size: compression wins
  EXPECT_DOUBLE_EQ(s.value(w), 80);
}

TEST(LayoutSolver, EditsFollowSuggestionsWithinTheRequiredConstraints) {
  LayoutSolver s;
  auto x = s.makeVariable(), y = s.makeVariable();
  ASSERT_TRUE(
      s.addConstraint(makeSolverConstraint(LinearExpression{{{x, 1}, {y, 1}}, -100}, R::Equal)));
  ASSERT_TRUE(s.addConstraint(fix(y, R::GreaterThanOrEqual, 0)));
  ASSERT_TRUE(s.addEditVariable(x, 500));
  for (double v = 0; v <= 100; v += 12.5) {  // a drag: every step lands where it was asked
    ASSERT_TRUE(s.suggestValue(x, v));
    EXPECT_DOUBLE_EQ(s.value(x), v);
    EXPECT_DOUBLE_EQ(s.value(y), 100 - v);
  }
  ASSERT_TRUE(s.suggestValue(x, 150));  // required y >= 0 stops the edit at 100
  EXPECT_DOUBLE_EQ(s.value(x), 100);
  EXPECT_DOUBLE_EQ(s.value(y), 0);
  ASSERT_TRUE(s.suggestValue(x, 25));
  EXPECT_DOUBLE_EQ(s.value(y), 75);
  // An edit at 1000 still yields to a required constraint.
  ASSERT_TRUE(s.addEditVariable(y, 1000));
  ASSERT_TRUE(s.suggestValue(y, -20));
  EXPECT_DOUBLE_EQ(s.value(y), 0);
  EXPECT_EQ(codeOf(s.addEditVariable(y, 500)), SolverError::DuplicateEditVariable);
  ASSERT_TRUE(s.removeEditVariable(y));
  EXPECT_EQ(codeOf(s.suggestValue(y, 3)), SolverError::UnknownEditVariable);
  EXPECT_EQ(codeOf(s.removeEditVariable(y)), SolverError::UnknownEditVariable);
}

TEST(LayoutSolver, RemovalRestoresThePreviousSolution) {
  LayoutSolver s;
  auto left = s.makeVariable(), width = s.makeVariable(), right = s.makeVariable();
  ASSERT_TRUE(s.addConstraint(
      makeSolverConstraint(LinearExpression{{{right, 1}, {left, -1}, {width, -1}}, 0}, R::Equal)));
  ASSERT_TRUE(s.addConstraint(fix(left, R::Equal, 20)));
  ASSERT_TRUE(s.addConstraint(fix(width, R::Equal, 50, 250)));
  const double before[3] = {s.value(left), s.value(width), s.value(right)};
  EXPECT_DOUBLE_EQ(before[2], 70);
  auto pin = fix(right, R::Equal, 200);
  ASSERT_TRUE(s.addConstraint(pin));
  EXPECT_DOUBLE_EQ(s.value(width), 180);
  ASSERT_TRUE(s.setConstant(pin, -120));  // the constant re-solves in place
  EXPECT_DOUBLE_EQ(s.value(width), 100);
  ASSERT_TRUE(s.removeConstraint(pin));
  EXPECT_DOUBLE_EQ(s.value(left), before[0]);
  EXPECT_DOUBLE_EQ(s.value(width), before[1]);
  EXPECT_DOUBLE_EQ(s.value(right), before[2]);
  EXPECT_EQ(codeOf(s.removeConstraint(pin)), SolverError::UnknownConstraint);
  EXPECT_EQ(codeOf(s.setConstant(pin, 3)), SolverError::UnknownConstraint);
}

TEST(LayoutSolver, UnsatisfiableRequiredConstraintsAreRefusedAndChangeNothing) {
  LayoutSolver s;
  auto x = s.makeVariable(), y = s.makeVariable();
  ASSERT_TRUE(s.addConstraint(fix(x, R::Equal, 10)));
  ASSERT_TRUE(s.addConstraint(diff(y, x, R::Equal, 0)));
  ASSERT_TRUE(s.addConstraint(fix(y, R::Equal, 10)));  // implied: accepted
  ASSERT_TRUE(s.addConstraint(fix(y, R::Equal, 30, 500)));
  EXPECT_EQ(codeOf(s.addConstraint(fix(y, R::Equal, 11))), SolverError::UnsatisfiableConstraint);
  EXPECT_EQ(codeOf(s.addConstraint(fix(x, R::GreaterThanOrEqual, 12))),
            SolverError::UnsatisfiableConstraint);
  EXPECT_EQ(s.constraintCount(), 4u);
  EXPECT_DOUBLE_EQ(s.value(x), 10);
  EXPECT_DOUBLE_EQ(s.value(y), 10);

  LayoutSolver t;  // a box that cannot be both wider than 50 and narrower than 40
  auto w = t.makeVariable();
  ASSERT_TRUE(t.addConstraint(fix(w, R::Equal, 45, 250)));
  auto atLeast = fix(w, R::GreaterThanOrEqual, 30);
  ASSERT_TRUE(t.addConstraint(atLeast));
  ASSERT_TRUE(t.addConstraint(fix(w, R::LessThanOrEqual, 40)));
  EXPECT_DOUBLE_EQ(t.value(w), 40);
  EXPECT_EQ(codeOf(t.setConstant(atLeast, -50)), SolverError::UnsatisfiableConstraint);
  EXPECT_DOUBLE_EQ(t.value(w), 40);  // the old constant stays in force
  ASSERT_TRUE(t.setConstant(atLeast, -35));
  EXPECT_DOUBLE_EQ(t.value(w), 40);
  EXPECT_EQ(codeOf(t.addConstraint(atLeast)), SolverError::DuplicateConstraint);

  // A constant of a constraint another one implies may move only once that one is gone.
  LayoutSolver u;
  auto v = u.makeVariable();
  auto a = fix(v, R::Equal, 5), b = fix(v, R::Equal, 5);
  ASSERT_TRUE(u.addConstraint(a));
  ASSERT_TRUE(u.addConstraint(b));
  EXPECT_EQ(codeOf(u.setConstant(b, -6)), SolverError::UnsatisfiableConstraint);
  EXPECT_TRUE(u.hasConstraint(b));
  ASSERT_TRUE(u.removeConstraint(a));
  ASSERT_TRUE(u.setConstant(b, -6));
  EXPECT_DOUBLE_EQ(u.value(v), 6);
}

TEST(LayoutSolver, ZeroCoefficientsAreNoTerms) {
  LayoutSolver s;
  auto x = s.makeVariable(), y = s.makeVariable(), w = s.makeVariable(), z = s.makeVariable();
  // x is basic, in terms of y and w (both free).
  ASSERT_TRUE(s.addConstraint(
      makeSolverConstraint(LinearExpression{{{x, 1}, {y, -1}, {w, -1}}, -4}, R::Equal)));
  // x times zero: only z = 7 remains, and y and w stay free.
  ASSERT_TRUE(s.addConstraint(
      makeSolverConstraint(LinearExpression{{{x, 0.0}, {z, 1}, {y, -0.0}}, -7}, R::Equal)));
  EXPECT_DOUBLE_EQ(s.value(z), 7);
  ASSERT_TRUE(s.addConstraint(fix(y, R::Equal, 1)));
  ASSERT_TRUE(s.addConstraint(fix(w, R::Equal, 2)));
  EXPECT_DOUBLE_EQ(s.value(x), 7);
  EXPECT_DOUBLE_EQ(s.value(z), 7);
}

TEST(LayoutSolver, BadInputIsAnErrorNotACrash) {
  LayoutSolver s, other;
  auto x = s.makeVariable();
  auto foreign = other.makeVariable();
  foreign.id += 5;
  EXPECT_EQ(codeOf(s.addConstraint(fix(foreign, R::Equal, 1))), SolverError::UnknownVariable);
  EXPECT_EQ(codeOf(s.addConstraint(fix(x, R::Equal, NAN))), SolverError::BadValue);
  EXPECT_EQ(codeOf(s.addConstraint(fix(x, R::Equal, 1, 0))), SolverError::BadStrength);
  EXPECT_EQ(codeOf(s.addEditVariable(x, NAN)), SolverError::BadStrength);
  EXPECT_EQ(codeOf(s.addConstraint(nullptr)), SolverError::UnknownConstraint);
  EXPECT_EQ(s.constraintCount(), 0u);
}

TEST(LayoutSolver, AChainOf500ViewsSolvesAndFollowsItsContainer) {
  LayoutSolver s;
  constexpr int kViews = 500;
  auto container = s.makeVariable();
  ASSERT_TRUE(s.addEditVariable(container, 1000));
  ASSERT_TRUE(s.suggestValue(container, 20000));
  std::vector<SolverVariable> left, width;
  for (int i = 0; i < kViews; ++i) {
    left.push_back(s.makeVariable());
    width.push_back(s.makeVariable());
    ASSERT_TRUE(s.addConstraint(fix(width[i], R::GreaterThanOrEqual, 2)));
    ASSERT_TRUE(s.addConstraint(fix(width[i], R::Equal, 30, 250)));
    if (i == 0) {
      ASSERT_TRUE(s.addConstraint(fix(left[0], R::Equal, 0)));
    } else {  // left = previous right + 2
      ASSERT_TRUE(s.addConstraint(makeSolverConstraint(
          LinearExpression{{{left[i], 1}, {left[i - 1], -1}, {width[i - 1], -1}}, -2}, R::Equal)));
    }
  }
  // The last right edge stays inside the container.
  ASSERT_TRUE(s.addConstraint(makeSolverConstraint(
      LinearExpression{{{left.back(), 1}, {width.back(), 1}, {container, -1}}, 0},
      R::LessThanOrEqual)));
  EXPECT_DOUBLE_EQ(s.value(width[123]), 30);
  EXPECT_DOUBLE_EQ(s.value(left[kViews - 1]), (kViews - 1) * 32.0);
  auto lastRight = [&] { return s.value(left.back()) + s.value(width.back()); };
  ASSERT_TRUE(s.suggestValue(container, 9000));  // squeezed: the widths give way, all >= 2
  EXPECT_NEAR(lastRight(), 9000, 1e-6);
  double sum = 0;
  for (int i = 0; i < kViews; ++i) {
    EXPECT_GE(s.value(width[i]), 2 - 1e-9);
    if (i > 0) {
      EXPECT_NEAR(s.value(left[i]), s.value(left[i - 1]) + s.value(width[i - 1]) + 2, 1e-6);
    }
    sum += s.value(width[i]);
  }
  EXPECT_NEAR(sum, 9000 - 2.0 * (kViews - 1), 1e-6);
  ASSERT_TRUE(s.suggestValue(container, 10));  // too small: the required widths win
  EXPECT_NEAR(s.value(container), 2.0 * kViews + 2.0 * (kViews - 1), 1e-6);
  ASSERT_TRUE(s.suggestValue(container, 20000));  // and everything comes back
  EXPECT_DOUBLE_EQ(s.value(width[0]), 30);
  EXPECT_DOUBLE_EQ(s.value(left[kViews - 1]), (kViews - 1) * 32.0);
}

// Random systems of boxes: whatever is added, moved or refused, every required constraint holds,
// and removing everything added after a point gives back the solution of that point.
TEST(LayoutSolver, RandomEditsKeepRequiredConstraintsAndUndoExactly) {
  std::mt19937 random(7);
  for (int round = 0; round < 30; ++round) {
    LayoutSolver s;
    std::vector<SolverVariable> v;
    std::vector<std::pair<SolverConstraintRef, double>> required;  // with the constant in force
    for (int i = 0; i < 12; ++i) {
      v.push_back(s.makeVariable());
      auto c = fix(v.back(), R::GreaterThanOrEqual, 0);
      required.emplace_back(c, 0.0);
      ASSERT_TRUE(s.addConstraint(c));
      ASSERT_TRUE(s.addConstraint(fix(v.back(), R::Equal, 10.0 * i, 100 + i)));  // unique optimum
    }
    std::vector<double> base;
    for (auto x : v) base.push_back(s.value(x));
    std::vector<SolverConstraintRef> added;
    for (int k = 0; k < 15; ++k) {
      auto a = v[random() % v.size()], b = v[random() % v.size()];
      if (a == b) continue;
      const auto rel = static_cast<R>(static_cast<int>(random() % 3) - 1);
      const bool isRequired = random() % 2;
      const double strength = isRequired ? kSolverRequired : 50 + random() % 900;
      auto c = diff(a, b, rel, static_cast<double>(random() % 40) - 20, strength);
      if (!s.addConstraint(c)) continue;
      added.push_back(c);
      double constant = c->expression.constant;
      const double moved = static_cast<double>(random() % 30) - 15;
      if (k % 3 == 0 && s.setConstant(c, moved)) constant = moved;
      if (isRequired) required.emplace_back(c, constant);
    }
    for (const auto& [c, constant] : required) {
      double value = constant;
      for (const auto& t : c->expression.terms) value += t.coefficient * s.value(t.variable);
      if (c->relation == R::GreaterThanOrEqual) {
        EXPECT_GE(value, -1e-6);
      } else if (c->relation == R::LessThanOrEqual) {
        EXPECT_LE(value, 1e-6);
      } else {
        EXPECT_NEAR(value, 0, 1e-6);
      }
    }
    for (auto it = added.rbegin(); it != added.rend(); ++it) ASSERT_TRUE(s.removeConstraint(*it));
    for (std::size_t i = 0; i < v.size(); ++i) EXPECT_NEAR(s.value(v[i]), base[i], 1e-6);
  }
}

// The solver's hardest shapes, small enough to check against answers worked out independently:
// a chain of views squeezed by its container (the weakest preferences give way first) and boxes
// with conflicting preferences at many priorities (the lexicographic optimum, found by trying
// every corner of each box's feasible region). Constants are changed and constraints removed and
// added again afterwards, so rows and columns that went stale over many pivots are exercised.

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
