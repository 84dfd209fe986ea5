#include "ui/components/browser/PPPhotoPickerBrowserPhotoScrollView.h"

#include <algorithm>
#include <cmath>

#include "images/ImageViewWebCache.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/graphics/BundleImages.h"
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
