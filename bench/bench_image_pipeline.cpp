// The web image pipeline (WIImageManager over the image cache and the downloader) against what it
// stands on, over a loopback HTTP server serving 200 distinct photo-like JPEGs of 800 x 600 (about
// 120 KB each). Every figure has its baselines measured in the same run:
// - the parallel bare pipeline: libcurl's multi interface at the downloader's concurrency, each
//   complete body decoded on a pool of one thread per core (disk: file read + decode on that pool);
// - the serial bare pipeline: the same with every decode on the transfer thread (disk: one thread).
// The pipeline keeps what it decodes (its memory cache holds every picture of a pass), and fresh
// memory for 200 bitmaps costs page faults that a loop reusing one freed buffer never pays; so the
// parallel bare pipeline keeps its bitmaps for the pass too. "throughput_ratio" is the share of
// that throughput the pipeline reaches (bare time over subject time), "discarding_throughput_ratio"
// the same against the parallel bare pipeline that drops each bitmap at once, and
// "serial_throughput_ratio" against the serial bare pipeline.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>
#include <stdlib.h>  // mkdtemp

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "images/WIImageCache.h"
#include "images/WIImageDownloader.h"
#include "images/WIImageManager.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/graphics/ImageSource.h"
#include "platform/graphics/PixelBuffer.h"

namespace {

using platform::Data;
using sprout::ImagePtr;
using Clock = std::chrono::steady_clock;

constexpr int kImageCount = 200;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr std::size_t kTargetBytes = std::size_t{120} * 1024;
constexpr int kConcurrentLoads = 1000;

// CPU time of every thread of the process (the loopback server's included, the same for all).
double processCPUSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

std::uint32_t nextRandom(std::uint32_t& state) {
  state ^= state << 13;
  state ^= state >> 17;
  state ^= state << 5;
  return state;
}

// Something a camera might have taken: a sky-to-ground gradient, soft blobs of colour with
// shading, a few hard edges, and a little sensor grain. JPEG compresses it the way it compresses
// photos (most of the bytes in the edges and the grain), unlike noise, which it cannot squeeze.
std::vector<std::uint32_t> photoPixels(std::uint32_t seed) {
  std::uint32_t state = seed * 2654435761u + 12345;
  struct Blob {
    double x, y, radius, r, g, b;
  };
  std::vector<Blob> blobs(14);
  for (auto& blob : blobs) {
    blob = {double(nextRandom(state) % kWidth), double(nextRandom(state) % kHeight),
            40.0 + nextRandom(state) % 160,     double(nextRandom(state) % 256),
            double(nextRandom(state) % 256),    double(nextRandom(state) % 256)};
  }
  const double horizon = kHeight * (0.35 + (nextRandom(state) % 30) / 100.0);
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kWidth) * kHeight);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const bool sky = y < horizon + 12 * std::sin(x / 37.0 + seed);
      double r = sky ? 110 + y * 0.2 : 70 + y * 0.08, g = sky ? 150 + y * 0.15 : 95 + y * 0.05,
             b = sky ? 220 - y * 0.1 : 50;
      for (const auto& blob : blobs) {
        const double dx = x - blob.x, dy = y - blob.y;
        const double d2 = (dx * dx + dy * dy) / (blob.radius * blob.radius);
        if (d2 >= 1) continue;
        const double shade = 1 - 0.5 * d2 + 0.15 * std::sin((x + y) / 9.0);
        r = blob.r * shade;
        g = blob.g * shade;
        b = blob.b * shade;
      }
      const int grain = static_cast<int>(nextRandom(state) % 13) - 6;
      auto clamp = [grain](double v) {
        return static_cast<std::uint32_t>(std::clamp(static_cast<int>(v) + grain, 0, 255));
      };
      pixels[static_cast<std::size_t>(y) * kWidth + x] =
          0xFF000000u | clamp(r) << 16 | clamp(g) << 8 | clamp(b);
    }
  }
  return pixels;
}

Data photoJPEG(std::uint32_t seed, double quality) {
  auto bitmap =
      platform::Bitmap::create(kWidth, kHeight, photoPixels(seed),
                               platform::AlphaInfo::NoneSkipLast, platform::ColorModel::RGB);
  return platform::encodeJPEG(*bitmap, quality).value_or(Data{});
}

