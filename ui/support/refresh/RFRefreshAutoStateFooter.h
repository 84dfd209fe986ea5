#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Label.h"
#include "ui/support/refresh/RFRefreshAutoFooter.h"

namespace sprout {

// The automatic footer with the state's title; tapping the title loads more.
class RFRefreshAutoStateFooter : public RFRefreshAutoFooter {
 public:
  static std::shared_ptr<RFRefreshAutoStateFooter> footerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshAutoStateFooter>(std::move(block));
  }

  const std::shared_ptr<platform::Label>& stateLabel();
  bool isRefreshingTitleHidden() const { return refreshingTitleHidden_; }
  void setRefreshingTitleHidden(bool hidden) { refreshingTitleHidden_ = hidden; }
  double labelLeftInset() const { return labelLeftInset_; }
  void setLabelLeftInset(double inset) { labelLeftInset_ = inset; }
  void setTitle(std::optional<std::string> title, RFRefreshState state);

  void setState(RFRefreshState state) override;

 protected:
  using RFRefreshAutoFooter::RFRefreshAutoFooter;
  void prepare() override;
  void placeSubviews() override;
  void stateLabelClick();

 private:
  std::string titleFor(RFRefreshState state) const;

  std::shared_ptr<platform::Label> stateLabel_;
  bool refreshingTitleHidden_ = false;
  double labelLeftInset_ = 25;
  std::map<RFRefreshState, std::string> stateTitles_;
};

}  // namespace sprout
