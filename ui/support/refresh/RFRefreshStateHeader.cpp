#include "ui/support/refresh/RFRefreshStateHeader.h"

#include "platform/foundation/DateFormatter.h"
#include "platform/foundation/UserDefaults.h"
#include "ui/support/refresh/RFRefreshBundle.h"
#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

const std::shared_ptr<platform::Label>& RFRefreshStateHeader::stateLabel() {
  if (!stateLabel_) {
    stateLabel_ = rf_label();
    addSubview(stateLabel_);
  }
  return stateLabel_;
}

const std::shared_ptr<platform::Label>& RFRefreshStateHeader::lastUpdatedTimeLabel() {
  if (!lastUpdatedTimeLabel_) {
    lastUpdatedTimeLabel_ = rf_label();
    addSubview(lastUpdatedTimeLabel_);
  }
  return lastUpdatedTimeLabel_;
}

void RFRefreshStateHeader::setTitle(std::optional<std::string> title, RFRefreshState state) {
  if (!title) return;
  stateTitles_[state] = std::move(*title);
  auto it = stateTitles_.find(this->state());
  stateLabel()->setText(it == stateTitles_.end() ? std::string() : it->second);
}

std::string RFRefreshStateHeader::lastUpdatedText(const std::optional<platform::Date>& date) const {
  const std::string prefix = rf_localizedStringForKey("RFRefreshHeaderLastTimeText");
  if (!date) return prefix + rf_localizedStringForKey("RFRefreshHeaderNoneLastDateText");
  const platform::Calendar calendar = currentCalendar();
  const unsigned units = platform::CalendarUnitYear | platform::CalendarUnitMonth |
                         platform::CalendarUnitDay | platform::CalendarUnitHour |
                         platform::CalendarUnitMinute;
  const auto then = calendar.components(units, *date);
  const auto now = calendar.components(units, platform::Date::now());
  std::string dayText;
  platform::DateFormatter formatter;
  if (then.year == now.year && then.month == now.month && then.day == now.day) {
    formatter.setDateFormat(" HH:mm");
    dayText = rf_localizedStringForKey("RFRefreshHeaderDateTodayText");
  } else if (then.year != now.year) {
    formatter.setDateFormat("yyyy-MM-dd HH:mm");
  } else {
    formatter.setDateFormat("MM-dd HH:mm");
  }
  return prefix + dayText + formatter.stringFromDate(*date);
}

void RFRefreshStateHeader::setLastUpdatedTimeKey(const std::string& key) {
  RFRefreshHeader::setLastUpdatedTimeKey(key);
  if (lastUpdatedTimeLabel()->isHidden()) return;
  const auto date = platform::UserDefaults::standard().dateForKey(key);
  lastUpdatedTimeLabel()->setText(lastUpdatedTimeText_ ? lastUpdatedTimeText_(date)
                                                       : lastUpdatedText(date));
}

void RFRefreshStateHeader::prepare() {
  RFRefreshHeader::prepare();
  labelLeftInset_ = 25;
  setTitle(rf_localizedStringForKey("RFRefreshHeaderIdleText"), RFRefreshStateIdle);
  setTitle(rf_localizedStringForKey("RFRefreshHeaderPullingText"), RFRefreshStatePulling);
  setTitle(rf_localizedStringForKey("RFRefreshHeaderRefreshingText"), RFRefreshStateRefreshing);
}

void RFRefreshStateHeader::placeSubviews() {
  RFRefreshHeader::placeSubviews();
  if (stateLabel()->isHidden()) return;
  if (lastUpdatedTimeLabel()->isHidden()) {
    if (rf_placesItself(*stateLabel())) stateLabel()->setFrame(bounds());
    return;
  }
  const double w = rf_w(*this), h = rf_h(*this);
  const double stateLabelH = h * 0.5;
  if (rf_placesItself(*stateLabel())) stateLabel()->setFrame({{0, 0}, {w, stateLabelH}});
  // The rest of the height below the state label.
  if (rf_placesItself(*lastUpdatedTimeLabel())) {
    lastUpdatedTimeLabel()->setFrame({{0, stateLabelH}, {w, h - stateLabelH}});
  }
}

void RFRefreshStateHeader::setState(RFRefreshState state) {
  if (state == this->state()) return;
  RFRefreshHeader::setState(state);
  auto it = stateTitles_.find(state);
  stateLabel()->setText(it == stateTitles_.end() ? std::string() : it->second);
  setLastUpdatedTimeKey(lastUpdatedTimeKey());
}

}  // namespace sprout
