#include "platform/foundation/Error.h"

#include <cstring>

namespace platform {

std::string Error::localizedDescription() const {
  if (auto it = userInfo.find(kLocalizedDescriptionKey); it != userInfo.end()) {
    if (const auto* s = std::any_cast<std::string>(&it->second)) return *s;
    if (const auto* c = std::any_cast<const char*>(&it->second); c && *c) return *c;
  }
  return "The operation couldn\u2019t be completed. (" + domain + " error " + std::to_string(code) +
         ".)";
}

Error Error::make(std::string domain, long code, std::string description) {
  Error error{std::move(domain), code, {}};
  if (!description.empty()) error.userInfo[kLocalizedDescriptionKey] = std::move(description);
  return error;
}

Error Error::posix(int errnoValue, const std::string& what) {
  char buffer[256];
  // strerror_r: the GNU variant may return a static string instead of filling the buffer.
  const char* text = strerror_r(errnoValue, buffer, sizeof buffer);
  return make(kPOSIXErrorDomain, errnoValue, what + ": " + text);
}

}  // namespace platform
