#include "ui/support/refresh/RFRefreshGifHeader.h"

#include <algorithm>

#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

const std::shared_ptr<platform::ImageView>& RFRefreshGifHeader::gifView() {
  if (!gifView_) {
    gifView_ = platform::ImageView::create();
    addSubview(gifView_);
  }
  return gifView_;
}

void RFRefreshGifHeader::setImages(RFRefreshGifImages::Images images, double duration,
                                   RFRefreshState state) {
  const double firstHeight = !images.empty() && images.front() ? images.front()->size().height : 0;
  if (!images_.set(std::move(images), duration, state)) return;
  if (firstHeight > rf_h(*this)) setRf_h(*this, firstHeight);
}

void RFRefreshGifHeader::setImages(RFRefreshGifImages::Images images, RFRefreshState state) {
  const double duration = static_cast<double>(images.size()) * RFRefreshGifImages::kFrameDuration;
  setImages(std::move(images), duration, state);
}

void RFRefreshGifHeader::prepare() {
  RFRefreshStateHeader::prepare();
  setLabelLeftInset(20);
}

void RFRefreshGifHeader::setPullingPercent(double percent) {
  RFRefreshStateHeader::setPullingPercent(percent);
  if (state() != RFRefreshStateIdle) return;
  images_.showPullFrame(*gifView(), percent);
}

void RFRefreshGifHeader::placeSubviews() {
  RFRefreshStateHeader::placeSubviews();
  auto& view = *gifView();
  if (!rf_placesItself(view)) return;  // its constraints place it
  view.setFrame(bounds());
  if (stateLabel()->isHidden() && lastUpdatedTimeLabel()->isHidden()) {
    view.setContentMode(platform::ViewContentMode::Center);
    return;
  }
  view.setContentMode(platform::ViewContentMode::Right);
  const double timeWidth =
      lastUpdatedTimeLabel()->isHidden() ? 0 : rf_textWith(*lastUpdatedTimeLabel());
  const double textWidth = std::max(rf_textWith(*stateLabel()), timeWidth);
  setRf_w(view, std::max(0.0, rf_w(*this) * 0.5 - textWidth * 0.5 - labelLeftInset()));
}

void RFRefreshGifHeader::setState(RFRefreshState state) {
  if (state == this->state()) return;
  RFRefreshStateHeader::setState(state);
  if (state == RFRefreshStatePulling || state == RFRefreshStateRefreshing) {
    images_.play(*gifView(), state);
  } else if (state == RFRefreshStateIdle) {
    gifView()->stopAnimating();
  }
}

}  // namespace sprout
