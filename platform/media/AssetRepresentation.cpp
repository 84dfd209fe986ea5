#include "platform/media/AssetRepresentation.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/FileManager.h"
#include "platform/graphics/ImageSource.h"
#include "platform/media/Asset.h"
#include "platform/media/ScaledDecode.h"
#include "platform/ui/Screen.h"

namespace platform {

AssetRepresentation::AssetRepresentation(std::string path, URL url, bool video)
    : path_(std::move(path)), url_(std::move(url)), video_(video) {}

std::string AssetRepresentation::filename() const {
  const auto slash = path_.find_last_of('/');
  return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

std::int64_t AssetRepresentation::size() const {
  auto entry = FileManager::defaultManager().attributesOfItem(path_);
  return entry ? static_cast<std::int64_t>(entry->fileSize) : 0;
}

ImageOrientation AssetRepresentation::orientation() const {
  if (video_) return ImageOrientation::Up;
  auto data = FileManager::defaultManager().contentsAtPath(path_);
  return data ? orientationFromExif(jpegExifOrientation(*data)) : ImageOrientation::Up;
}

std::shared_ptr<const Bitmap> AssetRepresentation::fullResolutionImage() const {
  if (video_) return Asset::videoPlaceholder(Asset::kThumbnailPixels)->bitmap();
  auto data = FileManager::defaultManager().contentsAtPath(path_);
  if (!data) return nullptr;
  auto source = ImageSource::create(std::move(*data));
  if (!source || source->count() == 0) return nullptr;
  auto frame = source->frameAt(0);
  return frame ? *frame.value : nullptr;
}

std::shared_ptr<Image> AssetRepresentation::fullScreenImage() const {
  if (video_) return Asset::videoPlaceholder(Asset::kThumbnailPixels);
  auto data = FileManager::defaultManager().contentsAtPath(path_);
  if (!data) return nullptr;
  // The shown size from the header alone, so the decode is asked for no more than the screen.
  auto source = ImageSource::create(*data);
  auto props = source ? source->propertiesAt(0) : std::nullopt;
  if (!props || props->width <= 0 || props->height <= 0) return nullptr;
  const bool turned = swapsWidthAndHeight(orientationFromExif(props->exifOrientation.value_or(1)));
  const double w = turned ? props->height : props->width;
  const double h = turned ? props->width : props->height;
  const Screen& screen = Screen::main();
  const Size px{screen.bounds().size.width * screen.scale(),
                screen.bounds().size.height * screen.scale()};
  const double fit = std::min({1.0, px.width / w, px.height / h});
  return decodeImageFitting(*data, static_cast<int>(std::lround(std::max(w, h) * fit)), false);
}

}  // namespace platform
