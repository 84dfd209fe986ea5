#include "images/UIImageViewHighlightedWebCache.h"

#include <utility>

#include "images/UIViewWebCacheOperation.h"
#include "images/WIImageManager.h"

namespace sprout {

void wi_setHighlightedImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                                   const OptionalURL& url, WIImageOptions options,
                                   WIImageDownloaderProgressBlock progress,
                                   WIImageCompletionBlock completed) {
  wi_cancelCurrentHighlightedImageLoad(*imageView);
  if (!url) {
    wi_reportNilURL(std::move(completed));
    return;
  }
  std::weak_ptr<platform::ImageView> weakView = imageView;
  auto completion = [weakView, options, completed, url](
                        const ImagePtr& image, const OptionalError& error,
                        WIImageCacheType cacheType, bool finished, const OptionalURL&) {
    auto view = weakView.lock();
    if (!view) return;
    // The manager completes on the main thread.
    if (image && (options & WIImageAvoidAutoSetImage) && completed) {
      completed(image, error, cacheType, url);
      return;
    }
    if (image) {
      view->setHighlightedImage(image);
      view->setNeedsLayout();
    }
    if (completed && finished) completed(image, error, cacheType, url);
  };
  wi_startImageLoad(*imageView, kWIImageViewHighlightedImageKey, [&] {
    return WIImageManager::sharedManager()->downloadImageWithURL(url, options, std::move(progress),
                                                                 std::move(completion));
  });
}

void wi_setHighlightedImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                                   const OptionalURL& url, WIImageCompletionBlock completed) {
  wi_setHighlightedImageWithURL(imageView, url, {}, nullptr, std::move(completed));
}

void wi_setHighlightedImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                                   const OptionalURL& url, WIImageOptions options,
                                   WIImageCompletionBlock completed) {
  wi_setHighlightedImageWithURL(imageView, url, options, nullptr, std::move(completed));
}

void wi_cancelCurrentHighlightedImageLoad(platform::ImageView& imageView) {
  wi_cancelImageLoadOperationWithKey(imageView, kWIImageViewHighlightedImageKey);
}

}  // namespace sprout
