#include "ui/components/photos/PPPhotoPickerDatas.h"

#include <mutex>

#include "platform/dispatch/DispatchQueue.h"

namespace sprout {

std::shared_ptr<platform::AssetsLibrary> PPPhotoPickerDatas::defaultAssetsLibrary() {
  static std::once_flag once;
  static std::shared_ptr<platform::AssetsLibrary> library;
  std::call_once(once, [] { library = std::make_shared<platform::AssetsLibrary>(); });
  return library;
}

std::shared_ptr<PPPhotoPickerDatas> PPPhotoPickerDatas::defaultPicker() {
  return std::make_shared<PPPhotoPickerDatas>();
}

const std::shared_ptr<platform::AssetsLibrary>& PPPhotoPickerDatas::library() {
  if (!library_) library_ = defaultAssetsLibrary();
  return library_;
}

void PPPhotoPickerDatas::getAllGroupAllPhotos(bool allPhotos, GroupsBlock callBack) {
  auto groups = std::make_shared<std::vector<std::shared_ptr<PPPhotoPickerGroup>>>();
  library()->enumerateGroupsWithTypes(
      platform::AssetsGroupAll,
      [groups, allPhotos, callBack = std::move(callBack)](
          const std::shared_ptr<platform::AssetsGroup>& group, bool&) {
        if (!group) {
          if (callBack) callBack(std::move(*groups));
          return;
        }
        group->setAssetsFilter(allPhotos ? platform::AssetsFilter::AllPhotos
                                         : platform::AssetsFilter::AllVideos);
        auto record = PPPhotoPickerGroup::create();
        record->setGroup(group);
        record->setGroupName(group->name());
        record->setThumbImage(group->posterImage());
        record->setAssetsCount(static_cast<long>(group->numberOfAssets()));
        groups->push_back(std::move(record));
      },
      nullptr);
}

void PPPhotoPickerDatas::getGroupPhotosWithGroup(const std::shared_ptr<PPPhotoPickerGroup>& group,
                                                 AssetsBlock finished) {
  if (!group || !group->group()) return;
  std::vector<std::shared_ptr<platform::Asset>> assets;
  assets.reserve(group->group()->numberOfAssets());
  group->group()->enumerateAssets(
      [&](const std::shared_ptr<platform::Asset>& asset, std::size_t, bool&) {
        if (asset) {
          assets.push_back(asset);
        } else if (finished) {
          finished(std::move(assets));
        }
      });
}

void PPPhotoPickerDatas::getAssetsPhotoWithURLs(const platform::URL& url, ImageBlock callBack) {
  library()->assetForURL(
      url,
      [callBack = std::move(callBack)](const std::shared_ptr<platform::Asset>& asset) {
        auto image = asset ? asset->defaultRepresentation()->fullScreenImage() : nullptr;
        platform::DispatchQueue::main()->async([callBack, image] {
          if (callBack) callBack(image);
        });
      },
      nullptr);
}

}  // namespace sprout
