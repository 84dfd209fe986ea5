// Labels and cells draw straight into the rendered frame, which must show exactly what their own
// bitmaps would have shown; a background under opaque sublayers is only filled where it shows.
#include <gtest/gtest.h>

#include <string>

#include "platform/animation/Layer.h"
#include "platform/render/Render.h"
#include "platform/render/RenderTarget.h"
#include "platform/ui/Label.h"
#include "platform/ui/scroll/TableViewCell.h"
#include "render_support.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

using render_test::pixelAt;
using render_test::Rgba;
using ui_test::differingPixels;

class RenderInPlace : public ui_test::UITest {
 protected:
  static std::shared_ptr<Image> render(View& view, double scale = 2) {
    view.updateTree();
    RenderOptions options;
    options.scale = scale;
    options.time = 0;
    return renderLayer(*view.layer(), options);
  }
  // A label in a coloured box, and its twin that keeps a bitmap of its own (another content mode).
  struct Pair {
    std::shared_ptr<View> box, twinBox;
    std::shared_ptr<Label> label, twin;
  };
  static Pair pair(const Rect& frame, Color background, TextAlignment alignment) {
    Pair p;
    p.box = View::create(makeRect(0, 0, 200, 60));
    p.twinBox = View::create(makeRect(0, 0, 200, 60));
    p.label = Label::create(frame);
    p.twin = Label::create(frame);
    p.twin->setContentMode(ViewContentMode::ScaleToFill);
    for (const auto& [box, label] : {std::pair{p.box, p.label}, std::pair{p.twinBox, p.twin}}) {
      box->setBackgroundColor(background);
      label->layer()->setContentsScale(2);
      label->setFont(Font::systemFont(15));
      label->setTextColor(Color::hex(0x224466));
      label->setTextAlignment(alignment);
      label->setText("家长开放日 9:30 — Open day");
      box->addSubview(label);
    }
    return p;
  }
  static void setText(Pair& p, const std::string& text) {
    p.label->setText(text);
    p.twin->setText(text);
  }
};

TEST_F(RenderInPlace, TextDrawnIntoTheFrameShowsTheSamePixelsAsItsBitmap) {
  for (Color background : {Color::whiteColor(), Color::hex(0x3366AA)}) {
    for (TextAlignment alignment :
         {TextAlignment::Natural, TextAlignment::Center, TextAlignment::Right}) {
      Pair p = pair(makeRect(10, 10, 180, 40), background, alignment);
      auto ours = render(*p.box);
      auto theirs = render(*p.twinBox);
      EXPECT_TRUE(p.label->layer()->drawsInPlace());
      EXPECT_FALSE(p.label->layer()->contents());  // no bitmap made
      ASSERT_TRUE(p.twin->layer()->contents());
      EXPECT_EQ(differingPixels(*ours, *theirs), 0) << static_cast<int>(alignment);
      // A shadow paints pixels twice: kept in a bitmap, it shows as it always did.
      for (const auto& l : {p.label, p.twin}) {
        l->setShadowColor(Color::hex(0xFF8800));
        l->setShadowOffset({1.5, 1});
      }
      EXPECT_EQ(differingPixels(*render(*p.box), *render(*p.twinBox)), 0)
          << static_cast<int>(alignment);
      EXPECT_FALSE(p.label->layer()->drawsInPlace());
      p.label->setShadowColor(std::nullopt);
      render(*p.box);
      EXPECT_TRUE(p.label->layer()->drawsInPlace());
    }
  }
}

// Off the pixel grid, at another scale or under a fading ancestor the label shows its bitmap, and
// that bitmap follows the text.
TEST_F(RenderInPlace, WhereItsPixelsDoNotLineUpItShowsItsBitmap) {
  Pair offGrid = pair(makeRect(10.25, 10.5, 180, 40), Color::whiteColor(), TextAlignment::Natural);
  auto first = render(*offGrid.box);
  EXPECT_EQ(differingPixels(*first, *render(*offGrid.twinBox)), 0);
  setText(offGrid, "清明节放假通知");
  auto second = render(*offGrid.box);
  EXPECT_GT(differingPixels(*first, *second), 100);  // not the last text's bitmap again
  EXPECT_EQ(differingPixels(*second, *render(*offGrid.twinBox)), 0);

  Pair fading = pair(makeRect(10, 10, 180, 40), Color::hex(0x3366AA), TextAlignment::Center);
  for (const auto& box : {fading.box, fading.twinBox}) box->setAlpha(0.6);
  EXPECT_EQ(differingPixels(*render(*fading.box), *render(*fading.twinBox)), 0);
  EXPECT_EQ(differingPixels(*render(*fading.box, 1), *render(*fading.twinBox, 1)), 0);
  EXPECT_EQ(differingPixels(*render(*fading.box, 3), *render(*fading.twinBox, 3)), 0);

  // Back on the grid, a new text is drawn in place again.
  for (const auto& box : {fading.box, fading.twinBox}) box->setAlpha(1);
  setText(fading, "绘本漂流活动");
  EXPECT_EQ(differingPixels(*render(*fading.box), *render(*fading.twinBox)), 0);
  EXPECT_FALSE(fading.label->layer()->contents());
}