// The quality at which the first picture comes out nearest the target size.
double qualityForTarget() {
  double best = 0.9, bestMiss = 1e18;
  for (double quality = 0.70; quality <= 0.985; quality += 0.02) {
    const double miss = std::abs(double(photoJPEG(1, quality).size()) - double(kTargetBytes));
    if (miss < bestMiss) {
      bestMiss = miss;
      best = quality;
    }
  }
  return best;
}

// One thread per core, taking jobs in order: what an application decoding on all cores has.
class DecodePool {
 public:
  explicit DecodePool(unsigned threads) {
    for (unsigned i = 0; i < threads; ++i) workers_.emplace_back([this] { work(); });
  }
  ~DecodePool() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (auto& worker : workers_) worker.join();
  }
  void post(std::function<void()> job) {
    {
      std::lock_guard lock(mutex_);
      jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
  }

 private:
  void work() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return stopping_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      job();
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

unsigned coreCount() { return std::max(1u, std::thread::hardware_concurrency()); }

// What the benchmarks share: the pictures, the server and one downloader (as the app has one).
struct Fixture {
  std::string home;
  std::vector<std::string> bodies;
  std::vector<std::string> urls;
  httplib::Server server;
  std::thread serverThread;
  int port = 0;
  std::atomic<long> requests{0};
  std::atomic<long> singleRequests{0};
  // The one picture that a thousand loads ask for is held back until they all wait for it.
  std::mutex singleMutex;
  std::condition_variable singleReleased;
  bool singleOpen = false;
  std::shared_ptr<sprout::WIImageDownloader> downloader;
  int cacheGeneration = 0;
};
Fixture* fixture = nullptr;

std::shared_ptr<sprout::WIImageCache> freshCache(Fixture& f) {
  return sprout::WIImageCache::create("pipeline" + std::to_string(++f.cacheGeneration));
}

void dropCache(const std::shared_ptr<sprout::WIImageCache>& cache) {
  cache->ioQueue()->sync([] {});
  platform::RunLoop::main().runPending();
  platform::FileManager::defaultManager().removeItem(cache->diskCachePath());
}

// Gives what the allocator and the pixel-buffer pool hold free back to the system, so a pass does
// not find the bitmaps of the pass before it ready to reuse: each side starts from the same state.
void releaseFreeMemory() {
  platform::PixelBuffer::drainPool();
  malloc_trim(0);
}

// Loads every URL through `manager` and runs the main loop until all have finished.
double loadAll(sprout::WIImageManager& manager, const std::vector<std::string>& urls) {
  int finished = 0, failed = 0;
  const auto start = Clock::now();
  for (const auto& url : urls) {
    manager.downloadImageWithURL(
        url, sprout::WIImageOptions{}, nullptr,
        [&](const ImagePtr& image, const sprout::OptionalError&, sprout::WIImageCacheType,
            bool done, const sprout::OptionalURL&) {
          if (!done) return;
          ++finished;
          if (!image) ++failed;
        });
  }
  platform::RunLoop::main().runUntil([&] { return finished == static_cast<int>(urls.size()); },
                                     120);
  const double seconds = secondsSince(start);
  if (failed != 0 || finished != static_cast<int>(urls.size())) {
    std::fprintf(stderr, "bench: %d of %zu loads failed or never ended\n",
                 failed + static_cast<int>(urls.size()) - finished, urls.size());
    std::abort();
  }
  return seconds;
}

std::size_t appendBody(char* bytes, std::size_t size, std::size_t count, void* out) {
  static_cast<Data*>(out)->insert(static_cast<Data*>(out)->end(), bytes, bytes + size * count);
  return size * count;
}

using Kept = std::vector<std::shared_ptr<const platform::Bitmap>>;

// Counts decodes finished on the pool, so the transfer loop can wait for the last one.
struct DecodeTally {
  std::mutex mutex;
  std::condition_variable changed;
  std::size_t finished = 0;
};

void decodeBody(Data body, std::size_t index, Kept* keep) {
  auto source = platform::ImageSource::create(std::move(body));
  if (!source) std::abort();
  auto frame = source->frameAt(0);
  if (!frame || !frame.value()) std::abort();
  if (keep) (*keep)[index] = frame.value();
}

// The bare pipeline: libcurl's multi interface with as many transfers at once as the downloader
// runs, each body decoded as soon as it is complete, on `pool` when given (else on this thread).
// With `keep` the bitmaps are kept, as a screen of pictures keeps them.
double bareLoadAll(const std::vector<std::string>& urls, int concurrency, DecodePool* pool,
                   Kept* keep = nullptr) {
  const auto start = Clock::now();
  if (keep) keep->assign(urls.size(), nullptr);
  CURLM* multi = curl_multi_init();
  curl_multi_setopt(multi, CURLMOPT_MAX_TOTAL_CONNECTIONS, static_cast<long>(concurrency));
  std::vector<Data> bodies(urls.size());
  DecodeTally tally;
  std::size_t next = 0, done = 0;
  auto add = [&](std::size_t i) {
    CURL* easy = curl_easy_init();
    curl_easy_setopt(easy, CURLOPT_URL, urls[i].c_str());
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, appendBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &bodies[i]);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, reinterpret_cast<void*>(i));
    curl_multi_add_handle(multi, easy);
  };
  for (; next < urls.size() && next < static_cast<std::size_t>(concurrency); ++next) add(next);
  while (done < urls.size()) {
    int running = 0;
    curl_multi_perform(multi, &running);
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &queued)) {
      if (message->msg != CURLMSG_DONE) continue;
      void* index = nullptr;
      curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &index);
      const auto at = reinterpret_cast<std::size_t>(index);
      Data body = std::move(bodies[at]);
      if (pool) {
        pool->post([body = std::move(body), at, keep, &tally]() mutable {
          decodeBody(std::move(body), at, keep);
          std::lock_guard lock(tally.mutex);
          ++tally.finished;
          tally.changed.notify_all();
        });
      } else {
        decodeBody(std::move(body), at, keep);
      }
      curl_multi_remove_handle(multi, message->easy_handle);
      curl_easy_cleanup(message->easy_handle);
      ++done;
      if (next < urls.size()) add(next++);
    }
    if (done < urls.size()) curl_multi_poll(multi, nullptr, 0, 100, nullptr);
  }
  curl_multi_cleanup(multi);
  if (pool) {
    std::unique_lock lock(tally.mutex);
    tally.changed.wait(lock, [&] { return tally.finished == urls.size(); });
  }
  return secondsSince(start);
}

