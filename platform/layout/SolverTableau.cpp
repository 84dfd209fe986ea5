#include "platform/layout/SolverTableau.h"

namespace platform {

void SolverTableau::grow(Symbol symbol) {
  const std::size_t size = static_cast<std::size_t>(symbol) + 1;
  if (rows_.size() >= size) return;
  rows_.resize(size);
  basic_.resize(size, 0);
  columns_.resize(size);
}

void SolverTableau::set(Symbol basic, SolverRow row) {
  for (const auto& term : row.terms()) record(columns_[term.first], basic);
  if (!basic_[basic]) ++count_;
  basic_[basic] = 1;
  rows_[basic] = std::move(row);
}

SolverRow SolverTableau::take(Symbol basic) {
  SolverRow row = std::move(rows_[basic]);
  rows_[basic] = SolverRow();
  if (basic_[basic]) --count_;
  basic_[basic] = 0;
  for (const auto& term : row.terms()) record(columns_[term.first], basic | kRemoval);
  return row;
}

void SolverTableau::scan(Symbol symbol, std::vector<Symbol>& out) const {
  for (Symbol s = 0; s < basic_.size(); ++s) {
    if (basic_[s] && rows_[s].coefficientFor(symbol) != 0.0) out.push_back(s);
  }
}

void SolverTableau::record(Column& column, Symbol change) {
  column.pending.push_back(change);
  if (column.pending.size() >= 32 + static_cast<std::size_t>(column.count)) settle(column);
}

void SolverTableau::settle(Column& column) {
  if (column.pending.empty()) return;
  std::vector<Symbol> changes = std::move(column.pending);  // applying may reset the column
  for (Symbol change : changes) {
    if (change & kRemoval) {
      erase(column, change & ~kRemoval);
    } else {
      insert(column, change);
    }
  }
  changes.clear();
  if (changes.capacity() <= 64) column.pending = std::move(changes);  // a large one goes
}

const std::vector<SolverTableau::Symbol>& SolverTableau::users(Symbol symbol) const {
  users_.clear();
  Column& column = columns_[symbol];
  settle(column);
  if (column.scanned) {
    scan(symbol, users_);
    column = Column();  // kept again, until it churns again
    for (Symbol s : users_) insert(column, s);
    return users_;
  }
  for (Symbol s : column.slots) {
    if (s != kEmpty && s != kErased) users_.push_back(s);
  }
  return users_;
}

std::vector<SolverTableau::Symbol> SolverTableau::takeUsers(Symbol symbol) {
  settle(columns_[symbol]);
  Column column = std::move(columns_[symbol]);
  columns_[symbol] = Column();
  if (column.scanned) {
    std::vector<Symbol> found;
    scan(symbol, found);
    return found;
  }
  std::erase_if(column.slots, [](Symbol s) { return s == kEmpty || s == kErased; });
  return std::move(column.slots);
}

void SolverTableau::insert(Column& column, Symbol basic) {
  if (column.scanned) return;
  if (4 * (column.used + 1) > 3 * column.slots.size()) {
    rehash(column, column.slots.empty() ? 4
                   : 2 * (column.count + 1) < column.slots.size()
                       ? column.slots.size()  // erased ones go
                       : 2 * column.slots.size());
  }
  const std::size_t mask = column.slots.size() - 1;
  std::size_t free = column.slots.size();
  for (std::size_t i = home(basic, column.slots.size());; i = (i + 1) & mask) {
    const Symbol s = column.slots[i];
    if (s == basic) return;
    if (s == kErased && free == column.slots.size()) free = i;
    if (s == kEmpty) {
      if (free == column.slots.size()) {
        free = i;
        ++column.used;
      }
      column.slots[free] = basic;
      ++column.count;
      return;
    }
  }
}

void SolverTableau::erase(Column& column, Symbol basic) {
  if (column.scanned || column.count == 0) return;
  const std::size_t mask = column.slots.size() - 1;
  for (std::size_t i = home(basic, column.slots.size());; i = (i + 1) & mask) {
    const Symbol s = column.slots[i];
    if (s == kEmpty) return;
    if (s == basic) {
      column.slots[i] = kErased;
      --column.count;
      if (column.count == 0) {
        column = Column();  // an empty column keeps no memory
      } else if (++column.churn > 2 * column.count + 64) {
        column = Column();
        column.scanned = true;
      }
      return;
    }
  }
}

void SolverTableau::rehash(Column& column, std::size_t capacity) {
  std::vector<Symbol> old = std::move(column.slots);
  column.slots.assign(capacity, kEmpty);
  column.used = column.count = 0;
  const std::size_t mask = capacity - 1;
  for (Symbol s : old) {
    if (s == kEmpty || s == kErased) continue;
    std::size_t i = home(s, capacity);
    while (column.slots[i] != kEmpty) i = (i + 1) & mask;
    column.slots[i] = s;
    ++column.count;
    ++column.used;
  }
}

}  // namespace platform
