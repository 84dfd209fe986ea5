#include "platform/graphics/BundleImages.h"

#include <cmath>
#include <map>
#include <mutex>
#include <vector>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Path.h"
#include "platform/graphics/DisplayScale.h"
#include "platform/graphics/Image.h"

namespace platform {
namespace {

// Bundles are shared per folder and live until exit, so their images are kept by folder.
struct LoadedImages {
  std::mutex mutex;
  std::map<std::string, std::shared_ptr<Image>> byKey;
};

LoadedImages& loadedImages() {
  static LoadedImages* const instance = new LoadedImages;  // lives until exit, like the bundles
  return *instance;
}

}  // namespace

std::shared_ptr<Image> imageNamed(const Bundle& bundle, const std::string& name) {
  if (name.empty()) return nullptr;
  const int screen = static_cast<int>(std::lround(DisplayScale::current()));
  const std::string key = bundle.bundlePath() + "\n" + name + "\n" + std::to_string(screen);
  LoadedImages& loaded = loadedImages();
  {
    std::lock_guard lock(loaded.mutex);
    if (auto it = loaded.byKey.find(key); it != loaded.byKey.end()) return it->second;
  }
  std::vector<std::string> files;
  if (!pathExtension(name).empty()) {
    files.push_back(name);
  } else {
    if (screen > 1) files.push_back(name + "@" + std::to_string(screen) + "x.png");
    for (int scale = 3; scale >= 2; --scale) {
      if (scale != screen) files.push_back(name + "@" + std::to_string(scale) + "x.png");
    }
    files.push_back(name + ".png");
  }
  for (const std::string& file : files) {
    const auto path = bundle.pathForResource(file, "");
    if (!path) continue;
    if (auto image = Image::contentsOfFile(*path)) {
      std::lock_guard lock(loaded.mutex);
      loaded.byKey[key] = image;
      return image;
    }
  }
  return nullptr;
}

}  // namespace platform
