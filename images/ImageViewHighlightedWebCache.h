#pragma once

#include <memory>

#include "images/WIImageTypes.h"
#include "platform/ui/ImageView.h"

namespace sprout {

inline constexpr char kWIImageViewHighlightedImageKey[] = "highlightedImage";

// The highlighted image of an image view from the web: no placeholder, no spinner.
void wi_setHighlightedImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                                   const OptionalURL& url, WIImageOptions options = {},
                                   WIImageDownloaderProgressBlock progress = nullptr,
                                   WIImageCompletionBlock completed = nullptr);
void wi_setHighlightedImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                                   const OptionalURL& url, WIImageCompletionBlock completed);
void wi_setHighlightedImageWithURL(const std::shared_ptr<platform::ImageView>& imageView,
                                   const OptionalURL& url, WIImageOptions options,
                                   WIImageCompletionBlock completed);
void wi_cancelCurrentHighlightedImageLoad(platform::ImageView& imageView);

}  // namespace sprout