// Per-iteration times of subject and baseline, as "ratio" (time over baseline time) and
// "throughput_ratio" (its inverse), with the baseline's own time per iteration.
void report(benchmark::State& state, double subjectSeconds, double baselineSeconds,
            bool nanoseconds = false) {
  const double perIteration = baselineSeconds / static_cast<double>(state.iterations());
  if (nanoseconds) {
    state.counters["baseline_ns"] = perIteration * 1e9;
  } else {
    state.counters["baseline_ms"] = perIteration * 1e3;
  }
  state.counters["ratio"] = subjectSeconds / baselineSeconds;
  state.counters["throughput_ratio"] = baselineSeconds / subjectSeconds;
}

// The downloader alone (no cache, no manager), to tell the manager's share of the cost from the
// download's.
double downloaderLoadAll(sprout::WIImageDownloader& downloader,
                         const std::vector<std::string>& urls) {
  int finished = 0;
  const auto start = Clock::now();
  for (const auto& url : urls) {
    downloader.downloadImageWithURL(platform::URL::parse(url), sprout::WIImageDownloaderOptions{},
                                    nullptr,
                                    [&finished](const ImagePtr&, const std::optional<Data>&,
                                                const sprout::OptionalError&, bool done) {
                                      if (done)
                                        platform::runOnMainAsync([&finished] { ++finished; });
                                    });
  }
  platform::RunLoop::main().runUntil([&] { return finished == static_cast<int>(urls.size()); },
                                     120);
  return secondsSince(start);
}

