#include "platform/media/Asset.h"

#include <cmath>

#include "platform/foundation/Log.h"
#include "platform/graphics/Context.h"
#include "platform/media/AssetsGroup.h"
#include "platform/media/ScaledDecode.h"

namespace platform {

Asset::Asset(AssetLocation location, bool video) : location_(std::move(location)), video_(video) {}

const URL& Asset::url() const {
  std::call_once(urlOnce_, [this] {
    url_ = std::make_unique<const URL>(
        AssetsGroup::assetURL(location_.groupIndex, location_.fileIndex, location_.file));
  });
  return *url_;
}

std::shared_ptr<Image> Asset::thumbnail() const { return thumbnailOf(true); }

std::shared_ptr<Image> Asset::aspectRatioThumbnail() const { return thumbnailOf(false); }

std::shared_ptr<Image> Asset::thumbnailOf(bool square) const {
  if (video_) return videoPlaceholder(kThumbnailPixels);
  auto file = PictureFile::open(location_.photosPath(), location_.album, location_.file);
  if (!file) {
    log(LogLevel::Error, "media", file.error().localizedDescription());
    return nullptr;
  }
  return decodeImageFitting(
      *file.value(), [](int, int) { return kThumbnailPixels; }, square);
}

std::shared_ptr<AssetRepresentation> Asset::defaultRepresentation() const {
  return std::make_shared<AssetRepresentation>(location_, url(), video_);
}

std::shared_ptr<Image> Asset::videoPlaceholder(int pixels) {
  auto context = Context::createBitmap(pixels, pixels, AlphaInfo::NoneSkipFirst);
  if (!context) return nullptr;
  cairo_t* cr = context->cairo();
  cairo_set_source_rgb(cr, 0.18, 0.18, 0.2);
  cairo_paint(cr);
  // A play mark in a ring, so a video is told from a photo at a glance.
  const double c = pixels / 2.0, r = pixels * 0.22;
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_set_line_width(cr, pixels * 0.03);
  cairo_arc(cr, c, c, r, 0, 2 * M_PI);
  cairo_stroke(cr);
  cairo_move_to(cr, c - r * 0.35, c - r * 0.5);
  cairo_line_to(cr, c + r * 0.55, c);
  cairo_line_to(cr, c - r * 0.35, c + r * 0.5);
  cairo_close_path(cr);
  cairo_fill(cr);
  return context->makeImage();
}

}  // namespace platform
