#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "images/WIImageDecoding.h"
#include "platform/foundation/FileManager.h"
#include "platform/graphics/ImageSource.h"
#include "platform/ui/Screen.h"
#include "tests/images/ImageTestSupport.h"
#include "tests/support/ScopedScreen.h"

namespace sprout::test {
namespace {

using platform::AlphaInfo;
using platform::ColorModel;
using platform::Data;
using platform::Image;
using platform::ImageOrientation;

// A RIFF header: the tag, four size bytes, the form.
Data riff(std::uint8_t s0, std::uint8_t s1, std::uint8_t s2, std::uint8_t s3,
          std::string_view form) {
  Data out = {'R', 'I', 'F', 'F', s0, s1, s2, s3};
  for (char c : form) out.push_back(static_cast<std::uint8_t>(c));
  return out;
}

TEST(WIImageContentTypeTest, SniffsTheLeadingBytes) {
  struct Case {
    Data bytes;
    std::optional<std::string> type;
  };
  // Exactly eleven bytes allocated, so a read of a twelfth is caught.
  const Data twelve = riff(0x24, 0x00, 0x00, 0x00, "WEBP");
  const Data elevenBytes(twelve.begin(), twelve.end() - 1);
  const std::vector<Case> cases = {
      {{0xFF, 0xD8, 0xFF, 0xE0}, "image/jpeg"},
      {{0x89, 'P', 'N', 'G'}, "image/png"},
      {{'G', 'I', 'F', '8', '9', 'a'}, "image/gif"},
      {{'I', 'I', 42, 0}, "image/tiff"},
      {{'M', 'M', 0, 42}, "image/tiff"},
      {riff(0x24, 0x00, 0x00, 0x00, "WEBP"), "image/webp"},
      // Size bytes of 0x80 and above are still binary size bytes, not broken text.
      {riff(0x80, 0xFF, 0x9A, 0xC3, "WEBP"), "image/webp"},
      {riff(0x24, 0x00, 0x00, 0x00, "WAVE"), std::nullopt},
      {elevenBytes, std::nullopt},
      {{'R'}, std::nullopt},
      {{'B', 'M', 0, 0}, std::nullopt},
      {{0x00, 0x00, 0x01, 0x00}, std::nullopt},
      {{}, std::nullopt},
  };
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(wi_contentTypeForImageData(cases[i].bytes), cases[i].type) << "case " << i;
  }
  EXPECT_EQ(wi_contentTypeForImageData(webpData(2, 2, kOpaqueRed)), "image/webp");
  EXPECT_EQ(wi_contentTypeForImageData(pngData(2, 2, kOpaqueRed, false)), "image/png");
  EXPECT_EQ(contentTypeForImageData(jpegData(2, 2, JpegColor::RGB)), "image/jpeg");
}

TEST(WIImageMultiFormatTest, MapsEveryExifOrientation) {
  const ImageOrientation expected[9] = {
      ImageOrientation::Up,           ImageOrientation::Up,
      ImageOrientation::UpMirrored,   ImageOrientation::Down,
      ImageOrientation::DownMirrored, ImageOrientation::LeftMirrored,
      ImageOrientation::Right,        ImageOrientation::RightMirrored,
      ImageOrientation::Left};
  for (int exif = 1; exif <= 8; ++exif) {
    EXPECT_EQ(wi_exifOrientationToiOSOrientation(exif), expected[exif]) << exif;
    // The same value carried in a JPEG's EXIF block: a 4×2 picture.
    const Data jpeg = jpegData(4, 2, JpegColor::RGB, exif);
    EXPECT_EQ(wi_imageOrientationFromImageData(jpeg), expected[exif]) << exif;
    auto image = wi_imageWithData(jpeg);
    ASSERT_NE(image, nullptr) << exif;
    EXPECT_EQ(image->orientation(), expected[exif]) << exif;
    const bool turned = exif >= 5;
    EXPECT_EQ(image->size().width, turned ? 2 : 4) << exif;
  }
  for (int other : {0, 9, -1, 255}) {
    EXPECT_EQ(wi_exifOrientationToiOSOrientation(other), ImageOrientation::Up) << other;
  }
  EXPECT_EQ(wi_imageOrientationFromImageData(jpegData(4, 2, JpegColor::RGB)), ImageOrientation::Up);
  EXPECT_EQ(wi_imageOrientationFromImageData(Data{1, 2, 3}), ImageOrientation::Up);
}

TEST(WIImageMultiFormatTest, DecodesEachFormatAtScaleOneAndRefusesBrokenOrHostileBytes) {
  auto png = wi_imageWithData(pngData(3, 2, 0x80FF0000, /*withAlpha=*/true));
  ASSERT_NE(png, nullptr);
  EXPECT_EQ(png->bitmap()->width(), 3);
  EXPECT_TRUE(png->bitmap()->hasAlpha());
  auto jpeg = wi_imageWithData(jpegData(5, 4, JpegColor::RGB));
  ASSERT_NE(jpeg, nullptr);
  EXPECT_FALSE(jpeg->bitmap()->hasAlpha());
  EXPECT_EQ(jpeg->size().width, 5);
  auto webp = wi_imageWithData(webpData(3, 3, kOpaqueBlue));
  ASSERT_NE(webp, nullptr);
  EXPECT_EQ(webp->bitmap()->pixel(1, 1), kOpaqueBlue);
  EXPECT_EQ(webp->scale(), 1.0);

  EXPECT_EQ(wi_imageWithData(Data{}), nullptr);
  EXPECT_EQ(wi_imageWithData(Data{0x00, 0x01, 0x02, 0x03, 0x04}), nullptr);
  EXPECT_EQ(wi_imageWithData(Data{0xFF, 0xD8, 0xFF}), nullptr);

  const Data pngBytes = pngData(64, 64, kOpaqueRed, false);
  EXPECT_EQ(wi_imageWithData(Data(pngBytes.begin(), pngBytes.begin() + pngBytes.size() / 2)),
            nullptr);

  auto huge = wi_decodeImageData(pngDeclaring(100000, 100000), WIImageDefaultDecodeLimits());
  ASSERT_FALSE(huge);
  EXPECT_FALSE(huge.error().localizedDescription().empty());

  // Thousands of frames of one pixel: over the frame budget, not a thousand-frame animation.
  auto many = wi_decodeImageData(gifData(1, 1, std::vector<GifFrame>(5000, GifFrame{2})),
                                 WIImageDefaultDecodeLimits());
  EXPECT_FALSE(many);

  // A budget is a budget: the same picture that decodes under the default is refused under less.
  platform::DecodeLimits tight = WIImageDefaultDecodeLimits();
  tight.maxPixels = 100;
  EXPECT_NE(wi_imageWithData(pngData(20, 20, kOpaqueRed, false)), nullptr);
  EXPECT_EQ(wi_imageWithData(pngData(20, 20, kOpaqueRed, false), tight), nullptr);
}

class WIImageGIFTest : public ::testing::Test {
 protected:
  platform::test::ScopedScreen screen_;  // the tests change the scale
};

TEST_F(WIImageGIFTest, SumsFrameDelaysByTheClampingRules) {
  // No timing at all: 0.1 per frame.
  auto plain = wi_animatedGIFWithData(gifData(4, 4, {{}, {std::nullopt, 1}, {std::nullopt, 2}}));
  ASSERT_NE(plain, nullptr);
  ASSERT_TRUE(plain->isAnimated());
  EXPECT_EQ(plain->images().size(), 3u);
  EXPECT_NEAR(plain->duration(), 0.3, 1e-6);

  // 0.01 s and 0 s are shown as 0.1 s; 0.02 s and 0.5 s stand.
  const Data timed = gifData(4, 4, {{1, 0}, {0, 1}, {2, 2}, {50, 3}});
  auto source = platform::ImageSource::create(timed);
  ASSERT_NE(source, nullptr);
  const float expected[4] = {0.1f, 0.1f, 0.02f, 0.5f};
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(wi_frameDurationAtIndex(i, *source), expected[i]) << i;
  }
  auto image = wi_animatedGIFWithData(timed);
  ASSERT_NE(image, nullptr);
  EXPECT_NEAR(image->duration(), 0.72, 1e-5);
  // Through the general entry point too: GIF bytes take the animated path.
  auto viaData = wi_imageWithData(timed);
  ASSERT_NE(viaData, nullptr);
  EXPECT_EQ(viaData->images().size(), 4u);
}

