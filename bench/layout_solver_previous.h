// The constraint solver as it was before its tableau kept rows and columns in flat arrays and
// chose the entering symbol in one pass: kept unchanged as the baseline of bench_layout_solver
// (same answers, measured in the same run). Only that program includes it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/layout/SolverTypes.h"

namespace platform::previous_solver {

class SolverRow {
 public:
  using Symbol = std::uint32_t;
  using Term = std::pair<Symbol, double>;

  SolverRow() = default;
  explicit SolverRow(double constant) : constant_(constant) {}

  double constant() const { return constant_; }
  double addToConstant(double value) { return constant_ += value; }
  const std::vector<Term>& terms() const { return terms_; }
  bool isConstant() const { return terms_.empty(); }

  double coefficientFor(Symbol symbol) const;
  // Adds coefficient * symbol; a term that cancels out disappears.
  void insert(Symbol symbol, double coefficient = 1);
  // this += coefficient * other, constant included. Symbols this row did not have before are
  // appended to `added` when given.
  void insert(const SolverRow& other, double coefficient = 1, std::vector<Symbol>* added = nullptr);
  void remove(Symbol symbol);
  void reverseSign();
  // Reads the row as "0 = row" and rewrites it as "symbol = row'" (symbol leaves the terms).
  void solveFor(Symbol symbol);
  // Reads the row as "lhs = row" and rewrites it as "rhs = row'".
  void solveFor(Symbol lhs, Symbol rhs);
  // Replaces `symbol` by `row`; false when the symbol did not occur.
  bool substitute(Symbol symbol, const SolverRow& row, std::vector<Symbol>* added = nullptr);

 private:
  std::vector<Term>::iterator find(Symbol symbol);

  std::vector<Term> terms_;
  double constant_ = 0;
};

// Below this, a coefficient or value counts as zero (the tableau accumulates rounding).
inline constexpr double kSolverEpsilon = 1e-8;
inline bool nearZero(double v) { return v < kSolverEpsilon && v > -kSolverEpsilon; }

inline std::vector<SolverRow::Term>::iterator SolverRow::find(Symbol symbol) {
  return std::lower_bound(terms_.begin(), terms_.end(), symbol,
                          [](const Term& t, Symbol s) { return t.first < s; });
}

inline double SolverRow::coefficientFor(Symbol symbol) const {
  auto it = std::lower_bound(terms_.begin(), terms_.end(), symbol,
                             [](const Term& t, Symbol s) { return t.first < s; });
  return it != terms_.end() && it->first == symbol ? it->second : 0.0;
}

inline void SolverRow::insert(Symbol symbol, double coefficient) {
  auto it = find(symbol);
  if (it != terms_.end() && it->first == symbol) {
    it->second += coefficient;
    if (nearZero(it->second)) terms_.erase(it);
  } else if (!nearZero(coefficient)) {
    terms_.insert(it, {symbol, coefficient});
  }
}

inline void SolverRow::insert(const SolverRow& other, double coefficient,
                              std::vector<Symbol>* added) {
  constant_ += other.constant_ * coefficient;
  if (nearZero(coefficient)) return;  // adds no terms (and none with a zero coefficient)
  if (other.terms_.size() == 1) {     // the common case: a single term needs no merge buffer
    const Symbol s = other.terms_[0].first;
    if (added && coefficientFor(s) == 0.0) added->push_back(s);
    insert(s, other.terms_[0].second * coefficient);
    return;
  }
  // One scratch buffer per thread: merging trades buffers with it instead of allocating.
  thread_local std::vector<Term> merged;
  merged.clear();
  merged.reserve(terms_.size() + other.terms_.size());
  auto a = terms_.begin();
  auto b = other.terms_.begin();
  while (a != terms_.end() || b != other.terms_.end()) {
    if (b == other.terms_.end() || (a != terms_.end() && a->first < b->first)) {
      merged.push_back(*a++);
    } else if (a == terms_.end() || b->first < a->first) {
      const double product = b->second * coefficient;
      if (!nearZero(product)) {
        merged.emplace_back(b->first, product);
        if (added) added->push_back(b->first);
      }
      ++b;
    } else {
      const double sum = a->second + b->second * coefficient;
      if (!nearZero(sum)) merged.emplace_back(a->first, sum);
      ++a;
      ++b;
    }
  }
  terms_.swap(merged);
}

inline void SolverRow::remove(Symbol symbol) {
  auto it = find(symbol);
  if (it != terms_.end() && it->first == symbol) terms_.erase(it);
}

inline void SolverRow::reverseSign() {
  constant_ = -constant_;
  for (auto& t : terms_) t.second = -t.second;
}

inline void SolverRow::solveFor(Symbol symbol) {
  auto it = find(symbol);
  const double factor = -1.0 / it->second;
  terms_.erase(it);
  constant_ *= factor;
  for (auto& t : terms_) t.second *= factor;
}

inline void SolverRow::solveFor(Symbol lhs, Symbol rhs) {
  insert(lhs, -1.0);
  solveFor(rhs);
}

inline bool SolverRow::substitute(Symbol symbol, const SolverRow& row, std::vector<Symbol>* added) {
  auto it = find(symbol);
  if (it == terms_.end() || it->first != symbol) return false;
  const double coefficient = it->second;
  terms_.erase(it);
  insert(row, coefficient, added);
  return true;
}

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
  std::optional<Error> addConstraint(const SolverConstraintRef& constraint);
  std::optional<Error> removeConstraint(const SolverConstraintRef& constraint);
  bool hasConstraint(const SolverConstraintRef& constraint) const;
  // Replaces the constraint's expression constant without rebuilding it. A required constraint
  // that the new constant makes impossible keeps its old constant (UnsatisfiableConstraint).
  std::optional<Error> setConstant(const SolverConstraintRef& constraint, double constant);
  std::size_t constraintCount() const { return constraints_.size(); }

