#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "tests/support/TemporaryHome.h"

namespace core_test {

// A fresh folder under the system's temporary directory, removed afterwards.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sprout-test-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string at(const std::string& relative) const { return path_ + "/" + relative; }
  // Writes `bytes` to the relative path, making folders on the way.
  void write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path file = std::filesystem::path(path_) / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
  }

 private:
  std::string path_;
};

// A temporary folder that is the app's home for a scope.
class ScopedHome : public platform::test::TemporaryHome {
 public:
  std::string at(const std::string& relative) const { return path() + "/" + relative; }
  // Writes `bytes` to the relative path, making folders on the way.
  void write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path file = std::filesystem::path(path()) / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
  }
};

// Sets (or with nullopt unsets) an environment variable for a scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) saved_ = old;  // NOLINT(concurrency-mt-unsafe)
    set(value);
  }
  ~ScopedEnv() { set(saved_); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  void set(const std::optional<std::string>& value) {
    if (value) {
      ::setenv(name_, value->c_str(), 1);  // NOLINT(concurrency-mt-unsafe)
    } else {
      ::unsetenv(name_);  // NOLINT(concurrency-mt-unsafe)
    }
  }
  const char* name_;
  std::optional<std::string> saved_;
};

// What is logged at `level` (all levels by default) while it lives; thread-safe.
class LogCapture {
 public:
  explicit LogCapture(std::optional<platform::LogLevel> level = std::nullopt) {
    platform::setLogSink(
        [this, level](platform::LogLevel at, std::string_view, std::string_view m) {
          std::lock_guard lock(mutex_);
          if (!level || at == *level) lines_.emplace_back(m);
        });
  }
  ~LogCapture() { platform::setLogSink(nullptr); }
  std::vector<std::string> lines() {
    std::lock_guard lock(mutex_);
    return lines_;
  }
  bool mentions(const std::string& text) {
    for (const auto& line : lines()) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  }

 private:
  std::mutex mutex_;
  std::vector<std::string> lines_;
};

// Shared state that worker threads change and the test thread waits on with a generous bound.
class Waiter {
 public:
  void update(const std::function<void()>& change) {
    std::lock_guard lock(mutex_);
    change();
    changed_.notify_all();
  }
  bool waitFor(const std::function<bool()>& pred, double seconds = 20) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::duration<double>(seconds), pred);
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
};

// Leaves RunLoop::main() as the next test expects it.
inline void resetMainLoop() {
  platform::RunLoop::main().setCurrentMode(platform::RunLoopMode::Default);
  platform::RunLoop::main().runPending();
  platform::RunLoop::main().invalidateAllTimers();
}

}  // namespace core_test
