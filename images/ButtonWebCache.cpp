#include "images/ButtonWebCache.h"

#include <map>
#include <string>
#include <utility>

#include "images/ViewWebCacheOperation.h"
#include "images/WIImageManager.h"

namespace sprout {

using platform::Button;

namespace {

using URLStorage = std::map<unsigned, platform::URL>;
constexpr platform::AssociatedKey<URLStorage> kURLStorageKey{"imageURLStorage"};

URLStorage& urlStorage(Button& button) { return button.associatedOrMake(kURLStorageKey); }

std::string imageOperationKey(unsigned state) {
  return "UIButtonImageOperation" + std::to_string(state);
}

std::string backgroundImageOperationKey(unsigned state) {
  return "UIButtonBackgroundImageOperation" + std::to_string(state);
}

enum class Slot { Image, Background };

// The load both slots share; `apply` sets an arrived image for the state.
std::shared_ptr<WIImageOperation> load(const std::shared_ptr<Button>& button,
                                       const platform::URL& url, unsigned state, Slot slot,
                                       WIImageOptions options, WIImageCompletionBlock completed) {
  return WIImageManager::sharedManager()->downloadImageWithURL(
      url, options, nullptr,
      wi_bindingCompletion<Button>(button, options, std::move(completed), url,
                                   [state, slot](Button& target, const ImagePtr& image) {
                                     if (!image) return;
                                     slot == Slot::Image ? target.setImage(image, state)
                                                         : target.setBackgroundImage(image, state);
                                   }));
}

}  // namespace

OptionalURL wi_imageURLForState(Button& button, unsigned state) {
  auto& storage = urlStorage(button);
  auto found = storage.find(state);
  return found == storage.end() ? OptionalURL{} : OptionalURL{found->second};
}

OptionalURL wi_currentImageURL(Button& button) {
  if (auto url = wi_imageURLForState(button, button.state())) return url;
  return wi_imageURLForState(button, platform::ControlStateNormal);
}

void wi_setImageWithURL(const std::shared_ptr<Button>& button, const OptionalURL& url,
                        unsigned state, ImagePtr placeholder, WIImageOptions options,
                        WIImageCompletionBlock completed) {
  button->setImage(std::move(placeholder), state);
  wi_cancelImageLoadForState(*button, state);
  if (!url) {
    urlStorage(*button).erase(state);
    wi_reportNilURL(std::move(completed));
    return;
  }
  urlStorage(*button).insert_or_assign(state, *url);
  wi_startImageLoad(*button, imageOperationKey(state), [&] {
    return load(button, *url, state, Slot::Image, options, std::move(completed));
  });
}

void wi_setImageWithURL(const std::shared_ptr<Button>& button, const OptionalURL& url,
                        unsigned state, WIImageCompletionBlock completed) {
  wi_setImageWithURL(button, url, state, nullptr, {}, std::move(completed));
}

void wi_setImageWithURL(const std::shared_ptr<Button>& button, const OptionalURL& url,
                        unsigned state, ImagePtr placeholder, WIImageCompletionBlock completed) {
  wi_setImageWithURL(button, url, state, std::move(placeholder), {}, std::move(completed));
}

void wi_setBackgroundImageWithURL(const std::shared_ptr<Button>& button, const OptionalURL& url,
                                  unsigned state, ImagePtr placeholder, WIImageOptions options,
                                  WIImageCompletionBlock completed) {
  wi_cancelBackgroundImageLoadForState(*button, state);
  button->setBackgroundImage(std::move(placeholder), state);
  if (!url) {
    wi_reportNilURL(std::move(completed));
    return;
  }
  wi_startImageLoad(*button, backgroundImageOperationKey(state), [&] {
    return load(button, *url, state, Slot::Background, options, std::move(completed));
  });
}

void wi_setBackgroundImageWithURL(const std::shared_ptr<Button>& button, const OptionalURL& url,
                                  unsigned state, WIImageCompletionBlock completed) {
  wi_setBackgroundImageWithURL(button, url, state, nullptr, {}, std::move(completed));
}

void wi_setBackgroundImageWithURL(const std::shared_ptr<Button>& button, const OptionalURL& url,
                                  unsigned state, ImagePtr placeholder,
                                  WIImageCompletionBlock completed) {
  wi_setBackgroundImageWithURL(button, url, state, std::move(placeholder), {},
                               std::move(completed));
}

void wi_setImageLoadOperation(Button& button, std::shared_ptr<WIImageOperation> operation,
                              unsigned state) {
  wi_setImageLoadOperation(button, std::move(operation), imageOperationKey(state));
}

void wi_cancelImageLoadForState(Button& button, unsigned state) {
  wi_cancelImageLoadOperationWithKey(button, imageOperationKey(state));
}

void wi_setBackgroundImageLoadOperation(Button& button, std::shared_ptr<WIImageOperation> operation,
                                        unsigned state) {
  wi_setImageLoadOperation(button, std::move(operation), backgroundImageOperationKey(state));
}

void wi_cancelBackgroundImageLoadForState(Button& button, unsigned state) {
  wi_cancelImageLoadOperationWithKey(button, backgroundImageOperationKey(state));
}

}  // namespace sprout
