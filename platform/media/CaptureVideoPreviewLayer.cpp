#include "platform/media/CaptureVideoPreviewLayer.h"

#include <cairo.h>

#include <algorithm>

#include "platform/graphics/ImageOrientation.h"

namespace platform {

std::shared_ptr<CaptureVideoPreviewLayer> CaptureVideoPreviewLayer::layerWithSession(
    std::shared_ptr<CaptureSession> session) {
  auto layer = std::shared_ptr<CaptureVideoPreviewLayer>(new CaptureVideoPreviewLayer());
  layer->session_ = std::move(session);
  layer->setBackgroundColor(Color::black());
  layer->setMasksToBounds(true);
  return layer;
}

std::shared_ptr<Layer> CaptureVideoPreviewLayer::makeCopy() const {
  auto copy = std::shared_ptr<CaptureVideoPreviewLayer>(new CaptureVideoPreviewLayer());
  copy->copyPropertiesFrom(*this);
  copy->session_ = session_;
  copy->gravity_ = gravity_;
  return copy;
}

void CaptureVideoPreviewLayer::setVideoGravity(VideoGravity gravity) {
  gravity_ = gravity;
  setNeedsDisplay();
}

Rect CaptureVideoPreviewLayer::pictureRect(Size picture) const {
  const Rect b = bounds();
  if (gravity_ == VideoGravity::Resize || picture.width <= 0 || picture.height <= 0) return b;
  const double sx = b.size.width / picture.width, sy = b.size.height / picture.height;
  const double s = gravity_ == VideoGravity::ResizeAspectFill ? std::max(sx, sy) : std::min(sx, sy);
  const double w = picture.width * s, h = picture.height * s;
  return makeRect(b.origin.x + (b.size.width - w) / 2, b.origin.y + (b.size.height - h) / 2, w, h);
}

Point CaptureVideoPreviewLayer::captureDevicePointOfInterestForPoint(const Point& p) const {
  auto device = session_ ? session_->videoDevice() : nullptr;
  auto frame = device ? device->previewFrame() : nullptr;
  const Size picture = frame ? Size{double(frame->width()), double(frame->height())}
                             : Size{bounds().size.width, bounds().size.height};
  const Rect r = pictureRect(picture);
  if (r.size.width <= 0 || r.size.height <= 0) return {0.5, 0.5};
  const double u = std::clamp((p.x - r.origin.x) / r.size.width, 0.0, 1.0);
  const double v = std::clamp((p.y - r.origin.y) / r.size.height, 0.0, 1.0);
  // The sensor's frame is the picture turned back a quarter (shown turned clockwise).
  const Point stored = displayToStoredTransform(ImageOrientation::Right, 1, 1).apply(Point{u, v});
  return {std::clamp(stored.x, 0.0, 1.0), std::clamp(stored.y, 0.0, 1.0)};
}

void CaptureVideoPreviewLayer::renderContent(cairo_t* cr) const {
  if (!session_ || !session_->isRunning()) return;
  auto device = session_->videoDevice();
  auto frame = device ? device->previewFrame() : nullptr;
  if (!frame) return;
  const Rect r = pictureRect(Size{double(frame->width()), double(frame->height())});
  cairo_save(cr);
  cairo_rectangle(cr, bounds().origin.x, bounds().origin.y, bounds().size.width,
                  bounds().size.height);
  cairo_clip(cr);
  cairo_surface_t* surface = cairo_image_surface_create_for_data(
      reinterpret_cast<unsigned char*>(const_cast<std::uint32_t*>(frame->pixels())),
      CAIRO_FORMAT_ARGB32, frame->width(), frame->height(), static_cast<int>(frame->stride()));
  cairo_translate(cr, r.origin.x, r.origin.y);
  cairo_scale(cr, r.size.width / frame->width(), r.size.height / frame->height());
  cairo_set_source_surface(cr, surface, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
  cairo_paint(cr);
  cairo_surface_destroy(surface);
  cairo_restore(cr);
}

}  // namespace platform
