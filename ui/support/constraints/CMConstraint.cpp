#include "ui/support/constraints/CMConstraint.h"

#include "platform/foundation/Exception.h"

namespace sprout {

void CMConstraint::mustOverride(const char* operation) {
  throw platform::Exception(platform::kInternalInconsistencyException,
                            std::string("You must override ") + operation + " in a subclass.");
}

CMConstraint::Ptr CMConstraint::offset(double d) {
  setOffset(d);
  return shared_from_this();
}

CMConstraint::Ptr CMConstraint::insets(const platform::EdgeInsets& insets) {
  setInsets(insets);
  return shared_from_this();
}

CMConstraint::Ptr CMConstraint::sizeOffset(const platform::Size& size) {
  setSizeOffset(size);
  return shared_from_this();
}

CMConstraint::Ptr CMConstraint::centerOffset(const platform::Point& point) {
  setCenterOffset(point);
  return shared_from_this();
}

CMConstraint::Ptr CMConstraint::valueOffset(const CMBoxedValue& value) {
  setLayoutConstantWithValue(value);
  return shared_from_this();
}

void CMConstraint::setLayoutConstantWithValue(const CMBoxedValue& value) {
  if (auto* d = std::get_if<double>(&value)) {
    setOffset(*d);
  } else if (auto* p = std::get_if<platform::Point>(&value)) {
    setCenterOffset(*p);
  } else if (auto* s = std::get_if<platform::Size>(&value)) {
    setSizeOffset(*s);
  } else if (auto* e = std::get_if<platform::EdgeInsets>(&value)) {
    setInsets(*e);
  }
}

CMConstraint::Ptr CMConstraint::addConstraintWithLayoutAttribute(long) {
  mustOverride("addConstraintWithLayoutAttribute");
}
CMConstraint::Ptr CMConstraint::multipliedBy(double) { mustOverride("multipliedBy"); }
CMConstraint::Ptr CMConstraint::dividedBy(double) { mustOverride("dividedBy"); }
CMConstraint::Ptr CMConstraint::priority(float) { mustOverride("priority"); }
CMConstraint::Ptr CMConstraint::equalToWithRelation(const CMConstraintTarget&, long) {
  mustOverride("equalToWithRelation");
}
CMConstraint::Ptr CMConstraint::key(const std::string&) { mustOverride("key"); }
void CMConstraint::setInsets(const platform::EdgeInsets&) { mustOverride("setInsets"); }
void CMConstraint::setSizeOffset(const platform::Size&) { mustOverride("setSizeOffset"); }
void CMConstraint::setCenterOffset(const platform::Point&) { mustOverride("setCenterOffset"); }
void CMConstraint::setOffset(double) { mustOverride("setOffset"); }
void CMConstraint::activate() { mustOverride("activate"); }
void CMConstraint::deactivate() { mustOverride("deactivate"); }
void CMConstraint::install() { mustOverride("install"); }
void CMConstraint::uninstall() { mustOverride("uninstall"); }

}  // namespace sprout
