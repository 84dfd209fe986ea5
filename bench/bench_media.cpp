// What the photo library and the camera cost, each beside a bare baseline in the same run:
//  - BM_AlbumFirstScreen: opening the grid screen of a 1,000-photo album like a phone's (a hundred
//    distinct 2048 x 1536 photos at quality 85 with half-resolution colour, "file_kb" each on
//    average) in a 375 x 667 window at scale 2, from nothing to every visible thumbnail shown
//    (album read, screen built and laid out, thumbnails decoded and handed over), against bare
//    libjpeg-turbo decoding the same visible files at the same DCT scale on every core
//    ("ratio" = screen / bare; "decodes" = thumbnails decoded per opening, "shown" = cells shown).
//  - BM_AlbumListing: reading the album afresh into the screen's records, against a bare
//    readdir of its folder ("cached_ratio": the same when the folder has not changed).
//  - BM_LookUpByURL: 100 look-ups by URL in a 10,000-photo album, against one bare readdir of it.
//  - BM_CutImage: the camera's cut of a 3264 x 2448 sensor frame (crop and quarter turn) against
//    a bare Cairo crop and turn of the same pixels.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <dirent.h>
#include <jpeglib.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/media/LibraryIndex.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/NavigationController.h"
#include "ui/components/camera/SCCameraImageSteps.h"
#include "ui/components/photopicker/PPPhotoPickerAssetsViewController.h"
#include "ui/components/photos/PPPhotoAssets.h"
#include "ui/components/photos/PPPhotoPickerDatas.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kAlbumSize = 1000;
constexpr int kDistinctPhotos = 100;  // a phone's album: every picture of its own
constexpr double kPhoneQuality = 0.85;

double nsSince(Clock::time_point start, std::int64_t n) {
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
         static_cast<double>(n);
}

std::shared_ptr<platform::Image> picture(int width, int height, int seed) {
  auto context = platform::Context::createBitmap(width, height, platform::AlphaInfo::NoneSkipFirst);
  cairo_t* cr = context->cairo();
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, height);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.3, 0.55, 0.9);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.3 + (seed % 7) * 0.08, 0.7, 0.35);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  cairo_set_source_rgb(cr, 0.95, 0.5, 0.2);
  cairo_arc(cr, width * (0.2 + (seed % 5) * 0.15), height * 0.6, height * 0.15, 0, 2 * M_PI);
  cairo_fill(cr);
  return context->makeImage();
}

// A phone photo: a scene of its own (sky, ground, a few coloured shapes) over detail at several
// sizes, with a little sensor grain, saved at a phone camera's quality with half-resolution
// colour, so each file costs what a real one does to decode.
platform::Data photoJpeg(int width, int height, int seed) {
  std::mt19937 random(static_cast<unsigned>(seed) * 7919u + 1u);
  auto unit = [&] { return std::uniform_real_distribution<double>(0, 1)(random); };
  auto context = platform::Context::createBitmap(width, height, platform::AlphaInfo::NoneSkipFirst);
  cairo_t* cr = context->cairo();
  cairo_pattern_t* sky = cairo_pattern_create_linear(0, 0, 0, height);
  cairo_pattern_add_color_stop_rgb(sky, 0, 0.2 + 0.3 * unit(), 0.4 + 0.3 * unit(),
                                   0.7 + 0.3 * unit());
  cairo_pattern_add_color_stop_rgb(sky, 0.55, 0.6 + 0.3 * unit(), 0.7, 0.8);
  cairo_pattern_add_color_stop_rgb(sky, 0.56, 0.2 + 0.4 * unit(), 0.35 + 0.4 * unit(), 0.15);
  cairo_pattern_add_color_stop_rgb(sky, 1, 0.1 + 0.3 * unit(), 0.25 + 0.3 * unit(), 0.1);
  cairo_set_source(cr, sky);
  cairo_paint(cr);
  cairo_pattern_destroy(sky);
  // Detail at three sizes: random cells blown up with a smooth filter, fainter as they get finer.
  for (auto [cells, alpha] : {std::pair{24, 0.35}, std::pair{96, 0.22}, std::pair{384, 0.12}}) {
    const int cw = cells, ch = cells * height / width;
    cairo_surface_t* noise = cairo_image_surface_create(CAIRO_FORMAT_RGB24, cw, ch);
    auto* px = cairo_image_surface_get_data(noise);
    const int stride = cairo_image_surface_get_stride(noise);
    for (int y = 0; y < ch; ++y) {
      auto* row = reinterpret_cast<std::uint32_t*>(px + static_cast<std::size_t>(y) * stride);
      for (int x = 0; x < cw; ++x) row[x] = random() & 0xFFFFFFu;
    }
    cairo_surface_mark_dirty(noise);
    cairo_save(cr);
    cairo_scale(cr, static_cast<double>(width) / cw, static_cast<double>(height) / ch);
    cairo_set_source_surface(cr, noise, 0, 0);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_BILINEAR);
    cairo_paint_with_alpha(cr, alpha);
    cairo_restore(cr);
    cairo_surface_destroy(noise);
  }
  for (int i = 0; i < 12; ++i) {  // people, trees, toys: shapes with hard edges
    cairo_set_source_rgb(cr, unit(), unit(), unit());
    const double x = unit() * width, y = height * (0.3 + 0.6 * unit()), r = height * 0.1 * unit();
    if (i % 2) {
      cairo_arc(cr, x, y, r + 10, 0, 2 * M_PI);
    } else {
      cairo_rectangle(cr, x, y, r * 2 + 10, r * 3 + 10);
    }
    cairo_fill(cr);
  }
  cairo_surface_t* surface = cairo_get_target(cr);
  cairo_surface_flush(surface);
  auto* data = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  for (int y = 0; y < height; ++y) {
    auto* row = reinterpret_cast<std::uint32_t*>(data + static_cast<std::size_t>(y) * stride);
    for (int x = 0; x < width; ++x) {
      const int grain = static_cast<int>(random() % 7) - 3;
      std::uint32_t p = row[x], out = 0xFF000000u;
      for (int shift : {0, 8, 16}) {
        const int c = std::clamp(static_cast<int>((p >> shift) & 0xFF) + grain, 0, 255);
        out |= static_cast<std::uint32_t>(c) << shift;
      }
      row[x] = out;
    }
  }
  cairo_surface_mark_dirty(surface);
  return *platform::encodeJPEG(*context->makeImage(), kPhoneQuality);
}

