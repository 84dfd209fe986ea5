// Pull-to-refresh as a person sees it, in Chinese: the app's list screen pulled down step by step
// (its list served over loopback), a list loading more at its end until there is no more, and the
// image-sequence header with pictures of its own.
#include <httplib.h>

#include <cairo.h>

#include <chrono>
#include <cmath>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/AppDelegate.h"
#include "app/SPListViewController.h"
#include "catalog/InterfaceStage.h"
#include "catalog/Scenes.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/graphics/Context.h"
#include "platform/ui/ApplicationWindows.h"
#include "platform/ui/scroll/TableView.h"
#include "ui/support/hud/HDProgressHUD.h"
#include "ui/support/hud/HDProgressHUDCenter.h"
#include "ui/support/refresh/RFRefreshAutoNormalFooter.h"
#include "ui/support/refresh/RFRefreshGifHeader.h"
#include "ui/support/refresh/RFRefreshNormalHeader.h"
#include "ui/support/refresh/RFScrollViewRefresh.h"

namespace catalog {
namespace {

using platform::Color;
using platform::makeRect;

// The notices list, served on loopback; each answer takes a moment so the refreshing state shows.
class NoticeServer {
 public:
  NoticeServer() {
    server_.Get("/notices", [](const httplib::Request&, httplib::Response& res) {
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      res.set_content(R"([{"title":"春季运动会报名开始啦","detail":"2024-3-18 9:30"},
        {"title":"本周食谱已更新","detail":"2024-3-17 16:05"},
        {"title":"家长开放日安排","detail":"2024-3-15 11:20"},
        {"title":"清明节放假通知","detail":"2024-3-14 8:45"},
        {"title":"请为孩子准备雨具","detail":"2024-3-12 7:50"},
        {"title":"绘本漂流活动","detail":"2024-3-10 15:10"},
        {"title":"疫苗接种提醒","detail":"2024-3-08 10:00"},
        {"title":"三月生日会照片","detail":"2024-3-06 17:40"},
        {"title":"户外活动安全须知","detail":"2024-3-05 9:15"},
        {"title":"新学期家长会","detail":"2024-3-01 18:30"}])",
                      "application/json");
    });
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
  }
  ~NoticeServer() {
    server_.stop();
    thread_.join();
  }
  std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/notices"; }

 private:
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
};

// Rows of plain text, as many as `count` says.
class TextRows : public platform::TableViewDataSource {
 public:
  explicit TextRows(long count) : count(count) {}
  long numberOfRowsInSection(platform::TableView&, long) override { return count; }
  std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(
      platform::TableView& table, const platform::IndexPath& path) override {
    auto cell = table.dequeueReusableCellWithIdentifier("row");
    if (!cell) cell = platform::TableViewCell::create(platform::TableViewCellStyle::Default, "row");
    cell->textLabel()->setText("第 " + std::to_string(path.row + 1) + " 条动态：今天的户外活动");
    return cell;
  }
  long count;
};

std::shared_ptr<platform::TableView> makeTable(InterfaceStage& stage,
                                               const std::shared_ptr<TextRows>& rows) {
  auto table = platform::TableView::create(makeRect(0, 64, 375, 603));
  table->setDataSource(rows);
  stage.window()->addSubview(table);
  auto bar = platform::View::create(makeRect(0, 0, 375, 64));
  bar->setBackgroundColor(Color::hex(0x4CAF50));
  stage.window()->addSubview(bar);
  table->reloadData();
  return table;
}

void pullDownTheListScreen(Catalog& catalog) {
  InterfaceStage stage(catalog);
  NoticeServer server;
  auto ownHUD = std::make_unique<sprout::HDProgressHUDCenter::Scope>();
  auto savedDelegate = platform::ApplicationWindows::shared().delegate();
  auto app = sprout::AppDelegate::create();
  app->setWindow(stage.window());
  app->applicationDidFinishLaunching();
  sprout::HDProgressHUD::setFadeOutAnimationDuration(0.15);
  auto screen = sprout::SPListViewController::create(*platform::URL::parse(server.url()));
  stage.window()->setRootViewController(screen);
  screen->loadRequest();
  stage.loop().runUntil([&] { return !screen->items().empty() || screen->lastError(); });
  stage.wait(1);

  stage.drag({180, 120}, 110, 10);
  stage.wait(0.3);
  stage.capture("header-idle", "下拉一点：“下拉刷新”，还没有刷新过");
  stage.drag({180, 230}, 120, 10);
  stage.wait(0.3);
  stage.capture("header-pulling", "拉过头部的高度（54）：“松手就刷新”，箭头转向");
  stage.lift();
  stage.wait(0.5);  // the header slides into place, then its block asks for the list
  stage.capture("header-refreshing", "松手后：“刷新中…”，列表请求进行中");
  stage.loop().runUntil([&] { return !sprout::rf_header(*screen->tableView())->isRefreshing(); });
  stage.wait(1);
  stage.capture("header-finished", "请求完成：头部收起，记下这次刷新的时间");
  stage.drag({180, 120}, 110, 10);
  stage.wait(0.3);
  stage.capture("header-last-updated", "再下拉：上次刷新：今天 09:30");
  stage.lift();
  stage.wait(1);

  stage.window()->setRootViewController(nullptr);
  ownHUD.reset();
  platform::ApplicationWindows::shared().setDelegate(savedDelegate);
}

