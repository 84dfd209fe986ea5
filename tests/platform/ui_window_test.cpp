#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/Label.h"
#include "platform/ui/Screen.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/VisualEffectView.h"
#include "platform/ui/Window.h"
#include "render_support.h"
#include "ui_fixtures.h"

namespace platform {
namespace {

using render_test::pixelAt;

using ui_test::Logged;

class UIWindow : public ui_test::UITest {
 protected:
  std::vector<std::string> log;
};

TEST_F(UIWindow, WindowsStackByLevelAndTrackTheKeyWindow) {
  auto& app = ApplicationWindows::shared();
  auto main = Window::create();
  EXPECT_EQ(main->frame(), Screen::main().bounds());
  EXPECT_TRUE(main->isHidden());
  auto alert = Window::create();
  alert->setWindowLevel(kWindowLevelAlert);
  auto other = Window::create();
  main->makeKeyAndVisible();
  EXPECT_TRUE(main->isKeyWindow());
  other->setHidden(false);
  alert->makeKeyAndVisible();
  EXPECT_FALSE(main->isKeyWindow());
  EXPECT_EQ(app.keyWindow(), alert);
  EXPECT_EQ(app.windows(), (std::vector<std::shared_ptr<Window>>{main, other, alert}));
  other->setHidden(true);
  EXPECT_EQ(app.visibleWindows(), (std::vector<std::shared_ptr<Window>>{main, alert}));
  alert->setHidden(true);
  EXPECT_EQ(app.keyWindow(), nullptr);
  alert.reset();
  EXPECT_EQ(app.windows().size(), 2u);
  EXPECT_EQ(app.statusBarFrame(), makeRect(0, 0, 375, 20));
  app.setStatusBarHidden(true);
  EXPECT_EQ(app.statusBarFrame(), kRectZero);
}

TEST_F(UIWindow, ControllersLoadAppearPresentAndSetTheStatusBar) {
  auto window = Window::create(makeRect(0, 0, 320, 480));
  auto root = Logged::create("root", &log);
  window->setRootViewController(root);
  EXPECT_EQ(log, (std::vector<std::string>{"root loadView", "root viewDidLoad"}));
  EXPECT_EQ(root->view()->frame(), window->bounds());  // fills the window
  EXPECT_EQ(root->view()->nextResponder(), root);
  EXPECT_EQ(root->nextResponder(), window);
  log.clear();
  window->makeKeyAndVisible();
  EXPECT_EQ(log, (std::vector<std::string>{"root willAppear", "root didAppear"}));
  window->setFrame(makeRect(0, 0, 300, 400));
  EXPECT_EQ(root->view()->frame(), makeRect(0, 0, 300, 400));

  log.clear();
  auto sheet = Logged::create("sheet", &log, StatusBarStyle::LightContent);
  bool presented = false;
  root->presentViewController(sheet, true, [&] { presented = true; });
  EXPECT_EQ(log, (std::vector<std::string>{"sheet loadView", "sheet viewDidLoad",
                                           "sheet willAppear+", "sheet didAppear+"}));
  EXPECT_EQ(root->presentedViewController(), sheet);
  EXPECT_EQ(sheet->presentingViewController(), root);
  EXPECT_TRUE(sheet->wasPresentedAnimated());
  EXPECT_EQ(window->subviews().back(), sheet->view());
  EXPECT_EQ(ApplicationWindows::shared().statusBarStyle(), StatusBarStyle::LightContent);
  EXPECT_FALSE(presented);
  loop.runPending();
  EXPECT_TRUE(presented);

  log.clear();
  sheet->dismissViewController(false);  // a presented controller dismisses itself
  EXPECT_EQ(log, (std::vector<std::string>{"sheet willDisappear", "sheet didDisappear"}));
  EXPECT_EQ(root->presentedViewController(), nullptr);
  EXPECT_EQ(sheet->view()->superview(), nullptr);
  EXPECT_EQ(ApplicationWindows::shared().statusBarStyle(), StatusBarStyle::Default);

  // A controller whose view is in no window cannot present.
  auto loose = Logged::create("loose", &log);
  loose->presentViewController(Logged::create("x", &log), false);
  EXPECT_EQ(loose->presentedViewController(), nullptr);
}

TEST_F(UIWindow, RendersASmallWindowToPixels) {
  ui_test::ScopedScreenBounds screen(makeRect(0, 0, 100, 80));
  auto window = Window::create();
  window->setBackgroundColor(Color::whiteColor());
  window->makeKeyAndVisible();
  auto panel = View::create(makeRect(10, 10, 60, 40));
  panel->setBackgroundColor(Color::black());
  panel->layer()->setCornerRadius(8);
  window->addSubview(panel);
  auto label = Label::create(makeRect(0, 0, 60, 40));
  label->setTextColor(Color::whiteColor());
  label->setTextAlignment(TextAlignment::Center);
  label->setText("OK");
  panel->addSubview(label);
  auto frost = VisualEffectView::create(BlurEffectStyle::Dark, makeRect(60, 0, 40, 80));
  window->addSubview(frost);

  RenderOptions options;
  options.scale = 2;
  auto image = renderScreen(options);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->bitmap()->width(), 200);
  EXPECT_EQ(image->bitmap()->height(), 160);
  EXPECT_EQ(pixelAt(*image, 4, 4).r, 255);    // the window's white
  EXPECT_EQ(pixelAt(*image, 22, 22).r, 255);  // the panel's rounded corner shows white
  EXPECT_EQ(pixelAt(*image, 40, 30).r, 0);    // the panel
  int white = 0;                              // the label's text, white on black
  for (int x = 40; x < 100; ++x) white += pixelAt(*image, x, 60).r > 200;
  EXPECT_GT(white, 2);
  const int underFrost = pixelAt(*image, 190, 150).r;  // white, blurred and darkened
  EXPECT_GT(underFrost, 20);
  EXPECT_LT(underFrost, 200);
  // renderView draws one tree in its own coordinates, ignoring where it sits.
  auto panelImage = renderView(*panel, options);
  EXPECT_EQ(panelImage->bitmap()->width(), 120);
  EXPECT_EQ(pixelAt(*panelImage, 60, 10).r, 0);
  // Hidden windows are not on screen.
  window->setHidden(true);
  EXPECT_EQ(render_test::alphaAt(*renderScreen(options), 4, 4), 0);
}

}  // namespace
}  // namespace platform