  // An edit variable is held at suggested values with a strength; an edit is never required: at
  // 1000 it outranks every preference but yields to required constraints.
  std::optional<Error> addEditVariable(SolverVariable variable, double strength);
  std::optional<Error> removeEditVariable(SolverVariable variable);
  bool hasEditVariable(SolverVariable variable) const;
  std::optional<Error> suggestValue(SolverVariable variable, double value);

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

  std::optional<Error> add(const SolverConstraintRef& constraint, double constant, bool required);
  std::optional<Error> validate(const SolverConstraint& constraint) const;
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
  // The basic symbols whose rows may contain `symbol` (a superset: entries go stale lazily).
  const std::unordered_set<Symbol>& users(Symbol symbol) const { return columns_[symbol]; }

  Symbol newSymbol(Kind kind);
  Kind kind(Symbol s) const { return kinds_[s]; }
  bool pivotable(Symbol s) const { return kinds_[s] == Kind::Slack || kinds_[s] == Kind::Error; }
  SolverRow& level(double strength);
  std::vector<SolverRow*> objectiveLevels();

  std::vector<Kind> kinds_;  // by symbol; symbol 0 is "none"
  std::unordered_map<Symbol, SolverRow> rows_;
  std::vector<std::unordered_set<Symbol>> columns_;  // by symbol: which rows mention it
  std::vector<Level> objective_;                     // strongest first
  std::unique_ptr<SolverRow> artificial_;
  std::unordered_map<const SolverConstraint*, Entry> constraints_;
  std::unordered_map<Symbol, SolverConstraintRef> edits_;  // by variable
  std::vector<Symbol> infeasible_;
  // Rows of constraints implied by others (basic dummies, which must stay zero); a superset.
  std::unordered_set<Symbol> dummyRows_;
};

inline Error solverError(long code, const char* what) {
  return Error::make(kLayoutSolverErrorDomain, code, what);
}

inline bool isRequired(double strength) { return strength >= kSolverRequired; }

inline LayoutSolver::LayoutSolver() : kinds_(1, Kind::Dummy), columns_(1) {}
LayoutSolver::~LayoutSolver() = default;

inline LayoutSolver::Symbol LayoutSolver::newSymbol(Kind kind) {
  kinds_.push_back(kind);
  columns_.emplace_back();
  return static_cast<Symbol>(kinds_.size() - 1);
}

