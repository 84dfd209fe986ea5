// The image cache and decoders against what they stand on: every figure comes with a baseline
// measured in the same run and a "ratio" counter (subject time / baseline time; 1.0 = no cost
// over the bare library or container).
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <png.h>
#include <stdlib.h>  // mkdtemp
#include <tiffio.h>
#include <webp/decode.h>
#include <webp/encode.h>

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include <jpeglib.h>

#include "images/WIImageCache.h"
#include "images/WIImageDecoding.h"
#include "images/WIImageDownloader.h"
#include "images/WIImageManager.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageSource.h"
#include "platform/graphics/PixelBuffer.h"

namespace {

using platform::Data;
using sprout::ImagePtr;

constexpr int kSide = 512;

std::uint8_t channel(int x, int y, int c) {
  return static_cast<std::uint8_t>((x * (3 + c) + y * (5 + 2 * c) + ((x ^ y) & 31)) & 0xFF);
}

// ---- Sample bytes, made straight with each library ----

Data encodePng(int side, bool alpha) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = side;
  image.height = side;
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  const int channels = alpha ? 4 : 3;
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(side) * side * channels);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      for (int c = 0; c < channels; ++c) {
        pixels[(static_cast<std::size_t>(y) * side + x) * channels + c] =
            c == 3 ? 255 - (x & 63) : channel(x, y, c);
      }
    }
  }
  png_alloc_size_t size = 0;
  png_image_write_to_memory(&image, nullptr, &size, 0, pixels.data(), 0, nullptr);
  Data out(size);
  png_image_write_to_memory(&image, out.data(), &size, 0, pixels.data(), 0, nullptr);
  out.resize(size);
  return out;
}

Data encodeJpeg(int side) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = side;
  cinfo.image_height = side;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 85, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  std::vector<JSAMPLE> row(static_cast<std::size_t>(side) * 3);
  while (cinfo.next_scanline < cinfo.image_height) {
    const int y = static_cast<int>(cinfo.next_scanline);
    for (int x = 0; x < side; ++x) {
      for (int c = 0; c < 3; ++c) row[x * 3 + c] = channel(x, y, c);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_compress(&cinfo);
  Data out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  free(buffer);
  return out;
}

Data encodeGif(int side, int frames) {
  Data out;
  int error = 0;
  GifFileType* gif = EGifOpen(
      &out,
      [](GifFileType* file, const GifByteType* bytes, int length) {
        auto* sink = static_cast<Data*>(file->UserData);
        sink->insert(sink->end(), bytes, bytes + length);
        return length;
      },
      &error);
  EGifSetGifVersion(gif, true);
  GifColorType colors[256];
  for (int i = 0; i < 256; ++i) {
    colors[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(255 - i),
                 static_cast<GifByteType>(i * 7)};
  }
  ColorMapObject* map = GifMakeMapObject(256, colors);
  EGifPutScreenDesc(gif, side, side, 8, 0, map);
  std::vector<GifPixelType> line(static_cast<std::size_t>(side));
  for (int f = 0; f < frames; ++f) {
    GraphicsControlBlock control{};
    control.DelayTime = 5;
    control.TransparentColor = NO_TRANSPARENT_COLOR;
    GifByteType extension[4];
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE,
                     static_cast<int>(EGifGCBToExtension(&control, extension)), extension);
    EGifPutImageDesc(gif, 0, 0, side, side, false, nullptr);
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) line[x] = channel(x + f * 9, y, 0);
      EGifPutLine(gif, line.data(), side);
    }
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(map);
  return out;
}

Data encodeWebp(int side) {
  std::vector<std::uint8_t> rgb(static_cast<std::size_t>(side) * side * 3);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      for (int c = 0; c < 3; ++c)
        rgb[(static_cast<std::size_t>(y) * side + x) * 3 + c] = channel(x, y, c);
    }
  }
  std::uint8_t* output = nullptr;
  const std::size_t size = WebPEncodeRGB(rgb.data(), side, side, side * 3, 80.0f, &output);
  Data out(output, output + size);
  WebPFree(output);
  return out;
}

