#pragma once

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "ui/components/photos/PPPhotoAssets.h"

namespace sprout {

inline constexpr char kPPPhotoImageDidStartLoadNotification[] = "PPPhotoImageDidStartLoad";
inline constexpr char kPPPhotoImageDidFinishLoadNotification[] = "PPPhotoImageDidFinishLoad";
inline constexpr char kPPPhotoImageDidFailLoadWithErrorNotification[] =
    "PPPhotoImageDidFailLoadWithError";

// One page's worth of the photo browser, made from whatever the opener has: a library record, a
// URL (web or "assets-library"), a file path or an image.
class PPPhotoPickerBrowserPhoto : public std::enable_shared_from_this<PPPhotoPickerBrowserPhoto> {
 public:
  using PhotoObject = std::variant<std::monostate, std::shared_ptr<PPPhotoAssets>, platform::URL,
                                   std::shared_ptr<platform::Image>, std::string>;

  static std::shared_ptr<PPPhotoPickerBrowserPhoto> photoAnyImageObjWith(PhotoObject object);

  const PhotoObject& photoObj() const { return photoObj_; }
  // Stores the object and fills the one source it is; a null record or image fills none.
  void setPhotoObj(PhotoObject object);
  const std::shared_ptr<PPPhotoAssets>& asset() const { return asset_; }
  const std::optional<platform::URL>& photoURL() const { return photoURL_; }
  const std::string& photoPath() const { return photoPath_; }
  // Read from the record on first use when none is stored.
  std::shared_ptr<platform::Image> photoImage();
  void setPhotoImage(std::shared_ptr<platform::Image> image) { photoImage_ = std::move(image); }
  bool hasPhotoImage() const { return photoImage_ != nullptr; }
  std::shared_ptr<platform::Image> thumbImage();
  void setThumbImage(std::shared_ptr<platform::Image> image) { thumbImage_ = std::move(image); }
  const std::shared_ptr<platform::Button>& loadOriginButton() const { return loadOriginButton_; }
  void setLoadOriginButton(std::shared_ptr<platform::Button> b) {
    loadOriginButton_ = std::move(b);
  }
  const std::shared_ptr<platform::ImageView>& toView() const { return toView_; }
  void setToView(std::shared_ptr<platform::ImageView> v) { toView_ = std::move(v); }
  bool isSelected() const { return isSelected_; }
  void setIsSelected(bool v) { isSelected_ = v; }
  bool isLoading() const { return isLoading_; }

  // Reads the file now, on this thread; an unreadable file leaves no image.
  void loadImageFromFileAsync(const std::string& path);
  void loadImageFromURLAsync(const platform::URL&) {}
  // Each sets isLoading on the main queue and posts its notification with this item.
  void notifyImageDidStartLoad();
  void notifyImageDidFinishLoad();
  void notifyImageDidFailLoadWithError(std::optional<platform::Error> error);

 private:
  void notify(const char* name, bool loading, platform::Dictionary userInfo);

  PhotoObject photoObj_;
  std::shared_ptr<PPPhotoAssets> asset_;
  std::optional<platform::URL> photoURL_;
  std::string photoPath_;
  std::shared_ptr<platform::Image> photoImage_;
  std::shared_ptr<platform::Image> thumbImage_;
  std::shared_ptr<platform::Button> loadOriginButton_;
  std::shared_ptr<platform::ImageView> toView_;
  bool isSelected_ = false;
  bool isLoading_ = false;
};

}  // namespace sprout
