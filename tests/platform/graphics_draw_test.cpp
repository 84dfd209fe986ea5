// Images as displayed, encoding round trips, drawing into Cairo contexts, cropping, template
// images drawn in their view's tint, and pattern colours.
#include <gtest/gtest.h>

#include <cstdlib>

#include "graphics_support.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/Image.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/render/Render.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Screen.h"
#include "render_support.h"
#include "tests/platform/core_support.h"
#include "ui_support.h"

namespace platform {
namespace {

using graphics_test::colorNear;
using graphics_test::decodeFrame;
using graphics_test::sample;
using render_test::pixelAt;
using render_test::Rgba;

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

// Encoded and written as displayed: turned, not as stored.
TEST(GraphicsEncode, WhatIsWrittenIsWhatIsDisplayed) {
  auto turned = Image::create(sixPixels(), 1.0, ImageOrientation::Right);
  const std::vector<std::uint32_t> shown = {d, a, e, b, f, c};
  auto png = encodePNG(*turned);
  ASSERT_TRUE(png);
  auto decoded = decodeFrame(*png);
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->width(), 2);
  EXPECT_EQ(pixelsOf(*decoded), shown);
  core_test::TempFolder dir;
  EXPECT_TRUE(turned->writePNG(dir.at("turned.png")));
  auto fromFile = decodeFrame(*FileManager::defaultManager().contentsAtPath(dir.at("turned.png")));
  ASSERT_TRUE(fromFile);
  EXPECT_EQ(pixelsOf(*fromFile), shown);
  EXPECT_FALSE(turned->writePNG(dir.at("missing/x.png")));  // no such folder
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

// 4 × 2 pixels: column x has red 10·x, row y has green 100·y.
std::shared_ptr<Image> gradient(double scale, ImageOrientation orientation = ImageOrientation::Up) {
  std::vector<std::uint32_t> px;
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x)
      px.push_back(Color::rgba(x * 10 / 255.0, y * 100 / 255.0, 0).premultipliedARGB());
  }
  return Image::create(
      Bitmap::create(4, 2, std::move(px), AlphaInfo::NoneSkipFirst, ColorModel::RGB), scale,
      orientation);
}

bool same(Rgba a, Rgba b) { return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a; }

TEST(ImageTools, CropsInPointsAtTheImagesScale) {
  auto image = gradient(2)->imageWithRenderingMode(ImageRenderingMode::AlwaysTemplate);
  auto part = image->croppedToRect(makeRect(0.5, 0, 1, 0.5));  // pixels 1..2 of row 0
  ASSERT_TRUE(part);
  EXPECT_EQ(part->scale(), 2);
  EXPECT_EQ(part->size(), (Size{1, 0.5}));
  EXPECT_EQ(part->renderingMode(), ImageRenderingMode::AlwaysTemplate);
  EXPECT_EQ(pixelAt(*part, 0, 0).r, 10);
  EXPECT_EQ(pixelAt(*part, 1, 0).r, 20);
  EXPECT_EQ(part->bitmap()->alphaInfo(), AlphaInfo::NoneSkipFirst);

  // A partly covered pixel is kept; what lies outside is cut off; a miss is nothing.
  EXPECT_EQ(image->croppedToRect(makeRect(1.75, 0.75, 5, 5))->bitmap()->width(), 1);
  EXPECT_EQ(image->croppedToRect(makeRect(0.2, 0.2, 0.1, 0.1))->bitmap()->width(), 1);
  EXPECT_FALSE(image->croppedToRect(makeRect(2, 0, 1, 1)));
  EXPECT_FALSE(image->croppedToRect(makeRect(-5, -5, 1, 1)));
  EXPECT_FALSE(image->croppedToRect(kRectNull));
  EXPECT_FALSE(image->croppedToRect(makeRect(0, 0, 1e300, 1)));

  // The rect is in what a person sees: a turned image is cropped after turning.
  auto turned = gradient(1, ImageOrientation::Right);  // shown 2 wide, 4 high
  auto top = turned->croppedToRect(makeRect(0, 0, 2, 1));
  ASSERT_TRUE(top);
  EXPECT_EQ(top->orientation(), ImageOrientation::Up);
  EXPECT_EQ(top->size(), (Size{2, 1}));
  EXPECT_EQ(pixelAt(*top, 0, 0).g, 100);  // the stored left column, read upwards
  EXPECT_EQ(pixelAt(*top, 1, 0).g, 0);
  EXPECT_EQ(pixelAt(*top, 1, 0).r, 0);

  EXPECT_FALSE(gradient(1)->bitmap()->cropped(0, 0, 0, 1));
  EXPECT_EQ(gradient(1)->bitmap()->cropped(-3, -3, 5, 5)->width(), 2);
}

