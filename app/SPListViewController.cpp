#include "app/SPListViewController.h"

#include <nlohmann/json.hpp>

#include "app/SPHUDTool.h"
#include "platform/dispatch/DispatchQueue.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/ui/ViewTypes.h"
#include "ui/support/refresh/RFRefreshHeader.h"
#include "ui/support/refresh/RFRefreshNormalHeader.h"
#include "ui/support/refresh/RFScrollViewRefresh.h"

namespace sprout {

namespace {
constexpr char kCellIdentifier[] = "SPListCell";
constexpr long kBadListCode = 1;
constexpr long kHTTPStatusCode = 2;
}  // namespace

std::shared_ptr<SPListViewController> SPListViewController::create(platform::URL listURL) {
  return platform::Object::make<SPListViewController>(std::move(listURL));
}

SPListViewController::SPListViewController(Key key, platform::URL listURL)
    : platform::ViewController(std::move(key)),
      listURL_(std::move(listURL)),
      session_(platform::URLSession::sharedSession()) {}

SPListViewController::~SPListViewController() {
  if (loads_ == 0) return;
  if (pending_) pending_->cancel();
  SPHUDTool::dismiss();
}

const std::shared_ptr<platform::TableView>& SPListViewController::tableView() {
  view();  // loads it
  return tableView_;
}

void SPListViewController::viewDidLoad() {
  ViewController::viewDidLoad();
  tableView_ = platform::TableView::create(view()->bounds());
  tableView_->setAutoresizingMask(platform::ViewAutoresizingFlexibleWidth |
                                  platform::ViewAutoresizingFlexibleHeight);
  tableView_->setRowHeight(60);
  tableView_->setDataSource(
      std::static_pointer_cast<platform::TableViewDataSource>(self<SPListViewController>()));
  tableView_->registerCell(kCellIdentifier, [](const std::string& id) {
    return platform::TableViewCell::create(platform::TableViewCellStyle::Subtitle, id);
  });
  view()->addSubview(tableView_);
  // The header lives on the screen's table: holding the screen strongly would keep both alive.
  std::weak_ptr<SPListViewController> weak = self<SPListViewController>();
  setRf_header(*tableView_, RFRefreshNormalHeader::headerWithRefreshingBlock([weak] {
    if (auto me = weak.lock()) me->loadRequest();
  }));
}

void SPListViewController::loadRequest() {
  SPHUDTool::showLoadingWithString(kLoadingStatus);
  std::weak_ptr<SPListViewController> weak = self<SPListViewController>();
  ++loads_;
  pending_ = session_->dataTaskWithRequest(
      platform::URLRequest(listURL_), [weak](std::optional<platform::Data> body,
                                             std::shared_ptr<const platform::URLResponse> response,
                                             std::optional<platform::Error> error) {
        // The session answers on its own queue; the screen belongs to the main thread.
        platform::DispatchQueue::main()->async([weak, body = std::move(body),
                                                response = std::move(response),
                                                error = std::move(error)]() mutable {
          if (auto me = weak.lock()) {
            me->finishLoad(std::move(body), std::move(response), std::move(error));
          }
        });
      });
  pending_->resume();
}

void SPListViewController::finishLoad(std::optional<platform::Data> body,
                                      std::shared_ptr<const platform::URLResponse> response,
                                      std::optional<platform::Error> error) {
  if (--loads_ == 0) pending_.reset();
  auto http = std::dynamic_pointer_cast<const platform::HTTPURLResponse>(response);
  if (!error && http && http->statusCode() != 200) {
    error = platform::Error::make(kErrorDomain, kHTTPStatusCode,
                                  "HTTP status " + std::to_string(http->statusCode()));
  }
  std::vector<SPListItem> items;
  if (!error) {
    auto parsed = parseList(body.value_or(platform::Data{}));
    if (parsed) {
      items = std::move(parsed.value());
    } else {
      error = parsed.error();
    }
  }
  lastError_ = error;
  if (error) {
    SPHUDTool::showError(kFailureStatus);
  } else {
    items_ = std::move(items);
    tableView()->reloadData();
    SPHUDTool::dismiss();
  }
  // Stopped on failure too, so the header never stays refreshing until the next success.
  if (auto header = rf_header(*tableView())) header->endRefreshing();
}

platform::Result<std::vector<SPListItem>> SPListViewController::parseList(
    const platform::Data& body) {
  using ListResult = platform::Result<std::vector<SPListItem>>;
  const auto json = nlohmann::json::parse(body.begin(), body.end(), nullptr, false);
  if (json.is_discarded() || !json.is_array()) {
    return ListResult::failure(
        platform::Error::make(kErrorDomain, kBadListCode, "The list is not a JSON array"));
  }
  std::vector<SPListItem> items;
  for (const auto& entry : json) {
    if (!entry.is_object() || !entry.contains("title") || !entry["title"].is_string()) {
      return ListResult::failure(
          platform::Error::make(kErrorDomain, kBadListCode, "A row has no title"));
    }
    const auto detail = entry.find("detail");
    items.push_back({entry["title"].get<std::string>(), detail != entry.end() && detail->is_string()
                                                            ? detail->get<std::string>()
                                                            : std::string()});
  }
  return ListResult::success(std::move(items));
}

long SPListViewController::numberOfRowsInSection(platform::TableView&, long) {
  return static_cast<long>(items_.size());
}

std::shared_ptr<platform::TableViewCell> SPListViewController::cellForRowAtIndexPath(
    platform::TableView& tableView, const platform::IndexPath& indexPath) {
  auto cell = tableView.dequeueReusableCellWithIdentifier(kCellIdentifier);
  const auto& item = items_[static_cast<std::size_t>(indexPath.row)];
  cell->textLabel()->setText(item.title);
  cell->detailTextLabel()->setText(item.detail);
  return cell;
}

}  // namespace sprout
