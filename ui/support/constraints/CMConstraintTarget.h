#pragma once

#include <memory>
#include <variant>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "ui/support/constraints/CMViewAttribute.h"

namespace platform {
class View;
}

namespace sprout {

// A boxed value: a number, a point, a size or edge insets; `std::monostate` is any other value
// (ignored where a value is expected).
using CMBoxedValue =
    std::variant<std::monostate, double, platform::Point, platform::Size, platform::EdgeInsets>;

// What `equalTo` and its relatives accept: another view's attribute, a view (the same
// attribute of it), a boxed value (the constant), or a list of these (one constraint each).
struct CMConstraintTarget {
  std::variant<std::monostate, CMViewAttribute, std::shared_ptr<platform::View>, CMBoxedValue,
               std::vector<CMConstraintTarget>>
      value;

  CMConstraintTarget() = default;
  CMConstraintTarget(CMViewAttribute a) : value(std::move(a)) {}
  CMConstraintTarget(std::shared_ptr<platform::View> v) : value(std::move(v)) {}
  template <class V, class = std::enable_if_t<std::is_base_of_v<platform::View, V> &&
                                              !std::is_same_v<V, platform::View>>>
  CMConstraintTarget(std::shared_ptr<V> v)
      : value(std::static_pointer_cast<platform::View>(std::move(v))) {}
  CMConstraintTarget(double d) : value(CMBoxedValue(d)) {}
  CMConstraintTarget(int d) : value(CMBoxedValue(static_cast<double>(d))) {}
  CMConstraintTarget(platform::Point p) : value(CMBoxedValue(p)) {}
  CMConstraintTarget(platform::Size s) : value(CMBoxedValue(s)) {}
  CMConstraintTarget(platform::EdgeInsets e) : value(CMBoxedValue(e)) {}
  CMConstraintTarget(CMBoxedValue b) : value(std::move(b)) {}
  CMConstraintTarget(std::vector<CMConstraintTarget> list) : value(std::move(list)) {}
};

}  // namespace sprout