Data encodeTiff(int side, const std::string& scratch) {
  TIFF* tiff = TIFFOpen(scratch.c_str(), "w");
  TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, side);
  TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, side);
  TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
  TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
  TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
  TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
  std::vector<std::uint8_t> row(static_cast<std::size_t>(side) * 3);
  for (int y = 0; y < side; ++y) {
    for (int x = 0; x < side; ++x) {
      for (int c = 0; c < 3; ++c) row[x * 3 + c] = channel(x, y, c);
    }
    TIFFWriteScanline(tiff, row.data(), y, 0);
  }
  TIFFClose(tiff);
  return platform::FileManager::defaultManager().contentsAtPath(scratch).value_or(Data{});
}

// ---- The bare library calls the decoders are measured against ----

std::size_t rawPng(const Data& data) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) return 0;
  image.format = PNG_FORMAT_BGRA;
  std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(image));
  png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr);
  return pixels.size();
}

std::size_t rawJpeg(const Data& data) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr jerr{};
  cinfo.err = jpeg_std_error(&jerr);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data.data(), data.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGRX;
  jpeg_start_decompress(&cinfo);
  std::vector<std::uint8_t> pixels(static_cast<std::size_t>(cinfo.output_width) *
                                   cinfo.output_height * 4);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW rows[1] = {pixels.data() +
                        static_cast<std::size_t>(cinfo.output_scanline) * cinfo.output_width * 4};
    jpeg_read_scanlines(&cinfo, rows, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return pixels.size();
}

struct MemoryReader {
  const Data* data;
  std::size_t position = 0;
};

std::size_t rawGif(const Data& data) {
  MemoryReader reader{&data};
  int error = 0;
  GifFileType* gif = DGifOpen(
      &reader,
      [](GifFileType* file, GifByteType* out, int length) {
        auto* r = static_cast<MemoryReader*>(file->UserData);
        const std::size_t n = std::min<std::size_t>(length, r->data->size() - r->position);
        std::memcpy(out, r->data->data() + r->position, n);
        r->position += n;
        return static_cast<int>(n);
      },
      &error);
  if (gif == nullptr) return 0;
  DGifSlurp(gif);
  const auto frames = static_cast<std::size_t>(gif->ImageCount);
  DGifCloseFile(gif, &error);
  return frames;
}

std::size_t rawWebp(const Data& data) {
  int width = 0;
  int height = 0;
  std::uint8_t* pixels = WebPDecodeBGRA(data.data(), data.size(), &width, &height);
  WebPFree(pixels);
  return static_cast<std::size_t>(width) * height;
}

tmsize_t tiffRead(thandle_t handle, void* out, tmsize_t length) {
  auto* r = static_cast<MemoryReader*>(handle);
  const std::size_t n = std::min<std::size_t>(length, r->data->size() - r->position);
  std::memcpy(out, r->data->data() + r->position, n);
  r->position += n;
  return static_cast<tmsize_t>(n);
}
tmsize_t tiffWrite(thandle_t, void*, tmsize_t) { return 0; }
toff_t tiffSeek(thandle_t handle, toff_t offset, int whence) {
  auto* r = static_cast<MemoryReader*>(handle);
  const toff_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? r->position : r->data->size();
  r->position = std::min<std::size_t>(base + offset, r->data->size());
  return r->position;
}
int tiffClose(thandle_t) { return 0; }
toff_t tiffSize(thandle_t handle) { return static_cast<MemoryReader*>(handle)->data->size(); }
int tiffMap(thandle_t, void**, toff_t*) { return 0; }
void tiffUnmap(thandle_t, void*, toff_t) {}

std::size_t rawTiff(const Data& data) {
  MemoryReader reader{&data};
  TIFF* tiff = TIFFClientOpen("memory", "r", &reader, tiffRead, tiffWrite, tiffSeek, tiffClose,
                              tiffSize, tiffMap, tiffUnmap);
  if (tiff == nullptr) return 0;
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
  TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
  std::vector<std::uint32_t> raster(static_cast<std::size_t>(width) * height);
  TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 0);
  TIFFClose(tiff);
  return raster.size();
}

// ---- Fixture and timing ----

