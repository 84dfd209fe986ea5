#include "ui/components/photos/PPPhotoAssets.h"

#include <sstream>
#include <vector>

#include "platform/graphics/ImageEncoder.h"
#include "platform/ui/Device.h"

namespace sprout {
namespace {

std::vector<long> versionNumbers(const std::string& version) {
  std::vector<long> numbers;
  std::istringstream in(version);
  std::string part;
  while (std::getline(in, part, '.')) {
    char* end = nullptr;
    const long n = std::strtol(part.c_str(), &end, 10);
    numbers.push_back(end == part.c_str() ? 0 : n);
  }
  return numbers;
}

}  // namespace

std::shared_ptr<PPPhotoAssets> PPPhotoAssets::create(std::shared_ptr<platform::Asset> asset) {
  auto record = std::make_shared<PPPhotoAssets>();
  record->asset_ = std::move(asset);
  return record;
}

std::shared_ptr<PPPhotoAssets> PPPhotoAssets::createWithImage(
    std::shared_ptr<platform::Image> image) {
  auto record = std::make_shared<PPPhotoAssets>();
  record->image_ = std::move(image);
  return record;
}

bool PPPhotoAssets::isVideoType() const {
  return asset_ && asset_->type() == platform::kAssetTypeVideo;
}

bool PPPhotoAssets::prefersSquareThumbnail(const std::string& systemVersion) {
  auto numbers = versionNumbers(systemVersion);
  numbers.resize(std::max<std::size_t>(numbers.size(), 2), 0);
  return numbers < std::vector<long>{9, 0};
}

std::shared_ptr<platform::Image> PPPhotoAssets::thumbImage() const {
  if (!asset_) return image_;
  return thumbImage(asset_, prefersSquareThumbnail());
}

bool PPPhotoAssets::prefersSquareThumbnail() {
  return prefersSquareThumbnail(platform::Device::current().systemVersion());
}

std::shared_ptr<platform::Image> PPPhotoAssets::thumbImage(
    const std::shared_ptr<platform::Asset>& asset, bool square) {
  return square ? asset->thumbnail() : asset->aspectRatioThumbnail();
}

std::shared_ptr<platform::Image> PPPhotoAssets::compressionImage() const {
  auto full = originImage();
  if (!full) return nullptr;
  auto jpeg = platform::encodeJPEG(*full, 0.1);
  return jpeg ? platform::Image::fromData(*jpeg) : nullptr;
}

std::shared_ptr<platform::Image> PPPhotoAssets::originImage() const {
  return asset_ ? asset_->defaultRepresentation()->fullScreenImage() : image_;
}

std::shared_ptr<platform::Image> PPPhotoAssets::fullResolutionImage() const {
  if (!asset_) return image_;
  auto rep = asset_->defaultRepresentation();
  return platform::Image::create(rep->fullResolutionImage(), rep->scale(), rep->orientation());
}

std::optional<platform::URL> PPPhotoAssets::assetURL() const {
  if (!asset_) return std::nullopt;
  return asset_->url();  // what the default representation answers, without making one
}

bool isSamePhoto(const PPPhotoAssets* a, const PPPhotoAssets* b) {
  if (!a || !b) return false;
  if (a == b) return true;
  const auto url = a->assetURL();
  return url && url == b->assetURL();
}

}  // namespace sprout
