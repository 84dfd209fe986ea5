#include "ui/components/browser/PPPhotoPickerBrowserPhoto.h"

#include "images/WIImageMultiFormat.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/NotificationCenter.h"

namespace sprout {

std::shared_ptr<PPPhotoPickerBrowserPhoto> PPPhotoPickerBrowserPhoto::photoAnyImageObjWith(
    PhotoObject object) {
  auto item = std::make_shared<PPPhotoPickerBrowserPhoto>();
  item->setPhotoObj(std::move(object));
  return item;
}

void PPPhotoPickerBrowserPhoto::setPhotoObj(PhotoObject object) {
  photoObj_ = std::move(object);
  if (const auto* record = std::get_if<std::shared_ptr<PPPhotoAssets>>(&photoObj_)) {
    asset_ = *record;
  } else if (const auto* url = std::get_if<platform::URL>(&photoObj_)) {
    photoURL_ = *url;
  } else if (const auto* image = std::get_if<std::shared_ptr<platform::Image>>(&photoObj_)) {
    photoImage_ = *image;
  } else if (const auto* path = std::get_if<std::string>(&photoObj_)) {
    photoPath_ = *path;
  }
}

std::shared_ptr<platform::Image> PPPhotoPickerBrowserPhoto::photoImage() {
  if (!photoImage_ && asset_) photoImage_ = asset_->originImage();
  return photoImage_;
}

std::shared_ptr<platform::Image> PPPhotoPickerBrowserPhoto::thumbImage() {
  if (!thumbImage_) thumbImage_ = asset_ ? asset_->thumbImage() : photoImage_;
  return thumbImage_;
}

void PPPhotoPickerBrowserPhoto::loadImageFromFileAsync(const std::string& path) {
  auto data = platform::FileManager::defaultManager().contentsAtPath(path);
  photoImage_ = data ? wi_imageWithData(*data) : nullptr;
}

void PPPhotoPickerBrowserPhoto::notify(const char* name, bool loading,
                                       platform::Dictionary userInfo) {
  auto self = shared_from_this();
  platform::DispatchQueue::main()->async([self, name, loading, userInfo = std::move(userInfo)] {
    self->isLoading_ = loading;
    platform::NotificationCenter::defaultCenter().post(name, self, userInfo);
  });
}

void PPPhotoPickerBrowserPhoto::notifyImageDidStartLoad() {
  notify(kPPPhotoImageDidStartLoadNotification, true, {});
}

void PPPhotoPickerBrowserPhoto::notifyImageDidFinishLoad() {
  notify(kPPPhotoImageDidFinishLoadNotification, false, {});
}

void PPPhotoPickerBrowserPhoto::notifyImageDidFailLoadWithError(
    std::optional<platform::Error> error) {
  platform::Dictionary info;
  if (error) info["error"] = *error;
  notify(kPPPhotoImageDidFailLoadWithErrorNotification, false, std::move(info));
}

}  // namespace sprout
