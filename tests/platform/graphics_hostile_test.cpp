// Bad input: truncated files, garbage, and headers that declare absurd sizes or frame counts.
// Every case must end in an error in the image domain or a sane image, never a crash.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "graphics_support.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/graphics/ImageError.h"
#include "platform/graphics/ImageSource.h"

using namespace platform;
using graphics_test::samePixels;
using graphics_test::sample;

namespace {

void put32be(Data& d, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) d[at + i] = static_cast<std::uint8_t>(v >> (24 - 8 * i));
}

// A real PNG whose IHDR then claims width x height (CRC fixed so libpng believes it).
Data pngDeclaring(std::uint32_t width, std::uint32_t height) {
  auto bitmap = Bitmap::create(2, 2, std::vector<std::uint32_t>(4, 0xFF102030u), AlphaInfo::None,
                               ColorModel::RGB);
  Data png = *encodePNG(*bitmap);
  put32be(png, 16, width);
  put32be(png, 20, height);
  put32be(png, 29, static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17)));
  return png;
}

// A real JPEG whose SOF0 then claims the given size.
Data jpegDeclaring(std::uint16_t width, std::uint16_t height) {
  auto bitmap = Bitmap::create(8, 8, std::vector<std::uint32_t>(64, 0xFF808080u),
                               AlphaInfo::NoneSkipLast, ColorModel::RGB);
  Data jpeg = *encodeJPEG(*bitmap, 0.8);
  for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      jpeg[i + 5] = height >> 8;
      jpeg[i + 6] = height & 0xFF;
      jpeg[i + 7] = width >> 8;
      jpeg[i + 8] = width & 0xFF;
      return jpeg;
    }
  }
  ADD_FAILURE() << "no SOF0 marker";
  return jpeg;
}

// A GIF with `frames` 1x1 frames of palette index 0, built byte by byte.
Data gifWithFrames(int frames) {
  Data gif = {'G',  'I',  'F',  '8',  '9',  'a', 1, 0, 1, 0, 0x80, 0, 0,  // 1x1, 2-colour table
              0x10, 0x20, 0x30, 0xFF, 0xFF, 0xFF};
  // Descriptor at (0,0) 1x1; LZW code size 2; codes clear, 0, end packed into 0x44 0x01.
  const std::uint8_t frame[] = {0x2C, 0, 0, 0, 0, 1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0};
  for (int i = 0; i < frames; ++i) gif.insert(gif.end(), std::begin(frame), std::end(frame));
  gif.push_back(0x3B);
  return gif;
}

// A little-endian TIFF (the committed rgb.tiff) with ImageWidth and ImageLength rewritten.
Data tiffDeclaring(std::uint32_t size) {
  Data tiff = sample("rgb.tiff");
  const std::uint32_t ifd = tiff[4] | tiff[5] << 8 | tiff[6] << 16 | std::uint32_t(tiff[7]) << 24;
  const int entries = tiff[ifd] | tiff[ifd + 1] << 8;
  for (int i = 0; i < entries; ++i) {
    const std::size_t e = ifd + 2 + 12 * i;
    const int tag = tiff[e] | tiff[e + 1] << 8;
    const int type = tiff[e + 2] | tiff[e + 3] << 8;
    if (tag != 256 && tag != 257) continue;
    const std::uint32_t value = type == 3 ? std::min<std::uint32_t>(size, 0xFFFF) : size;
    for (int b = 0; b < 4; ++b) tiff[e + 8 + b] = static_cast<std::uint8_t>(value >> (8 * b));
  }
  return tiff;
}

// Only the VP8L header: a 16384 x 16384 lossless image.
Data webpDeclaringMaximum() {
  return Data{'R',  'I', 'F', 'F', 26, 0, 0, 0, 'W',  'E',  'B',  'P',
              'V',  'P', '8', 'L', 14, 0, 0, 0, 0x2F, 0xFF, 0xFF, 0xFF,
              0x0F, 0,   0,   0,   0,  0, 0, 0, 0,    0};
}