void BM_ColdLoad_200(benchmark::State& state) {
  auto& f = *fixture;
  const int concurrency = f.downloader->maxConcurrentDownloads();
  double subject = 0, subjectCPU = 0, baseline = 0, discarding = 0, serial = 0, baselineCPU = 0;
  // Each pass of the pipeline is followed at once by the bare passes it is compared with, so a
  // change in the machine's load between passes weighs on both sides alike.
  DecodePool pool(coreCount());
  for (auto _ : state) {
    {
      auto cache = freshCache(f);
      auto manager = sprout::WIImageManager::create(cache, f.downloader);
      releaseFreeMemory();
      const double cpuBefore = processCPUSeconds();
      const double seconds = loadAll(*manager, f.urls);
      subjectCPU += processCPUSeconds() - cpuBefore;
      state.SetIterationTime(seconds);
      subject += seconds;
      dropCache(cache);
    }
    Kept kept;
    releaseFreeMemory();
    const double cpuBefore = processCPUSeconds();
    baseline += bareLoadAll(f.urls, concurrency, &pool, &kept);
    baselineCPU += processCPUSeconds() - cpuBefore;
    kept.clear();
    releaseFreeMemory();
    discarding += bareLoadAll(f.urls, concurrency, &pool);
  }
  // Where all cores are busy, throughput follows CPU work: the share of the bare pipeline's CPU
  // time the pipeline spends per pass (1.0 = the same work).
  state.counters["cpu_ratio"] = subjectCPU / baselineCPU;
  for (std::int64_t i = 0; i < state.iterations(); ++i) {
    serial += bareLoadAll(f.urls, concurrency, nullptr);
  }
  report(state, subject, baseline);
  state.counters["discarding_throughput_ratio"] = discarding / subject;
  state.counters["serial_throughput_ratio"] = serial / subject;
  state.counters["cores"] = coreCount();
  double downloaderOnly = 0;
  for (std::int64_t i = 0; i < state.iterations(); ++i) {
    downloaderOnly += downloaderLoadAll(*f.downloader, f.urls);
  }
  state.counters["downloader_ms"] = downloaderOnly / static_cast<double>(state.iterations()) * 1e3;
  state.counters["images_per_s"] =
      benchmark::Counter(static_cast<double>(kImageCount) * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate);
}

// The image cache alone answering the same disk hits, to tell the manager's share of the cost
// from the cache's.
double cacheQueryAll(sprout::WIImageCache& cache, const std::vector<std::string>& keys) {
  cache.clearMemory();
  std::size_t answered = 0;
  const auto start = Clock::now();
  for (const auto& key : keys) {
    cache.queryDiskCacheForKey(
        key, [&answered](const ImagePtr&, sprout::WIImageCacheType) { ++answered; });
  }
  platform::RunLoop::main().runUntil([&] { return answered == keys.size(); }, 120);
  return secondsSince(start);
}

void BM_DiskHitLoad_200(benchmark::State& state) {
  auto& f = *fixture;
  auto cache = freshCache(f);
  auto manager = sprout::WIImageManager::create(cache, f.downloader);
  loadAll(*manager, f.urls);
  cache->ioQueue()->sync([] {});
  double subject = 0;
  for (auto _ : state) {
    cache->clearMemory();
    const double seconds = loadAll(*manager, f.urls);
    state.SetIterationTime(seconds);
    subject += seconds;
  }
  std::vector<std::string> paths;
  for (const auto& url : f.urls) paths.push_back(cache->defaultCachePathForKey(url));
  const auto& files = platform::FileManager::defaultManager();
  auto readAndDecode = [&files](const std::string& path) {
    auto source = platform::ImageSource::create(*files.contentsAtPath(path));
    auto frame = source->frameAt(0);
    if (!frame || !frame.value()) std::abort();
    return frame.value();
  };
  const auto serialStart = Clock::now();
  for (std::int64_t i = 0; i < state.iterations(); ++i) {
    for (const auto& path : paths) benchmark::DoNotOptimize(readAndDecode(path));
  }
  const double serial = secondsSince(serialStart);
  // One pass over every file on the pool; with `keep`, each pass keeps its bitmaps until it ends,
  // as the pipeline's memory cache keeps them until it is cleared.
  auto parallelPasses = [&](bool keep) {
    DecodePool pool(coreCount());
    double seconds = 0;
    for (std::int64_t i = 0; i < state.iterations(); ++i) {
      Kept kept(paths.size());
      DecodeTally tally;
      const auto start = Clock::now();
      for (std::size_t at = 0; at < paths.size(); ++at) {
        pool.post([&, at] {
          auto bitmap = readAndDecode(paths[at]);
          if (keep) kept[at] = std::move(bitmap);
          std::lock_guard lock(tally.mutex);
          ++tally.finished;
          tally.changed.notify_all();
        });
      }
      std::unique_lock lock(tally.mutex);
      tally.changed.wait(lock, [&] { return tally.finished == paths.size(); });
      seconds += secondsSince(start);
    }
    return seconds;
  };
  const double parallel = parallelPasses(true);
  const double discarding = parallelPasses(false);
  report(state, subject, parallel);
  state.counters["discarding_throughput_ratio"] = discarding / subject;
  state.counters["serial_throughput_ratio"] = serial / subject;
  state.counters["cores"] = coreCount();
  double cacheOnly = 0;
  for (std::int64_t i = 0; i < state.iterations(); ++i) cacheOnly += cacheQueryAll(*cache, f.urls);
  state.counters["cache_only_ms"] = cacheOnly / static_cast<double>(state.iterations()) * 1e3;
  dropCache(cache);
}

