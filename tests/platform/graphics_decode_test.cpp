// Decoding the committed samples (resources/samples, drawn by make_samples.cpp): sizes, declared
// alpha and colour model, colours at spots the generator documents, animated frames composited
// as make_samples.cpp describes them, and decoding into recycled pixel memory.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "graphics_support.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageOrientation.h"
#include "platform/graphics/ImageSource.h"
#include "platform/graphics/PixelBuffer.h"

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

std::shared_ptr<const Bitmap> frame(const ImageSource& source, std::size_t index) {
  auto result = source.frameAt(index);
  EXPECT_TRUE(result) << "frame " << index << ": "
                      << (!result ? result.error().localizedDescription() : "");
  return result ? result.value() : nullptr;
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

TEST(GraphicsGif, FramesDelaysAndDisposal) {
  auto source = ImageSource::create(sample("animated.gif"));
  ASSERT_TRUE(source);
  ASSERT_EQ(source->count(), 4u);
  EXPECT_TRUE(source->status());

  EXPECT_DOUBLE_EQ(*source->propertiesAt(0)->gifDelayTime, 0.10);
  EXPECT_DOUBLE_EQ(*source->propertiesAt(1)->gifDelayTime, 0.01);
  EXPECT_DOUBLE_EQ(*source->propertiesAt(1)->gifUnclampedDelayTime, 0.01);
  EXPECT_DOUBLE_EQ(*source->propertiesAt(2)->gifDelayTime, 0.0);
  EXPECT_FALSE(source->propertiesAt(3)->gifDelayTime);  // no graphic control extension
  EXPECT_FALSE(source->propertiesAt(3)->gifUnclampedDelayTime);
  EXPECT_EQ(source->propertiesAt(3)->width, 80);
  EXPECT_FALSE(source->propertiesAt(4));

  auto f0 = frame(*source, 0);
  auto f1 = frame(*source, 1);
  auto f2 = frame(*source, 2);
  auto f3 = frame(*source, 3);
  ASSERT_TRUE(f0 && f1 && f2 && f3);
  // Frame 1 paints the red ball over frame 0; its transparent corners let frame 0 show.
  EXPECT_TRUE(colorNear(f1->pixel(20, 20), 0xFF0000, 0));
  EXPECT_EQ(f1->pixel(10, 10), f0->pixel(10, 10));
  EXPECT_EQ(f1->pixel(50, 30), f0->pixel(50, 30));
  // Frame 1 disposes to background: its rect is transparent under frame 2.
  EXPECT_EQ(f2->pixel(20, 20), 0u);
  EXPECT_EQ(f2->pixel(10, 10), 0u);
  EXPECT_EQ(f2->pixel(31, 20), f0->pixel(31, 20));  // just outside that rect
  EXPECT_TRUE(colorNear(f2->pixel(50, 30), 0x00CC00, 0x33));
  // Frame 2 restores to previous: frame 3 shows frame 0 where the green was, the hole stays.
  EXPECT_EQ(f3->pixel(55, 25), f0->pixel(55, 25));
  EXPECT_EQ(f3->pixel(20, 20), 0u);
  EXPECT_TRUE(colorNear(f3->pixel(38, 38), 0x0000FF, 0));
  EXPECT_TRUE(colorNear(f3->pixel(30, 30), 0xFFFFFF, 0));  // the white rim

  // Going back starts over and gives the same frames.
  auto again = frame(*source, 1);
  ASSERT_TRUE(again);
  EXPECT_TRUE(samePixels(*f1, *again));
  auto out = source->frameAt(4);
  ASSERT_FALSE(out);
  EXPECT_EQ(out.error().domain, "SproutImageErrorDomain");
}

TEST(GraphicsWebp, AnimatedFramesAreComposited) {
  auto source = ImageSource::create(sample("animated.webp"));
  ASSERT_TRUE(source);
  ASSERT_EQ(source->count(), 3u);
  const std::uint32_t colours[3] = {0xFF0000, 0x00FF00, 0x0000FF};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_DOUBLE_EQ(*source->propertiesAt(i)->webpDelayTime, 0.1 * (i + 1));
    EXPECT_FALSE(source->propertiesAt(i)->gifDelayTime);
    auto f = frame(*source, i);
    ASSERT_TRUE(f);
    ASSERT_EQ(f->width(), 64);
    EXPECT_TRUE(colorNear(f->pixel(12 + 20 * int(i), 24), colours[i], 2)) << "frame " << i;
    // Where the ball was in the frame before, the background is back.
    if (i > 0) {
      EXPECT_TRUE(colorNear(f->pixel(12 + 20 * int(i - 1), 24), 0xFFF8E1, 2));
    }
  }
}

