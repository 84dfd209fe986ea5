#pragma once

#include "platform/foundation/Types.h"

namespace platform {

// One captured still as the camera hands it over: JPEG bytes carrying the sensor's EXIF
// orientation.
class SampleBuffer {
 public:
  explicit SampleBuffer(Data jpeg) : jpeg_(std::move(jpeg)) {}
  const Data& jpegData() const { return jpeg_; }

 private:
  Data jpeg_;
};

}  // namespace platform
