#pragma once

#include <string>

#include "platform/foundation/Error.h"

namespace platform {

inline constexpr char kURLErrorFailingURLStringKey[] = "NSErrorFailingURLStringKey";
// What the transport itself said, for logs; not meant for people.
inline constexpr char kURLErrorTransportDetailKey[] = "SproutTransportDetail";

// An error in kURLErrorDomain with the platform's sentence for `code`, the failing URL and, when
// given, the transport's own detail.
Error makeURLError(long code, const std::string& failingURL, const std::string& detail = {});

}  // namespace platform
