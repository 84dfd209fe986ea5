#include "ui/support/constraints/LayoutConstraintCMDebugAdditions.h"

#include <cxxabi.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <typeinfo>

#include "platform/layout/LayoutConstraint.h"
#include "platform/ui/View.h"
#include "ui/support/constraints/CMLayoutConstraint.h"
#include "ui/support/constraints/ViewCMAdditions.h"

namespace sprout {
namespace {

// The class's own name, without its namespace.
std::string className(const platform::Object& object) {
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(typeid(object).name(), nullptr, nullptr, &status), std::free);
  std::string name = status == 0 && demangled ? demangled.get() : typeid(object).name();
  const auto colon = name.rfind("::");
  return colon == std::string::npos ? name : name.substr(colon + 2);
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string named(const std::map<long, std::string>& table, long value) {
  auto it = table.find(value);
  return it != table.end() ? it->second : "(" + std::to_string(value) + ")";
}

}  // namespace

const std::map<long, std::string>& layoutRelationDescriptionsByValue() {
  static const std::map<long, std::string> table{{-1, "<="}, {0, "=="}, {1, ">="}};
  return table;
}

const std::map<long, std::string>& layoutAttributeDescriptionsByValue() {
  static const std::map<long, std::string> table{{1, "left"},
                                                 {2, "right"},
                                                 {3, "top"},
                                                 {4, "bottom"},
                                                 {5, "leading"},
                                                 {6, "trailing"},
                                                 {7, "width"},
                                                 {8, "height"},
                                                 {9, "centerX"},
                                                 {10, "centerY"},
                                                 {11, "baseline"},
                                                 {13, "leftMargin"},
                                                 {14, "rightMargin"},
                                                 {15, "topMargin"},
                                                 {16, "bottomMargin"},
                                                 {17, "leadingMargin"},
                                                 {18, "trailingMargin"},
                                                 {19, "centerXWithinMargins"},
                                                 {20, "centerYWithinMargins"}};
  return table;
}

const std::map<float, std::string>& layoutPriorityDescriptionsByValue() {
  static const std::map<float, std::string> table{
      {750, "high"}, {250, "low"}, {500, "medium"}, {1000, "required"}, {50, "fitting size"}};
  return table;
}

std::string descriptionForObject(const platform::Object* object) {
  if (!object) return "(null)";
  std::string key;
  if (auto* view = dynamic_cast<const platform::View*>(object)) key = cm_key(*view);
  if (auto* c = dynamic_cast<const CMLayoutConstraint*>(object)) key = c->cm_key();
  if (!key.empty()) return className(*object) + ":" + key;
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(object));
  return className(*object) + ":" + address;
}

std::string cm_description(const platform::LayoutConstraint& c) {
  std::string text = "<" + descriptionForObject(&c);
  text += " " + descriptionForObject(c.firstItem().get());
  if (c.firstAttribute() != 0) {
    text += "." + named(layoutAttributeDescriptionsByValue(), c.firstAttribute());
  }
  text += " " + named(layoutRelationDescriptionsByValue(), c.relation());
  if (auto second = c.secondItem()) text += " " + descriptionForObject(second.get());
  if (c.secondAttribute() != 0) {
    text += "." + named(layoutAttributeDescriptionsByValue(), c.secondAttribute());
  }
  if (c.multiplier() != 1) text += " * " + number(c.multiplier());
  if (c.secondAttribute() == 0) {
    text += " " + number(c.constant());
  } else if (c.constant() != 0) {
    text +=
        std::string(" ") + (c.constant() < 0 ? "-" : "+") + " " + number(std::fabs(c.constant()));
  }
  if (c.priority() != platform::kLayoutPriorityRequired) {
    const auto& names = layoutPriorityDescriptionsByValue();
    auto it = names.find(c.priority());
    text += " ^" + (it != names.end() ? it->second : number(c.priority()));
  }
  return text + ">";
}

void cm_installDebugDescriptions() {
  static std::once_flag once;
  std::call_once(once, [] { platform::LayoutConstraint::setDescriptionProvider(&cm_description); });
}

}  // namespace sprout
