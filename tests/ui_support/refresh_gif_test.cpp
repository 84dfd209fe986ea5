// The image-playing header and footers: which frame a pull shows, when images show and where.
#include <cmath>
#include <tuple>
#include <vector>

#include "platform/graphics/Bitmap.h"
#include "platform/layout/LayoutConstraint.h"
#include "refresh_test_support.h"
#include "ui/support/refresh/RFRefreshAutoGifFooter.h"
#include "ui/support/refresh/RFRefreshBackGifFooter.h"
#include "ui/support/refresh/RFRefreshGifHeader.h"
#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFScrollViewRefresh.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {
namespace {

using Images = RFRefreshGifImages::Images;

Images frames(int count, int height = 40) {
  Images out;
  for (int i = 0; i < count; ++i) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(30 * height), 0xFF000000u + i);
    out.push_back(platform::Image::create(platform::Bitmap::create(
        30, height, std::move(pixels), platform::AlphaInfo::First, platform::ColorModel::RGB)));
  }
  return out;
}

using GifTest = refresh_test::ScrollRefreshTest;

TEST_F(GifTest, ThePullPicksTheIdleFrame) {
  const std::tuple<std::size_t, double, std::size_t> cases[] = {
      {10, 0.35, 3}, {10, 1.0, 9}, {10, 7.5, 9}, {10, -0.2, 0}, {10, std::nan(""), 0}, {0, 0.5, 0}};
  for (const auto& [count, percent, index] : cases) {
    EXPECT_EQ(RFRefreshGifImages::frameIndex(count, percent), index) << count << " " << percent;
  }

  auto header = RFRefreshGifHeader::headerWithRefreshingBlock(nullptr);
  const Images idle = frames(10);
  header->setImages(idle, RFRefreshStateIdle);
  EXPECT_DOUBLE_EQ(header->images().duration(RFRefreshStateIdle), 1.0);
  setRf_header(*scroll, header);
  // A real pull: 0.35 of the header's 54 points past the edge.
  dragBy({180, 200}, 30, 3);
  moveFingerTo(fingerYForOffset(*scroll, -0.35 * 54 - 1e-6, 0));
  EXPECT_NEAR(header->pullingPercent(), 0.35, 1e-6);
  EXPECT_EQ(header->gifView()->image(), idle[3]);
  holdAndLift();
}

TEST_F(GifTest, TallerImagesGrowTheViewAndOneImageIsShownStill) {
  auto header = RFRefreshGifHeader::headerWithRefreshingBlock(nullptr);
  header->setImages(frames(3, 60), RFRefreshStatePulling);
  EXPECT_EQ(header->frame().size.height, 60);
  header->setImages(frames(3, 20), RFRefreshStateIdle);
  EXPECT_EQ(header->frame().size.height, 60);  // never shrinks
  const Images one = frames(1);
  header->setImages(one, RFRefreshStateRefreshing);
  header->setState(RFRefreshStateRefreshing);
  EXPECT_EQ(header->gifView()->image(), one.back());
  EXPECT_FALSE(header->gifView()->isAnimating());
  header->setState(RFRefreshStatePulling);
  EXPECT_TRUE(header->gifView()->isAnimating());
  EXPECT_DOUBLE_EQ(header->gifView()->animationDuration(), 0.3);
  header->setState(RFRefreshStateIdle);
  EXPECT_FALSE(header->gifView()->isAnimating());
}

TEST_F(GifTest, AnAutomaticImageFooterShowsOnlyWhileLoading) {
  auto footer = RFRefreshAutoGifFooter::footerWithRefreshingBlock(nullptr);
  footer->setImages(frames(4), RFRefreshStateRefreshing);
  setRf_footer(*scroll, footer);
  EXPECT_TRUE(footer->gifView()->isHidden());
  footer->beginRefreshing();
  EXPECT_FALSE(footer->gifView()->isHidden());
  EXPECT_TRUE(footer->gifView()->isAnimating());
  footer->endRefreshingWithNoMoreData();
  EXPECT_TRUE(footer->gifView()->isHidden());
  EXPECT_FALSE(footer->gifView()->isAnimating());
  window->layoutIfNeeded();
  EXPECT_EQ(footer->gifView()->contentMode(), platform::ViewContentMode::Right);
  EXPECT_LT(footer->gifView()->frame().size.width, 375.0 / 2 - 20);
}

