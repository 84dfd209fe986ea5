#include "images/ImageViewHighlightedWebCache.h"

#include <utility>

#include "images/ViewWebCacheOperation.h"
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
  auto completion = wi_bindingCompletion<platform::ImageView>(
      imageView, options, std::move(completed), url,
      [](platform::ImageView& view, const ImagePtr& image) {
        if (!image) return;
        view.setHighlightedImage(image);
        view.setNeedsLayout();
      });
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
