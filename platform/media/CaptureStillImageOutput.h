#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/dispatch/DispatchQueue.h"
#include "platform/foundation/Error.h"
#include "platform/media/CaptureDeviceInput.h"
#include "platform/media/SampleBuffer.h"

namespace platform {

class CaptureSession;

inline constexpr char kVideoCodecKey[] = "AVVideoCodecKey";
inline constexpr char kVideoCodecJPEG[] = "jpeg";

// Takes stills from the session's video input. A capture completes on the output's own serial
// queue, never on the main thread, with a sample buffer or an error (and a null buffer).
class CaptureStillImageOutput : public std::enable_shared_from_this<CaptureStillImageOutput> {
 public:
  using Completion =
      std::function<void(std::shared_ptr<SampleBuffer> buffer, std::optional<Error> error)>;

  static std::shared_ptr<CaptureStillImageOutput> create();

  const std::map<std::string, std::string>& outputSettings() const { return settings_; }
  void setOutputSettings(std::map<std::string, std::string> settings) {
    settings_ = std::move(settings);
  }
  // One connection per video input of the session the output is in; none outside a session.
  std::vector<std::shared_ptr<CaptureConnection>> connections() const;
  std::shared_ptr<CaptureConnection> connectionWithMediaType(const std::string& type) const;
  bool isCapturingStillImage() const;

  void captureStillImageAsynchronously(const std::shared_ptr<CaptureConnection>& connection,
                                       Completion completion);
  // nullopt for a null buffer.
  static std::optional<Data> jpegStillImageNSDataRepresentation(
      const std::shared_ptr<SampleBuffer>& buffer);

 private:
  friend class CaptureSession;
  CaptureStillImageOutput();

  std::map<std::string, std::string> settings_;
  std::weak_ptr<CaptureSession> session_;
  std::shared_ptr<DispatchQueue> queue_;
  std::shared_ptr<std::atomic<int>> pending_;
};

}  // namespace platform