inline SolverVariable LayoutSolver::makeVariable() {
  return SolverVariable{newSymbol(Kind::External)};
}

inline double LayoutSolver::value(SolverVariable variable) const {
  auto it = rows_.find(variable.id);
  return it == rows_.end() ? 0.0 : it->second.constant();
}

inline SolverRow& LayoutSolver::level(double strength) {
  auto it = objective_.begin();
  while (it != objective_.end() && it->strength > strength) ++it;
  if (it == objective_.end() || it->strength != strength) {
    it = objective_.insert(it, Level{strength, SolverRow()});
  }
  return it->row;
}

inline std::vector<SolverRow*> LayoutSolver::objectiveLevels() {
  std::vector<SolverRow*> levels;
  levels.reserve(objective_.size());
  for (auto& l : objective_) levels.push_back(&l.row);
  return levels;
}

inline std::optional<Error> LayoutSolver::validate(const SolverConstraint& c) const {
  if (!(c.strength > 0) || std::isnan(c.strength)) {
    return solverError(SolverError::BadStrength, "a strength must be a positive number");
  }
  if (!std::isfinite(c.expression.constant)) {
    return solverError(SolverError::BadValue, "the constant is not a finite number");
  }
  for (const auto& t : c.expression.terms) {
    if (t.variable.id == 0 || t.variable.id >= kinds_.size() ||
        kinds_[t.variable.id] != Kind::External) {
      return solverError(SolverError::UnknownVariable, "the variable is not this solver's");
    }
    if (!std::isfinite(t.coefficient)) {
      return solverError(SolverError::BadValue, "a coefficient is not a finite number");
    }
  }
  return std::nullopt;
}

inline std::optional<Error> LayoutSolver::addConstraint(const SolverConstraintRef& constraint) {
  if (!constraint) return solverError(SolverError::UnknownConstraint, "no constraint");
  return add(constraint, constraint->expression.constant, isRequired(constraint->strength));
}

inline bool LayoutSolver::hasConstraint(const SolverConstraintRef& constraint) const {
  return constraint && constraints_.count(constraint.get()) > 0;
}

inline std::optional<Error> LayoutSolver::add(const SolverConstraintRef& constraint,
                                              double constant, bool required) {
  if (constraints_.count(constraint.get())) {
    return solverError(SolverError::DuplicateConstraint, "the constraint was already added");
  }
  if (auto error = validate(*constraint)) return error;
  Entry entry;
  entry.constraint = constraint;
  entry.constant = constant;
  entry.required = required;
  entry.level = std::min(constraint->strength, kSolverRequired);
  SolverRow row = createRow(*constraint, constant, entry);
  Symbol subject = chooseSubject(row, entry);
  if (subject == 0 && allDummies(row)) {
    if (!nearZero(row.constant())) {
      return solverError(SolverError::UnsatisfiableConstraint,
                         "the required constraint contradicts the required ones present");
    }
    subject = entry.marker;  // implied by the others: keep its marker as a zero row
  }
  if (subject == 0) {
    if (!addWithArtificialVariable(row)) {
      // The trial pivots moved the solution; return to the optimum without the constraint.
      optimize(objectiveLevels());
      return solverError(SolverError::UnsatisfiableConstraint,
                         "the required constraint contradicts the required ones present");
    }
  } else {
    row.solveFor(subject);
    substitute(subject, row);
    setRow(subject, std::move(row));
  }
  constraints_[constraint.get()] = std::move(entry);
  if (!optimize(objectiveLevels())) {
    return solverError(SolverError::Internal, "the objective became unbounded");
  }
  return std::nullopt;
}

