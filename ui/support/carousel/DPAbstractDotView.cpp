#include "ui/support/carousel/DPAbstractDotView.h"

#include <cxxabi.h>

#include <cstdlib>
#include <string>
#include <typeinfo>

#include "platform/foundation/Exception.h"
#include "platform/ui/ViewTypes.h"

namespace sprout {
namespace {

using platform::Color;

std::string className(const std::type_info& type) {
  int status = 0;
  char* name = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  std::string result = status == 0 && name ? name : type.name();
  std::free(name);
  const auto colons = result.rfind("::");
  return colons == std::string::npos ? result : result.substr(colons + 2);
}

[[noreturn]] void mustOverride(const std::string& selector, const std::string& className) {
  throw platform::Exception(platform::kInternalInconsistencyException,
                            "You must override " + selector + " in " + className);
}

void makeRing(platform::View& dot) {
  dot.setBackgroundColor(Color::clear());
  dot.layer()->setCornerRadius(dot.frame().size.width / 2);
  dot.layer()->setBorderColor(Color::whiteColor());
  dot.layer()->setBorderWidth(2);
}

}  // namespace

std::shared_ptr<DPAbstractDotView> DPAbstractDotView::create() {
  mustOverride("init", "DPAbstractDotView");
}

void DPAbstractDotView::changeActivityState(bool /*active*/) {
  mustOverride("changeActivityState:", className(typeid(*this)));
}

std::shared_ptr<DPAnimatedDotView> DPAnimatedDotView::create(const platform::Rect& frame) {
  return platform::Object::make<DPAnimatedDotView>(frame);
}

void DPAnimatedDotView::didInit() {
  DPAbstractDotView::didInit();
  makeRing(*this);
}

void DPAnimatedDotView::setDotColor(const Color& color) {
  dotColor_ = color;
  layer()->setBorderColor(color);
}

void DPAnimatedDotView::changeActivityState(bool active) {
  std::weak_ptr<DPAnimatedDotView> weak = self<DPAnimatedDotView>();
  const Color fill = active ? dotColor_ : Color::clear();
  const auto transform = active ? platform::AffineTransform::scale(kActiveScale, kActiveScale)
                                : platform::AffineTransform::identity();
  platform::View::animateWithDuration(kSpringDuration, 0, kDamping, active ? kActiveVelocity : 0,
                                      platform::ViewAnimationOptionCurveLinear,
                                      [weak, fill, transform] {
                                        if (auto dot = weak.lock()) {
                                          dot->setBackgroundColor(fill);
                                          dot->setTransform(transform);
                                        }
                                      });
}

std::shared_ptr<DPDotView> DPDotView::create(const platform::Rect& frame) {
  return platform::Object::make<DPDotView>(frame);
}

void DPDotView::didInit() {
  DPAbstractDotView::didInit();
  makeRing(*this);
}

void DPDotView::changeActivityState(bool active) {
  setBackgroundColor(active ? Color::whiteColor() : Color::clear());
}

}  // namespace sprout
