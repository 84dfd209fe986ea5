#pragma once

#include <cstdint>
#include <utility>
#include <vector>

namespace platform {

// One row of the solver's tableau: constant + sum(coefficient * symbol), terms kept sorted by
// symbol so merging two rows is a single walk and ties resolve the same way every run.
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
  // appended to `added`, symbols that cancelled out to `removed`, when given.
  void insert(const SolverRow& other, double coefficient = 1, std::vector<Symbol>* added = nullptr,
              std::vector<Symbol>* removed = nullptr);
  void remove(Symbol symbol);
  void reverseSign();
  // Reads the row as "0 = row" and rewrites it as "symbol = row'" (symbol leaves the terms).
  void solveFor(Symbol symbol);
  // Reads the row as "lhs = row" and rewrites it as "rhs = row'".
  void solveFor(Symbol lhs, Symbol rhs);
  // Replaces `symbol` by `row`; false when the symbol did not occur.
  bool substitute(Symbol symbol, const SolverRow& row, std::vector<Symbol>* added = nullptr,
                  std::vector<Symbol>* removed = nullptr);

 private:
  std::vector<Term>::iterator find(Symbol symbol);

  std::vector<Term> terms_;
  double constant_ = 0;
};

// Below this, a coefficient or value counts as zero (the tableau accumulates rounding).
inline constexpr double kSolverEpsilon = 1e-8;
inline bool nearZero(double v) { return v < kSolverEpsilon && v > -kSolverEpsilon; }

}  // namespace platform
