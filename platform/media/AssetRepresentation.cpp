#include "platform/media/AssetRepresentation.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/media/Asset.h"
#include "platform/media/PictureFile.h"
#include "platform/media/ScaledDecode.h"
#include "platform/ui/Screen.h"

namespace platform {
namespace {

std::shared_ptr<PictureFile> openLogged(const AssetLocation& at) {
  auto file = PictureFile::open(at.photosPath(), at.album, at.file);
  if (!file) log(LogLevel::Error, "media", file.error().localizedDescription());
  return file ? file.value() : nullptr;
}

}  // namespace

AssetRepresentation::AssetRepresentation(AssetLocation location, URL url, bool video)
    : location_(std::move(location)), url_(std::move(url)), video_(video) {}

std::int64_t AssetRepresentation::size() const {
  auto entry = FileManager::defaultManager().attributesOfItem(location_.path());
  return entry ? static_cast<std::int64_t>(entry->fileSize) : 0;
}

ImageOrientation AssetRepresentation::orientation() const {
  if (video_) return ImageOrientation::Up;
  auto file = openLogged(location_);
  return file ? orientationFromExif(jpegExifOrientation(*file)) : ImageOrientation::Up;
}

std::shared_ptr<const Bitmap> AssetRepresentation::fullResolutionImage() const {
  if (video_) return Asset::videoPlaceholder(Asset::kThumbnailPixels)->bitmap();
  auto file = openLogged(location_);
  return file ? decodeStoredPixels(*file) : nullptr;
}

std::shared_ptr<Image> AssetRepresentation::fullScreenImage() const {
  if (video_) return Asset::videoPlaceholder(Asset::kThumbnailPixels);
  auto file = openLogged(location_);
  if (!file) return nullptr;
  const Screen& screen = Screen::main();
  const Size px{screen.bounds().size.width * screen.scale(),
                screen.bounds().size.height * screen.scale()};
  // The shown size from the header alone, so the decode is asked for no more than the screen.
  return decodeImageFitting(
      *file,
      [px](int w, int h) {
        const double fit = std::min({1.0, px.width / w, px.height / h});
        return static_cast<int>(std::lround(std::max(w, h) * fit));
      },
      false);
}

}  // namespace platform
