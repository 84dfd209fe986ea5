#include "images/WebCacheDeprecated.h"

#include <utility>

#include "images/ButtonWebCache.h"
#include "images/ImageViewHighlightedWebCache.h"
#include "images/ImageViewWebCache.h"

namespace sprout {
namespace {

// The old completion hears (image, error, cache type) when there is one.
WIImageCompletionBlock adapt(WIImageCompletedBlock completed) {
  if (!completed) return nullptr;
  return [completed = std::move(completed)](const ImagePtr& image, const OptionalError& error,
                                            WIImageCacheType cacheType, const OptionalURL&) {
    completed(image, error, cacheType);
  };
}

}  // namespace

OptionalURL imageURL(platform::ImageView& imageView) { return wi_imageURL(imageView); }

void setImageWithURL(const std::shared_ptr<platform::ImageView>& imageView, const OptionalURL& url,
                     ImagePtr placeholder, WIImageOptions options,
                     WIImageDownloaderProgressBlock progress, WIImageCompletedBlock completed) {
  wi_setImageWithURL(imageView, url, std::move(placeholder), options, std::move(progress),
                     adapt(std::move(completed)));
}

void setImageWithURL(const std::shared_ptr<platform::ImageView>& imageView, const OptionalURL& url,
                     WIImageCompletedBlock completed) {
  setImageWithURL(imageView, url, nullptr, {}, nullptr, std::move(completed));
}

void setImageWithURL(const std::shared_ptr<platform::ImageView>& imageView, const OptionalURL& url,
                     ImagePtr placeholder, WIImageCompletedBlock completed) {
  setImageWithURL(imageView, url, std::move(placeholder), {}, nullptr, std::move(completed));
}

void setImageWithURL(const std::shared_ptr<platform::ImageView>& imageView, const OptionalURL& url,
                     ImagePtr placeholder, WIImageOptions options,
                     WIImageCompletedBlock completed) {
  setImageWithURL(imageView, url, std::move(placeholder), options, nullptr, std::move(completed));
}

void cancelCurrentArrayLoad(platform::ImageView& imageView) {
  wi_cancelCurrentAnimationImagesLoad(imageView);
}

void cancelCurrentImageLoad(platform::ImageView& imageView) {
  wi_cancelCurrentImageLoad(imageView);
}

void setAnimationImagesWithURLs(const std::shared_ptr<platform::ImageView>& imageView,
                                const std::vector<platform::URL>& urls) {
  wi_setAnimationImagesWithURLs(imageView, urls);
}

void setHighlightedImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                                const OptionalURL& url, WIImageOptions options,
                                WIImageDownloaderProgressBlock progress,
                                WIImageCompletedBlock completed) {
  wi_setHighlightedImageWithURL(imageView, url, options, std::move(progress),
                                adapt(std::move(completed)));
}

void setHighlightedImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                                const OptionalURL& url, WIImageCompletedBlock completed) {
  setHighlightedImageWithURL(imageView, url, {}, nullptr, std::move(completed));
}

void setHighlightedImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                                const OptionalURL& url, WIImageOptions options,
                                WIImageCompletedBlock completed) {
  setHighlightedImageWithURL(imageView, url, options, nullptr, std::move(completed));
}

void cancelCurrentHighlightedImageLoad(platform::ImageView& imageView) {
  wi_cancelCurrentHighlightedImageLoad(imageView);
}

OptionalURL currentImageURL(platform::Button& button) { return wi_currentImageURL(button); }

OptionalURL imageURLForState(platform::Button& button, unsigned state) {
  return wi_imageURLForState(button, state);
}

void setImageWithURL(const std::shared_ptr<platform::Button>& button, const OptionalURL& url,
                     unsigned state, ImagePtr placeholder, WIImageOptions options,
                     WIImageCompletedBlock completed) {
  wi_setImageWithURL(button, url, state, std::move(placeholder), options,
                     adapt(std::move(completed)));
}

void setImageWithURL(const std::shared_ptr<platform::Button>& button, const OptionalURL& url,
                     unsigned state, WIImageCompletedBlock completed) {
  setImageWithURL(button, url, state, nullptr, {}, std::move(completed));
}

void setImageWithURL(const std::shared_ptr<platform::Button>& button, const OptionalURL& url,
                     unsigned state, ImagePtr placeholder, WIImageCompletedBlock completed) {
  setImageWithURL(button, url, state, std::move(placeholder), {}, std::move(completed));
}

void setBackgroundImageWithURL(const std::shared_ptr<platform::Button>& button,
                               const OptionalURL& url, unsigned state, ImagePtr placeholder,
                               WIImageOptions options, WIImageCompletedBlock completed) {
  wi_setBackgroundImageWithURL(button, url, state, std::move(placeholder), options,
                               adapt(std::move(completed)));
}

void setBackgroundImageWithURL(const std::shared_ptr<platform::Button>& button,
                               const OptionalURL& url, unsigned state,
                               WIImageCompletedBlock completed) {
  setBackgroundImageWithURL(button, url, state, nullptr, {}, std::move(completed));
}

void setBackgroundImageWithURL(const std::shared_ptr<platform::Button>& button,
                               const OptionalURL& url, unsigned state, ImagePtr placeholder,
                               WIImageCompletedBlock completed) {
  setBackgroundImageWithURL(button, url, state, std::move(placeholder), {}, std::move(completed));
}

void cancelCurrentImageLoad(platform::Button& button) {
  wi_cancelImageLoadForState(button, button.state());
}

void cancelBackgroundImageLoadForState(platform::Button& button, unsigned state) {
  wi_cancelBackgroundImageLoadForState(button, state);
}

}  // namespace sprout