// The constraint "expression + constant relation 0" over the current basis, with its marker
// (slack or dummy) and, when preferred, its error symbols entered into the objective.
inline SolverRow LayoutSolver::createRow(const SolverConstraint& c, double constant, Entry& entry) {
  SolverRow row(constant);
  for (const auto& t : c.expression.terms) {
    if (t.coefficient == 0.0) continue;
    auto basic = rows_.find(t.variable.id);
    if (basic != rows_.end()) {
      row.insert(basic->second, t.coefficient);
    } else {
      row.insert(t.variable.id, t.coefficient);
    }
  }
  if (c.relation != SolverRelation::Equal) {
    // expr <= 0 becomes expr + slack = 0; expr >= 0 becomes expr - slack = 0.
    const double coefficient = c.relation == SolverRelation::LessThanOrEqual ? 1.0 : -1.0;
    entry.marker = newSymbol(Kind::Slack);
    entry.markerCoefficient = coefficient;
    row.insert(entry.marker, coefficient);
    if (!entry.required) {
      entry.other = newSymbol(Kind::Error);
      row.insert(entry.other, -coefficient);
      level(entry.level).insert(entry.other, 1.0);
    }
  } else if (entry.required) {
    entry.marker = newSymbol(Kind::Dummy);
    entry.markerCoefficient = 1.0;
    row.insert(entry.marker, 1.0);
  } else {
    entry.marker = newSymbol(Kind::Error);
    entry.other = newSymbol(Kind::Error);
    entry.markerCoefficient = -1.0;
    row.insert(entry.marker, -1.0);
    row.insert(entry.other, 1.0);
    SolverRow& objective = level(entry.level);
    objective.insert(entry.marker, 1.0);
    objective.insert(entry.other, 1.0);
  }
  if (row.constant() < 0) row.reverseSign();  // restricted rows keep constants >= 0
  return row;
}

inline LayoutSolver::Symbol LayoutSolver::chooseSubject(const SolverRow& row,
                                                        const Entry& entry) const {
  for (const auto& [symbol, coefficient] : row.terms()) {
    if (kind(symbol) == Kind::External) return symbol;
  }
  if (pivotable(entry.marker) && row.coefficientFor(entry.marker) < 0) return entry.marker;
  if (entry.other != 0 && pivotable(entry.other) && row.coefficientFor(entry.other) < 0) {
    return entry.other;
  }
  // A row already satisfied by the current solution can take any restricted symbol as subject:
  // it enters at zero, so no other row's value moves and no trial optimisation is needed.
  if (nearZero(row.constant())) {
    for (const auto& [symbol, coefficient] : row.terms()) {
      if (pivotable(symbol)) return symbol;
    }
  }
  return 0;
}

inline bool LayoutSolver::allDummies(const SolverRow& row) const {
  for (const auto& [symbol, coefficient] : row.terms()) {
    if (kind(symbol) != Kind::Dummy) return false;
  }
  return true;
}

// Finds a feasible basis containing the row by minimising an artificial variable equal to it;
// the row is satisfiable exactly when that minimum is zero.
inline bool LayoutSolver::addWithArtificialVariable(const SolverRow& row) {
  const Symbol art = newSymbol(Kind::Slack);
  setRow(art, row);
  artificial_ = std::make_unique<SolverRow>(row);
  optimize({artificial_.get()});
  const bool success = nearZero(artificial_->constant());
  artificial_.reset();
  auto it = rows_.find(art);
  if (it != rows_.end()) {
    SolverRow basic = std::move(it->second);
    rows_.erase(it);
    if (!success || basic.isConstant()) return success;
    Symbol entering = 0;
    for (const auto& [symbol, coefficient] : basic.terms()) {
      if (pivotable(symbol)) {
        entering = symbol;
        break;
      }
    }
    if (entering == 0) return false;
    basic.solveFor(art, entering);
    substitute(entering, basic);
    setRow(entering, std::move(basic));
  }
  for (Symbol user : users(art)) {
    auto r = rows_.find(user);
    if (r != rows_.end()) r->second.remove(art);
  }
  columns_[art].clear();
  for (auto& l : objective_) l.row.remove(art);
  return success;
}

inline std::optional<Error> LayoutSolver::removeConstraint(const SolverConstraintRef& constraint) {
  auto it = constraint ? constraints_.find(constraint.get()) : constraints_.end();
  if (it == constraints_.end()) {
    return solverError(SolverError::UnknownConstraint, "the constraint is not in the solver");
  }
  const Entry entry = std::move(it->second);
  constraints_.erase(it);
  removeEntry(entry);
  if (!optimize(objectiveLevels())) {
    return solverError(SolverError::Internal, "the objective became unbounded");
  }
  return std::nullopt;
}

