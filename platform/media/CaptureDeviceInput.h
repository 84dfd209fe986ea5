#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/media/CaptureDevice.h"

namespace platform {

// One stream an input offers.
struct CaptureInputPort {
  std::string mediaType;
};

// A camera as a source of a session.
class CaptureDeviceInput {
 public:
  // nullptr (and `error` set when given) for a null device.
  static std::shared_ptr<CaptureDeviceInput> deviceInputWithDevice(
      const std::shared_ptr<CaptureDevice>& device, std::optional<Error>* error = nullptr);

  const std::shared_ptr<CaptureDevice>& device() const { return device_; }
  const std::vector<CaptureInputPort>& ports() const { return ports_; }

 private:
  explicit CaptureDeviceInput(std::shared_ptr<CaptureDevice> device);

  std::shared_ptr<CaptureDevice> device_;
  std::vector<CaptureInputPort> ports_;
};

// An input's ports joined to an output.
class CaptureConnection {
 public:
  CaptureConnection(std::shared_ptr<CaptureDeviceInput> input, std::vector<CaptureInputPort> ports)
      : input_(std::move(input)), ports_(std::move(ports)) {}
  const std::vector<CaptureInputPort>& inputPorts() const { return ports_; }
  const std::shared_ptr<CaptureDeviceInput>& input() const { return input_; }

 private:
  std::shared_ptr<CaptureDeviceInput> input_;
  std::vector<CaptureInputPort> ports_;
};

}  // namespace platform
