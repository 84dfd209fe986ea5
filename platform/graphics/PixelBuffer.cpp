#include "platform/graphics/PixelBuffer.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

namespace platform {
namespace {

// Pooled sizes are mapped here rather than taken from malloc: a photo's few megabytes would
// otherwise move malloc's mapping threshold and have each decoding thread's heap grow, shrink and
// grow again around them, a system call and a round of page faults each time. The pages are
// filled in by the mapping call itself, since the decoder writes every word: one call instead of
// a fault per 4 KB. (Huge pages were tried: on a fragmented machine their faults compact memory
// and cost more than they save.)

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMapsItself = false;  // malloc's memory is what the address checker watches
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kMapsItself = false;
#else
constexpr bool kMapsItself = true;
#endif
#else
constexpr bool kMapsItself = true;
#endif

bool isPooledSize(std::size_t bytes) {
  return bytes >= PixelBuffer::kSmallestPooled && bytes <= PixelBuffer::kPoolBytes;
}

std::size_t mappedLength(std::size_t bytes) {
  static const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  return (bytes + page - 1) / page * page;
}

std::uint32_t* obtain(std::size_t words) {
  const std::size_t bytes = words * sizeof(std::uint32_t);
  if (!kMapsItself || !isPooledSize(bytes)) {
    return static_cast<std::uint32_t*>(std::malloc(bytes));
  }
  void* mapped = ::mmap(nullptr, mappedLength(bytes), PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
  return mapped == MAP_FAILED ? nullptr : static_cast<std::uint32_t*>(mapped);
}

void release(std::uint32_t* storage, std::size_t words) {
  const std::size_t bytes = words * sizeof(std::uint32_t);
  if (!kMapsItself || !isPooledSize(bytes)) {
    std::free(storage);
    return;
  }
  ::munmap(storage, mappedLength(bytes));
}

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
