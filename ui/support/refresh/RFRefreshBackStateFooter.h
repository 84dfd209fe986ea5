#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Label.h"
#include "ui/support/refresh/RFRefreshBackFooter.h"

namespace sprout {

// The spring-back footer with the state's title.
class RFRefreshBackStateFooter : public RFRefreshBackFooter {
 public:
  static std::shared_ptr<RFRefreshBackStateFooter> footerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshBackStateFooter>(std::move(block));
  }

  const std::shared_ptr<platform::Label>& stateLabel();
  double labelLeftInset() const { return labelLeftInset_; }
  void setLabelLeftInset(double inset) { labelLeftInset_ = inset; }
  void setTitle(std::optional<std::string> title, RFRefreshState state);
  std::optional<std::string> titleForState(RFRefreshState state) const;

  void setState(RFRefreshState state) override;

 protected:
  using RFRefreshBackFooter::RFRefreshBackFooter;
  void prepare() override;
  void placeSubviews() override;

 private:
  std::shared_ptr<platform::Label> stateLabel_;
  double labelLeftInset_ = 25;
  std::map<RFRefreshState, std::string> stateTitles_;
};

}  // namespace sprout
