#pragma once

namespace platform {

// "Main thread only" as a check rather than a comment. Debug builds (and sanitizer builds, which
// define SPROUT_THREAD_CHECKS) log which rule broke and abort; release builds compile it away.
#if !defined(NDEBUG) || defined(SPROUT_THREAD_CHECKS)
inline constexpr bool kThreadChecks = true;
#else
inline constexpr bool kThreadChecks = false;
#endif

// Logs "<what> must run on the main thread" and aborts. Out of line, so the check stays small.
[[noreturn]] void mainThreadViolation(const char* what);
bool isMainThreadForChecks();

// `what` names the operation, e.g. "View::setNeedsLayout".
inline void assertMainThread(const char* what) {
  if constexpr (kThreadChecks) {
    if (!isMainThreadForChecks()) mainThreadViolation(what);
  }
}

}  // namespace platform
