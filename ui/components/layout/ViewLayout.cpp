#include "ui/components/layout/ViewLayout.h"

#include <cmath>
#include <memory>
#include <vector>

namespace sprout {
namespace {

using platform::Rect;
using platform::View;

// The nearest whole point, halves away from zero: 10.5 → 11, −10.5 → −11.
double layoutRounded(double value) { return std::round(value); }

// The superview's size, or zero without one.
platform::Size superSize(const View& view) {
  auto parent = view.superview();
  return parent ? parent->frame().size : platform::Size{0, 0};
}

template <class Change>
void changeFrame(View& view, Change change) {
  Rect frame = view.frame();
  change(frame);
  view.setFrame(frame);
}

}  // namespace

double width(const View& view) { return view.frame().size.width; }
double height(const View& view) { return view.frame().size.height; }
platform::Size size(const View& view) { return view.frame().size; }
platform::Point origin(const View& view) { return view.frame().origin; }
double x(const View& view) { return view.frame().origin.x; }
double xPosition(const View& view) { return x(view); }
double y(const View& view) { return view.frame().origin.y; }
double yPosition(const View& view) { return y(view); }
double bottomPosition(const View& view) { return height(view) + yPosition(view); }
double baselinePosition(const View& view) { return yPosition(view) + height(view); }

void setWidth(View& view, double width) {
  changeFrame(view, [&](Rect& f) { f.size.width = layoutRounded(width); });
}

void setHeight(View& view, double height) {
  changeFrame(view, [&](Rect& f) { f.size.height = layoutRounded(height); });
}

void setSize(View& view, const platform::Size& size) {
  changeFrame(view, [&](Rect& f) {
    f.size = {layoutRounded(size.width), layoutRounded(size.height)};
  });
}

void setOrigin(View& view, const platform::Point& origin) {
  changeFrame(view, [&](Rect& f) { f.origin = origin; });
}

void setX(View& view, double x) {
  changeFrame(view, [&](Rect& f) { f.origin.x = x; });
}

void setY(View& view, double y) {
  changeFrame(view, [&](Rect& f) { f.origin.y = y; });
}

void positionAtX(View& view, double x) {
  changeFrame(view, [&](Rect& f) { f.origin.x = layoutRounded(x); });
}

void positionAtY(View& view, double y) {
  changeFrame(view, [&](Rect& f) { f.origin.y = layoutRounded(y); });
}

void positionAtXAndY(View& view, double x, double y) {
  changeFrame(view, [&](Rect& f) { f.origin = {layoutRounded(x), layoutRounded(y)}; });
}

void positionAtXAndYWithWidth(View& view, double x, double y, double width) {
  changeFrame(view, [&](Rect& f) {
    f.origin = {layoutRounded(x), layoutRounded(y)};
    f.size.width = width;
  });
}

void positionAtXAndYWithHeight(View& view, double x, double y, double height) {
  changeFrame(view, [&](Rect& f) {
    f.origin = {layoutRounded(x), layoutRounded(y)};
    f.size.height = height;
  });
}

void positionAtXWithHeight(View& view, double x, double height) {
  changeFrame(view, [&](Rect& f) {
    f.origin.x = layoutRounded(x);
    f.size.height = height;
  });
}

void centerInSuperView(View& view) {
  const platform::Size outer = superSize(view);
  const double left = layoutRounded((outer.width - view.frame().size.width) * 0.5);
  const double top = layoutRounded((outer.height - view.frame().size.height) * 0.5);
  positionAtXAndY(view, left, top);
}

void aestheticCenterInSuperView(View& view) {
  const platform::Size outer = superSize(view);
  const double left = layoutRounded((outer.width - width(view)) * 0.5);
  const double top = layoutRounded((outer.height - height(view)) * 0.5) + outer.height * -0.125;
  positionAtXAndY(view, left, top);
}

void centerAtX(View& view) {
  positionAtX(view, layoutRounded((superSize(view).width - view.frame().size.width) * 0.5));
}

void centerAtXQuarter(View& view) {
  positionAtX(view, layoutRounded(superSize(view).width * 0.25 - view.frame().size.width * 0.5));
}

void centerAtX3Quarter(View& view) {
  centerAtXQuarter(view);
  positionAtX(view, layoutRounded(superSize(view).width * 0.5 + view.frame().origin.x));
}

void bringToFront(View& view) {
  if (auto parent = view.superview()) parent->bringSubviewToFront(&view);
}

void sendToBack(View& view) {
  if (auto parent = view.superview()) parent->sendSubviewToBack(&view);
}

void removeSubviews(View& view) {
  // A removal may change the live list (a subview taking a sibling with it), so walk a snapshot.
  const std::vector<std::shared_ptr<View>> snapshot = view.subviews();
  for (const auto& subview : snapshot) subview->removeFromSuperview();
}

}  // namespace sprout
