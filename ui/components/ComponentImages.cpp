#include "ui/components/ComponentImages.h"

#include <cmath>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "images/WIImageGIF.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Path.h"
#include "platform/ui/Screen.h"

namespace sprout {
namespace {

std::vector<std::pair<std::string, double>> candidates(const std::string& name, int screen) {
  std::vector<std::pair<std::string, double>> out;
  if (screen > 1) out.emplace_back(name + "@" + std::to_string(screen) + "x.png", screen);
  for (int scale = 3; scale >= 2; --scale) {
    if (scale != screen) out.emplace_back(name + "@" + std::to_string(scale) + "x.png", scale);
  }
  out.emplace_back(name + ".png", 1.0);
  return out;
}

}  // namespace

std::shared_ptr<platform::Image> componentImageNamed(const std::string& name) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<platform::Image>> loaded;
  // A name is a plain file name of the resources, never a path.
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") {
    return nullptr;
  }
  const std::string folder = WIImageResourceDirectory();
  const int screen = static_cast<int>(std::lround(platform::Screen::main().scale()));
  const std::string key = folder + "\n" + name + "\n" + std::to_string(screen);
  {
    std::lock_guard lock(mutex);
    if (auto it = loaded.find(key); it != loaded.end()) return it->second;
  }
  const auto& files = platform::FileManager::defaultManager();
  for (const auto& [file, scale] : candidates(name, screen)) {
    auto data = files.contentsAtPath(platform::appendingPathComponent(folder, file));
    if (!data) continue;
    if (auto image = platform::Image::fromData(*data, scale)) {
      std::lock_guard lock(mutex);
      loaded[key] = image;
      return image;
    }
  }
  return nullptr;
}

}  // namespace sprout
