#include "platform/foundation/Log.h"

#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

namespace platform {
namespace {

void stderrSink(LogLevel level, std::string_view tag, std::string_view message) {
  if (level < LogLevel::Warning) return;
  // One fprintf per line keeps lines from different threads whole.
  std::fprintf(stderr, "[sprout] %s %.*s: %.*s\n", logLevelName(level),
               static_cast<int>(tag.size()), tag.data(), static_cast<int>(message.size()),
               message.data());
}

struct SinkSlot {
  std::mutex mutex;
  std::shared_ptr<const LogSink> sink;
};

SinkSlot& slot() {
  // Leaked on purpose: threads may log while static destructors run.
  static auto* s = new SinkSlot;
  return *s;
}

}  // namespace

void log(LogLevel level, std::string_view tag, std::string_view message) {
  std::shared_ptr<const LogSink> sink;
  {
    SinkSlot& s = slot();
    std::lock_guard lock(s.mutex);
    sink = s.sink;
  }
  if (sink) {
    (*sink)(level, tag, message);
  } else {
    stderrSink(level, tag, message);
  }
}

void setLogSink(LogSink sink) {
  std::shared_ptr<const LogSink> previous;
  if (sink) previous = std::make_shared<const LogSink>(std::move(sink));
  {
    SinkSlot& s = slot();
    std::lock_guard lock(s.mutex);
    s.sink.swap(previous);
  }
  // `previous` (the old sink) is destroyed here, outside the lock.
}

const char* logLevelName(LogLevel level) {
  switch (level) {
    case LogLevel::Debug:
      return "debug";
    case LogLevel::Info:
      return "info";
    case LogLevel::Warning:
      return "warning";
    case LogLevel::Error:
      return "error";
  }
  return "?";
}

}  // namespace platform