void BM_MemoryHitLatency(benchmark::State& state) {
  auto& f = *fixture;
  auto cache = freshCache(f);
  auto manager = sprout::WIImageManager::create(cache, f.downloader);
  const std::string& url = f.urls.front();
  loadAll(*manager, {url});
  const auto parsed = platform::URL::parse(url);
  ImagePtr found;
  const sprout::WIImageCompletionWithFinishedBlock completion =
      [&](const ImagePtr& image, const sprout::OptionalError&, sprout::WIImageCacheType, bool,
          const sprout::OptionalURL&) { found = image; };
  const auto start = Clock::now();
  for (auto _ : state) {
    manager->downloadImageWithURL(parsed, sprout::WIImageOptions{}, nullptr, completion);
  }
  const double subject = secondsSince(start);
  if (!found) std::abort();
  // The bare lookup the hit stands on: the memory cache under the same key.
  const std::string key = manager->cacheKeyForURL(parsed);
  const auto baselineStart = Clock::now();
  for (std::int64_t i = 0; i < state.iterations(); ++i) {
    benchmark::DoNotOptimize(cache->imageFromMemoryCacheForKey(key));
  }
  report(state, subject, secondsSince(baselineStart), /*nanoseconds=*/true);
  dropCache(cache);
}

long statusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
  }
  return 0;
}

// Makes VmHWM start again from the current resident size, so it tells one iteration's peak.
void resetPeakRSS() { std::ofstream("/proc/self/clear_refs") << "5"; }

void BM_ConcurrentLoadsOfOneURL(benchmark::State& state) {
  auto& f = *fixture;
  const std::string url = "http://127.0.0.1:" + std::to_string(f.port) + "/single.jpg";
  double subject = 0;
  long requests = 0, peakGrowth = 0;
  for (auto _ : state) {
    auto cache = freshCache(f);
    auto manager = sprout::WIImageManager::create(cache, f.downloader);
    f.singleRequests = 0;
    {
      std::lock_guard lock(f.singleMutex);
      f.singleOpen = false;
    }
    resetPeakRSS();
    const long rssBefore = statusKilobytes("VmRSS:");
    int finished = 0;
    const auto start = Clock::now();
    for (int i = 0; i < kConcurrentLoads; ++i) {
      manager->downloadImageWithURL(
          url, sprout::WIImageOptions{}, nullptr,
          [&](const ImagePtr& image, const sprout::OptionalError&, sprout::WIImageCacheType,
              bool done, const sprout::OptionalURL&) {
            if (done && image) ++finished;
          });
    }
    // Every load has asked the downloader (each disk miss answered) before the body is sent.
    cache->ioQueue()->sync([] {});
    platform::RunLoop::main().runPending();
    {
      std::lock_guard lock(f.singleMutex);
      f.singleOpen = true;
    }
    f.singleReleased.notify_all();
    platform::RunLoop::main().runUntil([&] { return finished == kConcurrentLoads; }, 120);
    const double seconds = secondsSince(start);
    state.SetIterationTime(seconds);
    subject += seconds;
    if (finished != kConcurrentLoads) std::abort();
    requests = std::max(requests, f.singleRequests.load());
    peakGrowth = std::max(peakGrowth, statusKilobytes("VmHWM:") - rssBefore);
    dropCache(cache);
  }
  const double baseline = bareLoadAll({url}, 1, nullptr) * static_cast<double>(state.iterations());
  report(state, subject, baseline);
  state.counters["requests"] = static_cast<double>(requests);
  state.counters["peak_rss_growth_mb"] = static_cast<double>(peakGrowth) / 1024.0;
  state.counters["peak_rss_mb"] = static_cast<double>(statusKilobytes("VmHWM:")) / 1024.0;
}

// Returns what the allocator holds free to the system and forgets the peak, so the next pass's
// peak growth counts only what that pass holds.
long settleMemory() {
  releaseFreeMemory();
  resetPeakRSS();
  return statusKilobytes("VmRSS:");
}

