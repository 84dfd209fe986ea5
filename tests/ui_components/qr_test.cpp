#include "tests/ui_components/fixtures.h"
#include "ui/components/qr/QRUtil.h"
#include "ui/components/qr/QRView.h"

namespace sprout {
namespace {

using components_test::near255;
using components_test::pixelAt;
using platform::Color;
using platform::InterfaceOrientation;
using platform::makeRect;

class QROverlay : public components_test::ComponentsTest {
 protected:
  QROverlay() : ComponentsTest(kScreen, 2) {}
  std::shared_ptr<QRView> makeOverlay(platform::Size area = {280, 280}) {
    auto overlay = QRView::create(QRUtil::screenBounds());
    overlay->setTransparentArea(area);
    overlay->setBackgroundColor(Color::clear());
    return overlay;
  }
  // Where the line is after each of `steps` timer ticks. The clock goes to whole ticks from
  // where it stands, since adding 0.01 again and again would drift off the timer's schedule.
  std::vector<double> stepLine(QRView& overlay, int steps) {
    std::vector<double> ys;
    const double from = clock.now();
    for (int i = 1; i <= steps; ++i) {
      loop.advance(from + i * 0.01 - clock.now());
      ys.push_back(overlay.qrLine()->frame().origin.y);
    }
    return ys;
  }
};

TEST_F(QROverlay, ScreenBoundsExchangeTheSidesOnlyInLandscapeWithoutAFixedSpace) {
  const platform::Rect bounds = makeRect(5, 6, 320, 568);
  for (auto o : {InterfaceOrientation::LandscapeRight, InterfaceOrientation::LandscapeLeft}) {
    EXPECT_EQ(QRUtil::screenBounds(bounds, false, o), makeRect(0, 0, 568, 320));
    EXPECT_EQ(QRUtil::screenBounds(bounds, true, o), bounds);
  }
  // Portrait, upside down, unknown and face-up / face-down values keep the bounds.
  for (int o : {0, 1, 2, 5, 6}) {
    EXPECT_EQ(QRUtil::screenBounds(bounds, false, static_cast<InterfaceOrientation>(o)), bounds);
  }
  EXPECT_EQ(QRUtil::screenBounds(), kScreen);
}

TEST_F(QROverlay, CaptureOrientationFollowsTheStatusBar) {
  auto& app = platform::ApplicationWindows::shared();
  const std::vector<std::pair<int, std::int64_t>> cases = {{0, 1}, {1, 1}, {2, 2}, {3, 3},
                                                           {4, 4}, {5, 1}, {-1, 1}};
  for (const auto& [bar, capture] : cases) {
    app.setStatusBarOrientation(static_cast<InterfaceOrientation>(bar));
    EXPECT_EQ(QRUtil::videoOrientationFromCurrentDeviceOrientation(), capture) << bar;
  }
}

TEST_F(QROverlay, DrawsTheDimFillTheClearWindowItsOutlineAndTheCornerMarks) {
  auto overlay = makeOverlay();
  auto image = render(*overlay, clock.now());
  ASSERT_EQ(image->bitmap()->width(), 640);
  // Window: x 20...300, y 144...424.
  const Color dim = Color::rgba(40 / 255.0, 40 / 255.0, 40 / 255.0, 0.5);
  EXPECT_TRUE(near255(pixelAt(*image, 10, 10), dim));
  EXPECT_TRUE(near255(pixelAt(*image, 310, 560), dim));
  EXPECT_TRUE(near255(pixelAt(*image, 160, 130), dim));
  EXPECT_EQ(pixelAt(*image, 160, 284).a, 0);
  EXPECT_EQ(pixelAt(*image, 22, 400).a, 0);
  // The white 0.8-point outline over the first 1-point black stroke (the scan line covers the
  // top edge).
  const Color edge = pixelAt(*image, 20.25, 300);
  EXPECT_GT(edge.r, 0.75);
  EXPECT_TRUE(near255(edge, Color::rgba(edge.r, edge.r, edge.r, 1)));
  EXPECT_TRUE(near255(pixelAt(*image, 299.75, 300), edge, 2));
  EXPECT_TRUE(near255(pixelAt(*image, 160, 424.25), edge, 2));
  // The corner arms, 2 points wide and 0.7 in from the window's edges.
  const Color green = Color::rgba(83 / 255.0, 239 / 255.0, 111 / 255.0, 1);
  EXPECT_TRUE(near255(pixelAt(*image, 20.75, 151), green, 0));
  EXPECT_TRUE(near255(pixelAt(*image, 299.25, 420), green, 0));
  EXPECT_TRUE(near255(pixelAt(*image, 292, 423.25), green, 0));
  // Some arms reach 15.7 points, the others 15.
  EXPECT_TRUE(near255(pixelAt(*image, 35.25, 423.25), green, 0));
  EXPECT_TRUE(near255(pixelAt(*image, 299.25, 159.25), green, 0));
  EXPECT_FALSE(near255(pixelAt(*image, 20.75, 159.25), green, 40));
  EXPECT_FALSE(near255(pixelAt(*image, 299.25, 408.75), green, 40));
}

TEST_F(QROverlay, WithoutATransparentAreaEverythingStaysDimmed) {
  auto overlay = makeOverlay({0, 0});
  auto image = render(*overlay, clock.now());
  const Color dim = Color::rgba(40 / 255.0, 40 / 255.0, 40 / 255.0, 0.5);
  EXPECT_TRUE(near255(pixelAt(*image, 100, 100), dim));
  EXPECT_TRUE(near255(pixelAt(*image, 150, 270), dim));
  ASSERT_NE(overlay->qrLine(), nullptr);
  EXPECT_EQ(overlay->qrLine()->frame(), makeRect(160, 284, 0, 2));
  // The corner marks all sit at the centre.
  EXPECT_GT(pixelAt(*image, 160.5, 284.5).g, 0.8);
  EXPECT_GT(pixelAt(*image, 145.5, 284.5).g, 0.8);
  EXPECT_TRUE(near255(pixelAt(*image, 140, 284), dim));
  EXPECT_TRUE(near255(pixelAt(*image, 160, 264), dim));
}

TEST_F(QROverlay, TheLineStepsDownTheWindowAndWrapsBelowItsTop) {
  auto window = platform::Window::create(QRUtil::screenBounds());
  auto overlay = makeOverlay();
  window->addSubview(overlay);
  EXPECT_EQ(overlay->qrLine(), nullptr);
  loop.runPending();  // the display pass lays the overlay out
  ASSERT_NE(overlay->qrLine(), nullptr);
  EXPECT_EQ(overlay->qrLine()->frame(), makeRect(20, 144, 280, 2));
  EXPECT_EQ(overlay->qrLine()->contentMode(), platform::ViewContentMode::ScaleAspectFill);
  ASSERT_NE(overlay->qrLine()->image(), nullptr);
  EXPECT_TRUE(overlay->isScanning());

  // Later layout passes start nothing new: one point per tick, not two.
  const auto* line = overlay->qrLine().get();
  overlay->setNeedsLayout();
  overlay->layoutIfNeeded();
  overlay->setFrame(makeRect(0, 0, 320, 568.5));
  overlay->layoutIfNeeded();
  overlay->setFrame(QRUtil::screenBounds());
  loop.runPending();
  EXPECT_EQ(overlay->qrLine().get(), line);

  std::vector<double> expected;
  for (int y = 145; y <= 421; ++y) expected.push_back(y);
  expected.push_back(145);
  expected.push_back(146);
  EXPECT_EQ(stepLine(*overlay, static_cast<int>(expected.size())), expected);
}

TEST_F(QROverlay, TheStepIsAHundredthOfASecondAnimation) {
  auto overlay = makeOverlay();
  overlay->layoutIfNeeded();
  loop.advance(0.01);  // towards 145
  ASSERT_EQ(overlay->qrLine()->frame().origin.y, 145);
  const double shown =
      overlay->qrLine()->layer()->presentationAt(clock.now() + 0.005)->frame().origin.y;
  EXPECT_GT(shown, 144);
  EXPECT_LT(shown, 145);
  EXPECT_EQ(overlay->qrLine()->layer()->presentationAt(clock.now() + 0.0101)->frame().origin.y,
            145);
}

TEST_F(QROverlay, TheTimerStopsWhenTheOverlayLeavesItsWindowOrGoesAwayShownOrNot) {
  const std::size_t timersBefore = loop.timerCount();
  auto window = platform::Window::create(QRUtil::screenBounds());
  auto overlay = makeOverlay();
  window->addSubview(overlay);
  window->layoutIfNeeded();
  loop.runPending();
  ASSERT_TRUE(overlay->isScanning());
  EXPECT_EQ(stepLine(*overlay, 10).back(), 154);

  overlay->removeFromSuperview();
  EXPECT_FALSE(overlay->isScanning());
  stepLine(*overlay, 10);
  EXPECT_EQ(overlay->qrLineY(), 155);
  EXPECT_EQ(overlay->qrLine()->frame().origin.y, 154);
  EXPECT_EQ(loop.timerCount(), timersBefore);

  // Back in a window, the next layout pass carries on from where the line was.
  window->addSubview(overlay);
  loop.runPending();
  EXPECT_TRUE(overlay->isScanning());
  EXPECT_EQ(overlay->qrLine()->frame().origin.y, 155);
  EXPECT_EQ(stepLine(*overlay, 4), (std::vector<double>{156, 157, 158, 159}));

  // The timer does not keep the overlay alive, and dies with it.
  std::weak_ptr<QRView> weak = overlay;
  overlay->removeFromSuperview();
  window->addSubview(overlay);
  loop.runPending();
  overlay.reset();
  window->subviews().front()->removeFromSuperview();
  EXPECT_TRUE(weak.expired());
  loop.advance(0.05);
  EXPECT_EQ(loop.timerCount(), timersBefore);

  // An overlay laid out but never shown scans too, and dies with its timer all the same.
  auto unseen = makeOverlay();
  unseen->layoutIfNeeded();
  EXPECT_TRUE(unseen->isScanning());
  weak = unseen;
  unseen.reset();
  EXPECT_TRUE(weak.expired());
  loop.advance(0.05);
  EXPECT_EQ(loop.timerCount(), timersBefore);
}

}  // namespace
}  // namespace sprout
