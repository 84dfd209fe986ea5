#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/TimeZone.h"
#include "platform/foundation/UserDefaults.h"
#include "platform/ui/Label.h"
#include "platform/ui/PanGestureRecognizer.h"
#include "platform/ui/scroll/ScrollPhysics.h"
#include "platform/ui/scroll/TableView.h"
#include "tests/ui_support/ui_support_test.h"
#include "ui/support/refresh/RFRefreshBundle.h"

namespace sprout::refresh_test {

// 2027-01-15 10:30 in Shanghai (02:30 UTC), seconds since 1970.
inline constexpr double kFixedNow = 1'799'980'200.0;

// Sections of the given lengths, of rows titled "Notice N".
class Rows : public platform::TableViewDataSource {
 public:
  explicit Rows(std::vector<long> counts) : counts(std::move(counts)) {}
  long numberOfSectionsInTableView(platform::TableView&) override {
    return static_cast<long>(counts.size());
  }
  long numberOfRowsInSection(platform::TableView&, long section) override {
    return counts[static_cast<std::size_t>(section)];
  }
  std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(
      platform::TableView& table, const platform::IndexPath& indexPath) override {
    auto cell = table.dequeueReusableCellWithIdentifier("row");
    if (!cell) cell = platform::TableViewCell::create(platform::TableViewCellStyle::Default, "row");
    cell->textLabel()->setText("Notice " + std::to_string(indexPath.row));
    return cell;
  }
  std::vector<long> counts;
};

// A 375 x 667 key window on a virtual clock in Shanghai's time zone, in English, with a fresh
// home folder for the user defaults, and a finger to drag with.
class RefreshTest : public ui_test::ScreenTest {
 protected:
  RefreshTest() : ScreenTest({375, 667}, kFixedNow) {
    platform::UserDefaults::resetStandardForTesting();
    setTimeZone("Asia/Shanghai");
    setLanguages({"en-GB"});
    window->makeKeyAndVisible();
  }
  ~RefreshTest() override {
    loop.runPending();
    platform::Locale::setPreferredLanguagesForTesting(std::nullopt);
    rf_resetRefreshBundleForTesting();
  }

  void setLanguages(std::vector<std::string> languages) {
    platform::Locale::setPreferredLanguagesForTesting(std::move(languages));
    rf_resetRefreshBundleForTesting();
  }

  // A full-width table of `rows`, `height` points high, in the window and loaded.
  std::shared_ptr<platform::TableView> addTable(std::shared_ptr<Rows> rows, double height = 600) {
    auto table = platform::TableView::create(platform::makeRect(0, 0, 375, height));
    table->setDataSource(std::move(rows));
    window->addSubview(table);
    table->reloadData();
    return table;
  }

  // A finger put down at `from` and moved by `dy` in `steps` frames; it stays down.
  void dragBy(platform::Point from, double dy, int steps = 10) {
    finger_ = {from.x, from.y + dy};
    fingers.drag(from, finger_, steps);
  }
  void moveFingerTo(double y) {
    finger_.y = y;
    fingers.move(finger_);
  }
  // Lifted after holding still, so the release carries no speed.
  void holdAndLift() { fingers.holdAndLift(0.2); }

  // The finger position (the finger being down and the pan under way) that puts the content
  // `target` points of offset, past the top edge by rubber-banding.
  double fingerYForOffset(platform::ScrollView& scroll, double target, double dragStart) {
    const double edge = scroll.minimumContentOffset().y;
    const double shown = edge - target;  // > 0: how far past the edge
    const double h = scroll.bounds().size.height;
    const double overshoot = (1.0 / (1.0 - shown / h) - 1.0) * h / 0.55;
    const double anchor = finger_.y - scroll.panGestureRecognizer()->translationInView(&scroll).y;
    // raw = dragStart - translation and raw = edge - overshoot.
    return anchor + (dragStart - (edge - overshoot));
  }

  const std::string home_ = makeHome("sprout-refresh");
  platform::Point finger_;
};

// A 600-point scroll view with content 1000 high and no insets.
class ScrollRefreshTest : public RefreshTest {
 protected:
  ScrollRefreshTest() {
    scroll->setContentSize({375, 1000});
    window->addSubview(scroll);
  }
  std::shared_ptr<platform::ScrollView> scroll =
      platform::ScrollView::create(platform::makeRect(0, 0, 375, 600));
};

}  // namespace sprout::refresh_test