// The peak memory of a cold 200-picture pass that keeps every picture (as a screen of them does),
// against the bare parallel pipeline keeping the same bitmaps.
void BM_PeakRSS_200(benchmark::State& state) {
  auto& f = *fixture;
  long subjectGrowth = 0, bareGrowth = 0;
  for (auto _ : state) {
    {
      auto cache = freshCache(f);
      auto manager = sprout::WIImageManager::create(cache, f.downloader);
      std::vector<ImagePtr> kept;
      const long before = settleMemory();
      int finished = 0;
      for (const auto& url : f.urls) {
        manager->downloadImageWithURL(
            url, sprout::WIImageOptions{}, nullptr,
            [&](const ImagePtr& image, const sprout::OptionalError&, sprout::WIImageCacheType,
                bool done, const sprout::OptionalURL&) {
              if (!done) return;
              ++finished;
              kept.push_back(image);
            });
      }
      platform::RunLoop::main().runUntil([&] { return finished == kImageCount; }, 120);
      cache->ioQueue()->sync([] {});
      subjectGrowth = std::max(subjectGrowth, statusKilobytes("VmHWM:") - before);
      kept.clear();
      dropCache(cache);
    }
    {
      DecodePool pool(coreCount());
      Kept kept;
      const long before = settleMemory();
      bareLoadAll(f.urls, f.downloader->maxConcurrentDownloads(), &pool, &kept);
      bareGrowth = std::max(bareGrowth, statusKilobytes("VmHWM:") - before);
    }
  }
  state.counters["peak_growth_mb"] = static_cast<double>(subjectGrowth) / 1024.0;
  state.counters["bare_peak_growth_mb"] = static_cast<double>(bareGrowth) / 1024.0;
  state.counters["rss_ratio"] =
      static_cast<double>(subjectGrowth) / static_cast<double>(bareGrowth);
  state.counters["cores"] = coreCount();
}

BENCHMARK(BM_ConcurrentLoadsOfOneURL)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColdLoad_200)->UseManualTime()->Iterations(8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiskHitLoad_200)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryHitLatency)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_PeakRSS_200)->Iterations(1)->Unit(benchmark::kMillisecond);

void serve(Fixture& f) {
  f.server.new_task_queue = [] { return new httplib::ThreadPool(16); };
  f.server.Get(R"(/img/(\d+)\.jpg)",
               [&f](const httplib::Request& request, httplib::Response& response) {
                 ++f.requests;
                 const std::size_t index = std::stoul(request.matches[1]);
                 if (index >= f.bodies.size()) {
                   response.status = 404;
                   return;
                 }
                 response.set_content(f.bodies[index], "image/jpeg");
               });
  f.server.Get("/single.jpg", [&f](const httplib::Request&, httplib::Response& response) {
    ++f.singleRequests;
    std::unique_lock lock(f.singleMutex);
    f.singleReleased.wait_for(lock, std::chrono::seconds(30), [&] { return f.singleOpen; });
    response.set_content(f.bodies.back(), "image/jpeg");
  });
  f.port = f.server.bind_to_any_port("127.0.0.1");
  // Bound and listening already: connections wait in the backlog until the thread accepts.
  f.serverThread = std::thread([&f] { f.server.listen_after_bind(); });
}

void setUp(Fixture& f) {
  std::string pattern = (std::filesystem::temp_directory_path() / "sprout-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  f.home = pattern;
  platform::FileManager::setHomeDirectory(f.home);
  const double quality = qualityForTarget();
  std::size_t total = 0;
  for (int i = 0; i < kImageCount; ++i) {
    const Data jpeg = photoJPEG(static_cast<std::uint32_t>(i + 1), quality);
    if (jpeg.empty()) std::abort();
    total += jpeg.size();
    f.bodies.emplace_back(jpeg.begin(), jpeg.end());
  }
  std::fprintf(stderr, "bench: %d JPEGs of %dx%d, %.0f KB on average (quality %.2f), %u cores\n",
               kImageCount, kWidth, kHeight, total / 1024.0 / kImageCount, quality, coreCount());
  serve(f);
  for (int i = 0; i < kImageCount; ++i) {
    f.urls.push_back("http://127.0.0.1:" + std::to_string(f.port) + "/img/" + std::to_string(i) +
                     ".jpg");
  }
  f.downloader = sprout::WIImageDownloader::create();
}

void tearDown(Fixture& f) {
  f.downloader->cancelAllDownloads();
  f.downloader->downloadQueue()->waitUntilAllOperationsAreFinished(30);
  f.downloader.reset();
  f.server.stop();
  f.serverThread.join();
  platform::RunLoop::main().runPending();
  platform::FileManager::defaultManager().removeItem(f.home);
  platform::FileManager::setHomeDirectory("");
}

}  // namespace

int main(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
  curl_global_init(CURL_GLOBAL_DEFAULT);
  Fixture f;
  fixture = &f;
  setUp(f);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  tearDown(f);
  return 0;
}
