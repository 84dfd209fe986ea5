// The web image pipeline (WIImageManager over the image cache and the downloader) against what it
// stands on, over a loopback HTTP server serving 200 distinct JPEGs of about 100 KB. Every figure
// has its baseline measured in the same run: "ratio" is subject time / baseline time (1.0 = no
// cost over the bare libraries) and "throughput_ratio" its inverse (the share of the bare
// throughput the pipeline reaches).
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>
#include <stdlib.h>  // mkdtemp

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
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

namespace {

using platform::Data;
using sprout::ImagePtr;
using Clock = std::chrono::steady_clock;

constexpr int kImageCount = 200;
constexpr std::size_t kTargetBytes = std::size_t{100} * 1024;
constexpr int kConcurrentLoads = 1000;

double secondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Noise over a gradient: JPEG cannot squeeze it, so every picture costs its full size to move and
// decode, and the seed makes each one different.
Data noisyJPEG(int side, std::uint32_t seed) {
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(side) * side);
  std::uint32_t state = seed * 2654435761u + 1;
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      state ^= state << 13;
      state ^= state >> 17;
      state ^= state << 5;
      const std::uint32_t noise = state & 0x3F3F3F;
      const std::uint32_t base = static_cast<std::uint32_t>((x * 255 / side) << 16 |
                                                            (y * 255 / side) << 8 | (seed & 0xFF));
      pixels[static_cast<std::size_t>(y) * side + x] = 0xFF000000u | ((base & 0xC0C0C0) + noise);
    }
  }
  auto bitmap = platform::Bitmap::create(
      side, side, std::move(pixels), platform::AlphaInfo::NoneSkipLast, platform::ColorModel::RGB);
  return platform::encodeJPEG(*bitmap, 0.9).value_or(Data{});
}

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

// The bare pipeline: libcurl's multi interface with as many transfers at once as the downloader
// runs, each body decoded straight with ImageSource as soon as it is complete.
double bareLoadAll(const std::vector<std::string>& urls, int concurrency) {
  const auto start = Clock::now();
  CURLM* multi = curl_multi_init();
  curl_multi_setopt(multi, CURLMOPT_MAX_TOTAL_CONNECTIONS, static_cast<long>(concurrency));
  std::vector<Data> bodies(urls.size());
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
      Data& body = bodies[reinterpret_cast<std::size_t>(index)];
      auto source = platform::ImageSource::create(std::move(body));
      if (!source || !source->frameAt(0)) std::abort();
      body = Data{};
      curl_multi_remove_handle(multi, message->easy_handle);
      curl_easy_cleanup(message->easy_handle);
      ++done;
      if (next < urls.size()) add(next++);
    }
    if (done < urls.size()) curl_multi_poll(multi, nullptr, 0, 100, nullptr);
  }
  curl_multi_cleanup(multi);
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
  double subject = 0;
  for (auto _ : state) {
    auto cache = freshCache(f);
    auto manager = sprout::WIImageManager::create(cache, f.downloader);
    const double seconds = loadAll(*manager, f.urls);
    state.SetIterationTime(seconds);
    subject += seconds;
    dropCache(cache);
  }
  double baseline = 0;
  for (std::int64_t i = 0; i < state.iterations(); ++i) {
    baseline += bareLoadAll(f.urls, f.downloader->maxConcurrentDownloads());
  }
  report(state, subject, baseline);
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
  const auto start = Clock::now();
  for (std::int64_t i = 0; i < state.iterations(); ++i) {
    for (const auto& path : paths) {
      auto source = platform::ImageSource::create(*files.contentsAtPath(path));
      benchmark::DoNotOptimize(source->frameAt(0));
    }
  }
  report(state, subject, secondsSince(start));
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
  const double baseline = bareLoadAll({url}, 1) * static_cast<double>(state.iterations());
  report(state, subject, baseline);
  state.counters["requests"] = static_cast<double>(requests);
  state.counters["peak_rss_growth_mb"] = static_cast<double>(peakGrowth) / 1024.0;
  state.counters["peak_rss_mb"] = static_cast<double>(statusKilobytes("VmHWM:")) / 1024.0;
}

BENCHMARK(BM_ConcurrentLoadsOfOneURL)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ColdLoad_200)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DiskHitLoad_200)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryHitLatency)->Repetitions(5)->ReportAggregatesOnly(true);

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
  // Pick the side once so that a picture comes out at about the target size.
  int side = 160;
  const double size = static_cast<double>(noisyJPEG(side, 1).size());
  side = static_cast<int>(side * std::sqrt(static_cast<double>(kTargetBytes) / size));
  for (int i = 0; i < kImageCount; ++i) {
    const Data jpeg = noisyJPEG(side, static_cast<std::uint32_t>(i + 1));
    if (jpeg.empty()) std::abort();
    f.bodies.emplace_back(jpeg.begin(), jpeg.end());
  }
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
