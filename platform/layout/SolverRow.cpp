#include "platform/layout/SolverRow.h"

#include <algorithm>

namespace platform {

std::vector<SolverRow::Term>::iterator SolverRow::find(Symbol symbol) {
  return std::lower_bound(terms_.begin(), terms_.end(), symbol,
                          [](const Term& t, Symbol s) { return t.first < s; });
}

double SolverRow::coefficientFor(Symbol symbol) const {
  auto it = std::lower_bound(terms_.begin(), terms_.end(), symbol,
                             [](const Term& t, Symbol s) { return t.first < s; });
  return it != terms_.end() && it->first == symbol ? it->second : 0.0;
}

void SolverRow::insert(Symbol symbol, double coefficient) {
  auto it = find(symbol);
  if (it != terms_.end() && it->first == symbol) {
    it->second += coefficient;
    if (nearZero(it->second)) terms_.erase(it);
  } else if (!nearZero(coefficient)) {
    terms_.insert(it, {symbol, coefficient});
  }
}

void SolverRow::insert(const SolverRow& other, double coefficient, std::vector<Symbol>* added,
                       std::vector<Symbol>* removed) {
  constant_ += other.constant_ * coefficient;
  if (nearZero(coefficient)) return;  // adds no terms (and none with a zero coefficient)
  if (other.terms_.size() == 1) {     // the common case: a single term needs no merge buffer
    const Symbol s = other.terms_[0].first;
    const bool had = coefficientFor(s) != 0.0;
    insert(s, other.terms_[0].second * coefficient);
    const bool has = coefficientFor(s) != 0.0;
    if (added && !had && has) added->push_back(s);
    if (removed && had && !has) removed->push_back(s);
    return;
  }
  // One scratch buffer per thread, copied back so that the row keeps a buffer of its own size
  // (trading buffers would leave every row with the largest merge's capacity).
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
      if (!nearZero(sum)) {
        merged.emplace_back(a->first, sum);
      } else if (removed) {
        removed->push_back(a->first);
      }
      ++a;
      ++b;
    }
  }
  terms_.assign(merged.begin(), merged.end());
}

void SolverRow::remove(Symbol symbol) {
  auto it = find(symbol);
  if (it != terms_.end() && it->first == symbol) terms_.erase(it);
}

void SolverRow::reverseSign() {
  constant_ = -constant_;
  for (auto& t : terms_) t.second = -t.second;
}

void SolverRow::solveFor(Symbol symbol) {
  auto it = find(symbol);
  const double factor = -1.0 / it->second;
  terms_.erase(it);
  constant_ *= factor;
  for (auto& t : terms_) t.second *= factor;
}

void SolverRow::solveFor(Symbol lhs, Symbol rhs) {
  insert(lhs, -1.0);
  solveFor(rhs);
}

bool SolverRow::substitute(Symbol symbol, const SolverRow& row, std::vector<Symbol>* added,
                           std::vector<Symbol>* removed) {
  auto it = find(symbol);
  if (it == terms_.end() || it->first != symbol) return false;
  const double coefficient = it->second;
  terms_.erase(it);
  insert(row, coefficient, added, removed);
  return true;
}

}  // namespace platform
