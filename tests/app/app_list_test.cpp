#include <any>
#include <chrono>
#include <future>

#include "app/SPListViewController.h"
#include "platform/foundation/NotificationCenter.h"
#include "tests/app/app_fixture.h"
#include "tests/support/net_test_server.h"
#include "ui/support/refresh/RFRefreshNormalHeader.h"
#include "ui/support/refresh/RFScrollViewRefresh.h"

namespace sprout {
namespace {

constexpr char kList[] = R"([{"title": "春季运动会报名开始啦", "detail": "2024-3-18"},
                             {"title": "本周食谱已更新"}, {"title": "家长开放日安排", "detail": "周五"}])";

// The launched app showing a list screen fed by a loopback server; the HUD's statuses recorded.
class ListScreen : public app_test::AppTest {
 protected:
  ListScreen() : AppTest(platform::makeRect(0, 0, 375, 667)) {
    server->serve("/notices", kList, "application/json");
    server->serve("/broken", "{not json", "application/json");
    server->serve("/missing", "gone", "text/plain", {}, 404);
    token = platform::NotificationCenter::defaultCenter().addObserver(
        kHDProgressHUDWillAppearNotification, nullptr, [this](const platform::Notification& n) {
          auto it = n.userInfo.find(kHDProgressHUDStatusUserInfoKey);
          statuses.push_back(it == n.userInfo.end() ? std::string()
                                                    : std::any_cast<std::string>(it->second));
        });
  }

  std::shared_ptr<SPListViewController> open(const std::string& path) {
    auto screen = SPListViewController::create(*platform::URL::parse(server->url(path)));
    show(screen);
    return screen;
  }
  // Pixels of the app's window inside `r` (window points) with ink on them: text on white.
  int windowInk(const platform::Rect& r) {
    platform::RenderOptions options;
    options.scale = 1;
    options.background = platform::Color::whiteColor();
    return inked(*platform::renderView(*window, options), r);
  }
  // Pulls the list down well past the header and lets go.
  void pullToRefresh() {
    finger->drag({180, 150}, {180, 390}, 20);
    finger->holdAndLift(0.2);
    loop.advance(1.0 / 60);
  }

  std::unique_ptr<nettest::TestHTTPServer> server = nettest::TestHTTPServer::start();
  std::vector<std::string> statuses;
  platform::ObserverToken token;
};

TEST_F(ListScreen, PullingDownLoadsTheListAndStopsTheHeader) {
  auto screen = open("/notices");
  auto table = screen->tableView();
  auto header = std::dynamic_pointer_cast<RFRefreshNormalHeader>(rf_header(*table));
  ASSERT_TRUE(header);
  const platform::Rect firstRow = platform::makeRect(0, 0, 320, 60);
  EXPECT_EQ(windowInk(firstRow), 0);  // nothing loaded, nothing drawn
  pullToRefresh();
  ASSERT_EQ(header->state(), RFRefreshStateRefreshing);
  loop.advance(0.3);  // the header's slide, then its block
  EXPECT_GT(windowInk(header->convertRectTo(header->bounds(), nullptr)), 50);
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
  EXPECT_GT(windowInk(firstRow), 50);  // the first notice is drawn at the top
  EXPECT_EQ(windowInk(platform::makeRect(0, 200, 320, 200)), 0);  // under three rows
}

TEST_F(ListScreen, AFailedLoadShowsAnErrorAndStillStopsTheHeader) {
  for (const char* path : {"/broken", "/missing"}) {
    auto screen = open(path);
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
    auto screen = open("/notices");
    weak = screen;
    header = rf_header(*screen->tableView());
    app->window()->setRootViewController(platform::ViewController::create());
  }
  EXPECT_TRUE(weak.expired());
  EXPECT_TRUE(header.expired());
}

// Nothing else would ever take the shared HUD away: the load's answer no longer finds its screen.
TEST_F(ListScreen, LeavingWhileTheListLoadsTakesTheLoadingHUDAwayAndDropsTheLoad) {
  std::promise<void> gate;
  server->handle("/held", [held = gate.get_future().share()](const nettest::RecordedRequest&,
                                                             nettest::Reply& reply) {
    held.wait();
    reply.body = kList;
  });
  std::weak_ptr<SPListViewController> weak;
  {
    auto screen = open("/held");
    weak = screen;
    pullToRefresh();
    loop.advance(0.3);
    ASSERT_TRUE(server->waitForRequests(1, std::chrono::seconds(10)));
    loop.advance(0.5);
    EXPECT_TRUE(HDProgressHUD::isVisible());
  }
  auto next = platform::ViewController::create();
  show(next);  // the person goes elsewhere before the list arrives
  EXPECT_TRUE(weak.expired());
  loop.advance(1);
  EXPECT_FALSE(HDProgressHUD::isVisible());
  EXPECT_EQ(HDProgressHUD::sharedView()->superview(), nullptr);
  gate.set_value();
  loop.advance(1);
  EXPECT_FALSE(HDProgressHUD::isVisible());
  EXPECT_EQ(statuses.size(), 1u);
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
