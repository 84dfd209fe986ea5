#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/foundation/Error.h"
#include "platform/foundation/Types.h"
#include "platform/graphics/ImageSource.h"

namespace platform {

// One photo of the library, open for reading. A JPEG decoder streams it (it reads only up to the
// picture's end, so padding and junk after it cost nothing); other formats are read whole. A file
// larger than any picture could be is refused before anything is read.
class PictureFile {
 public:
  static constexpr std::uint64_t kMaxBytes = 256ull << 20;

  // Photos/<album>/<file> under `photosPath`, reached without following a link.
  static Result<std::shared_ptr<PictureFile>> open(const std::string& photosPath,
                                                   const std::string& album,
                                                   const std::string& file,
                                                   std::uint64_t maxBytes = kMaxBytes);
  ~PictureFile();
  PictureFile(const PictureFile&) = delete;
  PictureFile& operator=(const PictureFile&) = delete;

  std::uint64_t size() const { return size_; }
  // From the leading bytes.
  ImageFormat format() const { return format_; }
  // Rewound to the first byte.
  std::FILE* stream();
  Result<Data> readAll();

 private:
  PictureFile(std::FILE* stream, std::uint64_t size, std::string name)
      : stream_(stream), size_(size), name_(std::move(name)) {}

  std::FILE* stream_;
  std::uint64_t size_;
  std::string name_;
  ImageFormat format_ = ImageFormat::Unknown;
};

}  // namespace platform
