#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Error.h"
#include "platform/foundation/URL.h"
#include "platform/net/URLSession.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/scroll/TableView.h"

namespace sprout {

// One row of a list screen.
struct SPListItem {
  std::string title;
  std::string detail;
};

// A list screen: a table with a pull-down refresh header whose refreshing block loads the list.
// The list is JSON from `listURL`: an array of {"title": text, "detail": text}.
class SPListViewController : public platform::ViewController, public platform::TableViewDataSource {
 public:
  static std::shared_ptr<SPListViewController> create(platform::URL listURL);
  // A load still pending is cancelled and its loading HUD taken away: its answer would no longer
  // find the screen, and nothing else would dismiss the HUD.
  ~SPListViewController() override;

  const std::shared_ptr<platform::TableView>& tableView();
  const std::vector<SPListItem>& items() const { return items_; }
  // The failure of the last load, if it failed.
  const std::optional<platform::Error>& lastError() const { return lastError_; }

  // Shows the loading HUD and requests the list; the table fills and the header stops refreshing
  // when it arrives. A failure shows an error HUD and stops the header too.
  void loadRequest();

  // Turns the body into rows; bad JSON or a wrong shape is an error.
  static platform::Result<std::vector<SPListItem>> parseList(const platform::Data& body);

  long numberOfRowsInSection(platform::TableView& tableView, long section) override;
  std::shared_ptr<platform::TableViewCell> cellForRowAtIndexPath(
      platform::TableView& tableView, const platform::IndexPath& indexPath) override;

  static constexpr char kErrorDomain[] = "SPListErrorDomain";
  static constexpr char kLoadingStatus[] = "加载中…";
  static constexpr char kFailureStatus[] = "加载失败";

  explicit SPListViewController(Key key, platform::URL listURL);

 protected:
  void viewDidLoad() override;

 private:
  void finishLoad(std::optional<platform::Data> body,
                  std::shared_ptr<const platform::URLResponse> response,
                  std::optional<platform::Error> error);

  platform::URL listURL_;
  std::shared_ptr<platform::URLSession> session_;
  std::shared_ptr<platform::URLSessionDataTask> pending_;  // the newest load
  long loads_ = 0;                                         // loads not answered yet
  std::shared_ptr<platform::TableView> tableView_;
  std::vector<SPListItem> items_;
  std::optional<platform::Error> lastError_;
};

}  // namespace sprout
