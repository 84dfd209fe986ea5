#include "platform/graphics/ExifOrientation.h"

#include <libexif/exif-data.h>

#include <cstring>
#include <memory>

namespace platform {
namespace {

struct ExifDataUnref {
  void operator()(ExifData* data) const { exif_data_unref(data); }
};

}  // namespace

std::optional<int> exifOrientationFromApp1(const std::uint8_t* payload, std::size_t length) {
  static constexpr char kHeader[] = "Exif\0\0";
  // libexif would otherwise go looking for JPEG markers in anything that is not EXIF.
  if (payload == nullptr || length < 14 || std::memcmp(payload, kHeader, 6) != 0) {
    return std::nullopt;
  }
  if (length > 0xFFFF) return std::nullopt;  // one APP1 segment never holds more
  std::unique_ptr<ExifData, ExifDataUnref> data(exif_data_new());
  if (!data) return std::nullopt;
  // Reading only: no filling in of tags the standard calls mandatory.
  exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
  exif_data_load_data(data.get(), payload, static_cast<unsigned int>(length));
  ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
  if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 ||
      entry->data == nullptr || entry->size < 2) {
    return std::nullopt;
  }
  const int value = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
  if (value < 1 || value > 8) return std::nullopt;
  return value;
}

}  // namespace platform
