#include "platform/ui/scroll/PageControl.h"

#include <algorithm>
#include <cmath>

#include "platform/graphics/Context.h"

namespace platform {

std::shared_ptr<PageControl> PageControl::create(const Rect& frame) {
  return Object::make<PageControl>(frame);
}

PageControl::PageControl(Key key, const Rect& frame) : Control(std::move(key), frame) {
  setBackgroundColor(Color::clear());
  setOpaque(false);
  setContentMode(ViewContentMode::Redraw);
}

void PageControl::setNumberOfPages(long n) {
  numberOfPages_ = std::max(0L, n);
  currentPage_ = std::clamp(currentPage_, 0L, std::max(0L, numberOfPages_ - 1));
  displayedPage_ = currentPage_;
  refresh();
  invalidateIntrinsicContentSize();
}

void PageControl::setCurrentPage(long page) {
  currentPage_ = std::clamp(page, 0L, std::max(0L, numberOfPages_ - 1));
  displayedPage_ = currentPage_;
  refresh();
}

void PageControl::setHidesForSinglePage(bool v) {
  hidesForSinglePage_ = v;
  refresh();
}

void PageControl::updateCurrentPageDisplay() {
  displayedPage_ = currentPage_;
  refresh();
}

void PageControl::setPageIndicatorTintColor(const Color& c) {
  pageColor_ = c;
  refresh();
}

void PageControl::setCurrentPageIndicatorTintColor(const Color& c) {
  currentColor_ = c;
  refresh();
}

void PageControl::refresh() { setNeedsDisplay(); }

Size PageControl::sizeForNumberOfPages(long pages) {
  if (pages <= 0) return {0, kHeight};
  const double n = static_cast<double>(pages);
  return {n * kDotDiameter + (n - 1) * kDotSpacing, kHeight};
}

Size PageControl::sizeThatFits(const Size& /*size*/) const {
  return sizeForNumberOfPages(numberOfPages_);
}

void PageControl::drawRect(Context& context, const Rect& /*rect*/) {
  if (numberOfPages_ == 0 || (hidesForSinglePage_ && numberOfPages_ == 1)) return;
  const Rect b = bounds();
  const Size need = sizeForNumberOfPages(numberOfPages_);
  double x = b.origin.x + (b.size.width - need.width) / 2;
  const double cy = b.origin.y + b.size.height / 2;
  auto* cr = context.cairo();
  for (long i = 0; i < numberOfPages_; ++i) {
    const Color c = i == displayedPage_ ? currentColor_ : pageColor_;
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
    cairo_arc(cr, x + kDotDiameter / 2, cy, kDotDiameter / 2, 0, 2 * M_PI);
    cairo_fill(cr);
    x += kDotDiameter + kDotSpacing;
  }
}

void PageControl::touchesEnded(const TouchSet& touches, const Event& event) {
  const bool inside = isTouchInside();
  Control::touchesEnded(touches, event);
  if (!inside || touches.empty() || numberOfPages_ == 0 || !isEnabled()) return;
  const Point p = touches.front()->locationInView(this);
  const long next = p.x < bounds().size.width / 2 ? currentPage_ - 1 : currentPage_ + 1;
  if (next < 0 || next >= numberOfPages_) return;
  currentPage_ = next;
  if (!defersDisplay_) displayedPage_ = next;
  refresh();
  sendActionsForControlEvents(ControlEventValueChanged);
}

}  // namespace platform
