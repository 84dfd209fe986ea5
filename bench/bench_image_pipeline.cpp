// The web image pipeline (WIImageManager over the image cache and the downloader) against the
// bare pipeline of bench/BarePipeline.h (libcurl's multi interface at the downloader's
// concurrency, libjpeg-turbo on one thread per core, holding the pixels the memory cache holds),
// over distinct photo-like JPEGs of 800 x 600 (about 120 KB each at quality 85 with half-resolution
// chroma, as phones save them) served by a loopback HTTP server in a process of its own
// (bench/image_server.cpp).
//
// Cold load (BM_ColdLoad): what a person waits for the first time an app shows its pictures, the
// first pass of a fresh process. Every sample is a new process of this very program
// (`--cold-pass`), which runs one pass and reports it: nothing is warm, neither the allocator, the
// threads, the connections nor the cache's folder. Samples of the two sides alternate, so a change
// in the machine's load weighs on both alike. "throughput_ratio" is the share of the bare
// throughput the pipeline reaches (bare time over pipeline time, summed over the samples;
// "median_pair_throughput_ratio" the median of the sample-by-sample ratios). "cpu_ratio" compares
// the CPU time of the measured processes, and a third process per sample loads without disk
// writes ("memory_only_...") to tell the disk cache's share.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <stdlib.h>  // mkdtemp

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "BarePipeline.h"
#include "images/WIImageCache.h"
#include "images/WIImageDiskWriter.h"
#include "images/WIImageDownloader.h"
#include "images/WIImageManager.h"
#include "platform/dispatch/OperationQueue.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/graphics/PixelBuffer.h"

namespace {

using bare::Clock;
using bare::secondsSince;
using platform::Data;
using sprout::ImagePtr;

constexpr int kImageCount = 200;
constexpr int kWidth = 800;
constexpr int kHeight = 600;
constexpr std::size_t kTargetBytes = std::size_t{120} * 1024;
constexpr double kPhotoQuality = 0.85;  // below 0.9 the encoder halves the chroma resolution
constexpr int kColdSamples = 8;
constexpr int kConcurrentLoads = 1000;

// CPU time of every thread of this process (the server's are in its own).
double processCPUSeconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
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
std::vector<std::uint32_t> photoPixels(std::uint32_t seed, int grainSpan) {
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
      const int grain =
          static_cast<int>(nextRandom(state) % static_cast<std::uint32_t>(2 * grainSpan + 1)) -
          grainSpan;
      auto clamp = [grain](double v) {
        return static_cast<std::uint32_t>(std::clamp(static_cast<int>(v) + grain, 0, 255));
      };
      pixels[static_cast<std::size_t>(y) * kWidth + x] =
          0xFF000000u | clamp(r) << 16 | clamp(g) << 8 | clamp(b);
    }
  }
  return pixels;
}

Data photoJPEG(std::uint32_t seed, int grainSpan) {
  auto bitmap =
      platform::Bitmap::create(kWidth, kHeight, photoPixels(seed, grainSpan),
                               platform::AlphaInfo::NoneSkipLast, platform::ColorModel::RGB);
  return platform::encodeJPEG(*bitmap, kPhotoQuality).value_or(Data{});
}

// The sensor grain at which the first pictures come out nearest the target size: the quality is
// the phones', the content is what varies.
int grainForTarget() {
  int best = 6;
  double bestMiss = 1e18;
  for (int grain = 2; grain <= 24; grain += 2) {
    const double size = double(photoJPEG(1, grain).size() + photoJPEG(2, grain).size()) / 2;
    const double miss = std::abs(size - double(kTargetBytes));
    if (miss < bestMiss) {
      bestMiss = miss;
      best = grain;
    }
  }
  return best;
}

struct Fixture {
  std::string home;
  std::vector<std::string> urls;
  std::vector<std::vector<unsigned char>> bodies;
  std::unique_ptr<bare::ServerProcess> server;
  int cacheGeneration = 0;
};
Fixture* fixture = nullptr;

std::shared_ptr<sprout::WIImageCache> freshCache(Fixture& f) {
  return sprout::WIImageCache::create("pipeline" + std::to_string(++f.cacheGeneration));
}

// Disk folders of caches that are done with, removed only between benchmarks: a pass that creates
// its 200 files just after the previous pass deleted 200 makes ext4 skip over the freshly freed
// inodes one by one, a cost no application starting cold pays.
std::vector<std::string> spentFolders;

void dropCache(const std::shared_ptr<sprout::WIImageCache>& cache) {
  cache->ioQueue()->sync([] {});
  sprout::WIImageDiskWriter::shared().flush();
  platform::RunLoop::main().runPending();
  spentFolders.push_back(cache->diskCachePath());
}

