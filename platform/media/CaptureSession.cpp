#include "platform/media/CaptureSession.h"

#include <algorithm>

namespace platform {

std::shared_ptr<CaptureSession> CaptureSession::create() {
  return std::shared_ptr<CaptureSession>(new CaptureSession());
}

bool CaptureSession::canAddInput(const std::shared_ptr<CaptureDeviceInput>& input) const {
  if (!input || !input->device()) return false;
  return std::none_of(inputs_.begin(), inputs_.end(), [&](const auto& in) {
    return in == input || in->device() == input->device() ||
           in->device()->hasMediaType(kMediaTypeVideo);
  });
}

bool CaptureSession::addInput(const std::shared_ptr<CaptureDeviceInput>& input) {
  if (!canAddInput(input)) return false;
  inputs_.push_back(input);
  return true;
}

void CaptureSession::removeInput(const std::shared_ptr<CaptureDeviceInput>& input) {
  std::erase(inputs_, input);
}

bool CaptureSession::canAddOutput(const std::shared_ptr<CaptureStillImageOutput>& output) const {
  return output && output->session_.expired() &&
         std::find(outputs_.begin(), outputs_.end(), output) == outputs_.end();
}

bool CaptureSession::addOutput(const std::shared_ptr<CaptureStillImageOutput>& output) {
  if (!canAddOutput(output)) return false;
  output->session_ = weak_from_this();
  outputs_.push_back(output);
  return true;
}

void CaptureSession::removeOutput(const std::shared_ptr<CaptureStillImageOutput>& output) {
  if (!output || std::find(outputs_.begin(), outputs_.end(), output) == outputs_.end()) return;
  output->session_.reset();
  std::erase(outputs_, output);
}

void CaptureSession::commitConfiguration() {
  if (configuring_ == 0) return;
  if (--configuring_ == 0) ++commits_;
}

std::shared_ptr<CaptureDevice> CaptureSession::videoDevice() const {
  for (const auto& input : inputs_) {
    if (input->device()->hasMediaType(kMediaTypeVideo)) return input->device();
  }
  return nullptr;
}

}  // namespace platform