TEST_F(WIImageGIFTest, FramesTakeTheScreenScaleAreCompositedAndOneFrameIsStill) {
  platform::Screen::main().setScale(3.0);
  // Frame two paints only the top-left 2×2 of a red canvas blue.
  auto image = wi_animatedGIFWithData(gifData(6, 3, {{5, 0}, {5, 1, 0, 0, 2, 2}}));
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image->images().size(), 2u);
  for (const auto& frame : image->images()) {
    EXPECT_EQ(frame->scale(), 3.0);
    EXPECT_EQ(frame->orientation(), ImageOrientation::Up);
  }
  EXPECT_DOUBLE_EQ(image->size().width, 2.0);
  const auto& second = image->images()[1]->bitmap();
  EXPECT_EQ(second->width(), 6);
  EXPECT_EQ(second->pixel(0, 0), kOpaqueBlue);
  EXPECT_EQ(second->pixel(5, 2), kOpaqueRed);

  auto still = wi_animatedGIFWithData(gifData(6, 3, {{5, 1}}));
  ASSERT_NE(still, nullptr);
  EXPECT_FALSE(still->isAnimated());
  EXPECT_EQ(still->scale(), 1.0);
  EXPECT_EQ(still->bitmap()->pixel(0, 0), kOpaqueBlue);
  EXPECT_EQ(wi_animatedGIFWithData(Data{}), nullptr);
}

