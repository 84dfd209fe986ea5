#include "images/ImageViewWebCache.h"

#include <utility>

#include "images/ViewWebCacheOperation.h"
#include "images/WIImageManager.h"
#include "platform/foundation/BindWeak.h"

namespace sprout {

using platform::ActivityIndicatorView;
using platform::ActivityIndicatorViewStyle;
using platform::ImageView;

namespace {

using platform::AssociatedKey;
constexpr AssociatedKey<OptionalURL> kImageURLKey{"wi_imageURL"};
constexpr AssociatedKey<std::shared_ptr<ActivityIndicatorView>> kActivityIndicatorKey{
    "activityIndicator"};
constexpr AssociatedKey<bool> kShowActivityIndicatorKey{"showActivityIndicatorView"};
constexpr AssociatedKey<ActivityIndicatorViewStyle> kIndicatorStyleKey{"indicatorStyle"};
// The frames the last wi_setAnimationImagesWithURLs showed.
constexpr AssociatedKey<std::vector<ImagePtr>> kWebAnimationFramesKey{"wi_webAnimationFrames"};

template <class T>
T associatedOr(platform::View& view, const AssociatedKey<T>& key, T fallback) {
  const T* value = view.associated(key);
  return value ? *value : fallback;
}

}  // namespace

void wi_setImageWithURL(const std::shared_ptr<ImageView>& imageView, const OptionalURL& url,
                        ImagePtr placeholder, WIImageOptions options,
                        WIImageDownloaderProgressBlock progress, WIImageCompletionBlock completed) {
  wi_cancelCurrentImageLoad(*imageView);
  imageView->setAssociated(kImageURLKey, url);
  std::weak_ptr<ImageView> weakView = imageView;
  if (!(options & WIImageDelayPlaceholder)) {
    wi_onMainSoon(platform::bindWeak(weakView, &ImageView::setImage, placeholder));
  }
  if (!url) {
    wi_onMainSoon([weakView] {
      if (auto view = weakView.lock()) removeActivityIndicator(*view);
    });
    wi_reportNilURL(std::move(completed));
    return;
  }
  if (showActivityIndicatorView(*imageView)) addActivityIndicator(imageView);
  auto completion = wi_bindingCompletion<ImageView>(
      imageView, options, std::move(completed), url,
      [placeholder, options](ImageView& view, const ImagePtr& image) {
        if (image) {
          view.setImage(image);
        } else if (options & WIImageDelayPlaceholder) {
          view.setImage(placeholder);
        } else {
          return;
        }
        view.setNeedsLayout();
      },
      [](ImageView& view) { removeActivityIndicator(view); });
  wi_startImageLoad(*imageView, kWIImageViewImageLoadKey, [&] {
    return WIImageManager::sharedManager()->downloadImageWithURL(url, options, std::move(progress),
                                                                 std::move(completion));
  });
}

void wi_setImageWithURL(const std::shared_ptr<ImageView>& imageView, const OptionalURL& url,
                        WIImageCompletionBlock completed) {
  wi_setImageWithURL(imageView, url, nullptr, {}, nullptr, std::move(completed));
}

void wi_setImageWithURL(const std::shared_ptr<ImageView>& imageView, const OptionalURL& url,
                        ImagePtr placeholder, WIImageCompletionBlock completed) {
  wi_setImageWithURL(imageView, url, std::move(placeholder), {}, nullptr, std::move(completed));
}

void wi_setImageWithURL(const std::shared_ptr<ImageView>& imageView, const OptionalURL& url,
                        ImagePtr placeholder, WIImageOptions options,
                        WIImageCompletionBlock completed) {
  wi_setImageWithURL(imageView, url, std::move(placeholder), options, nullptr,
                     std::move(completed));
}

void wi_setImageWithPreviousCachedImageWithURL(const std::shared_ptr<ImageView>& imageView,
                                               const OptionalURL& url, ImagePtr placeholder,
                                               WIImageOptions options,
                                               WIImageDownloaderProgressBlock progress,
                                               WIImageCompletionBlock completed) {
  auto manager = WIImageManager::sharedManager();
  if (auto cached = manager->imageCache()->imageFromDiskCacheForKey(manager->cacheKeyForURL(url))) {
    placeholder = std::move(cached);
  }
  wi_setImageWithURL(imageView, url, std::move(placeholder), options, std::move(progress),
                     std::move(completed));
}

OptionalURL wi_imageURL(ImageView& imageView) {
  return associatedOr<OptionalURL>(imageView, kImageURLKey, std::nullopt);
}

void wi_setAnimationImagesWithURLs(const std::shared_ptr<ImageView>& imageView,
                                   const std::vector<platform::URL>& urls) {
  wi_cancelCurrentAnimationImagesLoad(*imageView);
  // A reused view never plays the animation of the URLs it showed before; frames the app set
  // itself stay until the first new frame arrives.
  if (const auto* earlier = imageView->associated(kWebAnimationFramesKey)) {
    if (!earlier->empty() && imageView->animationImages() == *earlier) {
      imageView->stopAnimating();
      imageView->setAnimationImages({});
    }
    imageView->removeAssociated(kWebAnimationFramesKey);
  }
  // One slot per URL: frames keep the order of their URLs whatever order their loads end in.
  auto slots = std::make_shared<std::vector<ImagePtr>>(urls.size());
  std::weak_ptr<ImageView> weakView = imageView;
  WIImageOperationList operations;
  for (std::size_t index = 0; index < urls.size(); ++index) {
    operations.push_back(WIImageManager::sharedManager()->downloadImageWithURL(
        urls[index], {}, nullptr,
        [weakView, slots, index](const ImagePtr& image, const OptionalError&, WIImageCacheType,
                                 bool, const OptionalURL&) {
          auto view = weakView.lock();
          if (!view) return;
          // The manager completes on the main thread.
          view->stopAnimating();
          if (image) (*slots)[index] = image;
          std::vector<ImagePtr> frames;
          for (const auto& frame : *slots) {
            if (frame) frames.push_back(frame);
          }
          view->setAssociated(kWebAnimationFramesKey, frames);
          view->setAnimationImages(std::move(frames));
          view->setNeedsLayout();
          view->startAnimating();
        }));
  }
  wi_setImageLoadOperations(*imageView, std::move(operations), kWIImageViewAnimationImagesKey);
}

void wi_cancelCurrentImageLoad(ImageView& imageView) {
  wi_cancelImageLoadOperationWithKey(imageView, kWIImageViewImageLoadKey);
}

void wi_cancelCurrentAnimationImagesLoad(ImageView& imageView) {
  wi_cancelImageLoadOperationWithKey(imageView, kWIImageViewAnimationImagesKey);
}

void setShowActivityIndicatorView(ImageView& imageView, bool show) {
  imageView.setAssociated(kShowActivityIndicatorKey, show);
}

bool showActivityIndicatorView(ImageView& imageView) {
  return associatedOr<bool>(imageView, kShowActivityIndicatorKey, false);
}

void setIndicatorStyle(ImageView& imageView, ActivityIndicatorViewStyle style) {
  imageView.setAssociated(kIndicatorStyleKey, style);
}

ActivityIndicatorViewStyle getIndicatorStyle(ImageView& imageView) {
  return associatedOr<ActivityIndicatorViewStyle>(imageView, kIndicatorStyleKey,
                                                  ActivityIndicatorViewStyle::WhiteLarge);
}

std::shared_ptr<ActivityIndicatorView> activityIndicator(ImageView& imageView) {
  return associatedOr<std::shared_ptr<ActivityIndicatorView>>(imageView, kActivityIndicatorKey,
                                                              nullptr);
}

void setActivityIndicator(ImageView& imageView, std::shared_ptr<ActivityIndicatorView> indicator) {
  if (indicator) {
    imageView.setAssociated(kActivityIndicatorKey, std::move(indicator));
  } else {
    imageView.removeAssociated(kActivityIndicatorKey);
  }
}

void addActivityIndicator(const std::shared_ptr<ImageView>& imageView) {
  auto indicator = activityIndicator(*imageView);
  if (!indicator) {
    indicator = ActivityIndicatorView::create(getIndicatorStyle(*imageView));
    setActivityIndicator(*imageView, indicator);
    std::weak_ptr<ImageView> weakView = imageView;
    wi_onMainSoon([weakView, indicator] {
      auto view = weakView.lock();
      if (!view) return;
      // Kept at the centre as the view resizes.
      const platform::Rect bounds = view->bounds();
      indicator->setCenter(
          {bounds.origin.x + bounds.size.width / 2, bounds.origin.y + bounds.size.height / 2});
      indicator->setAutoresizingMask(platform::ViewAutoresizingFlexibleLeftMargin |
                                     platform::ViewAutoresizingFlexibleRightMargin |
                                     platform::ViewAutoresizingFlexibleTopMargin |
                                     platform::ViewAutoresizingFlexibleBottomMargin);
      view->addSubview(indicator);
    });
  }
  wi_onMainSoon([indicator] { indicator->startAnimating(); });
}

void removeActivityIndicator(ImageView& imageView) {
  if (auto indicator = activityIndicator(imageView)) {
    indicator->removeFromSuperview();
    setActivityIndicator(imageView, nullptr);
  }
}

}  // namespace sprout
