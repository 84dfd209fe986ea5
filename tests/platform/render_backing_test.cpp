// A layer's drawing surface is reused while its size holds, without ever changing an image somebody
// still holds; the painter leaves out layers the clip hides and keeps zPosition order.
#include <gtest/gtest.h>

#include "animation_support.h"
#include "platform/animation/Layer.h"
#include "platform/animation/ShapeLayer.h"
#include "platform/graphics/Context.h"
#include "platform/render/Render.h"
#include "render_support.h"

namespace platform {
namespace {

using render_test::alphaAt;
using render_test::pixelAt;

class Painted : public Layer {
 public:
  static std::shared_ptr<Painted> create() { return std::shared_ptr<Painted>(new Painted()); }
  void drawInContext(Context& context) override {
    context.fillRect(makeRect(0, 0, 5, 5), color);  // the rest stays as the surface starts
  }
  void renderContent(cairo_t* /*cr*/) const override { ++rendered; }
  Color color = Color::green();
  mutable int rendered = 0;
};

class RenderBacking : public animation_test::OnVirtualClock {
 protected:
  static std::shared_ptr<Image> draw(Layer& layer) {
    RenderOptions options;
    options.scale = 1;
    return renderLayer(layer, options);
  }
  static std::shared_ptr<Painted> painted(Rect frame) {
    auto l = Painted::create();
    l->setFrame(frame);
    return l;
  }
};

TEST_F(RenderBacking, RedrawsReuseTheSurfaceButNeverAnImageStillHeld) {
  auto layer = painted(makeRect(0, 0, 10, 10));
  layer->setNeedsDisplay();
  layer->displayIfNeeded();
  const std::uint32_t* firstPixels = layer->contents()->bitmap()->pixels();
  // Nobody else holds the first drawing: the second draws into the same pixels, cleared first.
  layer->color = Color::red();
  layer->setNeedsDisplay();
  layer->displayIfNeeded();
  std::shared_ptr<Image> held = layer->contents();
  EXPECT_EQ(held->bitmap()->pixels(), firstPixels);
  EXPECT_EQ(pixelAt(*held, 2, 2).r, 255);
  EXPECT_EQ(alphaAt(*held, 7, 7), 0);
  // Somebody holds the red drawing: the blue one goes elsewhere and red stays red.
  layer->color = Color::blue();
  layer->setNeedsDisplay();
  layer->displayIfNeeded();
  EXPECT_NE(layer->contents()->bitmap()->pixels(), held->bitmap()->pixels());
  EXPECT_EQ(pixelAt(*held, 2, 2).r, 255);
  EXPECT_EQ(pixelAt(*layer->contents(), 2, 2).b, 255);
  // A new size gets a surface of that size.
  layer->setBounds(makeRect(0, 0, 12, 6));
  layer->setNeedsDisplay();
  layer->displayIfNeeded();
  EXPECT_EQ(layer->contents()->bitmap()->width(), 12);
  EXPECT_EQ(layer->contents()->bitmap()->height(), 6);
  // The held image outlives the layer and its surface.
  layer.reset();
  EXPECT_EQ(pixelAt(*held, 2, 2).r, 255);
}

TEST_F(RenderBacking, SharedImagesOfOpaqueContextsReadOpaque) {
  auto context = Context::create({4, 4}, 1, true);
  context->fillRect(makeRect(0, 0, 2, 4), Color::whiteColor());
  auto image = context->shareImage();
  EXPECT_TRUE(context->isShared());
  EXPECT_EQ(image->bitmap()->pixel(0, 0), 0xFFFFFFFFu);
  EXPECT_EQ(image->bitmap()->pixel(3, 0), 0xFF000000u);
  EXPECT_TRUE(context->fits({4, 4}, 1));
  EXPECT_FALSE(context->fits({4, 4}, 2));
  image.reset();
  EXPECT_FALSE(context->isShared());
  context->clear();
  EXPECT_EQ(context->makeBitmap()->pixel(0, 0), 0xFF000000u);
}

TEST_F(RenderBacking, LayersTheClipHidesAreLeftOutAndTheRestStillShow) {
  auto root = painted(makeRect(0, 0, 20, 20));
  root->setMasksToBounds(true);
  auto outside = painted(makeRect(30, 0, 10, 10));
  auto inside = painted(makeRect(0, 0, 10, 10));
  root->addSublayer(outside);
  root->addSublayer(inside);
  // A layer outside whose sublayer reaches back in is still visited, and its sublayer drawn.
  auto parentOutside = painted(makeRect(-30, 0, 10, 10));
  auto reachingIn = painted(makeRect(30, 10, 5, 5));
  reachingIn->setBackgroundColor(Color::green());
  parentOutside->addSublayer(reachingIn);
  root->addSublayer(parentOutside);
  // A shape's path may leave its bounds.
  auto shape = ShapeLayer::create();
  shape->setFrame(makeRect(-10, 15, 5, 5));
  Path path;
  path.addRect(makeRect(10, 0, 5, 5));
  shape->setPath(path);
  shape->setFillColor(Color::red());
  root->addSublayer(shape);
  auto image = draw(*root);
  EXPECT_EQ(outside->rendered, 0);
  EXPECT_EQ(inside->rendered, 1);
  EXPECT_EQ(parentOutside->rendered, 1);
  EXPECT_EQ(pixelAt(*image, 2, 12).g, 255);
  EXPECT_EQ(pixelAt(*image, 2, 17).r, 255);
}

TEST_F(RenderBacking, ZPositionOrdersSiblingsAtEveryLevel) {
  auto root = painted(makeRect(0, 0, 10, 10));
  auto makeBox = [](Color c, double z) {
    auto l = Layer::create();
    l->setFrame(makeRect(0, 0, 10, 10));
    l->setBackgroundColor(c);
    l->setZPosition(z);
    return l;
  };
  auto low = makeBox(Color::red(), 0);
  auto high = makeBox(Color::clear(), 1);
  high->addSublayer(makeBox(Color::blue(), 2));
  high->addSublayer(makeBox(Color::green(), 1));  // below its earlier sibling by zPosition
  root->addSublayer(high);
  root->addSublayer(low);
  EXPECT_EQ(pixelAt(*draw(*root), 5, 5).b, 255);
  high->setZPosition(-1);
  EXPECT_EQ(pixelAt(*draw(*root), 5, 5).r, 255);
}

}  // namespace
}  // namespace platform
