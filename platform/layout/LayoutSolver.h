#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Status.h"
#include "platform/layout/SolverRow.h"
#include "platform/layout/SolverTableau.h"
#include "platform/layout/SolverTypes.h"

namespace platform {

// An incremental simplex solver for systems of linear equalities and inequalities, each required
// or preferred at a strength. It keeps one tableau alive: adding or removing a constraint pivots
// only what it touches and re-optimises from the current solution, and a changed constant or a
// suggested edit value is repaired with dual simplex pivots, so the cost follows the size of the
// change, not of the system.
//
// Nothing throws: every failure comes back as an Error in kLayoutSolverErrorDomain and leaves the
// solver as it was.
class LayoutSolver {
 public:
  LayoutSolver();
  ~LayoutSolver();
  LayoutSolver(const LayoutSolver&) = delete;
  LayoutSolver& operator=(const LayoutSolver&) = delete;

  SolverVariable makeVariable();
  // The variable's value in the current solution (0 for one no constraint mentions).
  double value(SolverVariable variable) const;

  // A required constraint that contradicts the required ones already present is refused with
  // UnsatisfiableConstraint; the solution stays what it was.
  Status addConstraint(const SolverConstraintRef& constraint);
  Status removeConstraint(const SolverConstraintRef& constraint);
  bool hasConstraint(const SolverConstraintRef& constraint) const;
  // Replaces the constraint's expression constant without rebuilding it. A required constraint
  // that the new constant makes impossible keeps its old constant (UnsatisfiableConstraint).
  Status setConstant(const SolverConstraintRef& constraint, double constant);
  std::size_t constraintCount() const { return constraints_.size(); }

  // An edit variable is held at suggested values with a strength; an edit is never required: at
  // 1000 it outranks every preference but yields to required constraints.
  Status addEditVariable(SolverVariable variable, double strength);
  Status removeEditVariable(SolverVariable variable);
  bool hasEditVariable(SolverVariable variable) const;
  Status suggestValue(SolverVariable variable, double value);

 private:
  using Symbol = SolverRow::Symbol;
  enum class Kind : std::uint8_t { External, Slack, Error, Dummy };
  struct Entry {
    SolverConstraintRef constraint;
    Symbol marker = 0;
    Symbol other = 0;
    double markerCoefficient = 1;  // the marker's coefficient in the constraint's own row
    double constant = 0;           // the expression constant in force
    double level = 0;              // objective level of the error symbols
    bool required = true;
  };
  struct Level {
    double strength;
    SolverRow row;
  };

  Status add(const SolverConstraintRef& constraint, double constant, bool required);
  Status validate(const SolverConstraint& constraint) const;
  SolverRow createRow(const SolverConstraint& c, double constant, Entry& entry);
  Symbol chooseSubject(const SolverRow& row, const Entry& entry) const;
  bool allDummies(const SolverRow& row) const;
  bool addWithArtificialVariable(const SolverRow& row);
  void removeEntry(const Entry& entry);
  void removeErrorEffects(const Entry& entry);
  Symbol markerLeavingRow(Symbol marker) const;
  bool shiftMarker(Symbol marker, double shift);
  bool anyDummyRowOff() const;

  bool optimize(const std::vector<SolverRow*>& levels);
  Symbol enteringSymbol(const std::vector<SolverRow*>& levels, bool lowestFirst) const;
  Symbol leavingRow(Symbol entering) const;
  bool dualOptimize();
  Symbol dualEnteringSymbol(const SolverRow& row) const;
  void pivot(Symbol leaving, Symbol entering);
  void substitute(Symbol symbol, const SolverRow& row);
  void setRow(Symbol basic, SolverRow row);
  const std::vector<Symbol>& users(Symbol symbol) const { return rows_.users(symbol); }

  Symbol newSymbol(Kind kind);
  Kind kind(Symbol s) const { return kinds_[s]; }
  bool pivotable(Symbol s) const { return kinds_[s] == Kind::Slack || kinds_[s] == Kind::Error; }
  SolverRow& level(double strength);
  std::vector<SolverRow*> objectiveLevels();

  std::vector<Kind> kinds_;  // by symbol; symbol 0 is "none"
  SolverTableau rows_;
  std::vector<Level> objective_;  // strongest first
  std::unique_ptr<SolverRow> artificial_;
  std::unordered_map<const SolverConstraint*, Entry> constraints_;
  std::unordered_map<Symbol, SolverConstraintRef> edits_;  // by variable
  std::vector<Symbol> infeasible_;
  // Rows of constraints implied by others (basic dummies, which must stay zero); a superset.
  std::unordered_set<Symbol> dummyRows_;
  // Scratch of the pivots: stamps by symbol, symbols a substitution added to or cancelled out of
  // a row.
  mutable std::vector<std::uint32_t> seen_;
  mutable std::uint32_t stamp_ = 0;
  std::vector<Symbol> added_, cancelled_;
};

}  // namespace platform