TEST(ImageTools, RenderingModeSharesPixelsAndTemplatesFillInAColour) {
  auto original = gradient(2);
  EXPECT_EQ(original->renderingMode(), ImageRenderingMode::Automatic);
  EXPECT_EQ(original->imageWithRenderingMode(ImageRenderingMode::Automatic), original);
  auto templ = original->imageWithRenderingMode(ImageRenderingMode::AlwaysTemplate);
  EXPECT_NE(templ, original);
  EXPECT_EQ(templ->bitmap(), original->bitmap());
  EXPECT_EQ(templ->scale(), 2);

  auto half = render_test::solidImage(2, 2, Color::rgba(0.2, 0.9, 0.4, 0.5));
  auto filled = half->imageFilledWithColor(Color::rgba(1, 0, 0, 1));
  const Rgba p = pixelAt(*filled, 1, 1);
  EXPECT_EQ(p.r, 255);
  EXPECT_EQ(p.g, 0);
  EXPECT_NEAR(p.a, 128, 1);  // the coverage stays
  EXPECT_EQ(pixelAt(*half->imageFilledWithColor(Color::rgba(0, 0, 1, 0.5)), 0, 0).a, 64);
}

class TemplateViews : public ui_test::UITest {
 protected:
  static Rgba centre(View& view) {
    view.updateTree();
    RenderOptions options;
    options.scale = 1;
    auto image = renderLayer(*view.layer(), options);
    return pixelAt(*image, image->bitmap()->width() / 2, image->bitmap()->height() / 2);
  }
};

TEST_F(TemplateViews, ImageViewsAndButtonsDrawTemplatesInTheirTint) {
  auto white = render_test::solidImage(10, 10, Color::whiteColor());
  auto view = ImageView::create(white->imageWithRenderingMode(ImageRenderingMode::AlwaysTemplate));
  view->setTintColor(Color::red());
  EXPECT_TRUE(same(centre(*view), Rgba{255, 0, 0, 255}));
  view->setTintColor(Color::blue());
  EXPECT_TRUE(same(centre(*view), Rgba{0, 0, 255, 255}));
  auto original = ImageView::create(white);  // Automatic: as it is, whatever the tint
  original->setTintColor(Color::red());
  EXPECT_TRUE(same(centre(*original), Rgba{255, 255, 255, 255}));

  // Inherited tint: a template in a tinted superview follows it.
  auto parent = View::create(makeRect(0, 0, 10, 10));
  auto child = ImageView::create(white->imageWithRenderingMode(ImageRenderingMode::AlwaysTemplate));
  parent->addSubview(child);
  parent->setTintColor(Color::green());
  EXPECT_TRUE(same(centre(*parent), Rgba{0, 255, 0, 255}));

  auto button = Button::create(makeRect(0, 0, 30, 30));
  button->setImage(white->imageWithRenderingMode(ImageRenderingMode::AlwaysTemplate), 0);
  button->setTintColor(Color::red());
  button->layoutIfNeeded();
  EXPECT_TRUE(same(centre(*button), Rgba{255, 0, 0, 255}));
  button->setTintColor(Color::blue());
  EXPECT_TRUE(same(centre(*button), Rgba{0, 0, 255, 255}));
}

TEST_F(TemplateViews, PatternColoursTileFromTheOrigin) {
  // A 2 × 2 point tile at scale 2: red on the left half, blue on the right.
  auto tileContext = Context::create({2, 2}, 2, false);
  tileContext->fillRect(makeRect(0, 0, 1, 2), Color::red());
  tileContext->fillRect(makeRect(1, 0, 1, 2), Color::blue());
  auto tile = tileContext->makeImage();
  const Color pattern = Color::withPatternImage(tile);
  EXPECT_TRUE(pattern.isPattern());
  EXPECT_EQ(pattern.patternImage(), tile);
  EXPECT_EQ(Color::withPatternImage(tile), pattern);  // one tile per image
  EXPECT_FALSE(Color::red().isPattern());
  EXPECT_FALSE(Color::withPatternImage(nullptr).isPattern());
  EXPECT_EQ(pattern.withAlpha(0.5).patternImage(), tile);

  auto context = Context::create({8, 2}, 1, false);
  context->fillRect(makeRect(0, 0, 8, 2), pattern);
  auto filled = context->makeImage();
  for (int x = 0; x < 8; ++x) {
    const Rgba p = pixelAt(*filled, x, 1);
    EXPECT_TRUE(same(p, x % 2 == 0 ? Rgba{255, 0, 0, 255} : Rgba{0, 0, 255, 255})) << x;
  }
  // A view's background paints the pattern too.
  auto view = View::create(makeRect(0, 0, 4, 4));
  view->setBackgroundColor(pattern);
  RenderOptions options;
  options.scale = 2;
  auto shown = renderLayer(*view->layer(), options);
  EXPECT_TRUE(same(pixelAt(*shown, 0, 0), Rgba{255, 0, 0, 255}));
  EXPECT_TRUE(same(pixelAt(*shown, 2, 0), Rgba{0, 0, 255, 255}));
  EXPECT_TRUE(same(pixelAt(*shown, 5, 7), Rgba{255, 0, 0, 255}));
}

}  // namespace
}  // namespace platform
