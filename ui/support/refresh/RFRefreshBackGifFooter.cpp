#include "ui/support/refresh/RFRefreshBackGifFooter.h"

#include <algorithm>

#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

const std::shared_ptr<platform::ImageView>& RFRefreshBackGifFooter::gifView() {
  if (!gifView_) {
    gifView_ = platform::ImageView::create();
    addSubview(gifView_);
  }
  return gifView_;
}

void RFRefreshBackGifFooter::setImages(RFRefreshGifImages::Images images, double duration,
                                       RFRefreshState state) {
  const double firstHeight = !images.empty() && images.front() ? images.front()->size().height : 0;
  if (!images_.set(std::move(images), duration, state)) return;
  if (firstHeight > rf_h(*this)) setRf_h(*this, firstHeight);
}

void RFRefreshBackGifFooter::setImages(RFRefreshGifImages::Images images, RFRefreshState state) {
  const double duration = static_cast<double>(images.size()) * RFRefreshGifImages::kFrameDuration;
  setImages(std::move(images), duration, state);
}

void RFRefreshBackGifFooter::prepare() {
  RFRefreshBackStateFooter::prepare();
  setLabelLeftInset(20);
}

void RFRefreshBackGifFooter::setPullingPercent(double percent) {
  RFRefreshBackStateFooter::setPullingPercent(percent);
  if (state() != RFRefreshStateIdle) return;
  images_.showPullFrame(*gifView(), percent);
}

void RFRefreshBackGifFooter::placeSubviews() {
  RFRefreshBackStateFooter::placeSubviews();
  auto& view = *gifView();
  if (!rf_placesItself(view)) return;  // its constraints place it
  view.setFrame(bounds());
  if (stateLabel()->isHidden()) {
    view.setContentMode(platform::ViewContentMode::Center);
    return;
  }
  view.setContentMode(platform::ViewContentMode::Right);
  setRf_w(view,
          std::max(0.0, rf_w(*this) * 0.5 - labelLeftInset() - rf_textWith(*stateLabel()) * 0.5));
}

void RFRefreshBackGifFooter::setState(RFRefreshState state) {
  if (state == this->state()) return;
  RFRefreshBackStateFooter::setState(state);
  if (state == RFRefreshStatePulling || state == RFRefreshStateRefreshing) {
    // A state without images leaves the view as it was (hidden after no more data, too).
    if (images_.images(state)) {
      gifView()->setHidden(false);
      images_.play(*gifView(), state);
    }
  } else if (state == RFRefreshStateIdle) {
    gifView()->setHidden(false);
  } else if (state == RFRefreshStateNoMoreData) {
    gifView()->setHidden(true);
  }
}

}  // namespace sprout