namespace {

constexpr std::size_t kWords = 300 * 200;  // over the smallest pooled size

TEST(PixelBufferTest, FreedBuffersAreReusedBySizeWithinTheCaps) {
  PixelBuffer::drainPool();
  const std::uint32_t* first = nullptr;
  {
    auto buffer = PixelBuffer::allocate(kWords);
    ASSERT_TRUE(buffer);
    first = buffer->data();
  }
  EXPECT_EQ(PixelBuffer::pooledBytes(), kWords * 4);
  auto again = PixelBuffer::allocate(kWords);
  EXPECT_EQ(again->data(), first);  // the same memory, already mapped
  EXPECT_EQ(PixelBuffer::pooledBytes(), 0u);
  auto otherSize = PixelBuffer::allocate(kWords + 1);
  EXPECT_NE(otherSize->data(), first);

  // Small buffers are malloc's business; one size keeps a few; the whole pool stays bounded.
  PixelBuffer::allocate(16).reset();
  EXPECT_EQ(PixelBuffer::pooledBytes(), 0u);
  std::vector<std::unique_ptr<PixelBuffer>> many;
  for (std::size_t i = 0; i < PixelBuffer::kPerSize + 3; ++i) {
    many.push_back(PixelBuffer::allocate(kWords));
  }
  many.clear();
  EXPECT_EQ(PixelBuffer::pooledBytes(), PixelBuffer::kPerSize * kWords * 4);
  const std::size_t large = PixelBuffer::kPoolBytes / 4 / 3 + 1;  // three do not fit
  for (int i = 0; i < 3; ++i) many.push_back(PixelBuffer::allocate(large));
  many.clear();
  EXPECT_LE(PixelBuffer::pooledBytes(), PixelBuffer::kPoolBytes);
  EXPECT_GE(PixelBuffer::pooledBytes(), 2 * large * 4);  // older sizes made room
  EXPECT_FALSE(PixelBuffer::allocate(0));
  PixelBuffer::drainPool();
  EXPECT_EQ(PixelBuffer::pooledBytes(), 0u);
}

// A buffer goes back to the pool only when nothing reads it any more: while a bitmap sharing
// its pixels lives, the next picture of that size gets other memory and leaves them untouched.
TEST(PixelBufferTest, ABufferStillReadIsNeverHandedOutAgain) {
  PixelBuffer::drainPool();
  auto buffer = PixelBuffer::allocate(kWords);
  ASSERT_TRUE(buffer);
  std::fill(buffer->data(), buffer->data() + kWords, 0xFF336699u);
  const std::uint32_t* words = buffer->data();
  auto bitmap = Bitmap::adopt(300, 200, std::move(buffer), AlphaInfo::None, ColorModel::RGB);
  auto sharing = Bitmap::sharingPixels(bitmap, AlphaInfo::NoneSkipLast, ColorModel::RGB);
  bitmap.reset();
  EXPECT_EQ(PixelBuffer::pooledBytes(), 0u);
  auto next = PixelBuffer::allocate(kWords);
  ASSERT_TRUE(next);
  EXPECT_NE(next->data(), words);
  std::fill(next->data(), next->data() + kWords, 0xFF000000u);
  EXPECT_EQ(sharing->pixels(), words);
  EXPECT_EQ(sharing->pixel(299, 199), 0xFF336699u);
  sharing.reset();
  EXPECT_EQ(PixelBuffer::pooledBytes(), kWords * 4);
  EXPECT_EQ(PixelBuffer::allocate(kWords)->data(), words);  // now free, and reused
  PixelBuffer::drainPool();
}

TEST(PixelBufferTest, BitmapsAdoptOrShareStorageWithoutCopying) {
  auto buffer = PixelBuffer::allocate(4);
  std::fill(buffer->data(), buffer->data() + 4, 0xFF102030u);
  const std::uint32_t* words = buffer->data();
  EXPECT_FALSE(Bitmap::adopt(3, 1, PixelBuffer::allocate(4), AlphaInfo::None, ColorModel::RGB));
  auto bitmap = Bitmap::adopt(2, 2, std::move(buffer), AlphaInfo::None, ColorModel::Monochrome);
  ASSERT_TRUE(bitmap);
  EXPECT_EQ(bitmap->pixels(), words);
  EXPECT_EQ(bitmap->byteCount(), 16u);

  auto shared = Bitmap::sharingPixels(bitmap, AlphaInfo::NoneSkipLast, ColorModel::RGB);
  bitmap.reset();  // the sharing bitmap keeps the words alive
  EXPECT_EQ(shared->pixels(), words);
  EXPECT_EQ(shared->pixel(1, 1), 0xFF102030u);
  EXPECT_EQ(shared->alphaInfo(), AlphaInfo::NoneSkipLast);
  EXPECT_EQ(shared->colorModel(), ColorModel::RGB);
}

// Decoders write into recycled, unfilled memory: whatever a buffer held before must never show,
// not even in the rows a cut JPEG never delivered.
TEST(PixelBufferTest, DecodersWriteEveryWordOfRecycledMemory) {
  for (const char* name : {"baseline.jpg", "progressive.jpg", "interlaced.png", "palette.png",
                           "rgb_opaque.png", "cmyk_adobe.jpg"}) {
    platform::Data data = sample(name);
    if (std::string(name).find(".jpg") != std::string::npos) data.resize(data.size() * 2 / 3);
    auto clean = decodeFrame(data);
    ASSERT_TRUE(clean) << name;
    const std::vector<std::uint32_t> expected(clean->pixels(),
                                              clean->pixels() + clean->byteCount() / 4);
    clean.reset();
    PixelBuffer::drainPool();
    const std::size_t words = expected.size();
    {
      auto dirty = PixelBuffer::allocate(words);
      std::fill(dirty->data(), dirty->data() + words, 0x5A12C3E4u);
    }  // pooled (when large enough), poison and all
    auto again = decodeFrame(data);
    ASSERT_TRUE(again) << name;
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), again->pixels())) << name;
  }
  PixelBuffer::drainPool();
}

}  // namespace