inline void LayoutSolver::removeEntry(const Entry& entry) {
  removeErrorEffects(entry);
  auto row = rows_.find(entry.marker);
  if (row != rows_.end()) {
    rows_.erase(row);
    return;
  }
  // Make the marker basic so that its row, which is the constraint, can simply be dropped. A
  // constraint implied by others left no row and nothing to remove.
  const Symbol leaving = markerLeavingRow(entry.marker);
  if (leaving == 0) return;
  SolverRow r = std::move(rows_[leaving]);
  rows_.erase(leaving);
  r.solveFor(leaving, entry.marker);
  substitute(entry.marker, r);
}

inline void LayoutSolver::removeErrorEffects(const Entry& entry) {
  if (entry.required) return;
  SolverRow& objective = level(entry.level);
  for (Symbol error : {entry.marker, entry.other}) {
    if (error == 0 || kind(error) != Kind::Error) continue;
    auto basic = rows_.find(error);
    if (basic != rows_.end()) {
      objective.insert(basic->second, -1.0);
    } else {
      objective.insert(error, -1.0);
    }
  }
  std::erase_if(objective_, [](const Level& l) { return l.row.isConstant(); });
}

// The row to pivot the marker into: the restricted row that limits it most, then any other
// restricted row, then an unrestricted one.
inline LayoutSolver::Symbol LayoutSolver::markerLeavingRow(Symbol marker) const {
  constexpr double kMax = std::numeric_limits<double>::max();
  double r1 = kMax, r2 = kMax;
  Symbol first = 0, second = 0, third = 0;
  for (Symbol symbol : users(marker)) {
    auto it = rows_.find(symbol);
    if (it == rows_.end()) continue;
    const SolverRow& row = it->second;
    const double c = row.coefficientFor(marker);
    if (c == 0.0) continue;
    if (kind(symbol) == Kind::External) {
      if (third == 0 || symbol < third) third = symbol;
    } else if (c < 0.0) {
      const double r = -row.constant() / c;
      if (r < r1 || (r == r1 && symbol < first)) r1 = r, first = symbol;
    } else {
      const double r = row.constant() / c;
      if (r < r2 || (r == r2 && symbol < second)) r2 = r, second = symbol;
    }
  }
  return first ? first : second ? second : third;
}

inline std::optional<Error> LayoutSolver::setConstant(const SolverConstraintRef& constraint,
                                                      double constant) {
  auto it = constraint ? constraints_.find(constraint.get()) : constraints_.end();
  if (it == constraints_.end()) {
    return solverError(SolverError::UnknownConstraint, "the constraint is not in the solver");
  }
  if (!std::isfinite(constant)) {
    return solverError(SolverError::BadValue, "the constant is not a finite number");
  }
  Entry& entry = it->second;
  const double old = entry.constant;
  if (constant == old) return std::nullopt;
  // With the constant moved by d, the old tableau holds once the marker is read as
  // marker + d / coefficient: only constants change, then dual pivots restore feasibility.
  const double shift = (constant - old) / entry.markerCoefficient;
  infeasible_.clear();
  if (shiftMarker(entry.marker, shift)) {
    entry.constant = constant;
    if (!anyDummyRowOff() && dualOptimize()) return std::nullopt;
    infeasible_.clear();
    shiftMarker(entry.marker, -shift);
    entry.constant = old;
    if (!dualOptimize()) return solverError(SolverError::Internal, "lost feasibility");
    return solverError(SolverError::UnsatisfiableConstraint,
                       "the new constant contradicts the required constraints");
  }
  // Implied by the others, the constraint left no trace in the tableau: rebuild it.
  const Entry saved = entry;
  constraints_.erase(it);
  removeEntry(saved);
  if (auto error = add(saved.constraint, constant, saved.required)) {
    add(saved.constraint, old, saved.required);
    return error;
  }
  return std::nullopt;
}