void removeSpentFolders() {
  for (const auto& folder : spentFolders)
    platform::FileManager::defaultManager().removeItem(folder);
  spentFolders.clear();
}

// Ends a downloader's session, and with the last session the network thread and every
// connection it kept: the next downloader starts on new ones.
void closeDownloader(std::shared_ptr<sprout::WIImageDownloader>& downloader) {
  downloader->cancelAllDownloads();
  downloader->downloadQueue()->waitUntilAllOperationsAreFinished(30);
  downloader.reset();
  platform::RunLoop::main().runPending();
}

// Gives what the allocator and the pixel-buffer pool hold free back to the system, so a pass does
// not find the bitmaps of the pass before it ready to reuse: each side starts from the same state.
void releaseFreeMemory() {
  platform::PixelBuffer::drainPool();
  malloc_trim(0);
}

// Loads every URL through `manager` and runs the main loop until all have finished.
double loadAll(sprout::WIImageManager& manager, const std::vector<std::string>& urls,
               sprout::WIImageOptions options = {}) {
  int finished = 0, failed = 0;
  const auto start = Clock::now();
  for (const auto& url : urls) {
    manager.downloadImageWithURL(
        url, options, nullptr,
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

// Connections the server saw since the last call; a cold pass must have opened some.
long newConnections(const Fixture& f) {
  const long seen = std::stol(f.server->control("/connections"));
  f.server->control("/reset");
  if (seen == 0) {
    std::fprintf(stderr, "bench: a cold pass opened no connection of its own\n");
    std::abort();
  }
  return seen;
}

struct Pass {
  double seconds = 0, cpu = 0;
  long connections = 0, faults = 0;
};

long minorFaults() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_minflt;
}

// One cold pass of the pipeline; `cache` is left holding what it kept.
Pass pipelinePass(Fixture& f, const std::shared_ptr<sprout::WIImageCache>& cache,
                  sprout::WIImageOptions options = {}) {
  auto downloader = sprout::WIImageDownloader::create();
  Pass pass;
  {
    auto manager = sprout::WIImageManager::create(cache, downloader);
    releaseFreeMemory();
    f.server->control("/reset");
    const double cpuBefore = processCPUSeconds();
    const long faultsBefore = minorFaults();
    pass.seconds = loadAll(*manager, f.urls, options);
    pass.cpu = processCPUSeconds() - cpuBefore;
    pass.faults = minorFaults() - faultsBefore;
  }
  closeDownloader(downloader);
  pass.connections = newConnections(f);
  return pass;
}

Pass barePass(Fixture& f, bare::DecodePool& pool, bare::PixelBudget& budget, int concurrency) {
  Pass pass;
  releaseFreeMemory();
  f.server->control("/reset");
  const double cpuBefore = processCPUSeconds();
  const long faultsBefore = minorFaults();
  pass.seconds = bare::loadAll(f.urls, concurrency, pool, budget);
  pass.cpu = processCPUSeconds() - cpuBefore;
  pass.faults = minorFaults() - faultsBefore;
  pass.connections = newConnections(f);
  return pass;
}

// Every picture both sides kept must have the same pixels.
void comparePixels(const Fixture& f, sprout::WIImageCache& cache, const bare::PixelBudget& kept) {
  std::size_t compared = 0;
  for (std::size_t i = 0; i < f.urls.size(); ++i) {
    const std::uint32_t* barePixels = kept.find(i);
    ImagePtr image = cache.imageFromMemoryCacheForKey(f.urls[i]);
    if (!barePixels || !image) continue;
    const auto& bitmap = *image->bitmap();
    if (bitmap.width() != kWidth || bitmap.height() != kHeight ||
        std::memcmp(bitmap.pixels(), barePixels, std::size_t{kWidth} * kHeight * 4) != 0) {
      std::fprintf(stderr, "bench: picture %zu differs from the bare decode\n", i);
      std::abort();
    }
    ++compared;
  }
  if (compared == 0) std::abort();
}

// Both sides keep the same pictures, and the same number of them (in this process, untimed).
void verifySameResult(Fixture& f) {
  static bool verified = false;
  if (verified) return;
  verified = true;
  auto cache = freshCache(f);
  pipelinePass(f, cache);
  bare::DecodePool pool(bare::coreCount());
  bare::PixelBudget kept(sprout::WIImageCache::kDefaultMaxMemoryCost);
  barePass(f, pool, kept, sprout::WIImageDownloader::kDefaultMaxConcurrentDownloads);
  comparePixels(f, *cache, kept);
  if (cache->memCache().count() != kept.count()) {
    std::fprintf(stderr, "bench: the pipeline keeps %zu pictures, the bare side %zu\n",
                 cache->memCache().count(), kept.count());
    std::abort();
  }
  dropCache(cache);
}

enum class Side { Pipeline, MemoryOnly, Bare };

const char* sideName(Side side) {
  switch (side) {
    case Side::Pipeline:
      return "pipeline";
    case Side::MemoryOnly:
      return "memory-only";
    case Side::Bare:
      return "bare";
  }
  return "";
}

struct ColdPass {
  double seconds = 0, cpu = 0;
  long faults = 0, kept = 0;
};

// The first pass of a fresh process of this program (see runColdPass), with its own home folder.
ColdPass coldPass(Fixture& f, Side side, int count) {
  static int generation = 0;
  const std::string home = f.home + "/cold-" + std::to_string(++generation);
  std::filesystem::create_directory(home);
  spentFolders.push_back(home);
  f.server->control("/reset");
  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  const std::string answer = bare::runProcess(
      {self, "--cold-pass", sideName(side), f.server->base(), std::to_string(count), home});
  newConnections(f);
  ColdPass pass;
  if (std::sscanf(answer.c_str(), "pass %lf %lf %ld %ld", &pass.seconds, &pass.cpu, &pass.faults,
                  &pass.kept) != 4) {
    std::fprintf(stderr, "bench: a cold pass answered \"%s\"\n", answer.c_str());
    std::abort();
  }
  return pass;
}

void add(ColdPass& sum, const ColdPass& pass) {
  sum.seconds += pass.seconds;
  sum.cpu += pass.cpu;
  sum.faults += pass.faults;
  sum.kept = pass.kept;
}

void BM_ColdLoad(benchmark::State& state) {
  auto& f = *fixture;
  verifySameResult(f);
  const int count = static_cast<int>(state.range(0));
  ColdPass subject, baseline, memoryOnly;
  std::vector<double> pairRatios;  // bare time over pipeline time, sample by sample
  bool pipelineFirst = true;
  for (auto _ : state) {
    ColdPass pipeline, bare;
    // Which side goes first alternates: neither always inherits the other's leftovers.
    if (pipelineFirst) pipeline = coldPass(f, Side::Pipeline, count);
    bare = coldPass(f, Side::Bare, count);
    if (!pipelineFirst) pipeline = coldPass(f, Side::Pipeline, count);
    pipelineFirst = !pipelineFirst;
    state.SetIterationTime(pipeline.seconds);
    pairRatios.push_back(bare.seconds / pipeline.seconds);
    add(subject, pipeline);
    add(baseline, bare);
    add(memoryOnly, coldPass(f, Side::MemoryOnly, count));
  }
  const auto samples = static_cast<double>(state.iterations());
  report(state, subject.seconds, baseline.seconds);
  std::sort(pairRatios.begin(), pairRatios.end());
  state.counters["median_pair_throughput_ratio"] = pairRatios[pairRatios.size() / 2];
  state.counters["min_pair_throughput_ratio"] = pairRatios.front();
  state.counters["max_pair_throughput_ratio"] = pairRatios.back();
  // Where all cores are busy, throughput follows CPU work: the share of the bare pipeline's CPU
  // time the pipeline spends per pass (1.0 = the same work).
  state.counters["cpu_ratio"] = subject.cpu / baseline.cpu;
  state.counters["cpu_ms"] = subject.cpu / samples * 1e3;
  state.counters["bare_cpu_ms"] = baseline.cpu / samples * 1e3;
  state.counters["page_faults"] = static_cast<double>(subject.faults) / samples;
  state.counters["bare_page_faults"] = static_cast<double>(baseline.faults) / samples;
  state.counters["kept"] = static_cast<double>(subject.kept);
  state.counters["bare_kept"] = static_cast<double>(baseline.kept);
  state.counters["memory_only_throughput_ratio"] = baseline.seconds / memoryOnly.seconds;
  state.counters["memory_only_cpu_ms"] = memoryOnly.cpu / samples * 1e3;
  state.counters["cores"] = bare::coreCount();
  removeSpentFolders();
}

// In a process of its own: one cold pass of one side over the first `count` pictures, from
// before the side's first object exists to the last picture kept, answered on stdout as
// "pass <seconds> <cpu seconds> <minor faults> <pictures kept>".
int runColdPass(const std::string& side, const std::string& base, int count,
                const std::string& home) {
  platform::RunLoop::bindMainToCurrentThread();
  curl_global_init(CURL_GLOBAL_DEFAULT);
  platform::FileManager::setHomeDirectory(home);
  std::vector<std::string> urls;
  for (int i = 0; i < count; ++i) urls.push_back(base + "/img/" + std::to_string(i) + ".jpg");
  ColdPass pass;
  const double cpuBefore = processCPUSeconds();
  const long faultsBefore = minorFaults();
  const auto start = Clock::now();
  std::shared_ptr<sprout::WIImageManager> manager;
  if (side == sideName(Side::Bare)) {
    bare::DecodePool pool(bare::coreCount());
    bare::PixelBudget kept(sprout::WIImageCache::kDefaultMaxMemoryCost);
    bare::loadAll(urls, sprout::WIImageDownloader::kDefaultMaxConcurrentDownloads, pool, kept);
    pass.seconds = secondsSince(start);
    pass.kept = static_cast<long>(kept.count());
  } else {
    // As an app reaches it: the shared manager, made on first use.
    manager = sprout::WIImageManager::sharedManager();
    loadAll(*manager, urls,
            side == sideName(Side::MemoryOnly) ? sprout::WIImageCacheMemoryOnly
                                               : sprout::WIImageOptions{});
    pass.seconds = secondsSince(start);
    pass.kept = static_cast<long>(manager->imageCache()->memCache().count());
  }
  pass.cpu = processCPUSeconds() - cpuBefore;
  pass.faults = minorFaults() - faultsBefore;
  // Untimed: the writes land before the process goes, so none is cut off half-way.
  if (manager) manager->imageCache()->ioQueue()->sync([] {});
  sprout::WIImageDiskWriter::shared().flush();
  std::printf("pass %.9f %.9f %ld %ld\n", pass.seconds, pass.cpu, pass.faults, pass.kept);
  std::fflush(stdout);
  return 0;
}

void BM_DiskHitLoad_200(benchmark::State& state) {
  auto& f = *fixture;
  auto cache = freshCache(f);
  auto downloader = sprout::WIImageDownloader::create();
  auto manager = sprout::WIImageManager::create(cache, downloader);
  loadAll(*manager, f.urls);
  cache->ioQueue()->sync([] {});
  sprout::WIImageDiskWriter::shared().flush();  // the bare side reads the files
  std::vector<std::string> paths;
  for (const auto& url : f.urls) paths.push_back(cache->defaultCachePathForKey(url));
  bare::DecodePool pool(bare::coreCount());
  // Read and decode every file on the pool, keeping what the memory cache would keep.
  auto barePass = [&] {
    bare::PixelBudget kept(cache->maxMemoryCost());
    std::mutex mutex;
    std::condition_variable changed;
    std::size_t finished = 0;
    const auto start = Clock::now();
    for (std::size_t at = 0; at < paths.size(); ++at) {
      pool.post([&, at] {
        std::ifstream file(paths[at], std::ios::binary);
        const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(file)),
                                               std::istreambuf_iterator<char>());
        bare::decodeJPEG(bytes, at, kept);
        std::lock_guard lock(mutex);
        ++finished;
        changed.notify_all();
      });
    }
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return finished == paths.size(); });
    return secondsSince(start);
  };
  double subject = 0, baseline = 0;
  for (auto _ : state) {
    cache->clearMemory();
    releaseFreeMemory();
    const double seconds = loadAll(*manager, f.urls);
    state.SetIterationTime(seconds);
    subject += seconds;
    releaseFreeMemory();
    baseline += barePass();
  }
  report(state, subject, baseline);
  state.counters["cores"] = bare::coreCount();
  manager.reset();
  closeDownloader(downloader);
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

