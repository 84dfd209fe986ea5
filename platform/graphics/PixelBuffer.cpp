#include "platform/graphics/PixelBuffer.h"

#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

namespace platform {
namespace {

bool isPooledSize(std::size_t bytes) {
  return bytes >= PixelBuffer::kSmallestPooled && bytes <= PixelBuffer::kPoolBytes;
}

// From malloc, not mapped here: a pool that maps and unmaps its own pages (populated at once)
// made every unmapping stop the other decoding threads to flush their address translations, and
// on an otherwise idle machine half the cores sat waiting through a burst of photos.
std::uint32_t* obtain(std::size_t words) {
  return static_cast<std::uint32_t*>(std::malloc(words * sizeof(std::uint32_t)));
}

void release(std::uint32_t* storage, std::size_t /*words*/) { std::free(storage); }

struct Pool {
  std::mutex mutex;
  std::map<std::size_t, std::vector<std::uint32_t*>> bySize;  // words -> free buffers
  std::size_t bytes = 0;
};

// Never destroyed: buffers may come back from other threads while the process exits.
Pool& pool() {
  static Pool* const shared = new Pool;
  return *shared;
}

std::uint32_t* takePooled(std::size_t words) {
  Pool& p = pool();
  std::lock_guard lock(p.mutex);
  auto it = p.bySize.find(words);
  if (it == p.bySize.end() || it->second.empty()) return nullptr;
  std::uint32_t* taken = it->second.back();
  it->second.pop_back();
  p.bytes -= words * sizeof(std::uint32_t);
  return taken;
}

// True when the pool kept the buffer.
bool givePooled(std::uint32_t* words, std::size_t count) {
  const std::size_t bytes = count * sizeof(std::uint32_t);
  if (!isPooledSize(bytes)) return false;
  Pool& p = pool();
  std::lock_guard lock(p.mutex);
  auto& free = p.bySize[count];
  if (free.size() >= PixelBuffer::kPerSize) return false;
  // Full: the oldest sizes leave first, since a new size is what the app shows now.
  while (p.bytes + bytes > PixelBuffer::kPoolBytes) {
    auto victim = p.bySize.begin();
    while (victim != p.bySize.end() && (victim->second.empty() || victim->first == count)) {
      ++victim;
    }
    if (victim == p.bySize.end()) return false;
    release(victim->second.back(), victim->first);
    victim->second.pop_back();
    p.bytes -= victim->first * sizeof(std::uint32_t);
  }
  free.push_back(words);
  p.bytes += bytes;
  return true;
}

}  // namespace

std::unique_ptr<PixelBuffer> PixelBuffer::allocate(std::size_t words) {
  if (words == 0 || words > SIZE_MAX / sizeof(std::uint32_t)) return nullptr;
  std::uint32_t* storage = takePooled(words);
  if (!storage) storage = obtain(words);
  if (!storage) return nullptr;
  return std::unique_ptr<PixelBuffer>(new PixelBuffer(storage, words));
}

PixelBuffer::~PixelBuffer() {
  if (!givePooled(words_, count_)) release(words_, count_);
}

std::size_t PixelBuffer::pooledBytes() {
  Pool& p = pool();
  std::lock_guard lock(p.mutex);
  return p.bytes;
}

void PixelBuffer::drainPool() {
  Pool& p = pool();
  std::lock_guard lock(p.mutex);
  for (auto& [size, free] : p.bySize) {
    for (std::uint32_t* words : free) release(words, size);
  }
  p.bySize.clear();
  p.bytes = 0;
}

}  // namespace platform
