// What another project writes against an installed Sprout: a picture encoded by the platform
// layer, read back through the image layer, and a digest from the foundation.
#include <cstdio>

#include "images/WIImageMultiFormat.h"
#include "platform/foundation/Digest.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageEncoder.h"

int main() {
  auto bitmap =
      platform::Bitmap::create(3, 2, std::vector<std::uint32_t>(6, 0xFF00FF00),
                               platform::AlphaInfo::NoneSkipFirst, platform::ColorModel::RGB);
  auto png = bitmap ? platform::encodePNG(*bitmap) : std::nullopt;
  auto image = png ? sprout::wi_imageWithData(*png) : nullptr;
  if (!image || image->bitmap()->width() != 3 || image->bitmap()->pixel(2, 1) != 0xFF00FF00) {
    std::fprintf(stderr, "consumer: the picture did not come back\n");
    return 1;
  }
  if (platform::md5Hex("sprout").size() != 32) return 1;
  std::printf("consumer: %dx%d\n", image->bitmap()->width(), image->bitmap()->height());
  return 0;
}
