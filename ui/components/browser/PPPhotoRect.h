#pragma once

#include <memory>

#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/ImageView.h"

namespace sprout {

// Where a picture sits when fitted into the main screen: scaled to fit, never more than three
// times enlarged, centred on whole points. The zero rectangle for no picture or an empty one.
class PPPhotoRect {
 public:
  static platform::Rect setMaxMinZoomScalesForCurrentBoundWithImage(
      const std::shared_ptr<platform::Image>& image);
  static platform::Rect setMaxMinZoomScalesForCurrentBoundWithImageView(
      const std::shared_ptr<platform::ImageView>& imageView);
};

}  // namespace sprout