class Library {
 public:
  explicit Library(int photos, bool pictures = true) {
    char pattern[] = "/tmp/sprout-bench-photos-XXXXXX";
    if (mkdtemp(pattern)) home_ = pattern;
    platform::FileManager::setHomeDirectory(home_);
    album_ = platform::FileManager::photosDirectory() + "/Album";
    platform::FileManager::defaultManager().createDirectory(album_);
    std::vector<platform::Data> variants(pictures ? kDistinctPhotos : 1, {0xFF, 0xD8});
    if (pictures) {
      std::atomic<std::size_t> next{0};
      std::vector<std::thread> makers;
      for (unsigned t = 0; t < std::max(1u, std::thread::hardware_concurrency()); ++t) {
        makers.emplace_back([&] {
          for (std::size_t i; (i = next++) < variants.size();) {
            variants[i] = photoJpeg(2048, 1536, static_cast<int>(i));
          }
        });
      }
      for (auto& maker : makers) maker.join();
      for (const auto& v : variants) fileBytes_ += static_cast<double>(v.size());
      fileBytes_ /= static_cast<double>(variants.size());
    }
    for (int i = 0; i < photos; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/IMG_%05d.JPG", i);
      if (!platform::FileManager::defaultManager().writeFile(album_ + name,
                                                             variants[i % variants.size()])) {
        std::abort();  // a bench over a half-written library measures nothing
      }
    }
  }
  ~Library() {
    platform::FileManager::defaultManager().removeItem(home_);
    platform::FileManager::setHomeDirectory("");
  }
  const std::string& album() const { return album_; }
  double meanFileBytes() const { return fileBytes_; }
  std::shared_ptr<sprout::PPPhotoPickerGroup> group() const {
    for (const auto& g : platform::AssetsLibrary::listGroups()) {
      if (g->name() != "Album") continue;
      g->setAssetsFilter(platform::AssetsFilter::AllPhotos);
      auto record = sprout::PPPhotoPickerGroup::create();
      record->setGroup(g);
      record->setGroupName(g->name());
      return record;
    }
    return nullptr;
  }

 private:
  std::string home_, album_;
  double fileBytes_ = 0;
};

// What a bare program does to list a folder.
std::size_t bareDirectoryRead(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  while (const dirent* entry = readdir(dir)) names.emplace_back(entry->d_name);
  closedir(dir);
  return names.size();
}