TEST_F(RenderInPlace, CellsDrawSeparatorAndSelectionIntoTheFrame) {
  auto cell = TableViewCell::create(TableViewCellStyle::Default, "row");
  cell->setFrame(makeRect(0, 0, 320, 44));
  cell->layer()->setContentsScale(2);
  auto image = render(*cell);
  EXPECT_TRUE(cell->layer()->drawsInPlace());
  EXPECT_FALSE(cell->layer()->contents());
  const Rgba line = pixelAt(*image, 100, 87);
  EXPECT_EQ(line.r, 200);
  EXPECT_EQ(line.b, 204);
  EXPECT_EQ(pixelAt(*image, 10, 87).r, 255);  // left of the separator's inset
  EXPECT_EQ(pixelAt(*image, 100, 40).g, 255);
  cell->setSelected(true);
  EXPECT_EQ(pixelAt(*render(*cell), 100, 40).g, 217);
  cell->setSelected(false);
  EXPECT_EQ(pixelAt(*render(*cell), 100, 40).g, 255);
}

// A background is left out only under pixels an opaque, flat sublayer paints over.
TEST_F(RenderInPlace, BackgroundIsFilledWhereverItShows) {
  auto parent = View::create(makeRect(0, 0, 100, 100));
  parent->setBackgroundColor(Color::red());
  auto cover = View::create(makeRect(0, 0, 100, 30.25));  // ends in the middle of pixel row 60
  auto faint = View::create(makeRect(0, 40, 50, 20));
  auto round = View::create(makeRect(50, 40, 50, 20));
  auto hidden = View::create(makeRect(0, 70, 100, 30));
  for (const auto& v : {cover, faint, round, hidden}) {
    v->setBackgroundColor(Color::whiteColor());
    parent->addSubview(v);
  }
  faint->setAlpha(0.5);
  round->layer()->setCornerRadius(8);
  hidden->setHidden(true);
  RenderTarget target;  // kept from frame to frame: nothing of the last frame may show
  RenderOptions options;
  options.scale = 2;
  options.time = 0;
  parent->updateTree();
  auto frame = renderLayer(*parent->layer(), target, options);
  auto expect = [&](int x, int y, int r, int g, int b) {
    const Rgba p = pixelAt(*frame, x, y);
    EXPECT_EQ(p.a, 255) << x << "," << y;
    EXPECT_NEAR(p.r, r, 1) << x << "," << y;
    EXPECT_NEAR(p.g, g, 1) << x << "," << y;
    EXPECT_NEAR(p.b, b, 1) << x << "," << y;
  };
  expect(50, 20, 255, 255, 255);
  expect(50, 60, 255, 128, 128);   // half covered: half the background shows
  expect(20, 100, 255, 128, 128);  // the faint one over the background
  expect(101, 81, 255, 0, 0);      // the rounded one's corner
  expect(150, 100, 255, 255, 255);
  expect(50, 170, 255, 0, 0);  // under the hidden one
  frame.reset();
  cover->setFrame(makeRect(0, 0, 100, 10));
  hidden->setHidden(false);
  hidden->setFrame(makeRect(0, 80, 100, 20));
  parent->updateTree();
  frame = renderLayer(*parent->layer(), target, options);
  expect(50, 40, 255, 0, 0);  // where the cover was
  expect(50, 150, 255, 0, 0);
  expect(50, 170, 255, 255, 255);
}

TEST_F(RenderInPlace, KnowsWhetherAnyLayerBlursItsBackdrop) {
  const bool before = Layer::anyBlursBackdrop();
  if (before) GTEST_SKIP() << "another layer of this process blurs";
  auto blur = Layer::create();
  blur->setBackdropBlurRadius(10);
  EXPECT_TRUE(Layer::anyBlursBackdrop());
  {
    auto copy = blur->presentationAt(0);
    blur->setBackdropBlurRadius(0);
    EXPECT_TRUE(Layer::anyBlursBackdrop());  // the copy still does
  }
  EXPECT_FALSE(Layer::anyBlursBackdrop());
  blur->setBackdropBlurRadius(4);
  blur.reset();
  EXPECT_FALSE(Layer::anyBlursBackdrop());
}

}  // namespace
}  // namespace platform
