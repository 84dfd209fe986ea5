#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Types.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Image.h"
#include "tests/support/TemporaryHome.h"

namespace sprout {
class WIImageCache;
}

namespace sprout::test {

// A fresh home folder for one test, removed afterwards; FileManager is pointed at it meanwhile.
class TemporaryHome : public platform::test::TemporaryHome {
 public:
  TemporaryHome() : platform::test::TemporaryHome("sprout-images") {}
};

// Holds whoever calls pass() until open() or a permit from releaseOne(); bounded, so a failing
// test cannot hang. Counts arrivals and the most inside at once, and wakes the main loop on each
// arrival so a test waiting there sees it. Copies share one gate.
class Gate {
 public:
  Gate();
  // True when let through, false when the bound ran out.
  bool pass() const;
  void open() const;
  void releaseOne() const;
  int arrivals() const;
  int peak() const;
  // Blocks the calling thread until `count` callers arrived (bounded); true when they did.
  bool waitForArrivals(int count) const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// A value that other threads write and the test reads; every access holds the lock.
template <typename T>
class Locked {
 public:
  template <typename F>
  void update(F&& change) {
    std::lock_guard lock(mutex_);
    change(value_);
  }
  T get() const {
    std::lock_guard lock(mutex_);
    return value_;
  }

 private:
  mutable std::mutex mutex_;
  T value_{};
};

// Keeps `queue` busy for the scope, so work queued behind it waits at a known point.
class QueueHold {
 public:
  explicit QueueHold(platform::DispatchQueue& queue) {
    queue.async([gate = gate_] { gate.pass(); });
  }
  ~QueueHold() { gate_.open(); }

 private:
  Gate gate_;
};

constexpr std::uint32_t kOpaqueRed = 0xFFFF0000;
constexpr std::uint32_t kOpaqueBlue = 0xFF0000FF;
constexpr std::uint32_t kOpaqueGreen = 0xFF00FF00;

std::shared_ptr<const platform::Bitmap> solidBitmap(
    int width, int height, std::uint32_t argb,
    platform::AlphaInfo alpha = platform::AlphaInfo::NoneSkipLast,
    platform::ColorModel model = platform::ColorModel::RGB);
// Pixels from a function of (x, y).
std::shared_ptr<const platform::Bitmap> paintedBitmap(
    int width, int height, const std::function<std::uint32_t(int, int)>& argbAt,
    platform::AlphaInfo alpha = platform::AlphaInfo::NoneSkipLast);
std::shared_ptr<platform::Image> solidImage(int width, int height, std::uint32_t argb,
                                            bool withAlpha = false, double scale = 1.0);

// Encoders written straight on the libraries, so the decoder is tested against bytes it did not
// produce itself.
platform::Data pngData(int width, int height, std::uint32_t argb, bool withAlpha);
enum class JpegColor { Grey, RGB, CMYK };
platform::Data jpegData(int width, int height, JpegColor color,
                        std::optional<int> exifOrientation = std::nullopt);
platform::Data webpData(int width, int height, std::uint32_t argb);
// Noise compresses badly, so the picture is long enough to arrive in several chunks.
platform::Data noisyJpeg(int width, int height);

struct GifFrame {
  std::optional<int> delayCentiseconds;          // none: no graphic control extension at all
  int colorIndex = 0;                            // into red, blue, green, white
  int left = 0, top = 0, width = 0, height = 0;  // 0 width/height: the whole canvas
};
platform::Data gifData(int width, int height, const std::vector<GifFrame>& frames);

// A valid PNG signature and header that declares an absurd size, then nothing.
platform::Data pngDeclaring(std::uint32_t width, std::uint32_t height);

std::string asString(const platform::Data& data);

// Everything `cache` was asked so far has been answered: its disk reads and writes done, the
// decodes they started finished, and the answers run on the main thread.
void drainImageQueues(const WIImageCache& cache);

// Pumps the main loop until `pred` holds (bounded); true when it did.
bool runMainUntil(const std::function<bool()>& pred);

}  // namespace sprout::test