TEST_F(WIImageGIFTest, AMissingTrailerOrStrayBytesAfterTheLastFrameStillShowEveryFrame) {
  const Data whole = gifData(4, 4, {{10, 0}, {10, 1}, {10, 2}});
  ASSERT_EQ(whole.back(), 0x3B);  // the trailer
  const Data noTrailer(whole.begin(), whole.end() - 1);
  Data stray = noTrailer;
  const Data secondHeader = gifData(4, 4, {{10, 3}});
  stray.insert(stray.end(), secondHeader.begin(), secondHeader.end());

  for (const Data* data : {&noTrailer, static_cast<const Data*>(&stray)}) {
    auto source = platform::ImageSource::create(*data);
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(source->status());
    EXPECT_EQ(source->count(), 3u);
    auto image = wi_animatedGIFWithData(*data);
    ASSERT_NE(image, nullptr);
    ASSERT_EQ(image->images().size(), 3u);
    EXPECT_EQ(image->images()[0]->bitmap()->pixel(0, 0), kOpaqueRed);
    EXPECT_EQ(image->images()[2]->bitmap()->pixel(0, 0), kOpaqueGreen);
  }

  // Cut inside the last frame: that frame is missing, so the whole picture is still refused.
  const Data cutInFrame(whole.begin(), whole.end() - 4);
  EXPECT_EQ(wi_animatedGIFWithData(cutInFrame), nullptr);
  // A header and nothing else is no picture either.
  const Data headerOnly(whole.begin(), whole.begin() + 13 + 12);
  EXPECT_EQ(wi_animatedGIFWithData(headerOnly), nullptr);
}

TEST_F(WIImageGIFTest, NamedAnimationsPreferTheDoubleScaleFile) {
  TemporaryHome folder;
  auto write = [&](const std::string& name, const Data& data) {
    ASSERT_TRUE(
        platform::FileManager::defaultManager().writeFile(folder.path() + "/" + name, data));
  };
  write("spin@2x.gif", gifData(2, 2, {{5, 0}, {5, 1}, {5, 2}}));
  write("spin.gif", gifData(2, 2, {{5, 0}, {5, 1}}));
  write("plain.gif", gifData(2, 2, {{5, 0}, {5, 1}}));
  write("still.png", pngData(2, 2, kOpaqueGreen, false));
  // No other thread reads the environment while this test runs.
  setenv("SPROUT_RESOURCES", folder.path().c_str(), 1);  // NOLINT(concurrency-mt-unsafe)

  platform::Screen::main().setScale(2.0);
  auto doubled = wi_animatedGIFNamed("spin");
  ASSERT_NE(doubled, nullptr);
  EXPECT_EQ(doubled->images().size(), 3u);
  auto fallback = wi_animatedGIFNamed("plain");
  ASSERT_NE(fallback, nullptr);
  EXPECT_EQ(fallback->images().size(), 2u);
  platform::Screen::main().setScale(1.0);
  auto single = wi_animatedGIFNamed("spin");
  ASSERT_NE(single, nullptr);
  EXPECT_EQ(single->images().size(), 2u);

  auto still = wi_animatedGIFNamed("still");
  ASSERT_NE(still, nullptr);
  EXPECT_EQ(still->bitmap()->pixel(1, 1), kOpaqueGreen);
  EXPECT_EQ(wi_animatedGIFNamed("missing"), nullptr);
  unsetenv("SPROUT_RESOURCES");  // NOLINT(concurrency-mt-unsafe)
  EXPECT_TRUE(std::filesystem::is_directory(WIImageResourceDirectory()));
}

