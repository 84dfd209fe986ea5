#include "ui/components/qr/QRView.h"

#include <cairo.h>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/Bundle.h"
#include "platform/graphics/BundleImages.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Window.h"
#include "ui/components/qr/QRUtil.h"

namespace sprout {
namespace {

using platform::Color;
using platform::Context;
using platform::Point;
using platform::Rect;

constexpr double kStepInterval = 0.01;
constexpr double kLineHeight = 2;
constexpr double kBottomMargin = 4;
constexpr Color kDimColor = Color::rgba(40 / 255.0, 40 / 255.0, 40 / 255.0, 0.5);
constexpr Color kCornerColor = Color::rgba(83 / 255.0, 239 / 255.0, 111 / 255.0, 1);
constexpr double kOutlineWidth = 0.8;
constexpr double kCornerWidth = 2.0;
constexpr double kArm = 15;
constexpr double kLongArm = 15.7;
constexpr double kInset = 0.7;

void setSource(cairo_t* cr, const Color& c) { cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a); }

}  // namespace

std::shared_ptr<QRView> QRView::create(const Rect& frame) { return make<QRView>(frame); }

QRView::QRView(Key key, const Rect& frame) : View(std::move(key), frame) {
  // A new view is laid out and drawn before it is first shown.
  setNeedsLayout();
  setNeedsDisplay();
}

QRView::~QRView() { stopTimer(); }

Rect QRView::windowRect() const {
  const Rect screen = QRUtil::screenBounds();
  return platform::makeRect(screen.size.width / 2 - transparentArea_.width / 2,
                            screen.size.height / 2 - transparentArea_.height / 2,
                            transparentArea_.width, transparentArea_.height);
}

void QRView::layoutSubviews() {
  View::layoutSubviews();
  if (!qrLine_) {
    initQRLine();
    startTimer();
  } else if (!isScanning() && window()) {
    startTimer();  // back in a window after leaving one
  }
}

void QRView::willMoveToWindow(const std::shared_ptr<platform::Window>& newWindow) {
  View::willMoveToWindow(newWindow);
  if (!newWindow) stopTimer();
}

void QRView::didMoveToWindow() {
  View::didMoveToWindow();
  if (window() && qrLine_ && !isScanning()) setNeedsLayout();
}

void QRView::startTimer() {
  stopTimer();
  std::weak_ptr<QRView> weak = self<QRView>();
  timer_ = platform::RunLoop::main().scheduleTimer(kStepInterval, true, [weak](platform::Timer&) {
    if (auto overlay = weak.lock()) overlay->show();
  });
  timer_->fire();  // the first step at once
}

void QRView::stopTimer() {
  if (timer_) timer_->invalidate();
  timer_.reset();
}

void QRView::initQRLine() {
  const Rect window = windowRect();
  qrLine_ = platform::ImageView::create(
      platform::makeRect(window.origin.x, window.origin.y, window.size.width, kLineHeight));
  qrLine_->setImage(platform::imageNamed(*platform::Bundle::main(), "qr_scan_line"));
  qrLine_->setContentMode(platform::ViewContentMode::ScaleAspectFill);
  // Filling a window narrower than the image would spill the line past the window's sides.
  qrLine_->setClipsToBounds(true);
  addSubview(qrLine_);
  qrLineY_ = qrLine_->frame().origin.y;
}

void QRView::show() {
  View::animateWithDuration(kStepInterval, [this] {
    if (!qrLine_) return;
    Rect frame = qrLine_->frame();
    frame.origin.y = qrLineY_;
    qrLine_->setFrame(frame);
  });
  // The position moves on as the step starts rather than when it ends: a step ends at the very
  // instant the next tick is due, and which of the two ran first would be down to rounding, so a
  // tick could repeat the old position and the line skip a point.
  advanceLine();
}

void QRView::advanceLine() {
  const double half = frame().size.height / 2;
  if (qrLineY_ > half + transparentArea_.height / 2 - kBottomMargin) {
    qrLineY_ = half - transparentArea_.height / 2;
  }
  qrLineY_ += 1;
}

void QRView::drawRect(Context& context, const Rect& /*rect*/) {
  // What a fresh drawing context strokes with: black, one point wide.
  cairo_t* cr = context.cairo();
  setSource(cr, Color::black());
  cairo_set_line_width(cr, 1);
  const Rect screen = QRUtil::screenBounds();
  const Rect window = windowRect();
  addScreenFillRect(context, platform::makeRect(0, 0, screen.size.width, screen.size.height));
  addCenterClearRect(context, window);
  addWhiteRect(context, window);
  addCornerLineWithContext(context, window);
}

void QRView::addScreenFillRect(Context& context, const Rect& rect) {
  cairo_t* cr = context.cairo();
  cairo_save(cr);
  setSource(cr, kDimColor);
  cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_fill(cr);
  cairo_restore(cr);
}

void QRView::addCenterClearRect(Context& context, const Rect& rect) {
  cairo_t* cr = context.cairo();
  cairo_save(cr);
  cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
  cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_fill(cr);
  cairo_restore(cr);
}

void QRView::addWhiteRect(Context& context, const Rect& rect) {
  cairo_t* cr = context.cairo();
  cairo_new_path(cr);
  cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_stroke(cr);  // with the settings as they stand
  setSource(cr, Color::whiteColor());
  cairo_set_line_width(cr, kOutlineWidth);
  cairo_rectangle(cr, rect.origin.x, rect.origin.y, rect.size.width, rect.size.height);
  cairo_stroke(cr);
}

void QRView::addCornerLineWithContext(Context& context, const Rect& rect) {
  cairo_t* cr = context.cairo();
  cairo_set_line_width(cr, kCornerWidth);
  setSource(cr, kCornerColor);
  const double x = rect.origin.x, y = rect.origin.y;
  const double w = rect.size.width, h = rect.size.height;
  cairo_new_path(cr);
  // Top left, bottom left, top right, bottom right.
  addLine({Point{x + kInset, y}, Point{x + kInset, y + kArm}},
          {Point{x, y + kInset}, Point{x + kArm, y + kInset}}, context);
  addLine({Point{x + kInset, y + h - kArm}, Point{x + kInset, y + h}},
          {Point{x, y + h - kInset}, Point{x + kLongArm, y + h - kInset}}, context);
  addLine({Point{x + w - kArm, y + kInset}, Point{x + w, y + kInset}},
          {Point{x + w - kInset, y}, Point{x + w - kInset, y + kLongArm}}, context);
  addLine({Point{x + w - kInset, y + h - kArm}, Point{x + w - kInset, y + h}},
          {Point{x + w - kArm, y + h - kInset}, Point{x + w, y + h - kInset}}, context);
  cairo_stroke(cr);
}

void QRView::addLine(const std::array<Point, 2>& pointA, const std::array<Point, 2>& pointB,
                     Context& context) {
  cairo_t* cr = context.cairo();
  for (const auto* line : {&pointA, &pointB}) {
    cairo_move_to(cr, (*line)[0].x, (*line)[0].y);
    cairo_line_to(cr, (*line)[1].x, (*line)[1].y);
  }
}

}  // namespace sprout
