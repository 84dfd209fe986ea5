#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace platform {

// Uninitialised storage for decoded pixels. A decoder writes every word itself, so nothing is
// filled twice; and a buffer that is let go of goes back to a small pool by exact size, so the
// next picture of the same size reuses memory that is already mapped instead of faulting in a
// fresh one page by page (a list of same-size photos decodes into a few recycled buffers).
//
// The pool keeps at most kPoolBytes in all and kPerSize buffers of one size; anything past that
// goes back to the system. Thread-safe.
class PixelBuffer {
 public:
  static constexpr std::size_t kPoolBytes = std::size_t{48} << 20;
  static constexpr std::size_t kPerSize = 6;
  // Buffers below this size come from malloc's own free lists fast enough.
  static constexpr std::size_t kSmallestPooled = std::size_t{64} << 10;

  // nullptr when `words` is 0 or the memory cannot be had.
  static std::unique_ptr<PixelBuffer> allocate(std::size_t words);
  ~PixelBuffer();
  PixelBuffer(const PixelBuffer&) = delete;
  PixelBuffer& operator=(const PixelBuffer&) = delete;

  std::uint32_t* data() { return words_; }
  const std::uint32_t* data() const { return words_; }
  std::size_t size() const { return count_; }

  // What the pool holds now (tests, benchmarks).
  static std::size_t pooledBytes();
  static void drainPool();

 private:
  PixelBuffer(std::uint32_t* words, std::size_t count) : words_(words), count_(count) {}

  std::uint32_t* words_;
  std::size_t count_;
};

}  // namespace platform
