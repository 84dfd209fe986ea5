#include "ui/support/refresh/RFRefreshGifPart.h"

#include <algorithm>

#include "ui/support/refresh/RFViewGeometry.h"

namespace sprout {

const std::shared_ptr<platform::ImageView>& RFRefreshGifPart::gifView() {
  if (!gifView_) {
    gifView_ = platform::ImageView::create();
    owner_.addSubview(gifView_);
  }
  return gifView_;
}

void RFRefreshGifPart::setImages(RFRefreshGifImages::Images images, double duration,
                                 RFRefreshState state) {
  const double firstHeight = !images.empty() && images.front() ? images.front()->size().height : 0;
  if (!images_.set(std::move(images), duration, state)) return;
  if (firstHeight > rf_h(owner_)) setRf_h(owner_, firstHeight);
}

void RFRefreshGifPart::setImages(RFRefreshGifImages::Images images, RFRefreshState state) {
  const double duration = static_cast<double>(images.size()) * RFRefreshGifImages::kFrameDuration;
  setImages(std::move(images), duration, state);
}

void RFRefreshGifPart::showPullFrame(RFRefreshState ownerState, double pullingPercent) {
  if (ownerState != RFRefreshStateIdle) return;
  const auto* idle = images_.images(RFRefreshStateIdle);
  if (!idle) return;
  auto& view = *gifView();
  view.stopAnimating();
  view.setImage((*idle)[RFRefreshGifImages::frameIndex(idle->size(), pullingPercent)]);
}

void RFRefreshGifPart::play(RFRefreshState state, bool reveal) {
  const auto* frames = images_.images(state);
  if (!frames) return;
  auto& view = *gifView();
  if (reveal) view.setHidden(false);
  view.stopAnimating();
  if (frames->size() == 1) {
    view.setImage(frames->back());
    return;
  }
  view.setAnimationImages(*frames);
  view.setAnimationDuration(images_.duration(state));
  view.startAnimating();
}

void RFRefreshGifPart::place(std::optional<double> textWidth, double labelLeftInset) {
  auto& view = *gifView();
  if (!rf_placesItself(view)) return;  // its constraints place it
  view.setFrame(owner_.bounds());
  if (!textWidth) {
    view.setContentMode(platform::ViewContentMode::Center);
    return;
  }
  view.setContentMode(platform::ViewContentMode::Right);
  setRf_w(view, std::max(0.0, rf_w(owner_) * 0.5 - *textWidth * 0.5 - labelLeftInset));
}

}  // namespace sprout
