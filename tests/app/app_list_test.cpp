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
#include "ui/support/refresh/RFRefreshBackNormalFooter.h"
#include "ui/support/refresh/RFRefreshBundle.h"
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
  // Drags the list up by 400 points, holds still and lets go (no fling).
  void pullUp() {
    fingers->begin({180, 500});
    dragUpHolding();
    fingers->end();
    loop.advance(1.0 / 60);
  }
  void dragUpHolding() {
    for (int i = 1; i <= 20; ++i) {
      loop.advance(1.0 / 60);
      fingers->move({180, 500.0 - 20 * i});
    }
    loop.advance(0.2);
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

TEST_F(ListScreen, PullingDownLoadsTheListAndStopsTheHeader) {
  auto screen = show("/notices");
  auto table = screen->tableView();
  auto header = std::dynamic_pointer_cast<RFRefreshNormalHeader>(rf_header(*table));
  ASSERT_TRUE(header);
  pullToRefresh();
  ASSERT_EQ(header->state(), RFRefreshStateRefreshing);
  loop.advance(0.3);  // the header's slide, then its block
  ASSERT_TRUE(loop.runUntil([&] { return screen->items().size() == 3; }));
  EXPECT_EQ(server->requestCount("/notices"), 1u);
  EXPECT_EQ(screen->items()[0].title, "春季运动会报名开始啦");
  EXPECT_EQ(screen->items()[1].detail, "");
  EXPECT_EQ(table->numberOfRowsInSection(0), 3);
  loop.runPending();
  EXPECT_EQ(header->state(), RFRefreshStateIdle);
  loop.advance(1);
  EXPECT_EQ(statuses.front(), SPListViewController::kLoadingStatus);
  EXPECT_FALSE(screen->lastError());
}

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

// Ten rows a page for two pages, then an empty page: the list is complete.
std::string page(const std::string& target) {
  const auto at = target.find("page=");
  const int n = at == std::string::npos ? 0 : std::stoi(target.substr(at + 5));
  if (n < 1 || n > 2) return "[]";
  std::string body = "[";
  for (int i = 0; i < 10; ++i) {
    body += std::string(i ? "," : "") + R"({"title": "通知 )" + std::to_string((n - 1) * 10 + i) +
            R"(", "detail": "第 )" + std::to_string(n) + R"( 页"})";
  }
  return body + "]";
}

TEST_F(ListScreen, PullDownThenDragUpPageByPageUntilTheListIsComplete) {
  server->handle("/paged", [](const nettest::RecordedRequest& request, nettest::Reply& reply) {
    reply.contentType = "application/json";
    reply.body = page(request.target);
  });
  auto screen = show("/paged");
  auto table = screen->tableView();
  auto footer = std::dynamic_pointer_cast<RFRefreshBackNormalFooter>(rf_footer(*table));
  ASSERT_TRUE(footer);
  const platform::Rect firstRow = platform::makeRect(0, 0, 320, 60);
  EXPECT_EQ(inked(app->window(), firstRow), 0);
  pullUp();  // nothing to add to yet: no request
  loop.advance(1);
  EXPECT_EQ(server->requestCount("/paged"), 0u);

  pullToRefresh();
  loop.advance(0.3);  // the header slides into place, then its block asks for page 1
  ASSERT_TRUE(loop.runUntil([&] { return screen->items().size() == 10; }));
  loop.advance(1);  // the header slides back, the HUD fades
  EXPECT_EQ(rf_header(*table)->state(), RFRefreshStateIdle);
  EXPECT_EQ(server->lastRequest("/paged")->target, "/paged?page=1");
  EXPECT_GT(inked(app->window(), firstRow), 50);  // "通知 0" is drawn
  EXPECT_EQ(table->contentOffset().y, 0);

  // Up to the end and past it: the footer loads page 2 below the first ten rows.
  for (int tries = 0; tries < 4 && screen->pagesLoaded() < 2; ++tries) {
    pullUp();
    loop.advance(0.5);
    loop.runUntil([&] { return !footer->isRefreshing(); });
    loop.advance(0.5);
  }
  ASSERT_EQ(screen->pagesLoaded(), 2);
  EXPECT_EQ(screen->items().size(), 20u);
  EXPECT_EQ(screen->items()[10].title, "通知 10");
  EXPECT_EQ(table->numberOfRowsInSection(0), 20);
  EXPECT_EQ(footer->state(), RFRefreshStateIdle);
  EXPECT_EQ(server->lastRequest("/paged")->target, "/paged?page=2");

  // Up again until page 3 answers empty: the list is complete.
  for (int tries = 0; tries < 6 && footer->state() != RFRefreshStateNoMoreData; ++tries) {
    pullUp();
    loop.advance(0.5);
    loop.runUntil([&] { return footer->state() != RFRefreshStateRefreshing; });
    loop.advance(0.5);
  }
  ASSERT_EQ(footer->state(), RFRefreshStateNoMoreData);
  EXPECT_EQ(server->requestCount("/paged"), 3u);
  EXPECT_EQ(screen->items().size(), 20u);
  EXPECT_EQ(footer->stateLabel()->text(),
            rf_localizedStringForKey("RFRefreshBackFooterNoMoreDataText"));

  // Pulled once more, the footer shows it has nothing more, and asks for nothing.
  fingers->begin({180, 500});
  dragUpHolding();
  const platform::Rect shown = footer->convertRectTo(footer->bounds(), nullptr);
  ASSERT_LT(minY(shown), 568);  // in sight under the finger
  EXPECT_GT(inked(app->window(), platform::intersection(shown, platform::makeRect(0, 0, 320, 568))),
            50);
  fingers->end();
  loop.advance(2);
  EXPECT_EQ(footer->state(), RFRefreshStateNoMoreData);
  EXPECT_EQ(server->requestCount("/paged"), 3u);
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
  EXPECT_EQ(parse(R"([{"title":"a","detail":"b"}])").value->at(0).detail, "b");
  EXPECT_TRUE(parse("[]").value->empty());
  for (const char* bad : {"", "{}", "[1]", R"([{"detail":"x"}])", R"([{"title":3}])", "[{"}) {
    const auto result = parse(bad);
    EXPECT_FALSE(result.value) << bad;
    ASSERT_TRUE(result.error) << bad;
    EXPECT_EQ(result.error->domain, SPListViewController::kErrorDomain);
  }
}

}  // namespace
}  // namespace sprout
