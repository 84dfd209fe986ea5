#pragma once

#include <functional>
#include <string_view>

namespace platform {

enum class LogLevel { Debug, Info, Warning, Error };

using LogSink = std::function<void(LogLevel, std::string_view tag, std::string_view message)>;

// The one place every layer logs through. Thread-safe; the sink is called outside any lock, so a
// sink may itself log or replace the sink.
void log(LogLevel level, std::string_view tag, std::string_view message);

// Replaces the process-wide sink; nullptr restores the default (stderr, Warning and Error only).
void setLogSink(LogSink sink);

const char* logLevelName(LogLevel level);

}  // namespace platform
