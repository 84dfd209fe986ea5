#include "platform/layout/LayoutSolver.h"

#include <cmath>
#include <limits>

namespace platform {
namespace {

Error solverError(long code, const char* what) {
  return Error::make(kLayoutSolverErrorDomain, code, what);
}

bool isRequired(double strength) { return strength >= kSolverRequired; }

}  // namespace

LayoutSolver::LayoutSolver() : kinds_(1, Kind::Dummy), seen_(1, 0) { rows_.grow(0); }
LayoutSolver::~LayoutSolver() = default;

LayoutSolver::Symbol LayoutSolver::newSymbol(Kind kind) {
  kinds_.push_back(kind);
  seen_.push_back(0);
  const auto symbol = static_cast<Symbol>(kinds_.size() - 1);
  rows_.grow(symbol);
  return symbol;
}

SolverVariable LayoutSolver::makeVariable() { return SolverVariable{newSymbol(Kind::External)}; }

double LayoutSolver::value(SolverVariable variable) const {
  if (variable.id == 0 || variable.id >= kinds_.size()) return 0.0;
  const SolverRow* row = rows_.find(variable.id);
  return row ? row->constant() : 0.0;
}

SolverRow& LayoutSolver::level(double strength) {
  auto it = objective_.begin();
  while (it != objective_.end() && it->strength > strength) ++it;
  if (it == objective_.end() || it->strength != strength) {
    it = objective_.insert(it, Level{strength, SolverRow()});
  }
  return it->row;
}

std::vector<SolverRow*> LayoutSolver::objectiveLevels() {
  std::vector<SolverRow*> levels;
  levels.reserve(objective_.size());
  for (auto& l : objective_) levels.push_back(&l.row);
  return levels;
}

Status LayoutSolver::validate(const SolverConstraint& c) const {
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
  return Status::ok();
}

Status LayoutSolver::addConstraint(const SolverConstraintRef& constraint) {
  if (!constraint) return solverError(SolverError::UnknownConstraint, "no constraint");
  return add(constraint, constraint->expression.constant, isRequired(constraint->strength));
}

bool LayoutSolver::hasConstraint(const SolverConstraintRef& constraint) const {
  return constraint && constraints_.count(constraint.get()) > 0;
}

Status LayoutSolver::add(const SolverConstraintRef& constraint, double constant, bool required) {
  if (constraints_.count(constraint.get())) {
    return solverError(SolverError::DuplicateConstraint, "the constraint was already added");
  }
  if (Status valid = validate(*constraint); !valid) return valid;
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
  return Status::ok();
}

// The constraint "expression + constant relation 0" over the current basis, with its marker
// (slack or dummy) and, when preferred, its error symbols entered into the objective.
SolverRow LayoutSolver::createRow(const SolverConstraint& c, double constant, Entry& entry) {
  SolverRow row(constant);
  for (const auto& t : c.expression.terms) {
    if (t.coefficient == 0.0) continue;
    if (const SolverRow* basic = rows_.find(t.variable.id)) {
      row.insert(*basic, t.coefficient);
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

LayoutSolver::Symbol LayoutSolver::chooseSubject(const SolverRow& row, const Entry& entry) const {
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

bool LayoutSolver::allDummies(const SolverRow& row) const {
  for (const auto& [symbol, coefficient] : row.terms()) {
    if (kind(symbol) != Kind::Dummy) return false;
  }
  return true;
}

// Finds a feasible basis containing the row by minimising an artificial variable equal to it;
// the row is satisfiable exactly when that minimum is zero.
bool LayoutSolver::addWithArtificialVariable(const SolverRow& row) {
  const Symbol art = newSymbol(Kind::Slack);
  setRow(art, row);
  artificial_ = std::make_unique<SolverRow>(row);
  optimize({artificial_.get()});
  const bool success = nearZero(artificial_->constant());
  artificial_.reset();
  if (rows_.find(art)) {
    SolverRow basic = rows_.take(art);
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
  for (Symbol user : rows_.takeUsers(art)) {
    if (SolverRow* r = rows_.find(user)) r->remove(art);
  }
  for (auto& l : objective_) l.row.remove(art);
  return success;
}

Status LayoutSolver::removeConstraint(const SolverConstraintRef& constraint) {
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
  return Status::ok();
}

void LayoutSolver::removeEntry(const Entry& entry) {
  removeErrorEffects(entry);
  if (rows_.find(entry.marker)) {
    rows_.take(entry.marker);
    return;
  }
  // Make the marker basic so that its row, which is the constraint, can simply be dropped. A
  // constraint implied by others left no row and nothing to remove.
  const Symbol leaving = markerLeavingRow(entry.marker);
  if (leaving == 0) return;
  SolverRow r = rows_.take(leaving);
  r.solveFor(leaving, entry.marker);
  substitute(entry.marker, r);
}

void LayoutSolver::removeErrorEffects(const Entry& entry) {
  if (entry.required) return;
  SolverRow& objective = level(entry.level);
  for (Symbol error : {entry.marker, entry.other}) {
    if (error == 0 || kind(error) != Kind::Error) continue;
    if (const SolverRow* basic = rows_.find(error)) {
      objective.insert(*basic, -1.0);
    } else {
      objective.insert(error, -1.0);
    }
  }
  std::erase_if(objective_, [](const Level& l) { return l.row.isConstant(); });
}

// The row to pivot the marker into: the restricted row that limits it most, then any other
// restricted row, then an unrestricted one.
LayoutSolver::Symbol LayoutSolver::markerLeavingRow(Symbol marker) const {
  constexpr double kMax = std::numeric_limits<double>::max();
  double r1 = kMax, r2 = kMax;
  Symbol first = 0, second = 0, third = 0;
  for (Symbol symbol : users(marker)) {
    const SolverRow& row = *rows_.find(symbol);
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

Status LayoutSolver::setConstant(const SolverConstraintRef& constraint, double constant) {
  auto it = constraint ? constraints_.find(constraint.get()) : constraints_.end();
  if (it == constraints_.end()) {
    return solverError(SolverError::UnknownConstraint, "the constraint is not in the solver");
  }
  if (!std::isfinite(constant)) {
    return solverError(SolverError::BadValue, "the constant is not a finite number");
  }
  Entry& entry = it->second;
  const double old = entry.constant;
  if (constant == old) return Status::ok();
  // With the constant moved by d, the old tableau holds once the marker is read as
  // marker + d / coefficient: only constants change, then dual pivots restore feasibility.
  const double shift = (constant - old) / entry.markerCoefficient;
  infeasible_.clear();
  if (shiftMarker(entry.marker, shift)) {
    entry.constant = constant;
    if (!anyDummyRowOff() && dualOptimize()) return Status::ok();
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
  if (Status added = add(saved.constraint, constant, saved.required); !added) {
    // The old constant held before, so it goes back in; should even that be refused, the
    // constraint is gone and the caller must hear it.
    if (!add(saved.constraint, old, saved.required)) {
      return solverError(SolverError::Internal, "the constraint was lost while rebuilt");
    }
    return added;
  }
  return Status::ok();
}

// Rewrites the tableau for marker_old = marker_new + shift. False if the marker occurs nowhere.
bool LayoutSolver::shiftMarker(Symbol marker, double shift) {
  if (SolverRow* basic = rows_.find(marker)) {
    if (basic->addToConstant(-shift) < 0.0 && kind(marker) != Kind::External) {
      infeasible_.push_back(marker);
    }
    return true;
  }
  bool found = false;
  for (Symbol symbol : users(marker)) {
    SolverRow& row = *rows_.find(symbol);
    const double c = row.coefficientFor(marker);
    if (c == 0.0) continue;
    found = true;
    if (row.addToConstant(c * shift) < 0.0 && kind(symbol) != Kind::External) {
      infeasible_.push_back(symbol);
    }
  }
  return found;
}

bool LayoutSolver::anyDummyRowOff() const {
  for (Symbol symbol : dummyRows_) {
    const SolverRow* row = rows_.find(symbol);
    if (row && !nearZero(row->constant())) return true;
  }
  return false;
}

Status LayoutSolver::addEditVariable(SolverVariable variable, double strength) {
  if (edits_.count(variable.id)) {
    return solverError(SolverError::DuplicateEditVariable, "the variable is already edited");
  }
  auto constraint =
      makeSolverConstraint(LinearExpression{}.add(variable, 1.0), SolverRelation::Equal,
                           std::min(strength, kSolverRequired));
  if (Status added = add(constraint, 0.0, false); !added) return added;
  edits_[variable.id] = std::move(constraint);
  return Status::ok();
}

Status LayoutSolver::removeEditVariable(SolverVariable variable) {
  auto it = edits_.find(variable.id);
  if (it == edits_.end()) {
    return solverError(SolverError::UnknownEditVariable, "the variable is not edited");
  }
  auto constraint = std::move(it->second);
  edits_.erase(it);
  return removeConstraint(constraint);
}

bool LayoutSolver::hasEditVariable(SolverVariable variable) const {
  return edits_.count(variable.id) > 0;
}

Status LayoutSolver::suggestValue(SolverVariable variable, double value) {
  auto it = edits_.find(variable.id);
  if (it == edits_.end()) {
    return solverError(SolverError::UnknownEditVariable, "the variable is not edited");
  }
  return setConstant(it->second, -value);  // the edit reads "variable - value == 0"
}

// Primal simplex on a lexicographic objective: a symbol may enter when the first level at
// which its cost is non-zero has it negative.
bool LayoutSolver::optimize(const std::vector<SolverRow*>& levels) {
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

// One walk over the levels, strongest first: a symbol a stronger level already costs (either
// way) is not free at the weaker ones.
LayoutSolver::Symbol LayoutSolver::enteringSymbol(const std::vector<SolverRow*>& levels,
                                                  bool lowestFirst) const {
  if (++stamp_ == 0) {  // wrapped: no stamp may look current
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = 1;
  }
  for (const SolverRow* level : levels) {
    Symbol best = 0;
    double bestCost = -kSolverEpsilon;
    for (const auto& [symbol, coefficient] : level->terms()) {
      if (coefficient >= bestCost || seen_[symbol] == stamp_ || kind(symbol) == Kind::Dummy) {
        continue;
      }
      if (lowestFirst) return symbol;  // terms are sorted: the lowest such symbol
      best = symbol;
      bestCost = coefficient;
    }
    if (best != 0) return best;
    for (const auto& [symbol, coefficient] : level->terms()) {
      if (!nearZero(coefficient)) seen_[symbol] = stamp_;
    }
  }
  return 0;
}

LayoutSolver::Symbol LayoutSolver::leavingRow(Symbol entering) const {
  double best = std::numeric_limits<double>::max();
  Symbol leaving = 0;
  for (Symbol symbol : users(entering)) {
    if (kind(symbol) == Kind::External) continue;
    const SolverRow& row = *rows_.find(symbol);
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

bool LayoutSolver::dualOptimize() {
  // Rounding could in principle make the dual pivots circle; a bound turns that into a failure
  // the caller recovers from instead of a hang.
  const std::size_t limit = 64 + 4 * rows_.size();
  std::size_t pivots = 0;
  while (!infeasible_.empty()) {
    const Symbol leaving = infeasible_.back();
    infeasible_.pop_back();
    const SolverRow* row = rows_.find(leaving);
    if (!row || row->constant() >= 0.0 || nearZero(row->constant())) continue;
    const Symbol entering = dualEnteringSymbol(*row);
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
LayoutSolver::Symbol LayoutSolver::dualEnteringSymbol(const SolverRow& row) const {
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

void LayoutSolver::pivot(Symbol leaving, Symbol entering) {
  SolverRow row = rows_.take(leaving);
  row.solveFor(leaving, entering);
  substitute(entering, row);
  setRow(entering, std::move(row));
}

void LayoutSolver::setRow(Symbol basic, SolverRow row) {
  if (kind(basic) == Kind::Dummy) dummyRows_.insert(basic);
  rows_.set(basic, std::move(row));
}

// Replaces `symbol` everywhere by `row`; afterwards no row mentions the symbol.
void LayoutSolver::substitute(Symbol symbol, const SolverRow& row) {
  for (Symbol basic : rows_.takeUsers(symbol)) {
    SolverRow* r = rows_.find(basic);
    added_.clear();
    cancelled_.clear();
    if (!r || !r->substitute(symbol, row, &added_, &cancelled_)) continue;
    for (Symbol s : added_) rows_.noteAdded(s, basic);
    for (Symbol s : cancelled_) rows_.noteRemoved(s, basic);
    if (kind(basic) != Kind::External && r->constant() < 0.0) infeasible_.push_back(basic);
  }
  for (auto& l : objective_) l.row.substitute(symbol, row);
  if (artificial_) artificial_->substitute(symbol, row);
}

}  // namespace platform
