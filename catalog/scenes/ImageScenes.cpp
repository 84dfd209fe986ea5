#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <string>
#include <vector>

#include "catalog/Scenes.h"
#include "images/WIImageCache.h"
#include "images/WIImageDecoding.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Path.h"

namespace catalog {
namespace {

std::string samplesDirectory() { return std::string(SPROUT_SOURCE_DIR) + "/resources/samples"; }

struct Sample {
  std::string name;
  platform::Data data;
};

// Every image file among the samples, in name order (the generator's sources are skipped).
std::vector<Sample> loadSamples() {
  auto& files = platform::FileManager::defaultManager();
  std::vector<Sample> samples;
  for (const auto& entry : files.enumerate(samplesDirectory(), true)) {
    if (entry.isDirectory) continue;
    auto data = files.contentsAtPath(entry.path);
    if (!data || !sprout::wi_contentTypeForImageData(*data)) continue;
    samples.push_back({platform::lastPathComponent(entry.path), std::move(*data)});
  }
  std::sort(samples.begin(), samples.end(),
            [](const Sample& a, const Sample& b) { return a.name < b.name; });
  return samples;
}

const char* orientationName(platform::ImageOrientation orientation) {
  static const char* kNames[] = {"up",          "down",          "left",          "right",
                                 "up-mirrored", "down-mirrored", "left-mirrored", "right-mirrored"};
  return kNames[static_cast<int>(orientation)];
}

const char* colorModelName(platform::ColorModel model) {
  switch (model) {
    case platform::ColorModel::Monochrome:
      return "grey";
    case platform::ColorModel::RGB:
      return "RGB";
    case platform::ColorModel::CMYK:
      return "CMYK";
    case platform::ColorModel::Indexed:
      return "indexed";
    default:
      return "other";
  }
}

std::string describe(const Sample& sample, const platform::Image& image) {
  const auto& bitmap = *image.bitmap();
  char text[256];
  std::snprintf(text, sizeof text, "%s\n%s, %dx%d px, orientation %s\n%s, %s", sample.name.c_str(),
                sprout::wi_contentTypeForImageData(sample.data)->c_str(), bitmap.width(),
                bitmap.height(), orientationName(image.orientation()),
                colorModelName(bitmap.colorModel()), bitmap.hasAlpha() ? "alpha" : "opaque");
  std::string caption = text;
  if (image.isAnimated()) {
    std::snprintf(text, sizeof text, "\n%zu frames over %.2f s", image.images().size(),
                  image.duration());
    caption += text;
  }
  return caption;
}

}  // namespace

void sceneDecodedSamples(Catalog& catalog) {
  for (const Sample& sample : loadSamples()) {
    auto image = sprout::wi_imageWithData(sample.data);
    if (!image) {
      catalog.addNote(sample.name + ": not decodable");
      continue;
    }
    catalog.addFrame(sample.name, *image, describe(sample, *image));
  }
}

void sceneAnimatedGIF(Catalog& catalog) {
  for (const Sample& sample : loadSamples()) {
    auto image = sprout::wi_imageWithData(sample.data);
    if (!image || !image->isAnimated()) continue;
    const auto& frames = image->images();
    // Each frame lasts the same share of the whole, as an animated image plays them.
    double perFrame = image->duration() / static_cast<double>(frames.size());
    for (std::size_t i = 0; i < frames.size(); ++i) {
      char caption[160];
      std::snprintf(caption, sizeof caption, "%s frame %zu of %zu\nshown from %.2f s",
                    sample.name.c_str(), i + 1, frames.size(), perFrame * static_cast<double>(i));
      catalog.addFrame(sample.name + "-frame-" + std::to_string(i + 1), *frames[i], caption);
    }
  }
}

namespace {

std::string diskListing(const sprout::WIImageCache& cache) {
  auto& files = platform::FileManager::defaultManager();
  auto entries = files.enumerate(cache.diskCachePath(), true);
  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return a.path < b.path; });
  std::string text;
  char line[256];
  for (const auto& entry : entries) {
    std::snprintf(line, sizeof line, "%-40s %7" PRIu64 " B %7" PRIu64 " B alloc%s\n",
                  platform::lastPathComponent(entry.path).c_str(), entry.fileSize,
                  entry.allocatedSize, files.isExcludedFromBackup(entry.path) ? "  no-backup" : "");
    text += line;
  }
  return text;
}

}  // namespace

void sceneDiskCacheReport(Catalog& catalog) {
  std::string home = catalog.outputDirectory() + "/home";
  platform::FileManager::defaultManager().removeItem(home);
  platform::FileManager::setHomeDirectory(home);
  auto cache = sprout::WIImageCache::create("catalog");

  std::string report = "Folder: Caches/catalog/com.brasswick.WIImageCache.catalog\n\nKeys:\n";
  std::vector<std::string> keys;
  for (const Sample& sample : loadSamples()) {
    keys.push_back("http://images.sprout.test/samples/" + sample.name);
    cache->ioQueue()->async(
        [cache, key = keys.back(), data = sample.data] { cache->storeImageDataToDisk(data, key); });
  }
  // A query string and an over-long suffix keep no extension on disk.
  keys.push_back("http://images.sprout.test/samples/photo.png?size=large");
  keys.push_back("http://images.sprout.test/samples/photo." + std::string(40, 'x'));
  for (std::size_t i = keys.size() - 2; i < keys.size(); ++i) {
    cache->ioQueue()->async([cache, key = keys[i]] {
      cache->storeImageDataToDisk(platform::Data{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A}, key);
    });
  }
  cache->ioQueue()->sync([] {});  // every write queued above is on disk
  for (const auto& key : keys) {
    report += "  " + key + "\n    -> " + sprout::WIImageCache::cachedFileNameForKey(key) + "\n";
  }
  char line[200];
  std::snprintf(line, sizeof line, "\nOn disk: %zu entries, %" PRIu64 " bytes\n",
                cache->getDiskCount(), cache->getSize());
  report += line + diskListing(*cache);

  // Trim to a size limit: the oldest files go until the total is below half of it.
  std::uint64_t allocated = 0;
  for (const auto& entry :
       platform::FileManager::defaultManager().enumerate(cache->diskCachePath(), true)) {
    allocated += entry.allocatedSize;
  }
  cache->setMaxCacheSize(allocated / 2);
  bool cleaned = false;
  cache->cleanDiskWithCompletionBlock([&cleaned] { cleaned = true; });
  platform::RunLoop::main().runUntil([&cleaned] { return cleaned; }, 30.0);
  std::snprintf(line, sizeof line,
                "\nAfter cleaning with maxCacheSize %" PRIu64 " (allocated bytes):\n%zu entries\n",
                cache->maxCacheSize(), cache->getDiskCount());
  report += line + diskListing(*cache);

  catalog.addFrame("report", *renderTextCard(report, 760), "Disk cache: names, sizes, trimming");
}

}  // namespace catalog
