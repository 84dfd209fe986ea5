#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "platform/foundation/Types.h"

namespace sprout {

// The image caches' file writes, taken off the I/O queue: a burst of downloads stores a file per
// picture, and creating files costs the kernel as much as a decode, so the writes wait for cores
// the pictures do not need. One process-wide thread, at a lower scheduling priority, writes them
// in the order they were handed over, each through a temporary file and a rename.
//
// A cache hands a write over on its I/O queue, so whatever that queue does afterwards can see it:
// reads find the bytes here until the file is on disk, a removal drops a write still waiting (or
// waits for one under way) before it deletes the file, and work over the whole folder flushes
// first. Past kMaxPendingBytes the writer keeps its normal priority until it has caught up.
// When the process exits, the writes waiting are finished first, and any handed over after that
// (by queues draining at exit) are written at once by whoever hands them over.
class WIImageDiskWriter {
 public:
  static constexpr std::size_t kMaxPendingBytes = std::size_t{32} << 20;
  // Writes `data` to `path`; runs on the writer's thread.
  using WriteFunction = std::function<void(const std::string& path, const platform::Data& data)>;

  static WIImageDiskWriter& shared();

  // A later write to the same path replaces one still waiting. Waits while the backlog is past
  // twice kMaxPendingBytes, so memory stays bounded however far the disk falls behind.
  void add(const std::string& path, std::shared_ptr<const platform::Data> data,
           WriteFunction write);
  // The bytes waiting for, or being written to, `path`; nullptr when none.
  std::shared_ptr<const platform::Data> pending(const std::string& path) const;
  // Drops the write waiting for `path`, and waits for the one under way, if any.
  void forget(const std::string& path);
  // The same for every path inside `directory`.
  void forgetInside(const std::string& directory);
  // Returns once every write handed over before the call is on disk.
  void flush();
  std::size_t pendingBytes() const;

 private:
  struct Write {
    std::shared_ptr<const platform::Data> data;
    WriteFunction write;
  };

  WIImageDiskWriter() = default;
  void run();
  void finishAtExit();
  void waitWhileWritingLocked(std::unique_lock<std::mutex>& lock,
                              const std::function<bool(const std::string&)>& matches);

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::unordered_map<std::string, Write> waiting_;
  std::deque<std::string> order_;  // paths in waiting_, oldest first
  std::string writingPath_;        // empty when idle
  std::shared_ptr<const platform::Data> writingData_;
  std::size_t pendingBytes_ = 0;
  bool started_ = false;
  bool exiting_ = false;
};

}  // namespace sprout
