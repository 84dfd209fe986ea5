#include "platform/media/CaptureDevice.h"

#include <cairo.h>

#include <cmath>

#include "platform/foundation/FileManager.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/media/ScaledDecode.h"

namespace platform {
namespace {

std::mutex gDevicesMutex;

std::vector<std::shared_ptr<CaptureDevice>> defaultDevices() {
  return {CaptureDevice::create("back-camera", CaptureDevicePosition::Back, true),
          CaptureDevice::create("front-camera", CaptureDevicePosition::Front, false)};
}

std::vector<std::shared_ptr<CaptureDevice>>& devices() {
  static std::vector<std::shared_ptr<CaptureDevice>> list = defaultDevices();
  return list;
}

// Upright colour bars with a white disc and a dark band near the top, so turns and crops show.
std::shared_ptr<const Bitmap> testPattern(int uprightWidth, int uprightHeight, bool front) {
  auto context = Context::createBitmap(uprightWidth, uprightHeight, AlphaInfo::NoneSkipFirst);
  if (!context) return nullptr;
  cairo_t* cr = context->cairo();
  const double bars[7][3] = {{0.75, 0.75, 0.75}, {0.75, 0.75, 0}, {0, 0.75, 0.75}, {0, 0.75, 0},
                             {0.75, 0, 0.75},    {0.75, 0, 0},    {0, 0, 0.75}};
  const double barWidth = uprightWidth / 7.0;
  for (int i = 0; i < 7; ++i) {
    cairo_set_source_rgb(cr, bars[i][0], bars[i][1], bars[i][2]);
    cairo_rectangle(cr, i * barWidth, 0, barWidth + 1, uprightHeight);
    cairo_fill(cr);
  }
  cairo_set_source_rgb(cr, 0.1, 0.1, 0.1);
  cairo_rectangle(cr, 0, uprightHeight * 0.08, uprightWidth, uprightHeight * 0.06);
  cairo_fill(cr);
  cairo_set_source_rgb(cr, front ? 1.0 : 0.95, front ? 0.6 : 0.95, front ? 0.2 : 0.95);
  cairo_arc(cr, uprightWidth / 2.0, uprightHeight / 2.0, uprightWidth * 0.18, 0, 2 * M_PI);
  cairo_fill(cr);
  return context->makeBitmap();
}

}  // namespace

CaptureDevice::CaptureDevice(std::string uniqueID, CaptureDevicePosition position, bool hasFlash)
    : uniqueID_(std::move(uniqueID)), position_(position), hasFlash_(hasFlash) {}

std::shared_ptr<CaptureDevice> CaptureDevice::create(std::string uniqueID,
                                                     CaptureDevicePosition position,
                                                     bool hasFlash) {
  return std::shared_ptr<CaptureDevice>(new CaptureDevice(std::move(uniqueID), position, hasFlash));
}

std::vector<std::shared_ptr<CaptureDevice>> CaptureDevice::devicesWithMediaType(
    const std::string& type) {
  if (type != kMediaTypeVideo) return {};
  std::lock_guard lock(gDevicesMutex);
  return devices();
}

std::shared_ptr<CaptureDevice> CaptureDevice::defaultDeviceWithMediaType(const std::string& type) {
  auto list = devicesWithMediaType(type);
  for (const auto& d : list) {
    if (d->position() == CaptureDevicePosition::Back) return d;
  }
  return list.empty() ? nullptr : list.front();
}

void CaptureDevice::setDevices(std::vector<std::shared_ptr<CaptureDevice>> list) {
  std::lock_guard lock(gDevicesMutex);
  devices() = std::move(list);
}

void CaptureDevice::resetDevices() { setDevices(defaultDevices()); }

Status CaptureDevice::lockForConfiguration() {
  if (lockFails_ || locked_) {
    return Error::make(kCaptureErrorDomain, kCaptureDeviceLockedError,
                       "The device could not be locked for configuration");
  }
  locked_ = true;
  return Status::ok();
}

bool CaptureDevice::isFlashModeSupported(CaptureFlashMode mode) const {
  return hasFlash_ || mode == CaptureFlashMode::Off;
}

bool CaptureDevice::setFlashMode(CaptureFlashMode mode) {
  if (!locked_ || !isFlashModeSupported(mode)) return false;
  flashMode_ = mode;
  return true;
}

bool CaptureDevice::isFocusModeSupported(CaptureFocusMode mode) const {
  return focusSupported_ || mode == CaptureFocusMode::Locked;
}

bool CaptureDevice::setFocusMode(CaptureFocusMode mode) {
  if (!locked_ || !isFocusModeSupported(mode)) return false;
  focusMode_ = mode;
  return true;
}

bool CaptureDevice::setFocusPointOfInterest(Point point) {
  if (!locked_ || !focusSupported_ || !(point.x >= 0 && point.x <= 1) ||
      !(point.y >= 0 && point.y <= 1)) {
    return false;
  }
  focusPoint_ = point;
  return true;
}

void CaptureDevice::setImageFiles(std::vector<std::string> paths) {
  std::lock_guard lock(mutex_);
  files_ = std::move(paths);
  nextFile_ = 0;
  frame_ = upright_ = nullptr;
}

void CaptureDevice::setTestPattern(int sensorWidth, int sensorHeight) {
  std::lock_guard lock(mutex_);
  files_.clear();
  patternWidth_ = sensorWidth;
  patternHeight_ = sensorHeight;
  frame_ = upright_ = nullptr;
}

std::shared_ptr<const Bitmap> CaptureDevice::frameLocked() {
  std::shared_ptr<const Bitmap> upright;
  if (files_.empty()) {
    upright = testPattern(patternHeight_, patternWidth_, position_ == CaptureDevicePosition::Front);
  } else {
    const std::string& path = files_[nextFile_++ % files_.size()];
    auto data = FileManager::defaultManager().contentsAtPath(path);
    auto image = data ? decodeImageFitting(*data, 1 << 14, false) : nullptr;
    upright = image ? image->bitmap() : nullptr;
  }
  if (!upright) {
    frame_ = upright_ = nullptr;
    return nullptr;
  }
  // A landscape picture is what the sensor saw already; a portrait one is laid on its side.
  const bool portrait = upright->height() > upright->width();
  frame_ = portrait ? orientBitmap(upright, ImageOrientation::Left) : upright;
  upright_ = portrait ? upright : orientBitmap(upright, ImageOrientation::Right);
  return frame_;
}

std::shared_ptr<const Bitmap> CaptureDevice::captureFrame(ImageOrientation* orientation) {
  std::lock_guard lock(mutex_);
  if (orientation) *orientation = ImageOrientation::Right;
  // A pattern does not change, so it is drawn once; files advance a frame each capture.
  if (files_.empty() && frame_) return frame_;
  return frameLocked();
}

std::shared_ptr<const Bitmap> CaptureDevice::previewFrame() {
  std::lock_guard lock(mutex_);
  if (!upright_ && (files_.empty() || nextFile_ == 0)) frameLocked();
  return upright_;
}

}  // namespace platform
