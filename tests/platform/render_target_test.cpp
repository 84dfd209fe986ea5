// Rendering into a kept target: frames share its pixels, a held frame never changes, and the
// target is erased unless what is drawn covers every pixel. Groups for opacity and masks are
// bounded without cutting anything that shows.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "animation_support.h"
#include "platform/animation/Layer.h"
#include "platform/animation/Transaction.h"
#include "platform/graphics/Context.h"
#include "platform/render/Render.h"
#include "platform/render/RenderTarget.h"
#include "render_support.h"

namespace platform {
namespace {

using render_test::alphaAt;
using render_test::pixelAt;

class RenderIntoTarget : public animation_test::OnVirtualClock {
 protected:
  std::shared_ptr<Image> draw(Layer& layer, double scale = 1) {
    RenderOptions options;
    options.scale = scale;
    return renderLayer(layer, target, options);
  }
  static std::shared_ptr<Layer> layer(Rect frame, Color color) {
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

TEST_F(RenderIntoTarget, FramesShareThePixelsOnlyWhileNobodyHoldsThem) {
  auto root = layer(makeRect(0, 0, 20, 10), Color::red());
  auto first = draw(*root);
  const std::uint32_t* pixels = first->bitmap()->pixels();
  first.reset();
  auto second = draw(*root);
  EXPECT_EQ(second->bitmap()->pixels(), pixels);  // reused: nobody held the first
  now([&] { root->setBackgroundColor(Color::blue()); });
  auto third = draw(*root);
  EXPECT_NE(third->bitmap()->pixels(), second->bitmap()->pixels());
  EXPECT_EQ(pixelAt(*second, 5, 5).r, 255);  // the held frame kept its picture
  EXPECT_EQ(pixelAt(*third, 5, 5).b, 255);
  // Another size gets a surface of that size; the held frames outlive the target.
  now([&] { root->setBounds(makeRect(0, 0, 8, 4)); });
  EXPECT_EQ(draw(*root)->bitmap()->width(), 8);
  EXPECT_EQ(pixelAt(*second, 19, 9).r, 255);
}

TEST_F(RenderIntoTarget, ErasesWhatTheNextFrameDoesNotCover) {
  auto root = layer(makeRect(0, 0, 20, 10), Color::red());
  draw(*root);  // the surface now holds red everywhere
  // A clear root with a small square: everything else must be transparent again.
  now([&] { root->setBackgroundColor(Color::clear()); });
  auto square = layer(makeRect(0, 0, 5, 5), Color::green());
  root->addSublayer(square);
  auto frame = draw(*root);
  EXPECT_EQ(pixelAt(*frame, 2, 2).g, 255);
  EXPECT_EQ(alphaAt(*frame, 15, 8), 0);
  frame.reset();
  // A child covering the root exactly covers every pixel: no erase needed, none shows.
  now([&] { square->setFrame(makeRect(0, 0, 20, 10)); });
  frame = draw(*root);
  EXPECT_EQ(pixelAt(*frame, 19, 9).g, 255);
  frame.reset();
  // Rounded corners, half transparency, or a cover that stops short leave pixels to erase.
  now([&] { square->setCornerRadius(4); });
  frame = draw(*root);
  EXPECT_EQ(alphaAt(*frame, 0, 0), 0);
  frame.reset();
  now([&] {
    square->setCornerRadius(0);
    square->setBackgroundColor(Color::green().withAlpha(0.5));
  });
  frame = draw(*root);
  EXPECT_EQ(alphaAt(*frame, 10, 5), 128);
  frame.reset();
  now([&] {
    square->setBackgroundColor(Color::green());
    square->setFrame(makeRect(0, 0, 20, 9.5));
  });
  frame = draw(*root, 2);  // at scale 2 the half point is a whole pixel row
  EXPECT_EQ(alphaAt(*frame, 10, 19), 0);
}

TEST_F(RenderIntoTarget, GroupsKeepEverythingTheyShow) {
  auto root = layer(makeRect(0, 0, 40, 40), Color::whiteColor());
  // A half-transparent layer whose sublayer lies outside its bounds still shows it.
  auto faded = layer(makeRect(0, 0, 10, 10), Color::clear());
  faded->setOpacity(0.5);
  faded->addSublayer(layer(makeRect(20, 20, 10, 10), Color::black()));
  root->addSublayer(faded);
  // A masked layer shows wherever its turned mask reaches, past its own bounds' box too.
  auto masked = layer(makeRect(10, 0, 10, 10), Color::blue());
  masked->setMasksToBounds(false);
  auto wide = layer(makeRect(-10, 0, 30, 14), Color::blue());
  masked->addSublayer(wide);
  auto mask = layer(makeRect(-5, 0, 20, 10), Color::black());
  mask->setAffineTransform(AffineTransform::rotation(M_PI / 2));
  masked->setMask(mask);
  root->addSublayer(masked);
  auto frame = draw(*root, 2);
  EXPECT_NEAR(pixelAt(*frame, 50, 50).r, 127, 1);  // the faded sublayer, half over white
  // Turned upright the mask spans x 10 to 20 and y -5 to 15: below the layer's own bounds too.
  EXPECT_EQ(pixelAt(*frame, 30, 24).b, 255);
  EXPECT_EQ(pixelAt(*frame, 30, 24).r, 0);
  EXPECT_EQ(pixelAt(*frame, 10, 10).r, 255);  // beside the mask: white
}

}  // namespace
}  // namespace platform