TEST(WIImageKeyScaleTest, ReadsTheScaleMarkersOfLongEnoughKeys) {
  auto image = Image::create(solidBitmap(4, 2, kOpaqueRed), 1.0, ImageOrientation::Right);
  struct Case {
    const char* key;
    double scale;
  };
  const Case cases[] = {
      {"a@2x.png", 2.0},  // exactly eight characters
      {"@2x.png", 1.0},   // seven: too short, whatever it holds
      {"@3x.gif", 1.0},
      {"http://h/pic@3x.png", 3.0},
      {"http://h/pic@2x.png?v=@3x.1", 3.0},  // both: three wins
      {"http://h/pic@3x.@2x.png", 3.0},
      {"http://h/pic@2xpng", 1.0},  // the marker includes the dot
      {"http://h/plain.png", 1.0},
  };
  for (const Case& c : cases) {
    auto scaled = WIImageApplyKeyScale(c.key, image);
    ASSERT_NE(scaled, nullptr) << c.key;
    EXPECT_EQ(scaled->scale(), c.scale) << c.key;
    EXPECT_EQ(scaled->bitmap(), image->bitmap()) << c.key;
    EXPECT_EQ(scaled->orientation(), ImageOrientation::Right) << c.key;
  }
  EXPECT_EQ(WIImageApplyKeyScale("a@2x.png", nullptr), nullptr);

  auto animation = Image::animated({image, Image::create(solidBitmap(4, 2, kOpaqueBlue))}, 0.7);
  auto scaled = WIImageApplyKeyScale("http://h/anim@2x.gif", animation);
  ASSERT_TRUE(scaled->isAnimated());
  EXPECT_DOUBLE_EQ(scaled->duration(), 0.7);
  for (const auto& frame : scaled->images()) EXPECT_EQ(frame->scale(), 2.0);
  EXPECT_EQ(scaled->images()[1]->bitmap()->pixel(0, 0), kOpaqueBlue);
}

TEST(WIImageForceDecodeTest, RedrawsOpaqueImagesOnly) {
  // Opaque without a skipped byte (as an opaque PNG declares it): redrawn into an opaque RGB
  // bitmap with the same pixels.
  auto opaqueBitmap = paintedBitmap(
      3, 2,
      [](int x, int y) {
        return 0xFF000000u | static_cast<std::uint32_t>(x * 80) << 16 |
               static_cast<std::uint32_t>(y * 90);
      },
      AlphaInfo::None);
  auto opaque = Image::create(opaqueBitmap, 2.0, ImageOrientation::Left);
  auto decoded = decodedImageWithImage(opaque);
  ASSERT_NE(decoded, nullptr);
  EXPECT_NE(decoded, opaque);
  EXPECT_NE(decoded->bitmap(), opaque->bitmap());
  EXPECT_EQ(decoded->scale(), 2.0);
  EXPECT_EQ(decoded->orientation(), ImageOrientation::Left);
  EXPECT_EQ(decoded->bitmap()->alphaInfo(), AlphaInfo::NoneSkipLast);
  EXPECT_EQ(decoded->bitmap()->colorModel(), ColorModel::RGB);
  // The same words under a new description: a large picture never costs twice its pixels.
  EXPECT_EQ(decoded->bitmap()->pixels(), opaqueBitmap->pixels());
  EXPECT_EQ(decoded->bitmap()->pixel(2, 1), opaqueBitmap->pixel(2, 1));
  // Over the pixel budget the source is kept.
  EXPECT_EQ(decodedImageWithImage(opaque, /*maxPixels=*/5), opaque);
  EXPECT_NE(decodedImageWithImage(opaque, /*maxPixels=*/6), opaque);

  // Already what a redraw makes: a new image over the same pixels.
  auto skipLast = Image::create(solidBitmap(2, 2, kOpaqueRed), 3.0, ImageOrientation::Down);
  auto shared = decodedImageWithImage(skipLast);
  EXPECT_NE(shared, skipLast);
  EXPECT_EQ(shared->bitmap(), skipLast->bitmap());
  EXPECT_EQ(shared->scale(), 3.0);
  EXPECT_EQ(shared->orientation(), ImageOrientation::Down);

  for (AlphaInfo alpha : {AlphaInfo::PremultipliedLast, AlphaInfo::PremultipliedFirst,
                          AlphaInfo::Last, AlphaInfo::First}) {
    auto translucent = Image::create(solidBitmap(2, 2, 0x80800000, alpha));
    EXPECT_EQ(decodedImageWithImage(translucent), translucent);
  }
  auto animation = Image::animated({opaque, opaque}, 0.2);
  EXPECT_EQ(decodedImageWithImage(animation), animation);
  EXPECT_EQ(decodedImageWithImage(nullptr), nullptr);
}

