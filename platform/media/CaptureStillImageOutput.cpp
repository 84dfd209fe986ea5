#include "platform/media/CaptureStillImageOutput.h"

#include "platform/graphics/ImageEncoder.h"
#include "platform/media/CaptureSession.h"

namespace platform {
namespace {

// An APP1 segment holding only IFD0's Orientation tag, put right after the JPEG's SOI.
Data withExifOrientation(Data jpeg, int orientation) {
  const std::uint8_t app1[] = {0xFF, 0xE1,
                               0x00, 0x22,
                               'E',  'x',
                               'i',  'f',
                               0,    0,  // marker, length 34, "Exif\0\0"
                               'M',  'M',
                               0x00, 0x2A,
                               0,    0,
                               0,    8,     // big-endian TIFF, IFD0 at 8
                               0x00, 0x01,  // one entry
                               0x01, 0x12,
                               0x00, 0x03,
                               0,    0,
                               0,    1,  // Orientation, SHORT, count 1
                               0x00, static_cast<std::uint8_t>(orientation),
                               0,    0,  // the value, padded
                               0,    0,
                               0,    0};  // no next IFD
  if (jpeg.size() < 2) return jpeg;
  jpeg.insert(jpeg.begin() + 2, std::begin(app1), std::end(app1));
  return jpeg;
}

Error captureError(long code, const char* what) {
  return Error::make(kCaptureErrorDomain, code, what);
}

}  // namespace

CaptureStillImageOutput::CaptureStillImageOutput()
    : settings_{{kVideoCodecKey, kVideoCodecJPEG}},
      queue_(DispatchQueue::createSerial("sprout.capture.still")),
      pending_(std::make_shared<std::atomic<int>>(0)) {}

std::shared_ptr<CaptureStillImageOutput> CaptureStillImageOutput::create() {
  return std::shared_ptr<CaptureStillImageOutput>(new CaptureStillImageOutput());
}

std::vector<std::shared_ptr<CaptureConnection>> CaptureStillImageOutput::connections() const {
  std::vector<std::shared_ptr<CaptureConnection>> list;
  auto session = session_.lock();
  if (!session) return list;
  for (const auto& input : session->inputs()) {
    list.push_back(std::make_shared<CaptureConnection>(input, input->ports()));
  }
  return list;
}

std::shared_ptr<CaptureConnection> CaptureStillImageOutput::connectionWithMediaType(
    const std::string& type) const {
  for (const auto& connection : connections()) {
    for (const auto& port : connection->inputPorts()) {
      if (port.mediaType == type) return connection;
    }
  }
  return nullptr;
}

bool CaptureStillImageOutput::isCapturingStillImage() const { return pending_->load() > 0; }

void CaptureStillImageOutput::captureStillImageAsynchronously(
    const std::shared_ptr<CaptureConnection>& connection, Completion completion) {
  std::shared_ptr<CaptureDevice> device;
  auto session = session_.lock();
  if (connection && session && session->isRunning() && connection->input()) {
    device = connection->input()->device();
  }
  ++*pending_;
  queue_->async([device, pending = pending_, completion = std::move(completion)] {
    std::shared_ptr<SampleBuffer> buffer;
    std::optional<Error> error;
    ImageOrientation orientation = ImageOrientation::Up;
    auto frame = device ? device->captureFrame(&orientation) : nullptr;
    auto jpeg = frame ? encodeJPEG(*frame, 0.92) : std::nullopt;
    if (!device) {
      error = captureError(kCaptureNoConnectionError, "No active video connection");
    } else if (!jpeg) {
      error = captureError(kCaptureNoFrameError, "The camera gave no frame");
    } else {
      buffer = std::make_shared<SampleBuffer>(
          withExifOrientation(std::move(*jpeg), exifFromOrientation(orientation)));
    }
    --*pending;
    if (completion) completion(std::move(buffer), std::move(error));
  });
}

std::optional<Data> CaptureStillImageOutput::jpegStillImageNSDataRepresentation(
    const std::shared_ptr<SampleBuffer>& buffer) {
  if (!buffer) return std::nullopt;
  return buffer->jpegData();
}

}  // namespace platform
