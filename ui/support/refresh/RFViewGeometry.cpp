#include "ui/support/refresh/RFViewGeometry.h"

#include "platform/layout/ViewLayout.h"

namespace sprout {

bool rf_placesItself(const platform::View& view) { return platform::constraints(view).empty(); }

using platform::EdgeInsets;
using platform::Point;
using platform::Rect;
using platform::ScrollView;
using platform::Size;
using platform::View;

double rf_x(const View& view) { return view.frame().origin.x; }
double rf_y(const View& view) { return view.frame().origin.y; }
double rf_w(const View& view) { return view.frame().size.width; }
double rf_h(const View& view) { return view.frame().size.height; }
Size rf_size(const View& view) { return view.frame().size; }
Point rf_origin(const View& view) { return view.frame().origin; }

namespace {
template <class F>
void editFrame(View& view, F edit) {
  Rect f = view.frame();
  edit(f);
  view.setFrame(f);
}
template <class F>
void editInset(ScrollView& scrollView, F edit) {
  EdgeInsets inset = scrollView.contentInset();
  edit(inset);
  scrollView.setContentInset(inset);
}
template <class F>
void editOffset(ScrollView& scrollView, F edit) {
  Point offset = scrollView.contentOffset();
  edit(offset);
  scrollView.setContentOffset(offset);
}
template <class F>
void editContentSize(ScrollView& scrollView, F edit) {
  Size size = scrollView.contentSize();
  edit(size);
  scrollView.setContentSize(size);
}
}  // namespace

void setRf_x(View& view, double x) {
  editFrame(view, [x](Rect& f) { f.origin.x = x; });
}
void setRf_y(View& view, double y) {
  editFrame(view, [y](Rect& f) { f.origin.y = y; });
}
void setRf_w(View& view, double w) {
  editFrame(view, [w](Rect& f) { f.size.width = w; });
}
void setRf_h(View& view, double h) {
  editFrame(view, [h](Rect& f) { f.size.height = h; });
}
void setRf_size(View& view, const Size& size) {
  editFrame(view, [&](Rect& f) { f.size = size; });
}
void setRf_origin(View& view, const Point& origin) {
  editFrame(view, [&](Rect& f) { f.origin = origin; });
}

double rf_insetT(const ScrollView& s) { return s.contentInset().top; }
double rf_insetB(const ScrollView& s) { return s.contentInset().bottom; }
double rf_insetL(const ScrollView& s) { return s.contentInset().left; }
double rf_insetR(const ScrollView& s) { return s.contentInset().right; }
double rf_offsetX(const ScrollView& s) { return s.contentOffset().x; }
double rf_offsetY(const ScrollView& s) { return s.contentOffset().y; }
double rf_contentW(const ScrollView& s) { return s.contentSize().width; }
double rf_contentH(const ScrollView& s) { return s.contentSize().height; }

void setRf_insetT(ScrollView& s, double v) {
  editInset(s, [v](EdgeInsets& i) { i.top = v; });
}
void setRf_insetB(ScrollView& s, double v) {
  editInset(s, [v](EdgeInsets& i) { i.bottom = v; });
}
void setRf_insetL(ScrollView& s, double v) {
  editInset(s, [v](EdgeInsets& i) { i.left = v; });
}
void setRf_insetR(ScrollView& s, double v) {
  editInset(s, [v](EdgeInsets& i) { i.right = v; });
}
void setRf_offsetX(ScrollView& s, double v) {
  editOffset(s, [v](Point& p) { p.x = v; });
}
void setRf_offsetY(ScrollView& s, double v) {
  editOffset(s, [v](Point& p) { p.y = v; });
}
void setRf_contentW(ScrollView& s, double v) {
  editContentSize(s, [v](Size& z) { z.width = v; });
}
void setRf_contentH(ScrollView& s, double v) {
  editContentSize(s, [v](Size& z) { z.height = v; });
}

}  // namespace sprout