TEST(WIImageForceDecodeTest, ConvertsUndrawableColourModelsToRGB) {
  for (JpegColor color : {JpegColor::CMYK, JpegColor::Grey}) {
    auto source = wi_imageWithData(jpegData(6, 4, color));
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->bitmap()->colorModel(),
              color == JpegColor::CMYK ? ColorModel::CMYK : ColorModel::Monochrome);
    auto decoded = decodedImageWithImage(source);
    ASSERT_NE(decoded, source);
    EXPECT_EQ(decoded->bitmap()->colorModel(), ColorModel::RGB);
    EXPECT_EQ(decoded->bitmap()->pixel(3, 2), source->bitmap()->pixel(3, 2));
    EXPECT_EQ(decoded->bitmap()->pixels(), source->bitmap()->pixels());
  }
  // A colour model that can be drawn into is kept.
  auto lab =
      Image::create(solidBitmap(2, 2, kOpaqueRed, AlphaInfo::NoneSkipFirst, ColorModel::Lab));
  EXPECT_EQ(decodedImageWithImage(lab)->bitmap()->colorModel(), ColorModel::Lab);
}

TEST_F(WIImageGIFTest, ScalesAndCropsEveryFrameToFill) {
  auto halves = paintedBitmap(20, 10, [](int x, int) { return x < 10 ? kOpaqueRed : kOpaqueBlue; });
  auto frame = Image::create(halves);
  auto animation = Image::animated({frame, frame}, 0.4);

  EXPECT_EQ(wi_animatedImageByScalingAndCroppingToSize(animation, {20, 10}), animation);
  EXPECT_EQ(wi_animatedImageByScalingAndCroppingToSize(animation, {0, 0}), animation);

  // Square from wide: height fills, the sides are cut equally.
  auto square = wi_animatedImageByScalingAndCroppingToSize(animation, {10, 10});
  ASSERT_NE(square, nullptr);
  ASSERT_TRUE(square->isAnimated());
  EXPECT_EQ(square->images().size(), 2u);
  EXPECT_DOUBLE_EQ(square->duration(), 0.4);
  const auto& pixels = square->images()[1]->bitmap();
  EXPECT_EQ(square->images()[1]->scale(), 2.0);
  ASSERT_EQ(pixels->width(), 20);
  ASSERT_EQ(pixels->height(), 20);
  EXPECT_EQ(pixels->pixel(1, 10), kOpaqueRed);
  EXPECT_EQ(pixels->pixel(18, 10), kOpaqueBlue);

  // Square from tall: width fills, top and bottom are cut.
  auto tall = Image::create(
      paintedBitmap(10, 20, [](int, int y) { return y < 10 ? kOpaqueRed : kOpaqueBlue; }));
  auto cropped = wi_animatedImageByScalingAndCroppingToSize(Image::animated({tall}, 0.1), {5, 5});
  ASSERT_NE(cropped, nullptr);
  const auto& tallPixels = cropped->images()[0]->bitmap();
  ASSERT_EQ(tallPixels->height(), 10);
  EXPECT_EQ(tallPixels->pixel(5, 1), kOpaqueRed);
  EXPECT_EQ(tallPixels->pixel(5, 8), kOpaqueBlue);
}

}  // namespace
}  // namespace sprout::test
