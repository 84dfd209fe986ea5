#include "platform/foundation/Date.h"

#include "platform/foundation/Clock.h"

namespace platform {

Date Date::now() { return fromTimeIntervalSince1970(Clock::current().now()); }

}  // namespace platform