// A Status or a Result that failed in the image domain with `code`.
template <class Outcome>
void expectImageError(const Outcome& outcome, long code, const std::string& what) {
  ASSERT_FALSE(outcome) << what;
  const Error& error = outcome.error();
  EXPECT_EQ(error.domain, kImageErrorDomain) << what;
  EXPECT_EQ(error.code, code) << what << ": " << error.localizedDescription();
  EXPECT_FALSE(error.localizedDescription().empty());
}

// Decodes every offered frame of `data`; frames must have their declared size.
void decodeEverything(const Data& data, const DecodeLimits& limits, const std::string& what) {
  auto source = ImageSource::create(data, limits);
  if (!source) return;
  for (std::size_t i = 0; i <= source->count(); ++i) {
    const auto properties = source->propertiesAt(i);
    auto frame = source->frameAt(i);
    if (!frame) {
      EXPECT_EQ(frame.error().domain, kImageErrorDomain) << what;
      continue;
    }
    ASSERT_TRUE(properties) << what;
    EXPECT_EQ(frame.value()->width(), properties->width) << what;
    EXPECT_EQ(frame.value()->height(), properties->height) << what;
  }
}

}  // namespace

TEST(GraphicsHostile, TruncatedFilesGiveErrorsOrTheRealFrames) {
  const char* names[] = {"rgba_alpha.png",  "interlaced.png",    "baseline.jpg",
                         "progressive.jpg", "cmyk_adobe.jpg",    "exif_orientation_6.jpg",
                         "animated.gif",    "lossy.webp",        "lossless_alpha.webp",
                         "animated.webp",   "orientation_6.tiff"};
  for (const char* name : names) {
    const Data whole = sample(name);
    auto full = ImageSource::create(whole);
    ASSERT_TRUE(full) << name;
    const bool isJpeg = full->format() == ImageFormat::JPEG;
    std::vector<std::size_t> cuts = {0, 1, 3, 7, 8, 12, 16, 24, 33, 40, whole.size() - 1};
    for (std::size_t i = 1; i < 24; ++i) cuts.push_back(whole.size() * i / 24);
    for (std::size_t cut : cuts) {
      const std::string what = std::string(name) + " cut at " + std::to_string(cut);
      const Data part(whole.begin(), whole.begin() + std::min(cut, whole.size()));
      auto source = ImageSource::create(part);
      if (!source) continue;
      EXPECT_LE(source->count(), full->count()) << what;
      if (source->count() == 0) {
        ASSERT_FALSE(source->status()) << what;
        EXPECT_EQ(source->status().error().domain, kImageErrorDomain) << what;
      }
      for (std::size_t f = 0; f < source->count(); ++f) {
        auto frame = source->frameAt(f);
        if (!frame) {
          EXPECT_EQ(frame.error().domain, kImageErrorDomain) << what;
          continue;
        }
        const Bitmap& got = *frame.value();
        auto expected = full->frameAt(f).value();
        ASSERT_EQ(got.width(), expected->width()) << what;
        ASSERT_EQ(got.height(), expected->height()) << what;
        // A short JPEG shows what arrived and grey below; other formats offer whole frames only.
        if (!isJpeg) {
          EXPECT_TRUE(samePixels(got, *expected)) << what << " frame " << f;
        }
      }
    }
  }
}

