// Visual format strings: "H:|-8-[title]-[button(44)]-|", "V:[bar(==height@750)]-0-|".
#include <cctype>
#include <cstdlib>
#include <optional>

#include "platform/foundation/Status.h"
#include "platform/layout/LayoutConstraint.h"
#include "platform/ui/View.h"

namespace platform {
namespace {

constexpr char kVisualFormatErrorDomain[] = "platform.LayoutConstraint.VisualFormat";
constexpr double kStandardSpacing = 8;       // between two views
constexpr double kStandardEdgeSpacing = 20;  // between a view and its superview's edge

struct Predicate {
  LayoutRelation relation = LayoutRelationEqual;
  double constant = 0;
  std::shared_ptr<View> view;  // a size relative to another view's
  LayoutPriority priority = kLayoutPriorityRequired;
};

using List = std::vector<std::shared_ptr<LayoutConstraint>>;

class Parser {
 public:
  Parser(const std::string& format, const std::map<std::string, double>& metrics,
         const std::map<std::string, std::shared_ptr<View>>& views)
      : text_(format), metrics_(metrics), views_(views) {}

  Result<List> parse();

 private:
  Error fail(const std::string& why) {
    std::string message = "Unable to parse constraint format: " + why + "\n" + text_ + "\n" +
                          std::string(pos_, ' ') + "^";
    return Error::make(kVisualFormatErrorDomain, 1, message);
  }
  bool eat(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) return ++pos_, true;
    return false;
  }
  bool at(char c) const { return pos_ < text_.size() && text_[pos_] == c; }
  std::string name();
  Status number(double& out, bool allowViews, std::shared_ptr<View>* view);
  Status predicate(Predicate& p, bool allowViews);
  Status predicates(std::vector<Predicate>& out, bool allowViews);
  Status connection(std::vector<Predicate>& out, bool toEdge);
  void relate(const std::shared_ptr<Object>& a, LayoutAttribute aa,
              const std::shared_ptr<Object>& b, LayoutAttribute ba, const Predicate& p,
              bool reversed);

