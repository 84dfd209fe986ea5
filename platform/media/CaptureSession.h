#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/media/CaptureDeviceInput.h"
#include "platform/media/CaptureStillImageOutput.h"

namespace platform {

inline constexpr char kCaptureSessionPresetHigh[] = "AVCaptureSessionPresetHigh";
inline constexpr char kCaptureSessionPresetPhoto[] = "AVCaptureSessionPresetPhoto";

// Joins camera inputs to outputs. One camera at a time: an input whose device is already in, or
// a second video input, cannot be added; an output belongs to one session. Main thread only.
class CaptureSession : public std::enable_shared_from_this<CaptureSession> {
 public:
  static std::shared_ptr<CaptureSession> create();

  const std::string& sessionPreset() const { return preset_; }
  void setSessionPreset(std::string preset) { preset_ = std::move(preset); }

  const std::vector<std::shared_ptr<CaptureDeviceInput>>& inputs() const { return inputs_; }
  const std::vector<std::shared_ptr<CaptureStillImageOutput>>& outputs() const { return outputs_; }
  bool canAddInput(const std::shared_ptr<CaptureDeviceInput>& input) const;
  bool addInput(const std::shared_ptr<CaptureDeviceInput>& input);  // false when it cannot
  void removeInput(const std::shared_ptr<CaptureDeviceInput>& input);
  bool canAddOutput(const std::shared_ptr<CaptureStillImageOutput>& output) const;
  bool addOutput(const std::shared_ptr<CaptureStillImageOutput>& output);
  void removeOutput(const std::shared_ptr<CaptureStillImageOutput>& output);

  // Nested; a change inside applies at once here, so they only count (tests read them).
  void beginConfiguration() { ++configuring_; }
  void commitConfiguration();
  bool isConfiguring() const { return configuring_ > 0; }
  int commitCount() const { return commits_; }

  void startRunning() { running_ = true; }
  void stopRunning() { running_ = false; }
  bool isRunning() const { return running_; }

  // The camera of the first video input; nullptr when there is none.
  std::shared_ptr<CaptureDevice> videoDevice() const;

 private:
  CaptureSession() = default;

  std::string preset_ = kCaptureSessionPresetHigh;
  std::vector<std::shared_ptr<CaptureDeviceInput>> inputs_;
  std::vector<std::shared_ptr<CaptureStillImageOutput>> outputs_;
  int configuring_ = 0;
  int commits_ = 0;
  bool running_ = false;
};

}  // namespace platform
