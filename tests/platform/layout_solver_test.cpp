#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/layout/LayoutSolver.h"

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
  LayoutSolver s;
  auto x = s.makeVariable();
  ASSERT_TRUE(s.addConstraint(fix(x, R::Equal, 200, 250)));
  ASSERT_TRUE(s.addConstraint(fix(x, R::Equal, 100, 750)));
  EXPECT_DOUBLE_EQ(s.value(x), 100);
  // Three weak wishes do not outvote one medium wish.
  LayoutSolver t;
  auto w = t.makeVariable();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(t.addConstraint(fix(w, R::Equal, 0, 250)));
  ASSERT_TRUE(t.addConstraint(fix(w, R::Equal, 40, 500)));
  EXPECT_DOUBLE_EQ(t.value(w), 40);
  // Among equals, the errors add up: two wishes at 0 against one at 40 settle at 0.
  LayoutSolver u;
  auto v = u.makeVariable();
  ASSERT_TRUE(u.addConstraint(fix(v, R::Equal, 0, 250)));
  ASSERT_TRUE(u.addConstraint(fix(v, R::Equal, 0, 250)));
  ASSERT_TRUE(u.addConstraint(fix(v, R::Equal, 40, 250)));
  EXPECT_DOUBLE_EQ(u.value(v), 0);
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
}

TEST(LayoutSolver, ChangingTheConstantOfAnImpliedConstraint) {
  LayoutSolver s;
  auto x = s.makeVariable();
  auto a = fix(x, R::Equal, 5), b = fix(x, R::Equal, 5);
  ASSERT_TRUE(s.addConstraint(a));
  ASSERT_TRUE(s.addConstraint(b));
  EXPECT_EQ(codeOf(s.setConstant(b, -6)), SolverError::UnsatisfiableConstraint);
  EXPECT_TRUE(s.hasConstraint(b));
  ASSERT_TRUE(s.removeConstraint(a));
  ASSERT_TRUE(s.setConstant(b, -6));
  EXPECT_DOUBLE_EQ(s.value(x), 6);
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

}  // namespace
}  // namespace platform
