#include "ui/components/browser/PPPhotoRect.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/Screen.h"

namespace sprout {

platform::Rect PPPhotoRect::setMaxMinZoomScalesForCurrentBoundWithImage(
    const std::shared_ptr<platform::Image>& image) {
  if (!image) return {};
  const platform::Size size = image->size();
  if (size.width == 0 && size.height == 0) return {};
  const platform::Size screen = platform::Screen::main().bounds().size;
  const double s = std::min({screen.width / size.width, screen.height / size.height, 3.0});
  const double w = size.width * s, h = size.height * s;
  // Halved and floored in single precision, as the platform's float math does.
  const double x = w < screen.width ? std::floor(static_cast<float>((screen.width - w) * 0.5)) : 0;
  const double y =
      h < screen.height ? std::floor(static_cast<float>((screen.height - h) * 0.5)) : 0;
  return platform::makeRect(x, y, w, h);
}

platform::Rect PPPhotoRect::setMaxMinZoomScalesForCurrentBoundWithImageView(
    const std::shared_ptr<platform::ImageView>& imageView) {
  return setMaxMinZoomScalesForCurrentBoundWithImage(imageView ? imageView->image() : nullptr);
}

}  // namespace sprout
