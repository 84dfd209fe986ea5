#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Where an asset lives: its album and file under the library's folder, and its place there.
struct AssetLocation {
  std::string photosPath;
  std::string album;
  std::string file;
  std::size_t groupIndex = 0;
  std::size_t fileIndex = 0;

  std::string path() const { return photosPath + "/" + album + "/" + file; }
};

}  // namespace platform