// libjpeg-turbo at 1/`denom`, straight into a buffer.
void bareScaledDecode(const std::string& path, int denom) {
  std::FILE* in = std::fopen(path.c_str(), "rb");
  jpeg_decompress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_decompress(&info);
  jpeg_stdio_src(&info, in);
  jpeg_read_header(&info, TRUE);
  info.scale_num = 1;
  info.scale_denom = static_cast<unsigned>(denom);
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  std::vector<std::uint8_t> pixels(std::size_t(info.output_width) * info.output_height * 4);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &pixels[std::size_t(info.output_scanline) * info.output_width * 4];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  std::fclose(in);
  benchmark::DoNotOptimize(pixels.data());
}

// The files spread over one thread per core.
void bareDecodeOnAllCores(const std::vector<std::string>& files, int denom) {
  std::atomic<std::size_t> next{0};
  std::vector<std::thread> threads;
  const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  for (unsigned t = 0; t < std::min<std::size_t>(cores, files.size()); ++t) {
    threads.emplace_back([&] {
      for (std::size_t i; (i = next++) < files.size();) bareScaledDecode(files[i], denom);
    });
  }
  for (auto& thread : threads) thread.join();
}

double gFirstCellsNs = 0;
struct Opened {
  std::vector<std::string> shownFiles;
  std::size_t decodes = 0;
};

// Opens the album's grid screen and runs the main loop until every cell shown has its picture
// (a frame's layout between turns, as the display does).
Opened openGridScreen(const std::shared_ptr<sprout::PPPhotoPickerGroup>& group,
                      const std::shared_ptr<platform::ViewController>& root,
                      const std::shared_ptr<platform::Window>& window) {
  const auto t0 = Clock::now();
  auto screen = sprout::PPPhotoPickerAssetsViewController::create();
  screen->setSelectPickerAssets({});
  screen->setAssetsGroup(group);
  screen->setMaxCount(9);
  root->presentViewController(platform::NavigationController::create(screen), false);
  auto grid = screen->collectionView();
  platform::RunLoop::main().runUntil(
      [&] {
        window->layoutIfNeeded();
        return !grid->visibleCells().empty();
      },
      60);
  gFirstCellsNs += std::chrono::duration<double, std::nano>(Clock::now() - t0).count();
  platform::RunLoop::main().runUntil(
      [&] {
        window->layoutIfNeeded();
        return !grid->dataArray().empty() && !grid->visibleCells().empty() &&
               grid->pendingThumbnails() == 0;
      },
      60);
  Opened opened;
  opened.decodes = grid->thumbnailDecodesStarted();
  for (const auto& path : grid->indexPathsForVisibleItems()) {
    const auto& asset = grid->dataArray()[static_cast<std::size_t>(path.row)]->asset();
    opened.shownFiles.push_back(asset->location().path());
  }
  root->dismissViewControllerAnimated(false);
  platform::RunLoop::main().runPending();
  return opened;
}

// Screen and bare decoding alternate, so a busy machine slows both alike.
void BM_AlbumFirstScreen(benchmark::State& state) {
  Library library(kAlbumSize);
  auto window = platform::Window::create(platform::Screen::main().bounds());
  auto root = platform::ViewController::create();
  window->setRootViewController(root);
  window->makeKeyAndVisible();
  platform::LibraryIndex::shared().invalidate();
  Opened opened = openGridScreen(library.group(), root, window);  // warms the page cache
  gFirstCellsNs = 0;
  double subjectNs = 0, baselineNs = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    opened = openGridScreen(library.group(), root, window);
    subjectNs += nsSince(start, 1);
    // A 2048 x 1536 photo decodes at 1/8 for a 150-pixel thumbnail, in the bare program too.
    const auto baseStart = Clock::now();
    bareDecodeOnAllCores(opened.shownFiles, 8);
    baselineNs += nsSince(baseStart, 1);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["screen_ms"] = subjectNs * 1e-6 / n;
  state.counters["baseline_ms"] = baselineNs * 1e-6 / n;
  state.counters["ratio"] = subjectNs / baselineNs;
  state.counters["first_cells_ms"] = gFirstCellsNs * 1e-6 / n;
  state.counters["shown"] = static_cast<double>(opened.shownFiles.size());
  state.counters["decodes"] = static_cast<double>(opened.decodes);
  state.counters["file_kb"] = library.meanFileBytes() / 1024;
  window->setHidden(true);
}