// Rewrites the tableau for marker_old = marker_new + shift. False if the marker occurs nowhere.
inline bool LayoutSolver::shiftMarker(Symbol marker, double shift) {
  auto basic = rows_.find(marker);
  if (basic != rows_.end()) {
    if (basic->second.addToConstant(-shift) < 0.0 && kind(marker) != Kind::External) {
      infeasible_.push_back(marker);
    }
    return true;
  }
  bool found = false;
  for (Symbol symbol : users(marker)) {
    auto it = rows_.find(symbol);
    if (it == rows_.end()) continue;
    SolverRow& row = it->second;
    const double c = row.coefficientFor(marker);
    if (c == 0.0) continue;
    found = true;
    if (row.addToConstant(c * shift) < 0.0 && kind(symbol) != Kind::External) {
      infeasible_.push_back(symbol);
    }
  }
  return found;
}

inline bool LayoutSolver::anyDummyRowOff() const {
  for (Symbol symbol : dummyRows_) {
    auto it = rows_.find(symbol);
    if (it != rows_.end() && !nearZero(it->second.constant())) return true;
  }
  return false;
}

inline std::optional<Error> LayoutSolver::addEditVariable(SolverVariable variable,
                                                          double strength) {
  if (edits_.count(variable.id)) {
    return solverError(SolverError::DuplicateEditVariable, "the variable is already edited");
  }
  auto constraint =
      makeSolverConstraint(LinearExpression{}.add(variable, 1.0), SolverRelation::Equal,
                           std::min(strength, kSolverRequired));
  if (auto error = add(constraint, 0.0, false)) return error;
  edits_[variable.id] = std::move(constraint);
  return std::nullopt;
}

inline std::optional<Error> LayoutSolver::removeEditVariable(SolverVariable variable) {
  auto it = edits_.find(variable.id);
  if (it == edits_.end()) {
    return solverError(SolverError::UnknownEditVariable, "the variable is not edited");
  }
  auto constraint = std::move(it->second);
  edits_.erase(it);
  return removeConstraint(constraint);
}

inline bool LayoutSolver::hasEditVariable(SolverVariable variable) const {
  return edits_.count(variable.id) > 0;
}

inline std::optional<Error> LayoutSolver::suggestValue(SolverVariable variable, double value) {
  auto it = edits_.find(variable.id);
  if (it == edits_.end()) {
    return solverError(SolverError::UnknownEditVariable, "the variable is not edited");
  }
  return setConstant(it->second, -value);  // the edit reads "variable - value == 0"
}

// Primal simplex on a lexicographic objective: a symbol may enter when the first level at
// which its cost is non-zero has it negative.
inline bool LayoutSolver::optimize(const std::vector<SolverRow*>& levels) {
  // The steepest cost takes few pivots; should degenerate pivots run on for long, the lowest
  // symbol first (Bland's rule) guarantees that the search ends.
  const std::size_t steepLimit = 64 + rows_.size();
  for (std::size_t pivots = 0;; ++pivots) {
    const Symbol entering = enteringSymbol(levels, pivots > steepLimit);
    if (entering == 0) return true;
    if (pivots > 16 * steepLimit) return false;  // rounding gone wrong: stop, feasible
    const Symbol leaving = leavingRow(entering);
    if (leaving == 0) return false;
    pivot(leaving, entering);
  }
}

inline LayoutSolver::Symbol LayoutSolver::enteringSymbol(const std::vector<SolverRow*>& levels,
                                                         bool lowestFirst) const {
  for (std::size_t i = 0; i < levels.size(); ++i) {
    Symbol best = 0;
    double bestCost = -kSolverEpsilon;
    for (const auto& [symbol, coefficient] : levels[i]->terms()) {
      if (coefficient >= bestCost || kind(symbol) == Kind::Dummy) continue;
      bool free = true;  // no stronger level cares about this symbol
      for (std::size_t j = 0; j < i && free; ++j)
        free = nearZero(levels[j]->coefficientFor(symbol));
      if (!free) continue;
      if (lowestFirst) return symbol;  // terms are sorted: the lowest such symbol
      best = symbol;
      bestCost = coefficient;
    }
    if (best != 0) return best;
  }
  return 0;
}