enum Format { kPNG, kJPEG, kGIF, kWebP, kTIFF, kFormatCount };
constexpr const char* kFormatNames[kFormatCount] = {"png", "jpeg", "gif (4 frames)", "webp",
                                                    "tiff"};
std::size_t (*const kRawDecoders[kFormatCount])(const Data&) = {rawPng, rawJpeg, rawGif, rawWebp,
                                                                rawTiff};

struct Fixture {
  std::string home;
  std::shared_ptr<sprout::WIImageCache> cache;
  Data samples[kFormatCount];
  const std::string diskKeys[2] = {"http://bench.example/disk.png",
                                   "http://bench.example/disk.jpg"};
};
Fixture* fixture = nullptr;

using Clock = std::chrono::steady_clock;

template <class F>
double nanosecondsPerCall(F&& call, std::int64_t calls) {
  const auto start = Clock::now();
  for (std::int64_t i = 0; i < calls; ++i) call();
  return std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
         static_cast<double>(calls);
}

// Runs the benchmark loop over `subject`, then the same number of `baseline` calls.
template <class S, class B>
void compare(benchmark::State& state, S&& subject, B&& baseline) {
  const auto start = Clock::now();
  for (auto _ : state) subject();
  const double subjectNs = std::chrono::duration<double, std::nano>(Clock::now() - start).count() /
                           static_cast<double>(state.iterations());
  const double baselineNs = nanosecondsPerCall(baseline, state.iterations());
  state.counters["baseline_ns"] = baselineNs;
  state.counters["ratio"] = subjectNs / baselineNs;
}

// ---- Memory hits as a screen of cells asks for them ----

// What one cell keeps: its picture's URL, parsed once when the cell's row was made, and the image
// it shows.
struct Cell {
  platform::URL url;
  ImagePtr image;
};

// `count` cells whose pictures are all resident in a fresh cache (distinct 120 x 120 thumbnails,
// URLs as a photo server names them), and the same pictures in a map for the baseline.
struct ResidentScreen {
  std::shared_ptr<sprout::WIImageCache> cache;
  std::shared_ptr<sprout::WIImageDownloader> downloader;
  std::shared_ptr<sprout::WIImageManager> manager;
  std::vector<Cell> cells;
  std::vector<sprout::OptionalURL> heldURLs;  // the cells' URLs as the view bindings keep them
  std::unordered_map<std::string, ImagePtr> map;
  std::mutex mapMutex;
};

std::unique_ptr<ResidentScreen> residentScreen(std::size_t count) {
  constexpr int kThumbnail = 120;
  auto screen = std::make_unique<ResidentScreen>();
  screen->cache = sprout::WIImageCache::create("bench-hits-" + std::to_string(count));
  screen->downloader = sprout::WIImageDownloader::create();
  screen->manager = sprout::WIImageManager::create(screen->cache, screen->downloader);
  auto textOf = [](std::size_t i) {
    return "http://127.0.0.1:41753/albums/class-3/photos/" + std::to_string(100000 + i) + ".jpg";
  };
  for (std::size_t i = 0; i < count; ++i) {
    screen->cells.push_back(Cell{*platform::URL::parse(textOf(i)), nullptr});
    screen->heldURLs.push_back(screen->cells.back().url);
  }
  // Pictures arrive in no particular order, among the other allocations of their loads, so the
  // entries do not lie in memory in the order the cells ask for them.
  std::vector<std::size_t> arrival(count);
  std::uint32_t state = 2463534242u;
  auto next = [&state] {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  };
  for (std::size_t i = 0; i < count; ++i) arrival[i] = i;
  for (std::size_t i = count; i > 1; --i) std::swap(arrival[i - 1], arrival[next() % i]);
  std::vector<std::string> loadLitter;
  for (std::size_t i : arrival) {
    std::vector<std::uint32_t> pixels(std::size_t{kThumbnail} * kThumbnail,
                                      0xFF000000u | static_cast<std::uint32_t>(i * 2654435761u));
    ImagePtr image = platform::Image::create(
        platform::Bitmap::create(kThumbnail, kThumbnail, std::move(pixels),
                                 platform::AlphaInfo::NoneSkipLast, platform::ColorModel::RGB));
    screen->cache->storeImage(image, textOf(i), /*toDisk=*/false);
    screen->map.emplace(textOf(i), image);
    loadLitter.emplace_back(64 + next() % 512, 'x');
    if (i % 2 == 0) loadLitter[next() % loadLitter.size()] = std::string();
  }
  if (screen->cache->memCache().count() != count) std::abort();  // every picture is resident
  return screen;
}

