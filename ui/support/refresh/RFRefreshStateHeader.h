#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Calendar.h"
#include "platform/ui/Label.h"
#include "ui/support/refresh/RFRefreshHeader.h"

namespace sprout {

// A header showing the state's title and, below it, when the last refresh ended.
class RFRefreshStateHeader : public RFRefreshHeader {
 public:
  static std::shared_ptr<RFRefreshStateHeader> headerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshStateHeader>(std::move(block));
  }

  const std::shared_ptr<platform::Label>& stateLabel();
  const std::shared_ptr<platform::Label>& lastUpdatedTimeLabel();
  // Replaces the built-in text of the last-updated label (the date is nullopt when none).
  using LastUpdatedTimeText = std::function<std::string(std::optional<platform::Date>)>;
  void setLastUpdatedTimeText(LastUpdatedTimeText block) {
    lastUpdatedTimeText_ = std::move(block);
  }
  double labelLeftInset() const { return labelLeftInset_; }
  void setLabelLeftInset(double inset) { labelLeftInset_ = inset; }
  // The state's title; an empty optional is ignored.
  void setTitle(std::optional<std::string> title, RFRefreshState state);
  const std::map<RFRefreshState, std::string>& stateTitles() const { return stateTitles_; }

  // Also refreshes the last-updated label from the new key.
  void setLastUpdatedTimeKey(const std::string& key) override;
  void setState(RFRefreshState state) override;

  static platform::Calendar currentCalendar() { return platform::Calendar::gregorian(); }

 protected:
  using RFRefreshHeader::RFRefreshHeader;
  void prepare() override;
  void placeSubviews() override;

 private:
  std::string lastUpdatedText(const std::optional<platform::Date>& date) const;

  std::shared_ptr<platform::Label> stateLabel_, lastUpdatedTimeLabel_;
  LastUpdatedTimeText lastUpdatedTimeText_;
  double labelLeftInset_ = 25;
  std::map<RFRefreshState, std::string> stateTitles_;
};

}  // namespace sprout
