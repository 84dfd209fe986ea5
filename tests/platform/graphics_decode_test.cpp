// Decoding the committed samples (resources/samples, drawn by make_samples.cpp): sizes, declared
// alpha and colour model, and colours at spots the generator documents.
#include <gtest/gtest.h>

#include "graphics_support.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageOrientation.h"
#include "platform/graphics/ImageSource.h"

using namespace platform;
using graphics_test::colorNear;
using graphics_test::decodeFrame;
using graphics_test::samePixels;
using graphics_test::sample;

namespace {

constexpr std::uint32_t kSky = 0x428CDE;  // top row of the landscape's sky gradient
constexpr std::uint32_t kFColour = 0x1B5E20;
constexpr std::uint32_t kFBackground = 0xF4EBD0;

struct Expected {
  const char* name;
  ImageFormat format;
  int width, height;
  AlphaInfo alpha;
  ColorModel model;
};

// The upright F picture as displayed: the F where it belongs and background where it does not.
void expectUprightF(const Bitmap& shown, const std::string& what) {
  ASSERT_EQ(shown.width(), 120) << what;
  ASSERT_EQ(shown.height(), 80) << what;
  EXPECT_TRUE(colorNear(shown.pixel(28, 60), kFColour, 24)) << what << " stem";
  EXPECT_TRUE(colorNear(shown.pixel(80, 16), kFColour, 24)) << what << " top bar";
  EXPECT_TRUE(colorNear(shown.pixel(100, 40), kFBackground, 24)) << what << " right";
  EXPECT_TRUE(colorNear(shown.pixel(55, 60), kFBackground, 24)) << what << " below the bar";
  EXPECT_TRUE(colorNear(shown.pixel(8, 8), 0xE53935, 40)) << what << " corner mark";
}

}  // namespace

TEST(GraphicsSniff, RecognisesEachFormatByItsLeadingBytes) {
  struct Case {
    std::vector<std::uint8_t> bytes;
    ImageFormat format;
  };
  const std::vector<Case> cases = {
      {{0xFF, 0xD8, 0xFF, 0xE0}, ImageFormat::JPEG},
      {{0xFF, 0xD8, 0xFF}, ImageFormat::JPEG},
      {{0xFF, 0xD8}, ImageFormat::Unknown},
      {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, ImageFormat::PNG},
      {{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A}, ImageFormat::Unknown},
      {{'G', 'I', 'F', '8', '9', 'a'}, ImageFormat::GIF},
      {{'G', 'I', 'F', '8'}, ImageFormat::GIF},
      {{'G', 'I', 'F', '7'}, ImageFormat::Unknown},
      {{'I', 'I', '*', 0}, ImageFormat::TIFF},
      {{'M', 'M', 0, '*'}, ImageFormat::TIFF},
      {{'M', 'M', '*', 0}, ImageFormat::Unknown},
      // The RIFF size bytes are anything, including values with the top bit set.
      {{'R', 'I', 'F', 'F', 0x80, 0xFF, 0x90, 0xA0, 'W', 'E', 'B', 'P'}, ImageFormat::WebP},
      {{'R', 'I', 'F', 'F', 0x24, 0, 0, 0, 'W', 'E', 'B', 'P', 'V', 'P', '8'}, ImageFormat::WebP},
      {{'R', 'I', 'F', 'F', 0x24, 0, 0, 0, 'W', 'A', 'V', 'E'}, ImageFormat::Unknown},
      {{'R', 'I', 'F', 'F', 0x24, 0, 0, 0, 'W', 'E', 'B'}, ImageFormat::Unknown},
      {{}, ImageFormat::Unknown},
      {{'<', 'h', 't', 'm', 'l', '>'}, ImageFormat::Unknown},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(sniffImageFormat(c.bytes.data(), c.bytes.size()), c.format)
        << "case with " << c.bytes.size() << " bytes";
  }
  EXPECT_EQ(sniffImageFormat(nullptr, 10), ImageFormat::Unknown);
}

