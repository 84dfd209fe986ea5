// Drawing surfaces are reused while their size holds, without ever changing an image somebody
// still holds; a kept target is erased unless what is drawn covers every pixel. The painter leaves
// out layers the clip hides, keeps zPosition order, and bounds groups without cutting what shows.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "animation_support.h"
#include "platform/animation/Layer.h"
#include "platform/animation/ShapeLayer.h"
#include "platform/animation/Transaction.h"
#include "platform/graphics/Context.h"
#include "platform/render/Render.h"
#include "platform/render/RenderTarget.h"
#include "render_support.h"

namespace platform {
namespace {

using render_test::alphaAt;
using render_test::pixelAt;

// Paints a 5 x 5 square of `color` and counts how often the painter asks for its content.
class Painted : public Layer {
 public:
  static std::shared_ptr<Painted> create(const Rect& frame) {
    auto l = std::shared_ptr<Painted>(new Painted());
    l->setFrame(frame);
    return l;
  }
  void drawInContext(Context& context) override {
    context.fillRect(makeRect(0, 0, 5, 5), color);  // the rest stays as the surface starts
  }
  void renderContent(cairo_t* /*cr*/) const override { ++rendered; }
  Color color = Color::green();
  mutable int rendered = 0;
};

class RenderTargets : public animation_test::OnVirtualClock {
 protected:
  static std::shared_ptr<Image> draw(Layer& layer, double scale = 1) {
    RenderOptions options;
    options.scale = scale;
    return renderLayer(layer, options);
  }
  std::shared_ptr<Image> drawInto(Layer& layer, double scale = 1) {
    RenderOptions options;
    options.scale = scale;
    return renderLayer(layer, target, options);
  }
  static std::shared_ptr<Layer> box(Rect frame, Color color) {
    auto l = Layer::create();
    l->setFrame(frame);
    l->setBackgroundColor(color);
    return l;
  }
  // Changes without implicit animations, so the next frame shows them.
  static void now(const std::function<void()>& change) {
    Transaction::begin();
    Transaction::setDisableActions(true);
    change();
    Transaction::commit();
  }

