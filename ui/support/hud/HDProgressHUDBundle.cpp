#include "ui/support/hud/HDProgressHUDBundle.h"

#include <cmath>
#include <map>
#include <mutex>
#include <vector>

#include "images/WIImageGIF.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Path.h"
#include "platform/ui/Screen.h"

namespace sprout {
namespace {

struct Candidate {
  std::string file;
  double scale;
};

std::vector<Candidate> candidates(const std::string& name) {
  const int screen = static_cast<int>(std::lround(platform::Screen::main().scale()));
  std::vector<Candidate> out;
  if (screen > 1) out.push_back({name + "@" + std::to_string(screen) + "x.png", double(screen)});
  for (int scale = 3; scale >= 2; --scale) {
    if (scale != screen)
      out.push_back({name + "@" + std::to_string(scale) + "x.png", double(scale)});
  }
  out.push_back({name + ".png", 1.0});
  return out;
}

}  // namespace

std::string HDProgressHUDBundlePath() {
  return platform::appendingPathComponent(WIImageResourceDirectory(), "HDProgressHUD");
}

std::shared_ptr<platform::Image> HDProgressHUDBundleImage(const std::string& name) {
  static std::mutex mutex;
  static std::map<std::string, std::shared_ptr<platform::Image>> loaded;
  const std::string bundle = HDProgressHUDBundlePath();
  const std::string key =
      bundle + "\n" + name + "\n" + std::to_string(platform::Screen::main().scale());
  {
    std::lock_guard lock(mutex);
    if (auto it = loaded.find(key); it != loaded.end()) return it->second;
  }
  const auto& files = platform::FileManager::defaultManager();
  for (const Candidate& candidate : candidates(name)) {
    auto data = files.contentsAtPath(platform::appendingPathComponent(bundle, candidate.file));
    if (!data) continue;
    if (auto image = platform::Image::fromData(*data, candidate.scale)) {
      std::lock_guard lock(mutex);
      loaded[key] = image;
      return image;
    }
  }
  return nullptr;
}

}  // namespace sprout