// A thousand loads of one URL asked while its response is held back: one request, one decode.
void BM_ConcurrentLoadsOfOneURL(benchmark::State& state) {
  auto& f = *fixture;
  const std::string url = f.server->base() + "/single.jpg";
  auto downloader = sprout::WIImageDownloader::create();
  double subject = 0;
  long requests = 0, peakGrowth = 0;
  for (auto _ : state) {
    auto cache = freshCache(f);
    auto manager = sprout::WIImageManager::create(cache, downloader);
    f.server->control("/single/close");
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
    f.server->control("/single/open");
    platform::RunLoop::main().runUntil([&] { return finished == kConcurrentLoads; }, 120);
    const double seconds = secondsSince(start);
    state.SetIterationTime(seconds);
    subject += seconds;
    if (finished != kConcurrentLoads) std::abort();
    requests = std::max(requests, std::stol(f.server->control("/single/count")));
    peakGrowth = std::max(peakGrowth, statusKilobytes("VmHWM:") - rssBefore);
    dropCache(cache);
  }
  closeDownloader(downloader);
  bare::DecodePool pool(1);
  double baseline = 0;
  for (std::int64_t i = 0; i < state.iterations(); ++i) {
    bare::PixelBudget kept(std::size_t{kWidth} * kHeight);
    baseline += bare::loadAll({url}, 1, pool, kept);
  }
  report(state, subject, baseline);
  state.counters["requests"] = static_cast<double>(requests);
  state.counters["peak_rss_growth_mb"] = static_cast<double>(peakGrowth) / 1024.0;
}

