#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/layout/SolverRow.h"

namespace platform {

// The solver's rows, kept by their basic symbol in flat arrays (a symbol is a small index), and
// for every symbol the exact set of basic symbols whose rows mention it. A pivot then costs no
// hashing of rows and no allocation beyond a row's own growth.
//
// A column is a small open-addressing set of four-byte symbols, kept at most three-quarters full:
// a row gaining or losing a symbol (added, cancelled out, taken out) costs O(1), and a column
// costs about eight bytes a mention. Callers report every change of a row's symbols made in
// place: substitutions tell what they added and cancelled.
//
// A symbol that many rows mention can churn: with a chain's early widths, every pivot through a
// dense row cancels and re-adds it in most rows. Once a column lost more than twice its size
// that way it is no longer kept: asking for its users scans the rows instead, and the scan builds
// the column again (to be dropped again if the churn goes on). A column that sits still is kept
// however large, so re-solving after one edit never scans.
class SolverTableau {
 public:
  using Symbol = SolverRow::Symbol;

  // Makes room for symbols up to `symbol`.
  void grow(Symbol symbol);

  std::size_t size() const { return count_; }
  SolverRow* find(Symbol basic) { return basic_[basic] ? &rows_[basic] : nullptr; }
  const SolverRow* find(Symbol basic) const { return basic_[basic] ? &rows_[basic] : nullptr; }
  // Puts `row` in as the row of `basic` (which has none).
  void set(Symbol basic, SolverRow row);
  // Takes the row of `basic` out.
  SolverRow take(Symbol basic);

  // The basic symbols whose rows mention `symbol` (valid until the tableau changes).
  const std::vector<Symbol>& users(Symbol symbol) const;
  // The same, handed over: the column is left empty, as every row is about to lose the symbol.
  std::vector<Symbol> takeUsers(Symbol symbol);
  // The row of `basic` gained, or lost, `symbol` in place.
  void noteAdded(Symbol symbol, Symbol basic) { record(columns_[symbol], basic); }
  void noteRemoved(Symbol symbol, Symbol basic) { record(columns_[symbol], basic | kRemoval); }

 private:
  struct Column {
    std::vector<Symbol> slots;  // kEmpty, kErased or a basic symbol
    std::uint32_t count = 0;    // basic symbols
    std::uint32_t used = 0;     // slots not empty (erased ones included)
    std::uint32_t churn = 0;    // losses since it was built
    bool scanned = false;       // churning: found by scanning the rows
    // Changes not yet applied, in order: a basic symbol added, or removed (with kRemoval).
    std::vector<Symbol> pending;
  };
  static constexpr Symbol kEmpty = 0;  // symbol 0 is never basic
  static constexpr Symbol kErased = ~Symbol{0};
  static constexpr Symbol kRemoval = Symbol{1} << 31;

  // Notes a change; a column applies its changes when read, or in a batch once they are many:
  // a dense row then writes to the end of each column's list rather than at a random slot of
  // each column's set, and the set is the one the changes made one by one.
  static void record(Column& column, Symbol change);
  static void settle(Column& column);
  static void insert(Column& column, Symbol basic);
  static void erase(Column& column, Symbol basic);
  void scan(Symbol symbol, std::vector<Symbol>& out) const;
  static void rehash(Column& column, std::size_t capacity);
  // Fibonacci hashing: the product's high bits are the well-mixed ones.
  static std::size_t home(Symbol basic, std::size_t capacity) {
    const auto product = static_cast<std::uint32_t>(basic * 0x9E3779B1u);
    return capacity == 1 ? 0 : product >> (32 - std::countr_zero(capacity));
  }

  std::vector<SolverRow> rows_;
  std::vector<std::uint8_t> basic_;
  std::size_t count_ = 0;
  mutable std::vector<Column> columns_;
  mutable std::vector<Symbol> users_;
};

}  // namespace platform
