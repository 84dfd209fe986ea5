#include "app/SPHUDTool.h"
#include "platform/foundation/NotificationCenter.h"
#include "tests/app/app_fixture.h"

namespace sprout {
namespace {

// The launched app on the virtual clock, the HUD's disappearances timed.
class AppHUD : public app_test::AppTest {
 protected:
  AppHUD() : AppTest(platform::makeRect(0, 0, 375, 667)) {
    token = platform::NotificationCenter::defaultCenter().addObserver(
        kHDProgressHUDWillDisappearNotification, nullptr,
        [this](const platform::Notification&) { disappearedAt.push_back(clock.now() - start); });
  }
  // The badge's shape: which pixels are solid.
  static std::vector<bool> shape(const platform::Image& image) {
    std::vector<bool> out;
    const auto& bitmap = *image.bitmap();
    for (int y = 0; y < bitmap.height(); ++y) {
      for (int x = 0; x < bitmap.width(); ++x) out.push_back((bitmap.pixel(x, y) >> 24) > 128);
    }
    return out;
  }

  const double start = clock.now();
  std::vector<double> disappearedAt;
  platform::ObserverToken token;
};

TEST_F(AppHUD, TheDelegatesWindowIsWhatTheHUDCovers) {
  EXPECT_EQ(AppDelegate::create()->window(), nullptr);  // not launched
  auto& windows = platform::ApplicationWindows::shared();
  EXPECT_EQ(windows.delegate(), app);
  ASSERT_NE(app->window(), nullptr);
  EXPECT_EQ(app->window()->bounds(), platform::Screen::main().bounds());
  EXPECT_EQ(windows.keyWindow(), app->window());

  SPHUDTool::showLoadingWithString("加载中...");
  loop.runPending();
  auto hud = HDProgressHUD::sharedView();
  EXPECT_EQ(hud->frame(), app->window()->bounds());
  EXPECT_EQ(hud->overlayView()->frame(), app->window()->bounds());
  EXPECT_EQ(hud->window(), app->window());
  EXPECT_EQ(hud->hudView()->center(), (platform::Point{187.5, 300}));

  // A window set by the launch code before launching is the one kept.
  auto own = platform::Window::create(platform::makeRect(0, 0, 200, 300));
  auto other = AppDelegate::create();
  other->setWindow(own);
  other->applicationDidFinishLaunching();
  EXPECT_EQ(other->window(), own);
  EXPECT_EQ(windows.delegate(), other);
}

TEST_F(AppHUD, LoadingStaysAndMessagesLeaveAfterTwoSeconds) {
  SPHUDTool::showLoadingWithString("加载中...");
  loop.runPending();
  auto hud = HDProgressHUD::sharedView();
  EXPECT_EQ(hud->settings().defaultStyle, HDProgressHUDStyle::Dark);
  EXPECT_EQ(hud->statusLabel()->text(), "加载中...");
  EXPECT_EQ(hud->statusLabel()->textColor(), platform::Color::whiteColor());
  EXPECT_EQ(hud->indefiniteAnimatedView()->superview(), hud->hudView());
  loop.advance(30);
  EXPECT_TRUE(HDProgressHUD::isVisible());
  SPHUDTool::dismiss();
  loop.runPending();
  loop.advance(1);
  EXPECT_FALSE(HDProgressHUD::isVisible());
  EXPECT_EQ(disappearedAt.size(), 1u);

  struct Message {
    void (*show)(const std::string&);
    std::shared_ptr<platform::Image> badge;
  };
  for (const Message& message :
       {Message{SPHUDTool::showSuccess, hud->settings().successImage},
        Message{SPHUDTool::showError, hud->settings().errorImage},
        Message{SPHUDTool::showInfoWithString, hud->settings().infoImage}}) {
    ASSERT_NE(message.badge, nullptr);
    disappearedAt.clear();
    const double shownAt = clock.now() - start;
    message.show("请先选择孩子");
    loop.runPending();
    auto shown = hud->imageView()->image();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown, message.badge);  // a template, drawn in the image view's tint
    // The top of the badge's ring, 1.5 points down: white for the dark style.
    platform::RenderOptions options;
    options.scale = shown->scale();
    auto drawn = platform::renderView(*hud->imageView(), options);
    EXPECT_EQ(shape(*drawn), shape(*message.badge));
    const int top = static_cast<int>(1.5 * shown->scale());
    EXPECT_EQ(drawn->bitmap()->pixel(drawn->bitmap()->width() / 2, top), 0xFFFFFFFFu);
    loop.advance(1.9);
    EXPECT_TRUE(disappearedAt.empty());
    loop.advance(1);
    ASSERT_EQ(disappearedAt.size(), 1u);
    EXPECT_NEAR(disappearedAt[0] - shownAt, 2.0, 1e-6);
    EXPECT_FALSE(HDProgressHUD::isVisible());
  }
}

}  // namespace
}  // namespace sprout
