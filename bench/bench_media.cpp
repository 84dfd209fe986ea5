// What the photo library and the camera cost, each beside a bare baseline in the same run:
//  - BM_AlbumFirstScreen: opening an album of 1,000 photos (800 x 600 JPEGs) and drawing the first
//    screen of a four-column grid (32 thumbnails of 75 points at scale 2) through the library and
//    the picker's asset records, against reading and decoding those 32 files bare with libjpeg's
//    own 1/4 scaling and drawing them into the same grid ("ratio" = library / bare).
//  - BM_CutImage: the camera's cut of a 3264 x 2448 sensor frame (crop and quarter turn) against
//    a bare Cairo crop and turn of the same pixels.
#include <benchmark/benchmark.h>
#include <cairo.h>
#include <jpeglib.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/media/AssetsLibrary.h"
#include "platform/ui/Screen.h"
#include "ui/components/camera/SCCameraImageSteps.h"
#include "ui/components/photopicker/PPPhotoAssets.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kAlbumSize = 1000;
constexpr int kFirstScreen = 32;  // 4 columns x 8 rows of 75-point cells on a 568-point screen
constexpr double kCell = 75;

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

class Library {
 public:
  Library() {
    char pattern[] = "/tmp/sprout-bench-photos-XXXXXX";
    if (mkdtemp(pattern)) home_ = pattern;
    platform::FileManager::setHomeDirectory(home_);
    album_ = platform::FileManager::photosDirectory() + "/Album";
    platform::FileManager::defaultManager().createDirectory(album_);
    std::vector<platform::Data> variants;
    for (int i = 0; i < 8; ++i)
      variants.push_back(*platform::encodeJPEG(*picture(800, 600, i), 0.85));
    for (int i = 0; i < kAlbumSize; ++i) {
      char name[32];
      std::snprintf(name, sizeof name, "/IMG_%04d.JPG", i);
      platform::FileManager::defaultManager().writeAtomically(album_ + name, variants[i % 8]);
      if (i < kFirstScreen) firstScreen_.push_back(album_ + name);
    }
  }
  ~Library() {
    platform::FileManager::defaultManager().removeItem(home_);
    platform::FileManager::setHomeDirectory("");
  }
  const std::vector<std::string>& firstScreen() const { return firstScreen_; }

 private:
  std::string home_, album_;
  std::vector<std::string> firstScreen_;
};

std::unique_ptr<platform::Context> gridContext() {
  return platform::Context::create({4 * kCell, 8 * kCell}, 2, true);
}

platform::Rect cell(int i) {
  return platform::makeRect((i % 4) * kCell, (i / 4) * kCell, kCell, kCell);
}

void openAlbumAndDrawFirstScreen(platform::Context& grid) {
  for (const auto& group : platform::AssetsLibrary::listGroups()) {
    if (group->name() != "Album") continue;
    group->setAssetsFilter(platform::AssetsFilter::AllPhotos);
    std::vector<std::shared_ptr<sprout::PPPhotoAssets>> records;
    group->enumerateAssets([&](const std::shared_ptr<platform::Asset>& asset, std::size_t, bool&) {
      if (asset) records.push_back(sprout::PPPhotoAssets::create(asset));
    });
    for (int i = 0; i < kFirstScreen && i < static_cast<int>(records.size()); ++i) {
      if (auto thumb = records[i]->thumbImage()) grid.drawImage(*thumb, cell(i));
    }
  }
}

// libjpeg at 1/4 straight into a surface, drawn into the cell.
void bareThumbnail(const std::string& path, platform::Context& grid, int i) {
  auto data = platform::FileManager::defaultManager().contentsAtPath(path);
  jpeg_decompress_struct info{};
  jpeg_error_mgr err{};
  info.err = jpeg_std_error(&err);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data->data(), data->size());
  jpeg_read_header(&info, TRUE);
  info.scale_num = 1;
  info.scale_denom = 4;
  info.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&info);
  cairo_surface_t* surface =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(info.output_width),
                                 static_cast<int>(info.output_height));
  unsigned char* pixels = cairo_image_surface_get_data(surface);
  const int stride = cairo_image_surface_get_stride(surface);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = pixels + static_cast<std::size_t>(info.output_scanline) * stride;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  cairo_surface_mark_dirty(surface);
  cairo_t* cr = grid.cairo();
  const platform::Rect r = cell(i);
  const double s = std::min(r.size.width / info.output_width, r.size.height / info.output_height);
  cairo_save(cr);
  cairo_translate(cr, r.origin.x, r.origin.y);
  cairo_scale(cr, s, s);
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_paint(cr);
  cairo_restore(cr);
  cairo_surface_destroy(surface);
}

void BM_AlbumFirstScreen(benchmark::State& state) {
  Library library;
  auto grid = gridContext();
  const auto start = Clock::now();
  for (auto _ : state) openAlbumAndDrawFirstScreen(*grid);
  const double subjectNs = nsSince(start, state.iterations());
  const auto baseStart = Clock::now();
  for (std::int64_t n = 0; n < state.iterations(); ++n) {
    for (int i = 0; i < kFirstScreen; ++i) bareThumbnail(library.firstScreen()[i], *grid, i);
  }
  const double baselineNs = nsSince(baseStart, state.iterations());
  state.counters["baseline_ms"] = baselineNs * 1e-6;
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

BENCHMARK(BM_AlbumFirstScreen)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CutImage)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
  platform::Screen::main().setBounds(platform::makeRect(0, 0, 320, 568));
  platform::Screen::main().setScale(2);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
