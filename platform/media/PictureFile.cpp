#include "platform/media/PictureFile.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/media/AssetsLibraryError.h"
#include "platform/media/LibraryFolder.h"

namespace platform {

Result<std::shared_ptr<PictureFile>> PictureFile::open(const std::string& photosPath,
                                                       const std::string& album,
                                                       const std::string& file,
                                                       std::uint64_t maxBytes) {
  using R = Result<std::shared_ptr<PictureFile>>;
  auto root = LibraryFolder::openRoot(photosPath);
  if (!root) return R::failure(root.error());
  auto folder = LibraryFolder::openAlbum(root.value().get(), album, false);
  if (!folder) return R::failure(folder.error());
  auto fd = LibraryFolder::openFile(folder.value().get(), file);
  if (!fd) return R::failure(fd.error());
  struct stat st {};
  if (::fstat(fd.value().get(), &st) != 0) {
    return R::failure(Error::posix(errno, "Cannot read \"" + file + "\""));
  }
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (size > maxBytes) {
    return R::failure(Error::make(kAssetsLibraryErrorDomain, kAssetsLibraryDataUnavailableError,
                                  "\"" + file + "\" is " + std::to_string(size) +
                                      " bytes, more than any picture of the library may be (" +
                                      std::to_string(maxBytes) + ")"));
  }
  std::FILE* stream = ::fdopen(fd.value().get(), "rb");
  if (!stream) return R::failure(Error::posix(errno, "Cannot read \"" + file + "\""));
  fd.value().release();
  std::shared_ptr<PictureFile> picture(new PictureFile(stream, size, file));
  std::uint8_t head[16] = {};
  const std::size_t got = std::fread(head, 1, sizeof head, stream);
  picture->format_ = sniffImageFormat(head, got);
  return R::success(std::move(picture));
}

PictureFile::~PictureFile() { std::fclose(stream_); }

std::FILE* PictureFile::stream() {
  std::rewind(stream_);
  return stream_;
}

Result<Data> PictureFile::readAll() {
  Data data(static_cast<std::size_t>(size_));
  std::FILE* in = stream();
  const std::size_t got = data.empty() ? 0 : std::fread(data.data(), 1, data.size(), in);
  // A file that shrank meanwhile gives what is left; one that grew is not read past its size.
  data.resize(got);
  if (std::ferror(in))
    return Result<Data>::failure(Error::posix(EIO, "Cannot read \"" + name_ + "\""));
  return Result<Data>::success(std::move(data));
}

}  // namespace platform
