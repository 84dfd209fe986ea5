#pragma once

#include <memory>

#include "platform/foundation/Types.h"
#include "platform/net/URLResponse.h"

namespace platform {

enum class URLCacheStoragePolicy { Allowed = 0, AllowedInMemoryOnly = 1, NotAllowed = 2 };

// A response with its whole body as a URL cache keeps it. Copies share the body bytes.
class CachedURLResponse {
 public:
  CachedURLResponse(std::shared_ptr<const URLResponse> response, Data data,
                    URLCacheStoragePolicy storagePolicy = URLCacheStoragePolicy::Allowed,
                    Dictionary userInfo = {})
      : response_(std::move(response)),
        data_(std::make_shared<const Data>(std::move(data))),
        storagePolicy_(storagePolicy),
        userInfo_(std::move(userInfo)) {}

  const std::shared_ptr<const URLResponse>& response() const { return response_; }
  const Data& data() const { return *data_; }
  URLCacheStoragePolicy storagePolicy() const { return storagePolicy_; }
  const Dictionary& userInfo() const { return userInfo_; }

  // The same body (shared, not copied) under another response.
  CachedURLResponse withResponse(std::shared_ptr<const URLResponse> response) const {
    CachedURLResponse copy = *this;
    copy.response_ = std::move(response);
    return copy;
  }

 private:
  std::shared_ptr<const URLResponse> response_;
  std::shared_ptr<const Data> data_;
  URLCacheStoragePolicy storagePolicy_;
  Dictionary userInfo_;
};

}  // namespace platform
