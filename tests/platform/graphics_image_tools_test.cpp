// Cropping, template images drawn in their view's tint, and pattern colours.
#include <gtest/gtest.h>

#include "platform/graphics/Context.h"
#include "platform/render/Render.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "render_support.h"
#include "ui_support.h"

namespace platform {
namespace {

using render_test::pixelAt;
using render_test::Rgba;

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