using HitPass = void (*)(ResidentScreen&);

// Each cell asks the manager for its URL in turn, as a caller writes it: a completion made for
// the call that hands the picture to the cell.
void managerPass(ResidentScreen& screen) {
  for (Cell& cell : screen.cells) {
    screen.manager->downloadImageWithURL(
        cell.url, sprout::WIImageOptions{}, nullptr,
        [&cell](const ImagePtr& image, const sprout::OptionalError&, sprout::WIImageCacheType type,
                bool, const sprout::OptionalURL&) {
          if (type == sprout::WIImageCacheTypeMemory) cell.image = image;
        });
  }
}

// The same with the URL held in an optional, as the view bindings keep it.
void managerOptionalPass(ResidentScreen& screen) {
  for (std::size_t i = 0; i < screen.cells.size(); ++i) {
    Cell& cell = screen.cells[i];
    screen.manager->downloadImageWithURL(
        screen.heldURLs[i], sprout::WIImageOptions{}, nullptr,
        [&cell](const ImagePtr& image, const sprout::OptionalError&, sprout::WIImageCacheType type,
                bool, const sprout::OptionalURL&) {
          if (type == sprout::WIImageCacheTypeMemory) cell.image = image;
        });
  }
}

// The cheapest bare way to the same result: a map from the URL's text under a mutex.
void mapPass(ResidentScreen& screen) {
  for (Cell& cell : screen.cells) {
    std::lock_guard lock(screen.mapMutex);
    cell.image = screen.map.find(cell.url.absoluteString())->second;
  }
}

void cacheOnlyPass(ResidentScreen& screen) {
  for (Cell& cell : screen.cells) {
    cell.image = screen.cache->imageFromMemoryCacheForKey(cell.url.absoluteString());
  }
}

// Nanoseconds per ask of one pass; every cell must have been handed its picture.
double timePass(ResidentScreen& screen, HitPass pass) {
  for (Cell& cell : screen.cells) cell.image = nullptr;
  const auto start = Clock::now();
  pass(screen);
  const double ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count();
  for (const Cell& cell : screen.cells) {
    if (!cell.image) std::abort();
  }
  return ns / static_cast<double>(screen.cells.size());
}

// A memory hit through WIImageManager, asking every resident URL in turn, on the main thread.
// Passes alternate with the baseline's (and with the optional-URL call and the cache alone), so
// the machine's load weighs on every side alike; each counter is the median pass.
void BM_MemoryHit_ManagerEveryResidentURL(benchmark::State& state) {
  auto screen = residentScreen(static_cast<std::size_t>(state.range(0)));
  const HitPass passes[] = {managerPass, mapPass, managerOptionalPass, cacheOnlyPass};
  std::vector<double> times[std::size(passes)];
  for (auto _ : state) {
    for (std::size_t i = 0; i < std::size(passes); ++i) {
      times[i].push_back(timePass(*screen, passes[i]));
    }
    state.SetIterationTime(times[0].back() * 1e-9 * static_cast<double>(screen->cells.size()));
  }
  auto median = [](std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
  };
  state.counters["ns_per_hit"] = median(times[0]);
  state.counters["baseline_ns"] = median(times[1]);
  state.counters["ratio"] = median(times[0]) / median(times[1]);
  state.counters["optional_url_ns"] = median(times[2]);
  state.counters["cache_only_ns"] = median(times[3]);
  state.SetItemsProcessed(state.iterations() * state.range(0));
  screen->manager.reset();
  screen->downloader.reset();
  screen->cache->ioQueue()->sync([] {});
  platform::RunLoop::main().runPending();
}

