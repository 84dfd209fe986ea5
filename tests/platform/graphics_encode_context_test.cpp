// Encoding round trips, images as displayed, and drawing into Cairo contexts.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdlib>
#include <filesystem>

#include "graphics_support.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/ui/Screen.h"

using namespace platform;
using graphics_test::colorNear;
using graphics_test::decodeFrame;
using graphics_test::sample;

namespace {

// 3 x 2 pixels, all different:  a b c
//                               d e f
constexpr std::uint32_t a = 0xFFFF0000, b = 0xFF00FF00, c = 0xFF0000FF, d = 0xFFFFFF00,
                        e = 0xFF00FFFF, f = 0xFFFF00FF;

std::shared_ptr<const Bitmap> sixPixels() {
  return Bitmap::create(3, 2, {a, b, c, d, e, f}, AlphaInfo::PremultipliedFirst, ColorModel::RGB);
}

std::vector<std::uint32_t> pixelsOf(const Bitmap& bitmap) {
  return {bitmap.pixels(),
          bitmap.pixels() + std::size_t(bitmap.width()) * std::size_t(bitmap.height())};
}

}  // namespace

TEST(GraphicsImage, SizeScaleOrientationAndAnimation) {
  auto right = Image::create(sixPixels(), 2.0, ImageOrientation::Right);
  ASSERT_TRUE(right);
  EXPECT_EQ(right->size(), (Size{1, 1.5}));  // turned: 2 x 3 pixels at scale 2
  EXPECT_EQ(Image::create(sixPixels(), 0.0)->scale(), 1.0);
  EXPECT_FALSE(Image::create(nullptr));
  EXPECT_FALSE(Bitmap::create(3, 2, {a}, AlphaInfo::None, ColorModel::RGB));
  EXPECT_FALSE(Bitmap::create(-1, 2, {}, AlphaInfo::None, ColorModel::RGB));

  // Turning by hand: Right shows the left column on top, LeftMirrored is the transpose.
  EXPECT_EQ(pixelsOf(*right->displayedBitmap()), (std::vector<std::uint32_t>{d, a, e, b, f, c}));
  auto transposed = orientBitmap(sixPixels(), ImageOrientation::LeftMirrored);
  EXPECT_EQ(pixelsOf(*transposed), (std::vector<std::uint32_t>{a, d, b, e, c, f}));
  auto left = orientBitmap(sixPixels(), ImageOrientation::Left);
  EXPECT_EQ(pixelsOf(*left), (std::vector<std::uint32_t>{c, f, b, e, a, d}));
  auto down = orientBitmap(sixPixels(), ImageOrientation::Down);
  EXPECT_EQ(pixelsOf(*down), (std::vector<std::uint32_t>{f, e, d, c, b, a}));

  auto frames = std::vector<std::shared_ptr<Image>>{Image::create(sixPixels(), 2.0),
                                                    Image::create(sixPixels(), 2.0)};
  auto animated = Image::animated(frames, 0.5);
  ASSERT_TRUE(animated);
  EXPECT_TRUE(animated->isAnimated());
  EXPECT_EQ(animated->images().size(), 2u);
  EXPECT_EQ(animated->duration(), 0.5);
  EXPECT_EQ(animated->bitmap(), frames[0]->bitmap());
  EXPECT_EQ(animated->scale(), 2.0);
  EXPECT_FALSE(Image::animated({}, 1.0));
  EXPECT_FALSE(right->isAnimated());
}

TEST(GraphicsEncode, PngRoundTripIsExactAndJpegIsClose) {
  auto icon = decodeFrame(sample("rgba_alpha.png"));
  ASSERT_TRUE(icon);
  auto png = encodePNG(*Image::create(icon));
  ASSERT_TRUE(png);
  auto back = decodeFrame(*png);
  ASSERT_TRUE(back);
  EXPECT_EQ(pixelsOf(*back), pixelsOf(*icon));  // premultiplied alpha survives unchanged
  EXPECT_EQ(back->alphaInfo(), AlphaInfo::Last);
  auto opaquePng = encodePNG(*Image::create(sixPixels()));
  ASSERT_TRUE(opaquePng);
  EXPECT_EQ(decodeFrame(*opaquePng)->alphaInfo(), AlphaInfo::None);  // written as RGB

  auto photo = decodeFrame(sample("rgb_opaque.png"));
  ASSERT_TRUE(photo);
  auto best = encodeJPEG(*Image::create(photo), 1.0);
  auto poor = encodeJPEG(*Image::create(photo), 0.2);
  ASSERT_TRUE(best && poor);
  EXPECT_LT(poor->size(), best->size());
  auto jpeg = decodeFrame(*best);
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->alphaInfo(), AlphaInfo::NoneSkipLast);
  int worst = 0;
  for (int i = 0; i < photo->width() * photo->height(); ++i) {
    const std::uint32_t p = photo->pixels()[i], q = jpeg->pixels()[i];
    for (int shift : {0, 8, 16}) {
      worst = std::max(worst, std::abs(int((p >> shift) & 0xFF) - int((q >> shift) & 0xFF)));
    }
  }
  EXPECT_LE(worst, 16);
  // Alpha is dropped, premultiplied colour kept: transparent becomes black.
  auto flat = decodeFrame(*encodeJPEG(*Image::create(icon), 1.0));
  ASSERT_TRUE(flat);
  EXPECT_TRUE(colorNear(flat->pixel(2, 2), 0x000000, 4));
  EXPECT_TRUE(colorNear(flat->pixel(64, 90), 0x6D4C2F, 8));

  auto empty = Bitmap::create(0, 0, {}, AlphaInfo::None, ColorModel::RGB);
  EXPECT_FALSE(encodePNG(*empty));
  EXPECT_FALSE(encodeJPEG(*empty, 0.5));
}

