#include "ui/support/refresh/RFRefreshAutoGifFooter.h"

#include <algorithm>

#include "ui/support/refresh/RFRefreshLabel.h"
#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

const std::shared_ptr<platform::ImageView>& RFRefreshAutoGifFooter::gifView() {
  if (!gifView_) {
    gifView_ = platform::ImageView::create();
    addSubview(gifView_);
  }
  return gifView_;
}

void RFRefreshAutoGifFooter::setImages(RFRefreshGifImages::Images images, double duration,
                                       RFRefreshState state) {
  const double firstHeight = !images.empty() && images.front() ? images.front()->size().height : 0;
  if (!images_.set(std::move(images), duration, state)) return;
  if (firstHeight > rf_h(*this)) setRf_h(*this, firstHeight);
}

void RFRefreshAutoGifFooter::setImages(RFRefreshGifImages::Images images, RFRefreshState state) {
  const double duration = static_cast<double>(images.size()) * RFRefreshGifImages::kFrameDuration;
  setImages(std::move(images), duration, state);
}

void RFRefreshAutoGifFooter::prepare() {
  RFRefreshAutoStateFooter::prepare();
  setLabelLeftInset(20);
}

void RFRefreshAutoGifFooter::placeSubviews() {
  RFRefreshAutoStateFooter::placeSubviews();
  auto& view = *gifView();
  if (!rf_placesItself(view)) return;  // its constraints place it
  view.setFrame(bounds());
  if (isRefreshingTitleHidden()) {
    view.setContentMode(platform::ViewContentMode::Center);
    return;
  }
  view.setContentMode(platform::ViewContentMode::Right);
  setRf_w(view,
          std::max(0.0, rf_w(*this) * 0.5 - labelLeftInset() - rf_textWith(*stateLabel()) * 0.5));
}

void RFRefreshAutoGifFooter::setState(RFRefreshState state) {
  if (state == this->state()) return;
  RFRefreshAutoStateFooter::setState(state);
  if (state == RFRefreshStateRefreshing) {
    if (images_.images(state)) {
      gifView()->stopAnimating();
      gifView()->setHidden(false);
      images_.play(*gifView(), state);
    }
  } else if (state == RFRefreshStateIdle || state == RFRefreshStateNoMoreData) {
    gifView()->stopAnimating();
    gifView()->setHidden(true);
  }
}

}  // namespace sprout