TEST(GraphicsDecode, EverySampleHasItsSizeAlphaAndColourModel) {
  const Expected samples[] = {
      {"rgba_alpha.png", ImageFormat::PNG, 128, 128, AlphaInfo::Last, ColorModel::RGB},
      {"rgb_opaque.png", ImageFormat::PNG, 160, 120, AlphaInfo::None, ColorModel::RGB},
      {"grey.png", ImageFormat::PNG, 160, 120, AlphaInfo::None, ColorModel::Monochrome},
      {"palette.png", ImageFormat::PNG, 120, 90, AlphaInfo::None, ColorModel::Indexed},
      {"interlaced.png", ImageFormat::PNG, 160, 120, AlphaInfo::None, ColorModel::RGB},
      {"baseline.jpg", ImageFormat::JPEG, 240, 180, AlphaInfo::NoneSkipLast, ColorModel::RGB},
      {"progressive.jpg", ImageFormat::JPEG, 240, 180, AlphaInfo::NoneSkipLast, ColorModel::RGB},
      {"grey.jpg", ImageFormat::JPEG, 160, 120, AlphaInfo::NoneSkipLast, ColorModel::Monochrome},
      {"cmyk_adobe.jpg", ImageFormat::JPEG, 160, 120, AlphaInfo::NoneSkipLast, ColorModel::CMYK},
      {"single.gif", ImageFormat::GIF, 64, 48, AlphaInfo::PremultipliedFirst, ColorModel::RGB},
      {"animated.gif", ImageFormat::GIF, 80, 60, AlphaInfo::PremultipliedFirst, ColorModel::RGB},
      {"lossy.webp", ImageFormat::WebP, 160, 120, AlphaInfo::NoneSkipLast, ColorModel::RGB},
      {"lossless_alpha.webp", ImageFormat::WebP, 128, 128, AlphaInfo::PremultipliedFirst,
       ColorModel::RGB},
      {"rgb.tiff", ImageFormat::TIFF, 120, 90, AlphaInfo::NoneSkipLast, ColorModel::RGB},
      {"orientation_6.tiff", ImageFormat::TIFF, 80, 120, AlphaInfo::NoneSkipLast, ColorModel::RGB},
  };
  for (const Expected& e : samples) {
    SCOPED_TRACE(e.name);
    auto source = ImageSource::create(sample(e.name));
    ASSERT_TRUE(source);
    EXPECT_EQ(source->format(), e.format);
    ASSERT_GE(source->count(), 1u);
    const auto properties = source->propertiesAt(0);
    ASSERT_TRUE(properties);
    EXPECT_EQ(properties->width, e.width);
    EXPECT_EQ(properties->height, e.height);
    auto frame = source->frameAt(0);
    ASSERT_TRUE(frame);
    const Bitmap& bitmap = *frame.value();
    EXPECT_EQ(bitmap.width(), e.width);
    EXPECT_EQ(bitmap.height(), e.height);
    EXPECT_EQ(bitmap.alphaInfo(), e.alpha);
    EXPECT_EQ(bitmap.colorModel(), e.model);
    EXPECT_EQ(bitmap.byteCount(), std::size_t(e.width) * e.height * 4);
  }
}