TEST(GraphicsEncode, WhatIsWrittenIsWhatIsDisplayed) {
  auto turned = Image::create(sixPixels(), 1.0, ImageOrientation::Right);
  auto png = encodePNG(*turned);
  ASSERT_TRUE(png);
  auto decoded = decodeFrame(*png);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width(), 2);
  EXPECT_EQ(pixelsOf(*decoded), (std::vector<std::uint32_t>{d, a, e, b, f, c}));

  const auto dir =
      std::filesystem::temp_directory_path() / ("sprout-graphics-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "turned.png").string();
  EXPECT_TRUE(turned->writePNG(path));
  std::ifstream in(path, std::ios::binary);
  const Data written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto fromFile = decodeFrame(written);
  ASSERT_TRUE(fromFile);
  EXPECT_EQ(pixelsOf(*fromFile), pixelsOf(*decoded));
  EXPECT_FALSE(turned->writePNG((dir / "missing" / "x.png").string()));  // no such folder
  std::filesystem::remove_all(dir);
}

TEST(GraphicsContext, DrawImageHonoursOrientation) {
  struct Case {
    ImageOrientation orientation;
    std::vector<std::uint32_t> shown;  // 2 x 3, worked out by hand
  };
  const Case cases[] = {{ImageOrientation::Right, {d, a, e, b, f, c}},
                        {ImageOrientation::LeftMirrored, {a, d, b, e, c, f}},
                        {ImageOrientation::RightMirrored, {f, c, e, b, d, a}}};
  for (const Case& test : cases) {
    auto context = Context::createBitmap(2, 3, AlphaInfo::PremultipliedFirst);
    ASSERT_TRUE(context);
    context->drawImage(*Image::create(sixPixels(), 1.0, test.orientation), makeRect(0, 0, 2, 3));
    EXPECT_EQ(pixelsOf(*context->makeBitmap()), test.shown)
        << "orientation " << static_cast<int>(test.orientation);
  }
  // At scale 2 a 3 x 2 point rect covers 6 x 4 pixels; each source pixel fills a 2 x 2 block.
  auto context = Context::create(Size{3, 2}, 2.0, false);
  ASSERT_TRUE(context);
  context->drawImage(*Image::create(sixPixels()), makeRect(0, 0, 3, 2));
  auto image = context->makeImage();
  ASSERT_TRUE(image);
  EXPECT_EQ(image->scale(), 2.0);
  EXPECT_EQ(image->size(), (Size{3, 2}));
  EXPECT_EQ(image->bitmap()->pixel(0, 0), a);
  EXPECT_EQ(image->bitmap()->pixel(5, 3), f);
  EXPECT_EQ(image->bitmap()->alphaInfo(), AlphaInfo::PremultipliedFirst);
}

TEST(GraphicsContext, SurfacesScalesAndFills) {
  auto context = Context::create(Size{10, 5}, 0, false);  // 0: the screen's scale
  ASSERT_TRUE(context);
  const double scale = Screen::main().scale();
  EXPECT_EQ(context->pixelWidth(), static_cast<int>(std::ceil(10 * scale)));
  EXPECT_EQ(context->size(), (Size{10, 5}));
  EXPECT_EQ(context->makeBitmap()->pixel(0, 0), 0u);  // starts transparent
  context->fillRect(makeRect(0, 0, 5, 5), Color::rgba(1, 0, 0, 0.5));
  auto bitmap = context->makeBitmap();
  EXPECT_TRUE(colorNear(bitmap->pixel(0, 0), 0xFF0000, 1, 128));
  EXPECT_EQ(bitmap->pixel(context->pixelWidth() - 1, 0), 0u);

  auto opaque = Context::createBitmap(4, 4, AlphaInfo::NoneSkipLast);
  ASSERT_TRUE(opaque);
  EXPECT_TRUE(opaque->isOpaque());
  opaque->fillRect(makeRect(0, 0, 2, 4), Color::whiteColor());
  auto solid = opaque->makeBitmap();
  EXPECT_EQ(solid->alphaInfo(), AlphaInfo::NoneSkipLast);
  EXPECT_FALSE(solid->hasAlpha());
  EXPECT_EQ(solid->pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(solid->pixel(3, 3), 0xFF000000u);  // opaque surfaces start black
  EXPECT_FALSE(Context::createBitmap(4, 4, AlphaInfo::PremultipliedLast)->isOpaque());
  EXPECT_TRUE(Context::create(Size{2, 2}, 1, true)->isOpaque());

  EXPECT_FALSE(Context::create(Size{0, 5}, 1, false));
  EXPECT_FALSE(Context::create(Size{40000, 5}, 1, false));
  EXPECT_FALSE(Context::createBitmap(-1, 5, AlphaInfo::None));
}