// The album's records as the grid screen makes them.
std::size_t readAlbum() {
  std::size_t n = 0;
  sprout::PPPhotoPickerDatas::defaultPicker()->getGroupPhotosWithGroup(
      [] {
        for (const auto& g : platform::AssetsLibrary::listGroups()) {
          if (g->name() != "Album") continue;
          auto record = sprout::PPPhotoPickerGroup::create();
          record->setGroup(g);
          return record;
        }
        return std::shared_ptr<sprout::PPPhotoPickerGroup>();
      }(),
      [&](std::vector<std::shared_ptr<platform::Asset>> assets) {
        std::vector<std::shared_ptr<sprout::PPPhotoAssets>> records;
        records.reserve(assets.size());
        for (auto& asset : assets) records.push_back(sprout::PPPhotoAssets::create(asset));
        n = records.size();
      });
  return n;
}

// Fresh listing, kept listing and bare read alternate, so a busy machine slows them alike.
void BM_AlbumListing(benchmark::State& state) {
  Library library(kAlbumSize, false);
  double subjectNs = 0, cachedNs = 0, baselineNs = 0;
  for (auto _ : state) {
    auto start = Clock::now();
    platform::LibraryIndex::shared().invalidate();
    benchmark::DoNotOptimize(readAlbum());
    subjectNs += nsSince(start, 1);
    start = Clock::now();
    benchmark::DoNotOptimize(readAlbum());
    cachedNs += nsSince(start, 1);
    start = Clock::now();
    benchmark::DoNotOptimize(bareDirectoryRead(library.album()));
    baselineNs += nsSince(start, 1);
  }
  const auto n = static_cast<double>(state.iterations());
  state.counters["listing_us"] = subjectNs * 1e-3 / n;
  state.counters["baseline_us"] = baselineNs * 1e-3 / n;
  state.counters["ratio"] = subjectNs / baselineNs;
  state.counters["cached_ratio"] = cachedNs / baselineNs;
}

void BM_LookUpByURL(benchmark::State& state) {
  Library library(10000, false);
  std::vector<platform::URL> urls;
  for (const auto& g : platform::AssetsLibrary::listGroups()) {
    for (std::size_t i = 0; i < 100; ++i) urls.push_back(g->assetAtFileIndex(i * 97)->url());
  }
  const auto start = Clock::now();
  for (auto _ : state) {
    for (const auto& url : urls)
      benchmark::DoNotOptimize(platform::AssetsLibrary::assetWithURL(url));
  }
  const double subjectNs = nsSince(start, state.iterations());
  const auto baseStart = Clock::now();
  for (std::int64_t n = 0; n < state.iterations(); ++n) {
    benchmark::DoNotOptimize(bareDirectoryRead(library.album()));
  }
  const double baselineNs = nsSince(baseStart, state.iterations());
  state.counters["baseline_us"] = baselineNs * 1e-3;
  state.counters["ratio"] = subjectNs / baselineNs;
}

std::shared_ptr<platform::Image> sensorFrame() {
  return platform::Image::create(picture(3264, 2448, 3)->bitmap(), 1,
                                 platform::ImageOrientation::Right);
}

void bareCropAndTurn(const platform::Bitmap& frame, int x, int w, int h) {
  cairo_surface_t* out = cairo_image_surface_create(CAIRO_FORMAT_RGB24, h, w);
  cairo_t* cr = cairo_create(out);
  cairo_surface_t* crop = cairo_image_surface_create_for_data(
      const_cast<unsigned char*>(reinterpret_cast<const unsigned char*>(frame.pixels()) + x * 4),
      CAIRO_FORMAT_RGB24, w, h, static_cast<int>(frame.stride()));
  cairo_translate(cr, h, 0);
  cairo_rotate(cr, M_PI / 2);
  cairo_set_source_surface(cr, crop, 0, 0);
  cairo_paint(cr);
  cairo_destroy(cr);
  cairo_surface_destroy(crop);
  cairo_surface_destroy(out);
}

void BM_CutImage(benchmark::State& state) {
  auto frame = sensorFrame();
  const auto start = Clock::now();
  for (auto _ : state) benchmark::DoNotOptimize(sprout::SCCameraCutImage(frame.get(), 568));
  const double subjectNs = nsSince(start, state.iterations());
  const auto baseStart = Clock::now();
  for (std::int64_t n = 0; n < state.iterations(); ++n)
    bareCropAndTurn(*frame->bitmap(), 402, 2862, 2448);
  const double baselineNs = nsSince(baseStart, state.iterations());
  state.counters["baseline_ms"] = baselineNs * 1e-6;
  state.counters["ratio"] = subjectNs / baselineNs;
}

BENCHMARK(BM_AlbumFirstScreen)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);
BENCHMARK(BM_AlbumListing)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_LookUpByURL)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_CutImage)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
  platform::Screen::main().setBounds(platform::makeRect(0, 0, 375, 667));
  platform::Screen::main().setScale(2);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
