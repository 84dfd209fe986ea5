#pragma once

#include <memory>
#include <vector>

#include "images/WIImageTypes.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"

namespace sprout {

// The older entry points of the image view and button bindings, kept for callers written against
// them; each forwards to its wi_ form. Their completion has no URL.
using WIImageCompletedBlock = std::function<void(const ImagePtr& image, const OptionalError& error,
                                                 WIImageCacheType cacheType)>;

OptionalURL imageURL(platform::ImageView& imageView);
void setImageWithURL(const std::shared_ptr<platform::ImageView>& imageView, const OptionalURL& url,
                     ImagePtr placeholder = nullptr, WIImageOptions options = {},
                     WIImageDownloaderProgressBlock progress = nullptr,
                     WIImageCompletedBlock completed = nullptr);
void setImageWithURL(const std::shared_ptr<platform::ImageView>& imageView, const OptionalURL& url,
                     WIImageCompletedBlock completed);
void setImageWithURL(const std::shared_ptr<platform::ImageView>& imageView, const OptionalURL& url,
                     ImagePtr placeholder, WIImageCompletedBlock completed);
void setImageWithURL(const std::shared_ptr<platform::ImageView>& imageView, const OptionalURL& url,
                     ImagePtr placeholder, WIImageOptions options, WIImageCompletedBlock completed);
void cancelCurrentArrayLoad(platform::ImageView& imageView);
void cancelCurrentImageLoad(platform::ImageView& imageView);
void setAnimationImagesWithURLs(const std::shared_ptr<platform::ImageView>& imageView,
                                const std::vector<platform::URL>& urls);

void setHighlightedImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                                const OptionalURL& url, WIImageOptions options = {},
                                WIImageDownloaderProgressBlock progress = nullptr,
                                WIImageCompletedBlock completed = nullptr);
void setHighlightedImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                                const OptionalURL& url, WIImageCompletedBlock completed);
void setHighlightedImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                                const OptionalURL& url, WIImageOptions options,
                                WIImageCompletedBlock completed);
void cancelCurrentHighlightedImageLoad(platform::ImageView& imageView);

OptionalURL currentImageURL(platform::Button& button);
OptionalURL imageURLForState(platform::Button& button, unsigned state);
void setImageWithURL(const std::shared_ptr<platform::Button>& button, const OptionalURL& url,
                     unsigned state, ImagePtr placeholder = nullptr, WIImageOptions options = {},
                     WIImageCompletedBlock completed = nullptr);
void setImageWithURL(const std::shared_ptr<platform::Button>& button, const OptionalURL& url,
                     unsigned state, WIImageCompletedBlock completed);
void setImageWithURL(const std::shared_ptr<platform::Button>& button, const OptionalURL& url,
                     unsigned state, ImagePtr placeholder, WIImageCompletedBlock completed);
void setBackgroundImageWithURL(const std::shared_ptr<platform::Button>& button,
                               const OptionalURL& url, unsigned state,
                               ImagePtr placeholder = nullptr, WIImageOptions options = {},
                               WIImageCompletedBlock completed = nullptr);
void setBackgroundImageWithURL(const std::shared_ptr<platform::Button>& button,
                               const OptionalURL& url, unsigned state,
                               WIImageCompletedBlock completed);
void setBackgroundImageWithURL(const std::shared_ptr<platform::Button>& button,
                               const OptionalURL& url, unsigned state, ImagePtr placeholder,
                               WIImageCompletedBlock completed);
void cancelCurrentImageLoad(platform::Button& button);
void cancelBackgroundImageLoadForState(platform::Button& button, unsigned state);

}  // namespace sprout
