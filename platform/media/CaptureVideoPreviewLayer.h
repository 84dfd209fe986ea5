#pragma once

#include <memory>

#include "platform/animation/Layer.h"
#include "platform/media/CaptureSession.h"

namespace platform {

enum class VideoGravity { Resize, ResizeAspect, ResizeAspectFill };

// Shows what the session's camera sees, upright, while the session runs (black otherwise).
class CaptureVideoPreviewLayer : public Layer {
 public:
  static std::shared_ptr<CaptureVideoPreviewLayer> layerWithSession(
      std::shared_ptr<CaptureSession> session);

  const std::shared_ptr<CaptureSession>& session() const { return session_; }
  VideoGravity videoGravity() const { return gravity_; }
  void setVideoGravity(VideoGravity gravity);

  // A point of this layer as the camera's point of interest: 0...1 on each axis of the sensor's
  // frame (0, 0 at its top left as stored), through the gravity's fit. Clamped to 0...1.
  Point captureDevicePointOfInterestForPoint(const Point& layerPoint) const;

  void renderContent(cairo_t* cr) const override;

 protected:
  CaptureVideoPreviewLayer() = default;
  std::shared_ptr<Layer> makeCopy() const override;

 private:
  // Where the upright picture of `pictureSize` lies in the bounds.
  Rect pictureRect(Size pictureSize) const;

  std::shared_ptr<CaptureSession> session_;
  VideoGravity gravity_ = VideoGravity::ResizeAspect;
};

}  // namespace platform
