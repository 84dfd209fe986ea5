#include "platform/media/CaptureDeviceInput.h"

namespace platform {

CaptureDeviceInput::CaptureDeviceInput(std::shared_ptr<CaptureDevice> device)
    : device_(std::move(device)), ports_{CaptureInputPort{kMediaTypeVideo}} {}

std::shared_ptr<CaptureDeviceInput> CaptureDeviceInput::deviceInputWithDevice(
    const std::shared_ptr<CaptureDevice>& device, std::optional<Error>* error) {
  if (!device) {
    if (error) *error = Error::make(kCaptureErrorDomain, kCaptureNoFrameError, "No capture device");
    return nullptr;
  }
  return std::shared_ptr<CaptureDeviceInput>(new CaptureDeviceInput(device));
}

}  // namespace platform
