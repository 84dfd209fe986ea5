#include "ui/support/carousel/BCBannerPath.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/FileManager.h"

namespace sprout {
namespace {

namespace fs = std::filesystem;

bool startsWithNoCase(const std::string& text, const std::string& prefix) {
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
           return a == std::tolower(static_cast<unsigned char>(b));
         });
}

bool inside(const fs::path& file, const std::string& folder) {
  std::error_code ec;
  const fs::path root = fs::weakly_canonical(folder, ec);
  if (ec || root.empty()) return false;
  const auto [rootEnd, fileIt] = std::mismatch(root.begin(), root.end(), file.begin(), file.end());
  return rootEnd == root.end() && fileIt != file.end();
}

}  // namespace

bool bc_isRemoteBanner(const std::string& path) {
  return startsWithNoCase(path, "http://") || startsWithNoCase(path, "https://");
}

std::optional<std::string> bc_bannerFilePath(const std::string& path) {
  if (path.empty() || path.front() != '/') return std::nullopt;
  std::error_code ec;
  const fs::path file = fs::canonical(path, ec);  // resolves "..", links
  if (ec || !fs::is_regular_file(file, ec)) return std::nullopt;
  if (!inside(file, platform::Bundle::mainResourcesPath()) &&
      !inside(file, platform::FileManager::documentsDirectory())) {
    return std::nullopt;
  }
  return file.string();
}

}  // namespace sprout
