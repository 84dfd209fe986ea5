#include "platform/media/ViewTransitionLog.h"

#include "platform/dispatch/MainThread.h"

namespace platform {
namespace {

std::vector<ViewTransitionLog::Entry>& log() {
  assertMainThread("ViewTransitionLog");
  static std::vector<ViewTransitionLog::Entry> entries;
  return entries;
}

}  // namespace

void ViewTransitionLog::record(Entry entry) {
  constexpr std::size_t kKept = 64;  // a log, not a history: old entries go
  if (log().size() == kKept) log().erase(log().begin());
  log().push_back(std::move(entry));
}

const std::vector<ViewTransitionLog::Entry>& ViewTransitionLog::entries() { return log(); }

void ViewTransitionLog::clear() { log().clear(); }

}  // namespace platform