void loadMoreUntilTheEnd(Catalog& catalog) {
  InterfaceStage stage(catalog);
  auto rows = std::make_shared<TextRows>(20);
  auto table = makeTable(stage, rows);
  int loads = 0;
  std::weak_ptr<platform::TableView> weakTable = table;
  auto footer = sprout::RFRefreshAutoNormalFooter::footerWithRefreshingBlock([&, weakTable] {
    // The "server" answers a second later with five more rows, three times.
    platform::DispatchQueue::main()->asyncAfter(1.0, [&, weakTable] {
      auto t = weakTable.lock();
      if (!t) return;
      rows->count += 5;
      t->reloadData();
      auto f = sprout::rf_footer(*t);
      if (++loads < 3) {
        f->endRefreshing();
      } else {
        f->endRefreshingWithNoMoreData();
      }
    });
  });
  sprout::setRf_footer(*table, footer);
  stage.wait(0.1);
  const auto toEnd = [&] {
    stage.drag({180, 500}, -420, 14);
    stage.lift();
  };
  // Just short of the end, where it would start by itself.
  table->setContentOffset({0, table->maximumContentOffset().y - 2});
  stage.wait(0.3);
  stage.capture("footer-idle", "列表末尾的尾部：“轻点或继续上滑加载更多”");
  toEnd();
  stage.wait(0.3);
  stage.capture("footer-refreshing", "滑到末尾自动加载：“加载中…”");
  stage.wait(1.5);
  stage.capture("footer-more", "加载完成：多了五行，尾部回到内容之后");
  for (int i = 0; i < 4 && footer->state() != sprout::RFRefreshStateNoMoreData; ++i) {
    toEnd();
    stage.wait(2);
  }
  table->setContentOffset({0, table->maximumContentOffset().y});
  stage.wait(0.3);
  stage.capture("footer-no-more-data", "没有更多了：“暂时就这么多了”");
}

// A sprout growing from a seed: the pictures of the image-sequence header.
std::shared_ptr<platform::Image> sproutPicture(double growth, double sway) {
  auto context = platform::Context::create({40, 40}, 2, false);
  cairo_t* cr = context->cairo();
  cairo_set_source_rgb(cr, 0.55, 0.38, 0.2);
  cairo_arc(cr, 20, 34, 5, 0, 2 * M_PI);
  cairo_fill(cr);
  const double top = 34 - 24 * growth;
  cairo_set_source_rgb(cr, 0.3, 0.65, 0.25);
  cairo_set_line_width(cr, 2.5);
  cairo_move_to(cr, 20, 31);
  cairo_curve_to(cr, 20, 26, 20 + sway, top + 6, 20 + sway, top);
  cairo_stroke(cr);
  if (growth > 0.4) {
    const double leaf = 8 * (growth - 0.4) / 0.6;
    cairo_save(cr);
    cairo_translate(cr, 20 + sway, top + 3);
    cairo_scale(cr, leaf, leaf * 0.5);
    cairo_arc(cr, -1, 0, 1, 0, 2 * M_PI);
    cairo_arc(cr, 1, 0, 1, 0, 2 * M_PI);
    cairo_restore(cr);
    cairo_fill(cr);
  }
  return context->makeImage();
}

void imageSequenceHeader(Catalog& catalog) {
  InterfaceStage stage(catalog);
  auto rows = std::make_shared<TextRows>(20);
  auto table = makeTable(stage, rows);
  auto header = sprout::RFRefreshGifHeader::headerWithRefreshingBlock(nullptr);
  sprout::RFRefreshGifImages::Images idle, swaying;
  for (int i = 0; i < 10; ++i) idle.push_back(sproutPicture((i + 1) / 10.0, 0));
  for (int i = 0; i < 4; ++i) swaying.push_back(sproutPicture(1, std::sin(i * M_PI / 2) * 3));
  header->setImages(idle, sprout::RFRefreshStateIdle);
  header->setImages(swaying, sprout::RFRefreshStatePulling);
  header->setImages(swaying, 0.6, sprout::RFRefreshStateRefreshing);
  sprout::setRf_header(*table, header);
  stage.wait(0.1);
  stage.drag({180, 150}, 90, 8);
  stage.wait(0.1);
  stage.capture("gif-header-idle", "下拉一点：按拉动的比例显示一帧，芽还小");
  stage.drag({180, 240}, 130, 10);
  stage.wait(0.35);
  stage.capture("gif-header-pulling", "拉过头部的高度：循环播放摆动的芽");
  stage.lift();
  stage.wait(0.5);
  stage.capture("gif-header-refreshing", "松手后刷新中");
  header->endRefreshing();
  stage.wait(1);
}

}  // namespace

void sceneRefresh(Catalog& catalog) {
  pullDownTheListScreen(catalog);
  loadMoreUntilTheEnd(catalog);
  imageSequenceHeader(catalog);
}

}  // namespace catalog