TEST(GraphicsDecode, ColoursAtKnownSpots) {
  auto icon = decodeFrame(sample("rgba_alpha.png"));
  ASSERT_TRUE(icon);
  EXPECT_EQ(icon->pixel(2, 2), 0u);
  EXPECT_TRUE(colorNear(icon->pixel(64, 8), 0xFFD94D, 3, 128));  // half-transparent halo
  EXPECT_TRUE(colorNear(icon->pixel(64, 90), 0x6D4C2F, 3));      // opaque stem
  EXPECT_TRUE(icon->hasAlpha());

  auto opaque = decodeFrame(sample("rgb_opaque.png"));
  ASSERT_TRUE(opaque);
  EXPECT_TRUE(colorNear(opaque->pixel(2, 0), kSky, 3));
  EXPECT_FALSE(opaque->hasAlpha());
  // Adam7 interlacing changes the byte order, never the picture.
  auto interlaced = decodeFrame(sample("interlaced.png"));
  ASSERT_TRUE(interlaced);
  EXPECT_TRUE(samePixels(*opaque, *interlaced));

  auto grey = decodeFrame(sample("grey.png"));
  ASSERT_TRUE(grey);
  EXPECT_TRUE(colorNear(grey->pixel(2, 0), 0x7F7F7F, 3));
  auto palette = decodeFrame(sample("palette.png"));
  ASSERT_TRUE(palette);
  EXPECT_TRUE(colorNear(palette->pixel(5, 5), 0x64B5F6, 0));
  EXPECT_TRUE(colorNear(palette->pixel(60, 80), 0x388E3C, 0));

  for (const char* name : {"baseline.jpg", "progressive.jpg"}) {
    auto jpeg = decodeFrame(sample(name));
    ASSERT_TRUE(jpeg) << name;
    EXPECT_TRUE(colorNear(jpeg->pixel(2, 0), kSky, 8)) << name;
    EXPECT_TRUE(colorNear(jpeg->pixel(220, 170), 0x58A23A, 24)) << name << " field";
  }
  auto greyJpeg = decodeFrame(sample("grey.jpg"));
  ASSERT_TRUE(greyJpeg);
  EXPECT_TRUE(colorNear(greyJpeg->pixel(2, 0), 0x7F7F7F, 6));
  // Stored inverted with the Adobe marker: read the wrong way round the sky would come out brown.
  auto cmyk = decodeFrame(sample("cmyk_adobe.jpg"));
  ASSERT_TRUE(cmyk);
  EXPECT_TRUE(colorNear(cmyk->pixel(2, 0), kSky, 12));

  auto lossy = decodeFrame(sample("lossy.webp"));
  ASSERT_TRUE(lossy);
  EXPECT_TRUE(colorNear(lossy->pixel(2, 0), kSky, 12));
  // Lossless WebP of the same picture as the RGBA PNG: identical premultiplied pixels.
  auto lossless = decodeFrame(sample("lossless_alpha.webp"));
  ASSERT_TRUE(lossless);
  EXPECT_TRUE(samePixels(*icon, *lossless));

  auto tiff = decodeFrame(sample("rgb.tiff"));
  ASSERT_TRUE(tiff);
  EXPECT_TRUE(colorNear(tiff->pixel(2, 0), kSky, 3));
  EXPECT_TRUE(colorNear(tiff->pixel(2, 88), 0x55A037, 24));  // the field, not flipped to the sky
}

TEST(GraphicsDecode, ExifOrientationFromJpegAndTiff) {
  for (int exif = 1; exif <= 8; ++exif) {
    const std::string name = "exif_orientation_" + std::to_string(exif) + ".jpg";
    auto source = ImageSource::create(sample(name));
    ASSERT_TRUE(source) << name;
    const auto properties = source->propertiesAt(0);
    ASSERT_TRUE(properties);
    EXPECT_EQ(properties->exifOrientation, exif) << name;
    // Stored pixels are as the camera wrote them: turned sideways for 5...8.
    EXPECT_EQ(properties->width, exif >= 5 ? 80 : 120) << name;
    auto frame = source->frameAt(0);
    ASSERT_TRUE(frame) << name;
    auto shown = orientBitmap(frame.value(), orientationFromExif(exif));
    expectUprightF(*shown, name);
  }
  auto tiff = ImageSource::create(sample("orientation_6.tiff"));
  ASSERT_TRUE(tiff);
  EXPECT_EQ(tiff->propertiesAt(0)->exifOrientation, 6);
  auto stored = tiff->frameAt(0);
  ASSERT_TRUE(stored);
  expectUprightF(*orientBitmap(stored.value(), ImageOrientation::Right), "orientation_6.tiff");

  EXPECT_FALSE(ImageSource::create(sample("baseline.jpg"))->propertiesAt(0)->exifOrientation);
  EXPECT_FALSE(ImageSource::create(sample("rgb_opaque.png"))->propertiesAt(0)->exifOrientation);
  EXPECT_EQ(orientationFromExif(0), ImageOrientation::Up);
  EXPECT_EQ(orientationFromExif(9), ImageOrientation::Up);
  for (int exif = 1; exif <= 8; ++exif)
    EXPECT_EQ(exifFromOrientation(orientationFromExif(exif)), exif);
}

TEST(GraphicsDecode, FromDataGivesTheFirstFrameUpright) {
  auto image = Image::fromData(sample("exif_orientation_6.jpg"), 2.0);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->orientation(), ImageOrientation::Up);
  EXPECT_EQ(image->scale(), 2.0);
  EXPECT_EQ(image->size(), (Size{40, 60}));
  auto gif = Image::fromData(sample("animated.gif"));
  ASSERT_TRUE(gif);
  EXPECT_FALSE(gif->isAnimated());
  EXPECT_EQ(gif->bitmap()->width(), 80);
  EXPECT_FALSE(Image::fromData(Data{'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'}));
  EXPECT_FALSE(Image::fromData(Data{}));
}
