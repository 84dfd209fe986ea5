#include "images/ViewWebCacheOperation.h"

#include <cstdint>
#include <map>
#include <utility>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/dispatch/RunLoop.h"

namespace sprout {
namespace {

// A slot holds one operation or, for animation images, a list; a list is all this needs.
using OperationDictionary = std::map<std::string, WIImageOperationList>;
constexpr platform::AssociatedKey<OperationDictionary> kOperationDictionaryKey{
    "wi_operationDictionary"};

OperationDictionary& operationDictionary(platform::View& view) {
  return view.associatedOrMake(kOperationDictionaryKey);
}

// How often each slot was cancelled (every new load begins so): tells a load whether another
// request for its slot came while it was being started.
using SlotCounts = std::map<std::string, std::uint64_t>;
constexpr platform::AssociatedKey<SlotCounts> kSlotCountsKey{"wi_operationSlotCounts"};

std::uint64_t slotCount(platform::View& view, const std::string& key) {
  return view.associatedOrMake(kSlotCountsKey)[key];
}

}  // namespace

void wi_setImageLoadOperation(platform::View& view, std::shared_ptr<WIImageOperation> operation,
                              const std::string& key) {
  WIImageOperationList list;
  if (operation) list.push_back(std::move(operation));
  wi_setImageLoadOperations(view, std::move(list), key);
}

void wi_setImageLoadOperations(platform::View& view, WIImageOperationList operations,
                               const std::string& key) {
  wi_cancelImageLoadOperationWithKey(view, key);
  operationDictionary(view)[key] = std::move(operations);
}

void wi_cancelImageLoadOperationWithKey(platform::View& view, const std::string& key) {
  ++view.associatedOrMake(kSlotCountsKey)[key];
  auto& dictionary = operationDictionary(view);
  auto found = dictionary.find(key);
  if (found == dictionary.end()) return;
  // Taken out first: a cancel may start another load for the same slot.
  WIImageOperationList operations = std::move(found->second);
  dictionary.erase(found);
  for (const auto& operation : operations) {
    if (operation) operation->cancel();
  }
}

void wi_startImageLoad(platform::View& view, const std::string& key,
                       const std::function<std::shared_ptr<WIImageOperation>()>& start) {
  const std::uint64_t before = slotCount(view, key);
  std::shared_ptr<WIImageOperation> operation = start();
  if (slotCount(view, key) != before) {
    if (operation) operation->cancel();
    return;
  }
  wi_setImageLoadOperation(view, std::move(operation), key);
}

void wi_removeImageLoadOperationWithKey(platform::View& view, const std::string& key) {
  operationDictionary(view).erase(key);
}

WIImageOperationList wi_imageLoadOperations(platform::View& view, const std::string& key) {
  auto& dictionary = operationDictionary(view);
  auto found = dictionary.find(key);
  return found == dictionary.end() ? WIImageOperationList{} : found->second;
}

platform::Error wi_nilURLError() {
  return platform::Error::make(kWIImageErrorDomain, -1, "Trying to load a nil url");
}

void wi_reportNilURL(WIImageCompletionBlock completed) {
  if (!completed) return;
  wi_onMainSoon([completed = std::move(completed)] {
    completed(nullptr, wi_nilURLError(), WIImageCacheTypeNone, std::nullopt);
  });
}

void wi_onMainSoon(std::function<void()> work) {
  if (platform::RunLoop::isMainThread()) {
    work();
  } else {
    platform::runOnMainAsync(std::move(work));
  }
}

}  // namespace sprout
