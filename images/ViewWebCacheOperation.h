#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "images/WIImageOperation.h"
#include "images/WIImageTypes.h"
#include "platform/ui/View.h"

namespace sprout {

// Every view keeps its running loads by slot, so a new request for a slot cancels the old one.
// The slots live in the view's associated values; like the view itself they belong to the main
// thread.
using WIImageOperationList = std::vector<std::shared_ptr<WIImageOperation>>;

void wi_setImageLoadOperation(platform::View& view, std::shared_ptr<WIImageOperation> operation,
                              const std::string& key);
void wi_setImageLoadOperations(platform::View& view, WIImageOperationList operations,
                               const std::string& key);
void wi_cancelImageLoadOperationWithKey(platform::View& view, const std::string& key);
void wi_removeImageLoadOperationWithKey(platform::View& view, const std::string& key);

// Starts a load for the slot with `start` and stores what it returns. A memory hit completes
// inside `start`, and its completion may begin another load for the same slot (or cancel it): that
// later request wins, so the operation `start` returns is then cancelled instead of stored.
void wi_startImageLoad(platform::View& view, const std::string& key,
                       const std::function<std::shared_ptr<WIImageOperation>()>& start);

// The completion a binding hands the manager (which calls it on the main thread). With
// WIImageAvoidAutoSetImage and an image, the caller gets the image to set itself; otherwise `show`
// puts what arrived (possibly nothing) on the owner, and the caller hears the finished load.
// `prepare` runs first either way. The owner is held weakly: one that went hears nothing.
template <class Owner>
WIImageCompletionWithFinishedBlock wi_bindingCompletion(
    const std::shared_ptr<Owner>& owner, WIImageOptions options, WIImageCompletionBlock completed,
    OptionalURL url, std::function<void(Owner&, const ImagePtr&)> show,
    std::function<void(Owner&)> prepare = nullptr) {
  return [weak = std::weak_ptr<Owner>(owner), options, completed = std::move(completed),
          url = std::move(url), show = std::move(show), prepare = std::move(prepare)](
             const ImagePtr& image, const OptionalError& error, WIImageCacheType cacheType,
             bool finished, const OptionalURL&) {
    auto target = weak.lock();
    if (!target) return;
    if (prepare) prepare(*target);
    if (image && (options & WIImageAvoidAutoSetImage) && completed) {
      completed(image, error, cacheType, url);
      return;
    }
    show(*target, image);
    if (completed && finished) completed(image, error, cacheType, url);
  };
}

// What is stored under a slot (empty when nothing is).
WIImageOperationList wi_imageLoadOperations(platform::View& view, const std::string& key);

// The error a load without a URL reports ("WIImageErrorDomain", -1), given to `completed` on the
// main thread: at once when already on it, else posted.
platform::Error wi_nilURLError();
void wi_reportNilURL(WIImageCompletionBlock completed);

// At once on the main thread, else posted to it.
void wi_onMainSoon(std::function<void()> work);

}  // namespace sprout
