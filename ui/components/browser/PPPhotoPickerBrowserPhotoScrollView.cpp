#include "ui/components/browser/PPPhotoPickerBrowserPhotoScrollView.h"

#include <algorithm>
#include <cmath>

#include "images/ImageViewWebCache.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/BundleImages.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Device.h"
#include "platform/ui/LongPressGestureRecognizer.h"
#include "platform/ui/Screen.h"
#include "platform/ui/scroll/ScrollPhysics.h"
#include "ui/components/browser/PPPhotoRect.h"
#include "ui/components/photos/PPPhotoPickerDatas.h"

namespace sprout {

using platform::Point;
using platform::Rect;

std::shared_ptr<PPPhotoPickerBrowserPhotoScrollView> PPPhotoPickerBrowserPhotoScrollView::create() {
  return make<PPPhotoPickerBrowserPhotoScrollView>();
}

PPPhotoPickerBrowserPhotoScrollView::~PPPhotoPickerBrowserPhotoScrollView() {
  platform::NotificationCenter::defaultCenter().removeObserver(this);
}

void PPPhotoPickerBrowserPhotoScrollView::didInit() {
  ScrollView::didInit();
  auto me = self<PPPhotoPickerBrowserPhotoScrollView>();
  constexpr unsigned kFlexible =
      platform::ViewAutoresizingFlexibleWidth | platform::ViewAutoresizingFlexibleHeight;
  tapView_ = PPPhotoPickerBrowserPhotoView::create(bounds());
  tapView_->setTapDelegate(me);
  tapView_->setAutoresizingMask(kFlexible);
  tapView_->setBackgroundColor(platform::Color::black());
  addSubview(tapView_);
  photoImageView_ = PPPhotoPickerBrowserPhotoImageView::create();
  photoImageView_->setTapDelegate(me);
  photoImageView_->setContentMode(platform::ViewContentMode::Center);
  photoImageView_->setBackgroundColor(platform::Color::clear());
  addSubview(photoImageView_);
  setBackgroundColor(platform::Color::black());
  setDelegate(me);
  setShowsHorizontalScrollIndicator(false);
  setShowsVerticalScrollIndicator(false);
  setDecelerationRate(platform::scroll_physics::kFastDecelerationRate);
  setAutoresizingMask(kFlexible);
  std::weak_ptr<PPPhotoPickerBrowserPhotoScrollView> weak = me;
  addGestureRecognizer(
      platform::LongPressGestureRecognizer::create([weak](platform::GestureRecognizer& g) {
        if (auto page = weak.lock()) page->longGesture(g);
      }));
  const platform::Rect screen = platform::Screen::main().bounds();
  progressView_ = CPCircularProgressView::create();
  progressView_->setFrame(platform::makeRect(0, 0, 50, 50));
  progressView_->setCenter({screen.size.width / 2, screen.size.height / 2});
  progressView_->setRoundedCorners(1);
  // Thin square-ended rings from system 7 on; every version this platform reports is later.
  progressView_->setThicknessRatio(0.1);
  progressView_->setRoundedCorners(0);
  progressView_->setHidden(true);
  addSubview(progressView_);
  addObservers();
}

void PPPhotoPickerBrowserPhotoScrollView::addObservers() {
  auto& center = platform::NotificationCenter::defaultCenter();
  std::weak_ptr<PPPhotoPickerBrowserPhotoScrollView> weak =
      self<PPPhotoPickerBrowserPhotoScrollView>();
  center.addObserver(this, kPPPhotoImageDidStartLoadNotification, nullptr,
                     [](const platform::Notification&) {});
  center.addObserver(this, kPPPhotoImageDidFailLoadWithErrorNotification, nullptr,
                     [](const platform::Notification&) {});
  // Any item's finish reaches every page, as every page listens for any sender.
  center.addObserver(
      this, kPPPhotoImageDidFinishLoadNotification, nullptr, [weak](const platform::Notification&) {
        platform::DispatchQueue::main()->async([weak] {
          auto page = weak.lock();
          if (!page) return;
          page->photoImageView_->setImage(page->photo_ ? page->photo_->photoImage() : nullptr);
          page->isLoadingDone_ = true;
          page->displayImage();
        });
      });
}

void PPPhotoPickerBrowserPhotoScrollView::setPhoto(
    std::shared_ptr<PPPhotoPickerBrowserPhoto> photo) {
  photo_ = std::move(photo);
  if (!photo_) return;
  if (!photo_->photoPath().empty()) {
    photo_->loadImageFromFileAsync(photo_->photoPath());
    photoImageView_->setImage(photo_->photoImage());
    displayImage();
    return;
  }
  if (photo_->photoURL() && !photo_->photoURL()->absoluteString().empty()) {
    const platform::URL url = *photo_->photoURL();
    photo_->loadImageFromURLAsync(url);
    photoImageView_->setImage(photo_->photoImage());
    if (url.absoluteString().find("assets-library") == std::string::npos) {
      loadWebPicture(url);
      return;
    }
    std::weak_ptr<PPPhotoPickerBrowserPhotoScrollView> weak =
        self<PPPhotoPickerBrowserPhotoScrollView>();
    auto item = photo_;
    PPPhotoPickerDatas::defaultPicker()->getAssetsPhotoWithURLs(
        url, [weak, item](std::shared_ptr<platform::Image> image) {
          item->setPhotoImage(image);
          auto page = weak.lock();
          if (!page) return;
          page->photoImageView_->setImage(image);
          page->isLoadingDone_ = true;
          page->displayImage();
        });
    return;
  }
  photoImageView_->setImage(photo_->photoImage());
  isLoadingDone_ = true;
  displayImage();
}

void PPPhotoPickerBrowserPhotoScrollView::loadWebPicture(const platform::URL& url) {
  auto placeholder = photo_->thumbImage();
  if (placeholder) {
    photo_->setPhotoImage(placeholder);
    photoImageView_->setImage(placeholder);
  } else {
    placeholder = photoImageView_->image();
  }
  photoImageView_->setContentMode(platform::ViewContentMode::ScaleAspectFit);
  setShownFrame(PPPhotoRect::setMaxMinZoomScalesForCurrentBoundWithImageView(photoImageView_));
  if (!photoImageView_->image()) setProgress(0.01);
  std::weak_ptr<PPPhotoPickerBrowserPhotoScrollView> weak =
      self<PPPhotoPickerBrowserPhotoScrollView>();
  wi_setImageWithURL(
      photoImageView_, url, placeholder, WIImageRetryFailed,
      [weak](long received, long expected) {
        // The manager reports progress on its own queues; the ring belongs to the main thread.
        platform::DispatchQueue::main()->async([weak, received, expected] {
          if (auto page = weak.lock()) {
            page->setProgress(static_cast<double>(received) / static_cast<double>(expected));
          }
        });
      },
      [weak](const ImagePtr& image, const OptionalError&, WIImageCacheType, const OptionalURL&) {
        auto page = weak.lock();
        if (!page) return;
        page->setProgress(1);
        page->isLoadingDone_ = true;
        if (image) {
          page->photoImageView_->setImage(image);
        } else {
          page->photoImageView_->removeScaleBigTap();
          page->photoImageView_->setImage(
              platform::imageNamed(*platform::Bundle::main(), "icon_pic_break.png"));
        }
        page->displayImage();
      });
}

void PPPhotoPickerBrowserPhotoScrollView::setProgress(double progress) {
  progress_ = progress;
  if (!progressView_) return;
  progressView_->setHidden(false);
  if (progress == 0) return;
  if (progress == 1) {
    std::weak_ptr<PPPhotoPickerBrowserPhotoScrollView> weak =
        self<PPPhotoPickerBrowserPhotoScrollView>();
    platform::DispatchQueue::main()->async([weak] {
      auto page = weak.lock();
      if (!page || !page->progressView_) return;
      page->progressView_->removeFromSuperview();
      page->progressView_ = nullptr;
    });
    return;
  }
  progressView_->setProgress(progress, true);
}

}  // namespace sprout

// The browser page's fitting, centring, zooming and taps.
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
