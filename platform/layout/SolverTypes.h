#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

// A variable of one LayoutSolver (a handle; its value is asked of the solver that made it).
struct SolverVariable {
  std::uint32_t id = 0;  // 0: no variable
  bool operator==(const SolverVariable&) const = default;
};

struct SolverTerm {
  SolverVariable variable;
  double coefficient = 1;
};

// sum(coefficient * variable) + constant.
struct LinearExpression {
  std::vector<SolverTerm> terms;
  double constant = 0;

  LinearExpression& add(SolverVariable v, double coefficient) {
    terms.push_back({v, coefficient});
    return *this;
  }
};

enum class SolverRelation { LessThanOrEqual = -1, Equal = 0, GreaterThanOrEqual = 1 };

// Strengths are the layout priorities: 1000 must hold, anything weaker is satisfied as well as
// possible. An error of a stronger constraint always outweighs any sum of weaker errors; errors
// of one strength add up.
inline constexpr double kSolverRequired = 1000;

// "expression relation 0" at a strength. The solver knows a constraint by this object's identity.
struct SolverConstraint {
  LinearExpression expression;
  SolverRelation relation = SolverRelation::Equal;
  double strength = kSolverRequired;
};
using SolverConstraintRef = std::shared_ptr<const SolverConstraint>;

inline SolverConstraintRef makeSolverConstraint(LinearExpression expression,
                                                SolverRelation relation,
                                                double strength = kSolverRequired) {
  return std::make_shared<const SolverConstraint>(
      SolverConstraint{std::move(expression), relation, strength});
}

inline constexpr char kLayoutSolverErrorDomain[] = "platform.LayoutSolver";

// Codes of the errors the solver returns (domain kLayoutSolverErrorDomain).
namespace SolverError {
constexpr long UnsatisfiableConstraint = 1;
constexpr long DuplicateConstraint = 2;
constexpr long UnknownConstraint = 3;
constexpr long DuplicateEditVariable = 4;
constexpr long UnknownEditVariable = 5;
constexpr long UnknownVariable = 6;
constexpr long BadStrength = 7;
constexpr long BadValue = 8;
constexpr long Internal = 9;
}  // namespace SolverError

}  // namespace platform
