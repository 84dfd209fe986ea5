// The browser page's fitting, centring, zooming and taps.
#include <algorithm>
#include <cmath>

#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "ui/components/browser/PPPhotoPickerBrowserPhotoScrollView.h"

namespace sprout {

using platform::Point;
using platform::Rect;

namespace {

constexpr double kWideAspect = 1.7777777777777777;  // 16:9

double centred(double outer, double inner) {
  return inner < outer ? std::floor(static_cast<float>((outer - inner) * 0.5)) : 0;
}

}  // namespace

bool PPPhotoPickerBrowserPhotoScrollView::isSuperBigImage(const platform::Image* image) {
  if (!image) return false;
  const platform::Size s = image->size();
  return (s.width > 3 * s.height && s.height > 100) || (s.height > 3 * s.width && s.width > 100);
}

void PPPhotoPickerBrowserPhotoScrollView::displayImage() {
  setMaximumZoomScale(1);
  setMinimumZoomScale(1);
  setZoomScale(1);
  setContentSize({0, 0});
  if (auto image = photoImageView_->image()) {
    photoImageView_->setImage(image);
    photoImageView_->setHidden(false);
    const platform::Size size = image->size();
    photoImageView_->setFrame(platform::makeRect(0, 0, size.width, size.height));
    setContentSize(size);
    setMaxMinZoomScalesForCurrentBounds();
    layoutPhotoLoadOriginButton();
  }
  setNeedsLayout();
}

void PPPhotoPickerBrowserPhotoScrollView::setMaxMinZoomScalesForCurrentBounds() {
  setMaximumZoomScale(1);
  setMinimumZoomScale(1);
  setZoomScale(1);
  if (!photoImageView_->image()) return;
  const double bw = bounds().size.width, bh = bounds().size.height;
  const double fw = photoImageView_->frame().size.width, fh = photoImageView_->frame().size.height;
  if (fw <= 0 || fh <= 0) return;
  photoImageView_->setContentMode(platform::ViewContentMode::Center);
  const double xs = bw / fw, ys = bh / fh;
  if (xs > 1 && ys > 1) {
    minScale_ = 1, maxScale_ = 2;
  } else {
    minScale_ = std::min(xs, ys), maxScale_ = 2 * minScale_;
  }
  if (isSuperBigImage(photoImageView_->image().get())) {
    const platform::Size screen = platform::Screen::main().bounds().size;
    if (fh > fw && fh / fw > screen.height / screen.width) {
      minScale_ = xs, maxScale_ = 2 * xs;  // a tall strip fills the width
    } else if (fh < fw) {
      photoImageView_->setContentMode(platform::ViewContentMode::ScaleAspectFill);
      maxScale_ = ys;
      if (fw / fh > kWideAspect) minScale_ = xs;
    }
  }
  setMaximumZoomScale(maxScale_);
  setMinimumZoomScale(minScale_);
  setZoomScale(minScale_);
  zoomScaleFromInit_ = minScale_;
  isBigScale_ = false;  // a picture placed afresh shows whole, so the next double tap zooms in
  const Rect f = photoImageView_->frame();
  setShownFrame(platform::makeRect(0, 0, f.size.width, f.size.height));
  setNeedsLayout();
}

void PPPhotoPickerBrowserPhotoScrollView::setShownFrame(const Rect& frame) {
  const platform::AffineTransform t = photoImageView_->transform();
  const double sx = std::hypot(t.a, t.b), sy = std::hypot(t.c, t.d);
  if (!(sx > 0) || !(sy > 0)) return;
  Rect bounds = photoImageView_->bounds();
  bounds.size = {frame.size.width / sx, frame.size.height / sy};
  photoImageView_->setBounds(bounds);
  photoImageView_->setCenter(
      {frame.origin.x + frame.size.width / 2, frame.origin.y + frame.size.height / 2});
}

void PPPhotoPickerBrowserPhotoScrollView::layoutPhotoLoadOriginButton() {
  auto parent = superview();
  if (!parent) return;
  for (auto old = parent->viewWithTag(kLoadOriginButtonTag); old;
       old = parent->viewWithTag(kLoadOriginButtonTag)) {
    old->removeFromSuperview();
  }
  if (!photo_ || !photo_->loadOriginButton()) return;
  const platform::Size screen = platform::Screen::main().bounds().size;
  // Above the bottom by the status bar's height as it is now (none while it is hidden).
  const double statusBar = platform::ApplicationWindows::shared().statusBarFrame().size.height;
  const auto& button = photo_->loadOriginButton();
  button->setTag(kLoadOriginButtonTag);
  button->setFrame(
      platform::makeRect((screen.width - 148) * 0.5, screen.height - statusBar - 42, 148, 32));
  parent->addSubview(button);
  parent->bringSubviewToFront(button.get());
}

double PPPhotoPickerBrowserPhotoScrollView::initialZoomScaleWithMinScale() const {
  const auto image = photoImageView_->image();
  if (!image || image->size().width <= 0 || image->size().height <= 0) return minimumZoomScale();
  const double bw = bounds().size.width, bh = bounds().size.height;
  const double iw = image->size().width, ih = image->size().height;
  if (bh > 0 && std::fabs(bw / bh - iw / ih) < 0.17) return bw / iw;
  return minimumZoomScale();
}

void PPPhotoPickerBrowserPhotoScrollView::layoutSubviews() {
  ScrollView::layoutSubviews();
  const Rect f = photoImageView_->frame();
  const Rect centredFrame =
      platform::makeRect(centred(bounds().size.width, f.size.width),
                         centred(bounds().size.height, f.size.height), f.size.width, f.size.height);
  if (centredFrame != f) setShownFrame(centredFrame);
}

void PPPhotoPickerBrowserPhotoScrollView::scrollViewDidZoom(platform::ScrollView&) {
  setNeedsLayout();
  layoutIfNeeded();
}

// A pinch decides which way the next double tap goes: out when it left the picture zoomed in,
// in when it brought it back to fit. Long strips keep their own double-tap sizes.
void PPPhotoPickerBrowserPhotoScrollView::scrollViewDidEndZooming(
    platform::ScrollView&, const std::shared_ptr<platform::View>&, double scale) {
  if (!isSuperBigImage(photoImageView_->image().get())) isBigScale_ = scale > minScale_ * 1.001;
}

void PPPhotoPickerBrowserPhotoScrollView::disMissTap() {
  if (callback_) {
    callback_(nullptr);
  } else if (auto d = photoScrollViewDelegate()) {
    d->pickerPhotoScrollViewDidSingleClick(*this);
  }
}

void PPPhotoPickerBrowserPhotoScrollView::longGesture(platform::GestureRecognizer& recognizer) {
  if (recognizer.state() != platform::GestureRecognizerState::Began) return;
  if (auto d = photoScrollViewDelegate()) d->pickerPhotoScrollViewDidLongPressed(*this);
}

void PPPhotoPickerBrowserPhotoScrollView::imageViewSingleTapDetected(
    PPPhotoPickerBrowserPhotoImageView&, platform::GestureRecognizer&) {
  disMissTap();
}

void PPPhotoPickerBrowserPhotoScrollView::singleTapDetected(PPPhotoPickerBrowserPhotoView&,
                                                            platform::GestureRecognizer&) {
  disMissTap();
}

// Both double taps hand on the point in the page's content, where the picture's frame lies.
void PPPhotoPickerBrowserPhotoScrollView::doubleTapDetected(PPPhotoPickerBrowserPhotoView&,
                                                            platform::GestureRecognizer& tap) {
  handleImageViewDoubleTap(tap.locationInView(this));
}

void PPPhotoPickerBrowserPhotoScrollView::imageViewDoubleTapDetected(
    PPPhotoPickerBrowserPhotoImageView&, platform::GestureRecognizer& tap) {
  handleImageViewDoubleTap(tap.locationInView(this));
}

Rect PPPhotoPickerBrowserPhotoScrollView::zoomRectForScale(double scale, Point center) const {
  const double w = frame().size.width / scale, h = frame().size.height / scale;
  return platform::makeRect(center.x - w / 2, center.y - h / 2, w, h);
}

void PPPhotoPickerBrowserPhotoScrollView::handleImageViewDoubleTap(Point p) {
  const Rect f = photoImageView_->frame();
  if (p.x < f.origin.x || p.x > f.origin.x + f.size.width || p.y < f.origin.y ||
      p.y > f.origin.y + f.size.height) {
    p = photoImageView_->center();
  }
  if (isSuperBigImage(photoImageView_->image().get())) {
    zoomLongPicture(p);
    return;
  }
  if (!(f.size.width > 0) || !(f.size.height > 0)) return;
  // The zoom rectangle is in the picture's own, unzoomed points.
  const platform::Size unzoomed = photoImageView_->bounds().size;
  const Point onPicture{(p.x - f.origin.x) * unzoomed.width / f.size.width,
                        (p.y - f.origin.y) * unzoomed.height / f.size.height};
  zoomToRect(zoomRectForScale(isBigScale_ ? minScale_ : maxScale_, onPicture), true);
  isBigScale_ = !isBigScale_;
}

void PPPhotoPickerBrowserPhotoScrollView::zoomLongPicture(Point p) {
  const double fw = photoImageView_->frame().size.width;
  const platform::Size image = photoImageView_->image()->size();
  const double bw = bounds().size.width, bh = bounds().size.height;
  double w = 0, h = 0;
  if (isBigScale_) {
    w = std::min(bw, image.width), h = image.height / image.width * w;
  } else {
    w = image.width / image.height * bh, h = bh;
  }
  isBigScale_ = !isBigScale_;
  std::weak_ptr<PPPhotoPickerBrowserPhotoScrollView> weak =
      self<PPPhotoPickerBrowserPhotoScrollView>();
  platform::View::animateWithDuration(0.3, [weak, w, h, bw, bh, fw, p] {
    auto page = weak.lock();
    if (!page) return;
    page->setShownFrame(platform::makeRect(centred(bw, w), centred(bh, h), w, h));
    page->setContentSize({w, h});
    // The tapped point of the strip comes to the middle of the page.
    const double x = p.x * w / fw - bw / 2;
    page->setContentOffset({std::max(0.0, std::min(x, w - bw)), 0});
  });
}

}  // namespace sprout
