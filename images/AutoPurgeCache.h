#pragma once

#include <string>

#include "platform/foundation/Cache.h"
#include "platform/foundation/NotificationCenter.h"

namespace sprout {

// A memory cache that empties itself when the application receives a memory warning, for as long
// as it lives.
class AutoPurgeCache : public platform::Cache {
 public:
  explicit AutoPurgeCache(std::string name = {});
  ~AutoPurgeCache() override;

 private:
  platform::ObserverToken memoryWarning_;
};

}  // namespace sprout
