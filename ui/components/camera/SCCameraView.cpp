#include "ui/components/camera/SCCameraView.h"

#include <cairo.h>

#include "platform/dispatch/RunLoop.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Touch.h"

namespace sprout {

namespace {
constexpr double kEndSide = 30;  // the square is gone once it has shrunk to this side
}

std::shared_ptr<SCCameraView> SCCameraView::create(const platform::Rect& frame) {
  return make<SCCameraView>(frame);
}

SCCameraView::~SCCameraView() {
  if (link_) link_->invalidate();
}

std::shared_ptr<platform::DisplayLink> SCCameraView::makeLink() {
  std::weak_ptr<SCCameraView> weak = self<SCCameraView>();
  return platform::DisplayLink::create(
      [weak](platform::DisplayLink& link) {
        if (auto view = weak.lock()) view->refreshView(link);
      },
      weak);
}

void SCCameraView::touchesBegan(const platform::TouchSet& touches, const platform::Event&) {
  if (isPlayerEnd_ || touches.empty()) return;
  isPlayerEnd_ = true;
  const auto& touch = touches.front();
  auto touched = touch->view();
  point_ = touch->locationInView(touched ? touched.get() : this);
  if (!link_) link_ = makeLink();
  link_->addToRunLoop(platform::RunLoop::main(), platform::RunLoopMode::Default);
  if (auto d = delegate()) d->cameraDidSelected(*this);
}

void SCCameraView::refreshView(platform::DisplayLink&) {
  setNeedsDisplay();
  time_ += 1;
}

void SCCameraView::stopAnimation() {
  isPlayerEnd_ = false;
  if (link_) link_->invalidate();
  link_ = nullptr;
  time_ = 0;
}

void SCCameraView::willMoveToWindow(const std::shared_ptr<platform::Window>& newWindow) {
  View::willMoveToWindow(newWindow);
  if (!newWindow && isPlayerEnd_) {
    stopAnimation();
    setNeedsDisplay();
  }
}

// The base drawRect is not called: it would mark this class as drawing nothing.
void SCCameraView::drawRect(platform::Context& context, const platform::Rect&) {
  if (!isPlayerEnd_) return;
  const double s = side();
  const platform::Rect square = platform::makeRect(point_.x - s / 2, point_.y - s / 2, s, s);
  cairo_t* cr = context.cairo();
  if (s <= kEndSide) {
    stopAnimation();
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(cr, square.origin.x, square.origin.y, s, s);
    cairo_fill(cr);
    cairo_restore(cr);
    return;
  }
  cairo_save(cr);
  cairo_rectangle(cr, square.origin.x, square.origin.y, s, s);
  cairo_set_source_rgba(cr, 0.2, 0.6, 0.8, 0);
  cairo_fill_preserve(cr);
  cairo_set_source_rgb(cr, 1, 1, 0);
  cairo_set_line_width(cr, 1);
  cairo_stroke(cr);
  cairo_restore(cr);
}

}  // namespace sprout
