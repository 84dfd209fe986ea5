#include <gtest/gtest.h>

#include <any>
#include <memory>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "app/SPListViewController.h"
#include "platform/dispatch/RunLoop.h"
#include "platform/dispatch/ScopedVirtualClock.h"
#include "platform/foundation/NotificationCenter.h"
#include "platform/render/RenderView.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/TouchDriver.h"
#include "platform/ui/Window.h"
#include "tests/support/net_test_server.h"
#include "ui/support/hud/HDProgressHUD.h"
#include "ui/support/refresh/RFRefreshNormalHeader.h"
#include "ui/support/refresh/RFScrollViewRefresh.h"

namespace sprout {
namespace {

constexpr char kList[] = R"([{"title": "春季运动会报名开始啦", "detail": "2024-3-18"},
                             {"title": "本周食谱已更新"}, {"title": "家长开放日安排", "detail": "周五"}])";

// The launched app showing a list screen fed by a loopback server; the HUD's statuses recorded.
class ListScreen : public ::testing::Test {
 protected:
  ListScreen() {
    server->serve("/notices", kList, "application/json");
    server->serve("/broken", "{not json", "application/json");
    server->serve("/missing", "gone", "text/plain", {}, 404);
    app->applicationDidFinishLaunching();
    fingers = std::make_unique<platform::TouchDriver>(app->window());
    token = platform::NotificationCenter::defaultCenter().addObserver(
        kHDProgressHUDWillAppearNotification, nullptr, [this](const platform::Notification& n) {
          auto it = n.userInfo.find(kHDProgressHUDStatusUserInfoKey);
          statuses.push_back(it == n.userInfo.end() ? std::string()
                                                    : std::any_cast<std::string>(it->second));
        });
  }
  ~ListScreen() override {
    token.reset();
    HDProgressHUD::resetSharedView();
    loop.runPending();
    platform::ApplicationWindows::shared().reset();
  }

  std::shared_ptr<SPListViewController> show(const std::string& path) {
    auto screen = SPListViewController::create(*platform::URL::parse(server->url(path)));
    app->window()->setRootViewController(screen);
    app->window()->layoutIfNeeded();
    return screen;
  }
  // Pulls the list down well past the header and lets go.
  void pullToRefresh() {
    fingers->begin({180, 150});
    for (int i = 1; i <= 20; ++i) {
      loop.advance(1.0 / 60);
      fingers->move({180, 150.0 + 12 * i});
    }
    loop.advance(0.2);
    fingers->end();
    loop.advance(1.0 / 60);
  }

  platform::ScopedVirtualClock clock;
  platform::RunLoop& loop = platform::RunLoop::main();
  std::unique_ptr<nettest::TestHTTPServer> server = nettest::TestHTTPServer::start();
  std::shared_ptr<AppDelegate> app = AppDelegate::create();
  std::unique_ptr<platform::TouchDriver> fingers;
  std::vector<std::string> statuses;
  platform::ObserverToken token;
};

// Pixels of the app's window inside `r` (window points) with ink on them: text on white.
int inked(const std::shared_ptr<platform::Window>& window, const platform::Rect& r) {
  platform::RenderOptions options;
  options.scale = 1;
  options.background = platform::Color::whiteColor();
  auto image = platform::renderView(*window, options);
  const auto& bitmap = *image->bitmap();
  int ink = 0;
  for (int y = static_cast<int>(minY(r)); y < static_cast<int>(maxY(r)); ++y) {
    for (int x = static_cast<int>(minX(r)); x < static_cast<int>(maxX(r)); ++x) {
      const auto p = bitmap.pixel(x, y);
      ink += ((p >> 16) & 0xFF) < 0xA0 && ((p >> 8) & 0xFF) < 0xA0 && (p & 0xFF) < 0xA0;
    }
  }
  return ink;
}

TEST_F(ListScreen, PullingDownLoadsTheListAndStopsTheHeader) {
  auto screen = show("/notices");
  auto table = screen->tableView();
  auto header = std::dynamic_pointer_cast<RFRefreshNormalHeader>(rf_header(*table));
  ASSERT_TRUE(header);
  const platform::Rect firstRow = platform::makeRect(0, 0, 320, 60);
  EXPECT_EQ(inked(app->window(), firstRow), 0);  // nothing loaded, nothing drawn
  pullToRefresh();
  ASSERT_EQ(header->state(), RFRefreshStateRefreshing);
  loop.advance(0.3);  // the header's slide, then its block
  EXPECT_GT(inked(app->window(), header->convertRectTo(header->bounds(), nullptr)), 50);
  ASSERT_TRUE(loop.runUntil([&] { return screen->items().size() == 3; }));
  EXPECT_EQ(server->requestCount("/notices"), 1u);
  EXPECT_EQ(screen->items()[0].title, "春季运动会报名开始啦");
  EXPECT_EQ(screen->items()[1].detail, "");
  EXPECT_EQ(table->numberOfRowsInSection(0), 3);
  loop.runPending();
  EXPECT_EQ(header->state(), RFRefreshStateIdle);
  loop.advance(1);  // the header slides back, the HUD fades
  EXPECT_EQ(statuses.front(), SPListViewController::kLoadingStatus);
  EXPECT_FALSE(screen->lastError());
  EXPECT_EQ(table->contentOffset().y, 0);
  EXPECT_EQ(table->contentInset().top, 0);
  EXPECT_GT(inked(app->window(), firstRow), 50);  // the first notice is drawn at the top
  EXPECT_EQ(inked(app->window(), platform::makeRect(0, 200, 320, 200)), 0);  // under three rows
}

TEST_F(ListScreen, AFailedLoadShowsAnErrorAndStillStopsTheHeader) {
  for (const char* path : {"/broken", "/missing"}) {
    auto screen = show(path);
    auto header = rf_header(*screen->tableView());
    header->beginRefreshing();
    loop.advance(0.3);
    ASSERT_TRUE(loop.runUntil([&] { return screen->lastError().has_value(); })) << path;
    EXPECT_EQ(screen->lastError()->domain, SPListViewController::kErrorDomain);
    EXPECT_TRUE(screen->items().empty());
    loop.runPending();
    EXPECT_EQ(header->state(), RFRefreshStateIdle);
    loop.advance(0.1);
    EXPECT_EQ(HDProgressHUD::sharedView()->statusLabel()->text(),
              SPListViewController::kFailureStatus);
    loop.advance(3);
  }
}

TEST_F(ListScreen, TheHeaderDoesNotKeepItsScreenAlive) {
  std::weak_ptr<SPListViewController> weak;
  std::weak_ptr<RFRefreshHeader> header;
  {
    auto screen = show("/notices");
    weak = screen;
    header = rf_header(*screen->tableView());
    app->window()->setRootViewController(platform::ViewController::create());
  }
  EXPECT_TRUE(weak.expired());
  EXPECT_TRUE(header.expired());
}

TEST(ListParsing, RowsNeedATitleAndTheBodyAnArray) {
  const auto parse = [](const std::string& text) {
    return SPListViewController::parseList(platform::Data(text.begin(), text.end()));
  };
  EXPECT_EQ(parse(R"([{"title":"a","detail":"b"}])").value().at(0).detail, "b");
  EXPECT_TRUE(parse("[]").value().empty());
  for (const char* bad : {"", "{}", "[1]", R"([{"detail":"x"}])", R"([{"title":3}])", "[{"}) {
    const auto result = parse(bad);
    ASSERT_FALSE(result) << bad;
    EXPECT_EQ(result.error().domain, SPListViewController::kErrorDomain);
  }
}

}  // namespace
}  // namespace sprout
