#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/media/AssetsLibrary.h"
#include "ui/components/photos/PPPhotoPickerGroup.h"

namespace sprout {

// Reads albums and photos for the picker's screens from the one shared library. Results arrive
// on the main thread. Without access to the library no block is called: the album list checks the
// authorisation itself before asking.
class PPPhotoPickerDatas {
 public:
  using GroupsBlock = std::function<void(std::vector<std::shared_ptr<PPPhotoPickerGroup>>)>;
  using AssetsBlock = std::function<void(std::vector<std::shared_ptr<platform::Asset>>)>;
  using ImageBlock = std::function<void(std::shared_ptr<platform::Image>)>;

  static std::shared_ptr<platform::AssetsLibrary> defaultAssetsLibrary();
  // A new fetcher each call, over the shared library.
  static std::shared_ptr<PPPhotoPickerDatas> defaultPicker();

  const std::shared_ptr<platform::AssetsLibrary>& library();

  void getAllGroupWithPhotos(GroupsBlock callBack) {
    getAllGroupAllPhotos(true, std::move(callBack));
  }
  void getAllGroupWithVideos(GroupsBlock callBack) {
    getAllGroupAllPhotos(false, std::move(callBack));
  }
  // Every album in the library's order, filtered to photos (or videos), once enumeration ends.
  void getAllGroupAllPhotos(bool allPhotos, GroupsBlock callBack);
  // The album's assets under its filter, in library order.
  void getGroupPhotosWithGroup(const std::shared_ptr<PPPhotoPickerGroup>& group,
                               AssetsBlock finished);
  // The full-screen image of the asset the URL names (nullptr when none), on the main queue.
  void getAssetsPhotoWithURLs(const platform::URL& url, ImageBlock callBack);

 private:
  std::shared_ptr<platform::AssetsLibrary> library_;
};

}  // namespace sprout