// Returns what the allocator holds free to the system and forgets the peak, so the next pass's
// peak growth counts only what that pass holds.
long settleMemory() {
  releaseFreeMemory();
  resetPeakRSS();
  return statusKilobytes("VmRSS:");
}

// The peak memory of a cold 200-picture pass that keeps every picture (as a screen of them does),
// against the bare pipeline keeping every bitmap too.
void BM_PeakRSS_200(benchmark::State& state) {
  auto& f = *fixture;
  long subjectGrowth = 0, bareGrowth = 0;
  bare::DecodePool pool(bare::coreCount());
  for (auto _ : state) {
    {
      auto cache = freshCache(f);
      auto downloader = sprout::WIImageDownloader::create();
      auto manager = sprout::WIImageManager::create(cache, downloader);
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
      sprout::WIImageDiskWriter::shared().flush();
      subjectGrowth = std::max(subjectGrowth, statusKilobytes("VmHWM:") - before);
      kept.clear();
      manager.reset();
      closeDownloader(downloader);
      dropCache(cache);
    }
    {
      bare::PixelBudget kept(SIZE_MAX);
      const long before = settleMemory();
      bare::loadAll(f.urls, 6, pool, kept);
      bareGrowth = std::max(bareGrowth, statusKilobytes("VmHWM:") - before);
    }
  }
  state.counters["peak_growth_mb"] = static_cast<double>(subjectGrowth) / 1024.0;
  state.counters["bare_peak_growth_mb"] = static_cast<double>(bareGrowth) / 1024.0;
  state.counters["rss_ratio"] =
      static_cast<double>(subjectGrowth) / static_cast<double>(bareGrowth);
}