TEST(GraphicsHostile, GarbageAndEmptyData) {
  EXPECT_FALSE(ImageSource::create(Data{}));
  EXPECT_FALSE(ImageSource::create(Data(100, 0x00)));
  const std::vector<Data> prefixes = {
      {0xFF, 0xD8, 0xFF},   {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'},
      {'G', 'I', 'F', '8'}, {'I', 'I', '*', 0},
      {'M', 'M', 0, '*'},   {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'}};
  std::uint32_t seed = 12345;
  for (const Data& prefix : prefixes) {
    for (int round = 0; round < 8; ++round) {
      Data data = prefix;
      for (int i = 0; i < 64 << round % 5; ++i) {
        seed = seed * 1664525u + 1013904223u;
        data.push_back(static_cast<std::uint8_t>(seed >> 24));
      }
      auto source = ImageSource::create(data);
      ASSERT_TRUE(source) << "recognised by its prefix";
      decodeEverything(data, {}, "garbage after prefix " + std::to_string(prefix[0]));
    }
    // The bare magic number alone is an image format without an image.
    auto bare = ImageSource::create(prefix);
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->count(), 0u);
    EXPECT_FALSE(bare->frameAt(0));
  }
  // Flipped bytes in the middle of real files.
  for (const char* name : {"baseline.jpg", "rgb_opaque.png", "animated.gif", "rgb.tiff"}) {
    Data data = sample(name);
    for (std::size_t i = data.size() / 3; i < data.size(); i += data.size() / 7) data[i] ^= 0x5A;
    decodeEverything(data, {}, std::string("flipped ") + name);
  }
}

TEST(GraphicsHostile, DeclaredHugeSizesFailBeforeAllocating) {
  auto png = ImageSource::create(pngDeclaring(100000, 100000));
  ASSERT_TRUE(png);
  ASSERT_EQ(png->count(), 1u);
  EXPECT_EQ(png->propertiesAt(0)->width, 100000);
  auto pngFrame = png->frameAt(0);
  expectImageError(pngFrame, ImageError::TooLarge, "png");
  EXPECT_EQ(pngFrame.error().localizedDescription(), "image too large: 100000x100000");

  auto jpeg = ImageSource::create(jpegDeclaring(65000, 65000));
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->propertiesAt(0)->height, 65000);
  expectImageError(jpeg->frameAt(0), ImageError::TooLarge, "jpeg");

  auto tiff = ImageSource::create(tiffDeclaring(100000));
  ASSERT_TRUE(tiff);
  ASSERT_GE(tiff->count(), 1u);
  EXPECT_GE(tiff->propertiesAt(0)->width, 65535);
  expectImageError(tiff->frameAt(0), ImageError::TooLarge, "tiff");

  auto webp = ImageSource::create(webpDeclaringMaximum());
  ASSERT_TRUE(webp);
  ASSERT_EQ(webp->count(), 1u);
  EXPECT_EQ(webp->propertiesAt(0)->width, 16384);
  expectImageError(webp->frameAt(0), ImageError::TooLarge, "webp");

  // The limit is the caller's: a small one turns an ordinary sample away too.
  auto small = ImageSource::create(sample("baseline.jpg"), DecodeLimits{1000, 10, 100000});
  expectImageError(small->frameAt(0), ImageError::TooLarge, "limited jpeg");
}

TEST(GraphicsHostile, ManyFramesAreCappedByTheLimits) {
  const Data gif = gifWithFrames(5000);
  auto source = ImageSource::create(gif);
  ASSERT_TRUE(source);
  EXPECT_EQ(source->count(), DecodeLimits{}.maxFrames);
  expectImageError(source->status(), ImageError::TooManyFrames, "status");
  auto last = source->frameAt(source->count() - 1);
  ASSERT_TRUE(last);
  EXPECT_EQ(last.value()->pixel(0, 0), 0xFF102030u);
  expectImageError(source->frameAt(source->count()), ImageError::TooManyFrames, "beyond");

  // The pixel budget caps too: 1x1 frames each cost one pixel of the total.
  auto budget = ImageSource::create(gif, DecodeLimits{1u << 20, 100000, 300});
  ASSERT_TRUE(budget);
  EXPECT_EQ(budget->count(), 300u);
  EXPECT_TRUE(budget->frameAt(299));

  auto few = ImageSource::create(gifWithFrames(3));
  ASSERT_TRUE(few);
  EXPECT_EQ(few->count(), 3u);
  EXPECT_TRUE(few->status());
  expectImageError(few->frameAt(3), ImageError::FrameOutOfRange, "out of range");
}
