#include "images/WIImageDiskWriter.h"

#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>
#include <utility>

namespace sprout {
namespace {

// Below the decoding threads, not idle: under a full machine the writes still move on.
constexpr int kWritingNiceness = 10;

void setThreadNiceness(int niceness) {
  // Per thread on Linux; raising it back needs no privilege only where the limits allow, so a
  // failure just leaves the writer where it was.
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), niceness);
}

bool isInside(const std::string& path, const std::string& directory) {
  if (directory.empty() || path.size() <= directory.size()) return false;
  if (path.compare(0, directory.size(), directory) != 0) return false;
  return directory.back() == '/' || path[directory.size()] == '/';
}

}  // namespace

WIImageDiskWriter& WIImageDiskWriter::shared() {
  // Never destroyed: the writer thread may still be writing while the process exits.
  static auto* const writer = new WIImageDiskWriter;
  return *writer;
}

void WIImageDiskWriter::add(const std::string& path, std::shared_ptr<const platform::Data> data,
                            WriteFunction write) {
  if (!data) return;
  std::unique_lock lock(mutex_);
  if (exiting_) {
    lock.unlock();
    write(path, *data);
    return;
  }
  changed_.wait(lock, [&] { return pendingBytes_ <= 2 * kMaxPendingBytes || !started_; });
  auto [entry, added] = waiting_.try_emplace(path);
  if (added) {
    order_.push_back(path);
  } else {
    pendingBytes_ -= entry->second.data->size();
  }
  pendingBytes_ += data->size();
  entry->second = Write{std::move(data), std::move(write)};
  if (!started_) {
    started_ = true;
    std::thread([this] { run(); }).detach();
    std::atexit([] { shared().finishAtExit(); });
  }
  changed_.notify_all();
}

std::shared_ptr<const platform::Data> WIImageDiskWriter::pending(const std::string& path) const {
  std::lock_guard lock(mutex_);
  auto entry = waiting_.find(path);
  if (entry != waiting_.end()) return entry->second.data;
  return writingPath_ == path ? writingData_ : nullptr;
}

void WIImageDiskWriter::forget(const std::string& path) {
  std::unique_lock lock(mutex_);
  auto entry = waiting_.find(path);
  if (entry != waiting_.end()) {
    pendingBytes_ -= entry->second.data->size();
    waiting_.erase(entry);  // its place in order_ is skipped when reached
  }
  waitWhileWritingLocked(lock, [&](const std::string& writing) { return writing == path; });
}

void WIImageDiskWriter::forgetInside(const std::string& directory) {
  std::unique_lock lock(mutex_);
  for (auto entry = waiting_.begin(); entry != waiting_.end();) {
    if (isInside(entry->first, directory)) {
      pendingBytes_ -= entry->second.data->size();
      entry = waiting_.erase(entry);
    } else {
      ++entry;
    }
  }
  waitWhileWritingLocked(lock,
                         [&](const std::string& writing) { return isInside(writing, directory); });
}

void WIImageDiskWriter::flush() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return waiting_.empty() && writingPath_.empty(); });
}

void WIImageDiskWriter::finishAtExit() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return waiting_.empty() && writingPath_.empty(); });
  exiting_ = true;  // the writer is idle from here on: later writes cannot overtake one of its
}

std::size_t WIImageDiskWriter::pendingBytes() const {
  std::lock_guard lock(mutex_);
  return pendingBytes_;
}

void WIImageDiskWriter::waitWhileWritingLocked(
    std::unique_lock<std::mutex>& lock, const std::function<bool(const std::string&)>& matches) {
  changed_.wait(lock, [&] { return writingPath_.empty() || !matches(writingPath_); });
}

void WIImageDiskWriter::run() {
  bool lowered = false;
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return !order_.empty(); });
    std::string path = std::move(order_.front());
    order_.pop_front();
    auto entry = waiting_.find(path);
    if (entry == waiting_.end()) continue;  // forgotten, or written under a later place
    Write write = std::move(entry->second);
    waiting_.erase(entry);
    writingPath_ = path;
    writingData_ = write.data;
    // Behind the decodes while the backlog is small; at full speed once it has grown.
    const bool lower = pendingBytes_ <= kMaxPendingBytes;
    lock.unlock();
    if (lower != lowered) {
      setThreadNiceness(lower ? kWritingNiceness : 0);
      lowered = lower;
    }
    write.write(path, *write.data);
    lock.lock();
    pendingBytes_ -= write.data->size();
    writingPath_.clear();
    writingData_.reset();
    changed_.notify_all();
  }
}

}  // namespace sprout