BENCHMARK(BM_ConcurrentLoadsOfOneURL)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColdLoad)
    ->Arg(kImageCount / 4)
    ->Arg(kImageCount)
    ->UseManualTime()
    ->Iterations(kColdSamples)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiskHitLoad_200)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PeakRSS_200)->Iterations(1)->Unit(benchmark::kMillisecond);

void setUp(Fixture& f) {
  std::string pattern = (std::filesystem::temp_directory_path() / "sprout-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  f.home = pattern;
  platform::FileManager::setHomeDirectory(f.home);
  const std::string served = f.home + "/served";
  std::filesystem::create_directory(served);
  const int grain = grainForTarget();
  std::size_t total = 0;
  for (int i = 0; i < kImageCount; ++i) {
    const Data jpeg = photoJPEG(static_cast<std::uint32_t>(i + 1), grain);
    if (jpeg.empty()) std::abort();
    total += jpeg.size();
    std::ofstream(served + "/" + std::to_string(i) + ".jpg", std::ios::binary)
        .write(reinterpret_cast<const char*>(jpeg.data()),
               static_cast<std::streamsize>(jpeg.size()));
  }
  std::fprintf(stderr,
               "bench: %d JPEGs of %dx%d, %.0f KB on average (quality %.2f, grain %d), %u cores\n",
               kImageCount, kWidth, kHeight, total / 1024.0 / kImageCount, kPhotoQuality, grain,
               bare::coreCount());
  f.server = std::make_unique<bare::ServerProcess>(SPROUT_IMAGE_SERVER, served);
  for (int i = 0; i < kImageCount; ++i) {
    f.urls.push_back(f.server->base() + "/img/" + std::to_string(i) + ".jpg");
  }
}

void tearDown(Fixture& f) {
  removeSpentFolders();
  f.server.reset();
  platform::RunLoop::main().runPending();
  platform::FileManager::defaultManager().removeItem(f.home);
  platform::FileManager::setHomeDirectory("");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 6 && std::strcmp(argv[1], "--cold-pass") == 0) {
    const int status = runColdPass(argv[2], argv[3], std::atoi(argv[4]), argv[5]);
    // Threads of the shared objects are still about: the process ends without tearing them down.
    std::_Exit(status);
  }
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
