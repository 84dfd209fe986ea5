#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Status.h"
#include "platform/foundation/URL.h"
#include "platform/graphics/Image.h"
#include "platform/media/Asset.h"
#include "platform/media/AssetsGroup.h"
#include "platform/media/AssetsLibraryError.h"

namespace platform {

enum class AuthorizationStatus { NotDetermined = 0, Restricted = 1, Denied = 2, Authorized = 3 };

// The album that holds the camera's and the app's saved photos.
inline constexpr char kSavedPhotosAlbumName[] = "相机胶卷";

// The photo library over FileManager::photosDirectory(): each folder an album (the saved-photos
// album "相机胶卷" enumerated last, the others by name), each image or video file an asset (by
// extension; hidden files are not part of it). Nothing is ever read or written through a symbolic
// link: a linked album or file is refused, and so is a save into a linked saved-photos album. The
// listing is kept and read again when a folder changes. Results come on the main queue. Main
// thread only.
class AssetsLibrary {
 public:
  using GroupBlock = std::function<void(const std::shared_ptr<AssetsGroup>& group, bool& stop)>;
  using FailureBlock = std::function<void(const Error& error)>;
  using AssetBlock = std::function<void(const std::shared_ptr<Asset>& asset)>;
  using WriteBlock = std::function<void(std::optional<URL> url, std::optional<Error> error)>;

  // Authorized unless set otherwise (the person's answer stands in as a setting).
  static AuthorizationStatus authorizationStatus();
  static void setAuthorizationStatus(AuthorizationStatus status);

  // Every album whose type is in `types`, then a null group to mark the end. Without access the
  // failure block alone is called.
  void enumerateGroupsWithTypes(unsigned types, GroupBlock block, FailureBlock failure) const;
  // The asset the URL names, or nullptr when it names none (any other URL included).
  void assetForURL(const URL& url, AssetBlock result, FailureBlock failure) const;
  // Encodes `image` as JPEG into the saved-photos album under a fresh name; fails when the album
  // is not a folder of the library (a link included).
  void writeImageToSavedPhotosAlbum(const std::shared_ptr<Image>& image, WriteBlock completion);

  // The same, synchronously: what the asynchronous forms deliver.
  static std::vector<std::shared_ptr<AssetsGroup>> listGroups();
  static std::shared_ptr<Asset> assetWithURL(const URL& url);

 private:
  static Status checkAccess();  // ok when the user let the app read the library
  static Status saveInto(const Data& jpeg, std::string* savedName);
};

}  // namespace platform