  RenderTarget target;
};

TEST_F(RenderTargets, BackingsReuseTheSurfaceButNeverAnImageStillHeld) {
  auto layer = Painted::create(makeRect(0, 0, 10, 10));
  auto redraw = [&](Color c) {
    layer->color = c;
    layer->setNeedsDisplay();
    layer->displayIfNeeded();
  };
  redraw(Color::green());
  const std::uint32_t* firstPixels = layer->contents()->bitmap()->pixels();
  // Nobody else holds the first drawing: the second draws into the same pixels, cleared first.
  redraw(Color::red());
  std::shared_ptr<Image> held = layer->contents();
  EXPECT_EQ(held->bitmap()->pixels(), firstPixels);
  EXPECT_EQ(pixelAt(*held, 2, 2).r, 255);
  EXPECT_EQ(alphaAt(*held, 7, 7), 0);
  // Somebody holds the red drawing: the blue one goes elsewhere and red stays red.
  redraw(Color::blue());
  EXPECT_NE(layer->contents()->bitmap()->pixels(), held->bitmap()->pixels());
  EXPECT_EQ(pixelAt(*held, 2, 2).r, 255);
  EXPECT_EQ(pixelAt(*layer->contents(), 2, 2).b, 255);
  // A new size gets a surface of that size; the held image outlives the layer and its surface.
  layer->setBounds(makeRect(0, 0, 12, 6));
  redraw(Color::blue());
  EXPECT_EQ(layer->contents()->bitmap()->width(), 12);
  EXPECT_EQ(layer->contents()->bitmap()->height(), 6);
  layer.reset();
  EXPECT_EQ(pixelAt(*held, 2, 2).r, 255);

  // Shared images of opaque contexts read opaque.
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

TEST_F(RenderTargets, FramesShareThePixelsOnlyWhileNobodyHoldsThem) {
  auto root = box(makeRect(0, 0, 20, 10), Color::red());
  auto first = drawInto(*root);
  const std::uint32_t* pixels = first->bitmap()->pixels();
  first.reset();
  auto second = drawInto(*root);
  EXPECT_EQ(second->bitmap()->pixels(), pixels);  // reused: nobody held the first
  now([&] { root->setBackgroundColor(Color::blue()); });
  auto third = drawInto(*root);
  EXPECT_NE(third->bitmap()->pixels(), second->bitmap()->pixels());
  EXPECT_EQ(pixelAt(*second, 5, 5).r, 255);  // the held frame kept its picture
  EXPECT_EQ(pixelAt(*third, 5, 5).b, 255);
  // Another size gets a surface of that size; the held frames outlive the target.
  now([&] { root->setBounds(makeRect(0, 0, 8, 4)); });
  EXPECT_EQ(drawInto(*root)->bitmap()->width(), 8);
  EXPECT_EQ(pixelAt(*second, 19, 9).r, 255);
}

TEST_F(RenderTargets, ErasesWhatTheNextFrameDoesNotCover) {
  auto root = box(makeRect(0, 0, 20, 10), Color::red());
  drawInto(*root);  // the surface now holds red everywhere
  // A clear root with a small square: everything else must be transparent again.
  now([&] { root->setBackgroundColor(Color::clear()); });
  auto square = box(makeRect(0, 0, 5, 5), Color::green());
  root->addSublayer(square);
  auto frame = drawInto(*root);
  EXPECT_EQ(pixelAt(*frame, 2, 2).g, 255);
  EXPECT_EQ(alphaAt(*frame, 15, 8), 0);
  frame.reset();
  // A child covering the root exactly covers every pixel: no erase needed, none shows.
  now([&] { square->setFrame(makeRect(0, 0, 20, 10)); });
  EXPECT_EQ(pixelAt(*drawInto(*root), 19, 9).g, 255);
  // Rounded corners, half transparency, or a cover that stops short leave pixels to erase.
  now([&] { square->setCornerRadius(4); });
  EXPECT_EQ(alphaAt(*drawInto(*root), 0, 0), 0);
  now([&] {
    square->setCornerRadius(0);
    square->setBackgroundColor(Color::green().withAlpha(0.5));
  });
  EXPECT_EQ(alphaAt(*drawInto(*root), 10, 5), 128);
  now([&] {
    square->setBackgroundColor(Color::green());
    square->setFrame(makeRect(0, 0, 20, 9.5));
  });
  EXPECT_EQ(alphaAt(*drawInto(*root, 2), 10, 19), 0);  // at scale 2 the half point is a row
}

TEST_F(RenderTargets, GroupsKeepEverythingTheyShow) {
  auto root = box(makeRect(0, 0, 40, 40), Color::whiteColor());
  // A half-transparent layer whose sublayer lies outside its bounds still shows it.
  auto faded = box(makeRect(0, 0, 10, 10), Color::clear());
  faded->setOpacity(0.5);
  faded->addSublayer(box(makeRect(20, 20, 10, 10), Color::black()));
  root->addSublayer(faded);
  // A masked layer shows wherever its turned mask reaches, past its own bounds' box too.
  auto masked = box(makeRect(10, 0, 10, 10), Color::blue());
  masked->setMasksToBounds(false);
  masked->addSublayer(box(makeRect(-10, 0, 30, 14), Color::blue()));
  auto mask = box(makeRect(-5, 0, 20, 10), Color::black());
  mask->setAffineTransform(AffineTransform::rotation(M_PI / 2));
  masked->setMask(mask);
  root->addSublayer(masked);
  auto frame = drawInto(*root, 2);
  EXPECT_NEAR(pixelAt(*frame, 50, 50).r, 127, 1);  // the faded sublayer, half over white
  // Turned upright the mask spans x 10 to 20 and y -5 to 15: below the layer's own bounds too.
  EXPECT_EQ(pixelAt(*frame, 30, 24).b, 255);
  EXPECT_EQ(pixelAt(*frame, 30, 24).r, 0);
  EXPECT_EQ(pixelAt(*frame, 10, 10).r, 255);  // beside the mask: white
}

TEST_F(RenderTargets, LayersTheClipHidesAreLeftOutAndTheRestStillShow) {
  auto root = Painted::create(makeRect(0, 0, 20, 20));
  root->setMasksToBounds(true);
  auto outside = Painted::create(makeRect(30, 0, 10, 10));
  auto inside = Painted::create(makeRect(0, 0, 10, 10));
  root->addSublayer(outside);
  root->addSublayer(inside);
  // A layer outside whose sublayer reaches back in is still visited, and its sublayer drawn.
  auto parentOutside = Painted::create(makeRect(-30, 0, 10, 10));
  auto reachingIn = Painted::create(makeRect(30, 10, 5, 5));
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

TEST_F(RenderTargets, ZPositionOrdersSiblingsAtEveryLevel) {
  auto root = Painted::create(makeRect(0, 0, 10, 10));
  auto zBox = [](Color c, double z) {
    auto l = box(makeRect(0, 0, 10, 10), c);
    l->setZPosition(z);
    return l;
  };
  auto high = zBox(Color::clear(), 1);
  high->addSublayer(zBox(Color::blue(), 2));
  high->addSublayer(zBox(Color::green(), 1));  // below its earlier sibling by zPosition
  root->addSublayer(high);
  root->addSublayer(zBox(Color::red(), 0));
  EXPECT_EQ(pixelAt(*draw(*root), 5, 5).b, 255);
  high->setZPosition(-1);
  EXPECT_EQ(pixelAt(*draw(*root), 5, 5).r, 255);
}

}  // namespace
}  // namespace platform
