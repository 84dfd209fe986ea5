#pragma once

#include <memory>

#include "images/WIImageOperation.h"
#include "images/WIImageTypes.h"
#include "platform/ui/Button.h"

namespace sprout {

// A button's image, or background image, for a control state from the web.
OptionalURL wi_currentImageURL(platform::Button& button);  // current state, else normal
OptionalURL wi_imageURLForState(platform::Button& button, unsigned state);

void wi_setImageWithURL(const std::shared_ptr<platform::Button>& button, const OptionalURL& url,
                        unsigned state, ImagePtr placeholder = nullptr, WIImageOptions options = {},
                        WIImageCompletionBlock completed = nullptr);
void wi_setImageWithURL(const std::shared_ptr<platform::Button>& button, const OptionalURL& url,
                        unsigned state, WIImageCompletionBlock completed);
void wi_setImageWithURL(const std::shared_ptr<platform::Button>& button, const OptionalURL& url,
                        unsigned state, ImagePtr placeholder, WIImageCompletionBlock completed);

void wi_setBackgroundImageWithURL(const std::shared_ptr<platform::Button>& button,
                                  const OptionalURL& url, unsigned state,
                                  ImagePtr placeholder = nullptr, WIImageOptions options = {},
                                  WIImageCompletionBlock completed = nullptr);
void wi_setBackgroundImageWithURL(const std::shared_ptr<platform::Button>& button,
                                  const OptionalURL& url, unsigned state,
                                  WIImageCompletionBlock completed);
void wi_setBackgroundImageWithURL(const std::shared_ptr<platform::Button>& button,
                                  const OptionalURL& url, unsigned state, ImagePtr placeholder,
                                  WIImageCompletionBlock completed);

void wi_setImageLoadOperation(platform::Button& button, std::shared_ptr<WIImageOperation> operation,
                              unsigned state);
void wi_cancelImageLoadForState(platform::Button& button, unsigned state);
void wi_setBackgroundImageLoadOperation(platform::Button& button,
                                        std::shared_ptr<WIImageOperation> operation,
                                        unsigned state);
void wi_cancelBackgroundImageLoadForState(platform::Button& button, unsigned state);

}  // namespace sprout
