#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/Status.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/ImageOrientation.h"

namespace platform {

inline constexpr char kMediaTypeVideo[] = "vide";
inline constexpr char kMediaTypeAudio[] = "soun";
inline constexpr char kCaptureErrorDomain[] = "AVFoundationErrorDomain";
inline constexpr long kCaptureDeviceLockedError = -11817;
inline constexpr long kCaptureNoConnectionError = -11803;
inline constexpr long kCaptureNoFrameError = -11800;

enum class CaptureDevicePosition { Unspecified = 0, Back = 1, Front = 2 };
enum class CaptureFlashMode { Off = 0, On = 1, Auto = 2 };
enum class CaptureFocusMode { Locked = 0, AutoFocus = 1, ContinuousAutoFocus = 2 };

// A simulated camera. Its sensor gives landscape frames, tagged with the orientation a phone's
// sensor gives them when held upright (EXIF 6: turn clockwise to show); the frames come from image
// files (a portrait file is laid on its side as a sensor would see it) or from a generated test
// pattern. Settings change only between lockForConfiguration and unlockForConfiguration, and only
// to what the device supports; anything else is refused (false), never a crash. The frame source
// is thread-safe; the settings belong to the main thread.
class CaptureDevice {
 public:
  static std::shared_ptr<CaptureDevice> create(std::string uniqueID, CaptureDevicePosition position,
                                               bool hasFlash);

  // The attached cameras: by default a back camera with flash and a front one without.
  static std::vector<std::shared_ptr<CaptureDevice>> devicesWithMediaType(const std::string& type);
  static std::shared_ptr<CaptureDevice> defaultDeviceWithMediaType(const std::string& type);
  static void setDevices(std::vector<std::shared_ptr<CaptureDevice>> devices);
  static void resetDevices();

  const std::string& uniqueID() const { return uniqueID_; }
  CaptureDevicePosition position() const { return position_; }
  bool hasMediaType(const std::string& type) const { return type == kMediaTypeVideo; }

  // nullopt on success; fails while the device is set to refuse (setLockFails) or already locked.
  Status lockForConfiguration();
  void unlockForConfiguration() { locked_ = false; }
  bool isLockedForConfiguration() const { return locked_; }
  void setLockFails(bool fails) { lockFails_ = fails; }

  bool hasFlash() const { return hasFlash_; }
  bool isFlashModeSupported(CaptureFlashMode mode) const;
  CaptureFlashMode flashMode() const { return flashMode_; }
  bool setFlashMode(CaptureFlashMode mode);

  bool isFocusModeSupported(CaptureFocusMode mode) const;
  CaptureFocusMode focusMode() const { return focusMode_; }
  bool setFocusMode(CaptureFocusMode mode);
  bool isFocusPointOfInterestSupported() const { return focusSupported_; }
  Point focusPointOfInterest() const { return focusPoint_; }
  bool setFocusPointOfInterest(Point point);  // each axis 0...1
  void setFocusSupported(bool supported) { focusSupported_ = supported; }

  // The frame source. Files are read in turn, one a frame; an undecodable file gives no frame.
  void setImageFiles(std::vector<std::string> paths);
  void setTestPattern(int sensorWidth, int sensorHeight);
  // The next sensor frame (landscape, as stored) and its orientation; nullptr when none.
  std::shared_ptr<const Bitmap> captureFrame(ImageOrientation* orientation);
  // What the preview shows: the current frame upright. nullptr when there is none.
  std::shared_ptr<const Bitmap> previewFrame();

 private:
  CaptureDevice(std::string uniqueID, CaptureDevicePosition position, bool hasFlash);
  std::shared_ptr<const Bitmap> frameLocked();

  std::string uniqueID_;
  CaptureDevicePosition position_;
  bool hasFlash_;
  bool locked_ = false;
  bool lockFails_ = false;
  bool focusSupported_ = true;
  CaptureFlashMode flashMode_ = CaptureFlashMode::Off;
  CaptureFocusMode focusMode_ = CaptureFocusMode::ContinuousAutoFocus;
  Point focusPoint_{0.5, 0.5};

  std::mutex mutex_;
  std::vector<std::string> files_;
  std::size_t nextFile_ = 0;
  int patternWidth_ = 1920, patternHeight_ = 1080;
  std::shared_ptr<const Bitmap> frame_;    // the last frame, as stored
  std::shared_ptr<const Bitmap> upright_;  // the same, upright
};

}  // namespace platform