void BM_DiskHit_diskImageForKey(benchmark::State& state) {
  auto& f = *fixture;
  const std::string& key = f.diskKeys[state.range(0)];
  const std::string path = f.cache->defaultCachePathForKey(key);
  state.SetLabel(state.range(0) == 0 ? "png with alpha" : "opaque jpeg (force decoded)");
  compare(
      state, [&] { benchmark::DoNotOptimize(f.cache->diskImageForKey(key)); },
      [&] {
        auto data = platform::FileManager::defaultManager().contentsAtPath(path);
        auto source = platform::ImageSource::create(std::move(*data));
        benchmark::DoNotOptimize(source->frameAt(0));
      });
}

void BM_Decode_wi_imageWithData(benchmark::State& state) {
  const auto format = static_cast<Format>(state.range(0));
  const Data& data = fixture->samples[format];
  state.SetLabel(kFormatNames[format]);
  compare(
      state, [&] { benchmark::DoNotOptimize(sprout::wi_imageWithData(data)); },
      [&] { benchmark::DoNotOptimize(kRawDecoders[format](data)); });
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(data.size()));
}

long statusKilobytes(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::strlen(field)));
  }
  return 0;
}

// The memory a large opaque PNG costs on its way to a force-decoded image, as a multiple of its
// final bitmap (the baseline is the bitmap itself: 1.0 means nothing but the result was held).
void BM_LargePNG_PeakMemory(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const Data png = encodePng(side, /*alpha=*/false);
  double worst = 0;
  for (auto _ : state) {
    platform::PixelBuffer::drainPool();
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";  // VmHWM starts again from VmRSS
    const long before = statusKilobytes("VmRSS:");
    auto image = sprout::decodedImageWithImage(sprout::wi_imageWithData(png));
    const double grown = static_cast<double>(statusKilobytes("VmHWM:") - before) * 1024.0;
    worst = std::max(worst, grown / static_cast<double>(image->bitmap()->byteCount()));
  }
  state.counters["peak_over_bitmap"] = worst;
  state.counters["bitmap_mb"] = static_cast<double>(side) * side * 4 / (1 << 20);
}

BENCHMARK(BM_MemoryHit_ManagerEveryResidentURL)
    ->Arg(139)  // the pictures a cold load of 200 photos leaves in memory
    ->Arg(2000)
    ->UseManualTime()
    ->MinTime(1.0);
BENCHMARK(BM_DiskHit_diskImageForKey)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Decode_wi_imageWithData)
    ->DenseRange(0, kFormatCount - 1)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LargePNG_PeakMemory)->Arg(8192)->Iterations(1)->Unit(benchmark::kMillisecond);

void setUp(Fixture& f) {
  std::string pattern = (std::filesystem::temp_directory_path() / "sprout-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  f.home = pattern;
  platform::FileManager::setHomeDirectory(f.home);
  f.samples[kPNG] = encodePng(kSide, /*alpha=*/true);
  f.samples[kJPEG] = encodeJpeg(kSide);
  f.samples[kGIF] = encodeGif(kSide / 2, 4);
  f.samples[kWebP] = encodeWebp(kSide);
  f.samples[kTIFF] = encodeTiff(kSide, f.home + "/sample.tiff");
  for (int i = 0; i < kFormatCount; ++i) {
    if (!sprout::wi_imageWithData(f.samples[i]) || kRawDecoders[i](f.samples[i]) == 0) {
      std::fprintf(stderr, "bench: the %s sample does not decode\n", kFormatNames[i]);
      std::abort();
    }
  }
  f.cache = sprout::WIImageCache::create("bench");
  ImagePtr image = sprout::wi_imageWithData(f.samples[kPNG]);
  f.cache->storeImage(image, false, f.samples[kPNG], f.diskKeys[0], true);
  f.cache->storeImage(sprout::wi_imageWithData(f.samples[kJPEG]), false, f.samples[kJPEG],
                      f.diskKeys[1], true);
  f.cache->ioQueue()->sync([] {});
}

void tearDown(Fixture& f) {
  f.cache->ioQueue()->sync([] {});
  f.cache.reset();
  platform::RunLoop::main().runPending();
  platform::FileManager::defaultManager().removeItem(f.home);
  platform::FileManager::setHomeDirectory("");
}

}  // namespace

int main(int argc, char** argv) {
  platform::RunLoop::bindMainToCurrentThread();
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