inline LayoutSolver::Symbol LayoutSolver::leavingRow(Symbol entering) const {
  double best = std::numeric_limits<double>::max();
  Symbol leaving = 0;
  for (Symbol symbol : users(entering)) {
    if (kind(symbol) == Kind::External) continue;
    auto it = rows_.find(symbol);
    if (it == rows_.end()) continue;
    const SolverRow& row = it->second;
    const double c = row.coefficientFor(entering);
    if (c >= 0.0) continue;
    const double ratio = -row.constant() / c;
    if (ratio < best - kSolverEpsilon || (ratio <= best + kSolverEpsilon && symbol < leaving)) {
      best = ratio;
      leaving = symbol;
    }
  }
  return leaving;
}

inline bool LayoutSolver::dualOptimize() {
  // Rounding could in principle make the dual pivots circle; a bound turns that into a failure
  // the caller recovers from instead of a hang.
  const std::size_t limit = 64 + 4 * rows_.size();
  std::size_t pivots = 0;
  while (!infeasible_.empty()) {
    const Symbol leaving = infeasible_.back();
    infeasible_.pop_back();
    auto it = rows_.find(leaving);
    if (it == rows_.end() || it->second.constant() >= 0.0 || nearZero(it->second.constant())) {
      continue;
    }
    const Symbol entering = dualEnteringSymbol(it->second);
    if (entering == 0 || ++pivots > limit) {
      infeasible_.clear();
      return false;
    }
    pivot(leaving, entering);
  }
  return true;
}

// The symbol whose cost vector, divided by its coefficient in the row, is lexicographically
// smallest: entering it keeps every level optimal.
inline LayoutSolver::Symbol LayoutSolver::dualEnteringSymbol(const SolverRow& row) const {
  Symbol best = 0;
  std::vector<double> bestRatios, ratios(objective_.size());
  for (const auto& [symbol, coefficient] : row.terms()) {
    if (coefficient <= 0.0 || kind(symbol) == Kind::Dummy) continue;
    for (std::size_t i = 0; i < objective_.size(); ++i) {
      ratios[i] = objective_[i].row.coefficientFor(symbol) / coefficient;
    }
    bool better = best == 0;
    for (std::size_t i = 0; i < ratios.size() && !better; ++i) {
      if (ratios[i] < bestRatios[i] - kSolverEpsilon) better = true;
      if (ratios[i] > bestRatios[i] + kSolverEpsilon) break;
    }
    if (better) best = symbol, bestRatios = ratios;
  }
  return best;
}

inline void LayoutSolver::pivot(Symbol leaving, Symbol entering) {
  SolverRow row = std::move(rows_[leaving]);
  rows_.erase(leaving);
  row.solveFor(leaving, entering);
  substitute(entering, row);
  setRow(entering, std::move(row));
}

inline void LayoutSolver::setRow(Symbol basic, SolverRow row) {
  if (kind(basic) == Kind::Dummy) dummyRows_.insert(basic);
  for (const auto& term : row.terms()) columns_[term.first].insert(basic);
  rows_[basic] = std::move(row);
}

// Replaces `symbol` everywhere by `row`; afterwards no row mentions the symbol.
inline void LayoutSolver::substitute(Symbol symbol, const SolverRow& row) {
  const std::unordered_set<Symbol> mentioning = std::move(columns_[symbol]);
  columns_[symbol].clear();
  std::vector<Symbol> added;
  for (Symbol basic : mentioning) {
    auto it = rows_.find(basic);
    added.clear();
    if (it == rows_.end() || !it->second.substitute(symbol, row, &added)) continue;
    for (Symbol s : added) columns_[s].insert(basic);
    if (kind(basic) != Kind::External && it->second.constant() < 0.0) infeasible_.push_back(basic);
  }
  for (auto& l : objective_) l.row.substitute(symbol, row);
  if (artificial_) artificial_->substitute(symbol, row);
}

}  // namespace platform::previous_solver
