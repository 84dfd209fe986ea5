#pragma once

namespace sprout {

class SCCameraView;

class SCCameraViewDelegate {
 public:
  virtual ~SCCameraViewDelegate() = default;
  virtual void cameraDidSelected(SCCameraView& /*view*/) {}
};

}  // namespace sprout
