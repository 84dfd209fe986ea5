#pragma once

#include <memory>
#include <vector>

#include "images/WIImageTypes.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/ImageView.h"

namespace sprout {

inline constexpr char kWIImageViewImageLoadKey[] = "UIImageViewImageLoad";
inline constexpr char kWIImageViewAnimationImagesKey[] = "UIImageViewAnimationImages";

// Shows a web image in an image view: cancels the view's previous load, shows the placeholder
// (unless WIImageDelayPlaceholder), loads through the shared manager and sets the image when it
// arrives. A view that is gone by then is not touched; a view reused for another URL never shows
// the earlier image, because its earlier load was cancelled.
void wi_setImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                        const OptionalURL& url, ImagePtr placeholder = nullptr,
                        WIImageOptions options = {},
                        WIImageDownloaderProgressBlock progress = nullptr,
                        WIImageCompletionBlock completed = nullptr);
void wi_setImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                        const OptionalURL& url, WIImageCompletionBlock completed);
void wi_setImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                        const OptionalURL& url, ImagePtr placeholder,
                        WIImageCompletionBlock completed);
void wi_setImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                        const OptionalURL& url, ImagePtr placeholder, WIImageOptions options,
                        WIImageCompletionBlock completed);

// As above, with the image already cached for the URL (memory, else a disk read here) in place
// of the placeholder.
void wi_setImageWithPreviousCachedImageWithURL(
    const std::shared_ptr<platform::ImageView>& imageView, const OptionalURL& url,
    ImagePtr placeholder, WIImageOptions options = {},
    WIImageDownloaderProgressBlock progress = nullptr, WIImageCompletionBlock completed = nullptr);

// The URL of the last call of the full form (none included).
OptionalURL wi_imageURL(platform::ImageView& imageView);

// Loads every URL; the animation shows the arrived images in the order of their URLs and replaces
// whatever animation the view had. The frames of an earlier call go at once.
void wi_setAnimationImagesWithURLs(const std::shared_ptr<platform::ImageView>& imageView,
                                   const std::vector<platform::URL>& urls);

void wi_cancelCurrentImageLoad(platform::ImageView& imageView);
void wi_cancelCurrentAnimationImagesLoad(platform::ImageView& imageView);

// The spinner shown over the view while it loads.
void setShowActivityIndicatorView(platform::ImageView& imageView, bool show);
bool showActivityIndicatorView(platform::ImageView& imageView);
void setIndicatorStyle(platform::ImageView& imageView, platform::ActivityIndicatorViewStyle style);
platform::ActivityIndicatorViewStyle getIndicatorStyle(platform::ImageView& imageView);
std::shared_ptr<platform::ActivityIndicatorView> activityIndicator(platform::ImageView& imageView);
void setActivityIndicator(platform::ImageView& imageView,
                          std::shared_ptr<platform::ActivityIndicatorView> indicator);
void addActivityIndicator(const std::shared_ptr<platform::ImageView>& imageView);
void removeActivityIndicator(platform::ImageView& imageView);

}  // namespace sprout