  std::string text_;
  const std::map<std::string, double>& metrics_;
  const std::map<std::string, std::shared_ptr<View>>& views_;
  std::size_t pos_ = 0;
  bool vertical_ = false;
  List out_;
};

std::string Parser::name() {
  const std::size_t start = pos_;
  while (pos_ < text_.size() &&
         (std::isalnum(static_cast<unsigned char>(text_[pos_])) || text_[pos_] == '_')) {
    ++pos_;
  }
  return text_.substr(start, pos_ - start);
}

Status Parser::number(double& out, bool allowViews, std::shared_ptr<View>* view) {
  if (pos_ < text_.size() && (std::isdigit(static_cast<unsigned char>(text_[pos_])) ||
                              text_[pos_] == '.' || text_[pos_] == '-')) {
    char* end = nullptr;
    out = std::strtod(text_.c_str() + pos_, &end);
    if (end == text_.c_str() + pos_) return fail("expected a number");
    pos_ = static_cast<std::size_t>(end - text_.c_str());
    return Status::ok();
  }
  const std::size_t start = pos_;
  const std::string n = name();
  if (n.empty()) return fail("expected a number or a metric name");
  if (auto m = metrics_.find(n); m != metrics_.end()) {
    out = m->second;
    return Status::ok();
  }
  if (auto v = views_.find(n); allowViews && view && v != views_.end()) {
    *view = v->second;
    return Status::ok();
  }
  pos_ = start;
  return fail("\"" + n + "\" is not a key in the metrics dictionary");
}

Status Parser::predicate(Predicate& p, bool allowViews) {
  if (text_.compare(pos_, 2, "==") == 0) {
    pos_ += 2;
  } else if (text_.compare(pos_, 2, "<=") == 0) {
    pos_ += 2, p.relation = LayoutRelationLessThanOrEqual;
  } else if (text_.compare(pos_, 2, ">=") == 0) {
    pos_ += 2, p.relation = LayoutRelationGreaterThanOrEqual;
  }
  if (Status parsed = number(p.constant, allowViews, &p.view); !parsed) return parsed;
  if (eat('@')) {
    double priority = 0;
    if (Status parsed = number(priority, false, nullptr); !parsed) return parsed;
    if (priority < 1 || priority > 1000) return fail("a priority must be within 1 to 1000");
    p.priority = static_cast<LayoutPriority>(priority);
  }
  return Status::ok();
}

Status Parser::predicates(std::vector<Predicate>& out, bool allowViews) {
  if (!eat('(')) {
    Predicate p;
    if (Status parsed = predicate(p, allowViews); !parsed) return parsed;
    out.push_back(p);
    return Status::ok();
  }
  do {
    Predicate p;
    if (Status parsed = predicate(p, allowViews); !parsed) return parsed;
    out.push_back(p);
  } while (eat(','));
  if (!eat(')')) return fail("expected ')'");
  return Status::ok();
}

// "" (adjacent), "-" (standard) or "-predicates-".
Status Parser::connection(std::vector<Predicate>& out, bool toEdge) {
  if (!eat('-')) {
    out.push_back(Predicate{});
    return Status::ok();
  }
  if (at('[') || at('|')) {
    Predicate standard;
    standard.constant = toEdge || at('|') ? kStandardEdgeSpacing : kStandardSpacing;
    out.push_back(standard);
    return Status::ok();
  }
  if (Status parsed = predicates(out, false); !parsed) return parsed;
  if (!eat('-')) return fail("expected '-' after a spacing");
  return Status::ok();
}

// a.aa relation b.ba + constant; `reversed` reads the spacing the other way round.
void Parser::relate(const std::shared_ptr<Object>& a, LayoutAttribute aa,
                    const std::shared_ptr<Object>& b, LayoutAttribute ba, const Predicate& p,
                    bool reversed) {
  auto c =
      LayoutConstraint::create(a, aa, p.relation, b, ba, 1, reversed ? -p.constant : p.constant);
  c->setPriority(p.priority);
  out_.push_back(std::move(c));
}

Result<List> Parser::parse() {
  if (text_.compare(0, 2, "V:") == 0) {
    vertical_ = true, pos_ = 2;
  } else if (text_.compare(0, 2, "H:") == 0) {
    pos_ = 2;
  }
  const LayoutAttribute lead = vertical_ ? LayoutAttributeTop : LayoutAttributeLeading;
  const LayoutAttribute trail = vertical_ ? LayoutAttributeBottom : LayoutAttributeTrailing;
  const LayoutAttribute size = vertical_ ? LayoutAttributeHeight : LayoutAttributeWidth;
  std::shared_ptr<View> previous;
  std::vector<Predicate> pending;  // the spacing before the next view
  bool edgeBefore = eat('|');
  if (edgeBefore) {
    if (Status parsed = connection(pending, true); !parsed)
      return Result<List>::failure(parsed.error());
  }
  while (eat('[')) {
    const std::size_t nameAt = pos_;
    const std::string n = name();
    auto found = views_.find(n);
    if (n.empty() || found == views_.end() || !found->second) {
      pos_ = nameAt;
      return Result<List>::failure(fail("\"" + n + "\" is not a key in the views dictionary"));
    }
    auto view = found->second;
    if (at('(')) {
      std::vector<Predicate> sizes;
      if (Status parsed = predicates(sizes, true); !parsed)
        return Result<List>::failure(parsed.error());
      for (const auto& p : sizes) {
        relate(view, size, p.view, p.view ? size : LayoutAttributeNotAnAttribute, p, false);
      }
    }
    if (!eat(']')) return Result<List>::failure(fail("expected ']'"));
    for (const auto& p : pending) {
      if (previous) {
        relate(view, lead, previous, trail, p, false);
      } else {
        auto super = view->superview();
        if (!super) return Result<List>::failure(fail("'|' needs a view with a superview"));
        relate(view, lead, super, lead, p, false);
      }
    }
    pending.clear();
    previous = view;
    if (at('-') || at('[')) {
      if (Status parsed = connection(pending, false); !parsed)
        return Result<List>::failure(parsed.error());
    } else if (at('|')) {
      pending.push_back(Predicate{});  // flush with the edge
    }
  }
  if (eat('|')) {
    if (!previous) return Result<List>::failure(fail("expected a view"));
    auto super = previous->superview();
    if (!super) return Result<List>::failure(fail("'|' needs a view with a superview"));
    for (const auto& p : pending) relate(super, trail, previous, trail, p, false);
    pending.clear();
  }
  if (!previous) return Result<List>::failure(fail("expected a view"));
  if (pos_ != text_.size() || !pending.empty()) {
    return Result<List>::failure(fail("unexpected text"));
  }
  return Result<List>::success(std::move(out_));
}

}  // namespace

Result<std::vector<std::shared_ptr<LayoutConstraint>>>
LayoutConstraint::constraintsWithVisualFormat(
    const std::string& format, unsigned /*options*/, const std::map<std::string, double>& metrics,
    const std::map<std::string, std::shared_ptr<View>>& views) {
  return Parser(format, metrics, views).parse();
}

}  // namespace platform
