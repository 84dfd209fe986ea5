#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace platform {

// Where an asset lives: its album and file under the library's folder, and its place there.
struct AssetLocation {
  // Shared by every asset of a listing: an album's thousand assets carry one copy.
  std::shared_ptr<const std::string> photos;
  std::string album;
  std::string file;
  std::size_t groupIndex = 0;
  std::size_t fileIndex = 0;

  const std::string& photosPath() const { return *photos; }
  std::string path() const { return *photos + "/" + album + "/" + file; }
};

}  // namespace platform