TEST_F(GifTest, ASpringBackImageFooterShowsNothingNewForAStateWithoutImages) {
  auto footer = RFRefreshBackGifFooter::footerWithRefreshingBlock(nullptr);
  const Images pulling = frames(3);
  footer->setImages(pulling, RFRefreshStatePulling);
  setRf_footer(*scroll, footer);
  footer->endRefreshingWithNoMoreData();
  drain();
  EXPECT_TRUE(footer->gifView()->isHidden());
  footer->beginRefreshing();  // no images for Refreshing: still hidden
  EXPECT_EQ(footer->state(), RFRefreshStateRefreshing);
  EXPECT_TRUE(footer->gifView()->isHidden());
  footer->endRefreshing();
  drain();
  advance(1);
  EXPECT_FALSE(footer->gifView()->isHidden());  // Idle shows it again
  footer->setState(RFRefreshStatePulling);
  EXPECT_TRUE(footer->gifView()->isAnimating());
  EXPECT_EQ(footer->gifView()->animationImages(), pulling);
}

TEST_F(GifTest, EmptyImagesZeroDurationsAndNoHeightAreHarmless) {
  auto footer = RFRefreshBackGifFooter::footerWithRefreshingBlock(nullptr);
  footer->setImages({}, RFRefreshStateIdle);
  footer->setImages(frames(2), 0, RFRefreshStatePulling);
  EXPECT_EQ(footer->images().images(RFRefreshStateIdle), nullptr);
  setRf_h(*footer, 0);
  setRf_footer(*scroll, footer);
  footer->setPullingPercent(0.5);
  footer->setState(RFRefreshStatePulling);
  EXPECT_TRUE(footer->gifView()->isAnimating());
  advance(1);
  footer->setState(RFRefreshStateNoMoreData);
  EXPECT_TRUE(footer->gifView()->isHidden());
  dragBy({180, 500}, -700, 20);
  EXPECT_FALSE(std::isnan(footer->pullingPercent()));
  holdAndLift();
  advance(1);
  window->layoutIfNeeded();
  EXPECT_GE(footer->gifView()->frame().size.width, 0);
}

TEST_F(GifTest, EachImageViewEndsTwentyPointsLeftOfItsTextOrIsCentredWithoutText) {
  auto header = RFRefreshGifHeader::headerWithRefreshingBlock(nullptr);
  auto autoFooter = RFRefreshAutoGifFooter::footerWithRefreshingBlock(nullptr);
  auto backFooter = RFRefreshBackGifFooter::footerWithRefreshingBlock(nullptr);
  setRf_header(*scroll, header);
  setRf_footer(*scroll, backFooter);
  auto other = platform::ScrollView::create(platform::makeRect(0, 0, 375, 600));
  window->addSubview(other);
  setRf_footer(*other, autoFooter);
  window->layoutIfNeeded();

  const double widest =
      std::max(rf_textWith(*header->stateLabel()), rf_textWith(*header->lastUpdatedTimeLabel()));
  EXPECT_EQ(header->gifView()->contentMode(), platform::ViewContentMode::Right);
  EXPECT_EQ(header->gifView()->frame().size.height, rf_h(*header));
  EXPECT_DOUBLE_EQ(rf_w(*header->gifView()), 187.5 - widest * 0.5 - 20);
  EXPECT_DOUBLE_EQ(rf_w(*backFooter->gifView()),
                   187.5 - rf_textWith(*backFooter->stateLabel()) * 0.5 - 20);
  EXPECT_DOUBLE_EQ(rf_w(*autoFooter->gifView()),
                   187.5 - rf_textWith(*autoFooter->stateLabel()) * 0.5 - 20);

  // The time label alone still counts as text beside the images.
  header->stateLabel()->setHidden(true);
  header->setNeedsLayout();
  window->layoutIfNeeded();
  EXPECT_EQ(header->gifView()->contentMode(), platform::ViewContentMode::Right);
  header->lastUpdatedTimeLabel()->setHidden(true);
  backFooter->stateLabel()->setHidden(true);
  autoFooter->setRefreshingTitleHidden(true);
  for (platform::View* view :
       {static_cast<platform::View*>(header.get()), static_cast<platform::View*>(backFooter.get()),
        static_cast<platform::View*>(autoFooter.get())}) {
    view->setNeedsLayout();
  }
  window->layoutIfNeeded();
  for (const auto& gif : {header->gifView(), backFooter->gifView(), autoFooter->gifView()}) {
    EXPECT_EQ(gif->contentMode(), platform::ViewContentMode::Center);
    EXPECT_EQ(gif->frame().size.width, 375);
  }

  // An image view with constraints of its own is left to them.
  auto gif = header->gifView();
  gif->setFrame(platform::makeRect(5, 5, 100, 20));
  platform::LayoutConstraint::create(gif, platform::LayoutAttributeWidth,
                                     platform::LayoutRelationEqual, nullptr,
                                     platform::LayoutAttributeNotAnAttribute, 1, 100)
      ->setActive(true);
  header->setNeedsLayout();
  window->layoutIfNeeded();
  EXPECT_EQ(gif->frame(), platform::makeRect(5, 5, 100, 20));
}

}  // namespace
}  // namespace sprout
