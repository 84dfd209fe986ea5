#pragma once

#include <memory>

#include "platform/ui/ImageView.h"
#include "ui/support/refresh/RFRefreshGifPart.h"
#include "ui/support/refresh/RFRefreshTypes.h"

namespace sprout {

// The public face the three image-sequence views share over the state view each extends, written
// once: every member forwards to the part the view holds, so each view keeps only its own choice
// of states and text.
template <class StateView>
class RFRefreshGifFront : public StateView {
 public:
  const std::shared_ptr<platform::ImageView>& gifView() { return gif_.gifView(); }
  // Grows the view to the first image's height when it is taller; empty arrays are ignored.
  void setImages(RFRefreshGifImages::Images images, double duration, RFRefreshState state) {
    gif_.setImages(std::move(images), duration, state);
  }
  // 0.1 s per image.
  void setImages(RFRefreshGifImages::Images images, RFRefreshState state) {
    gif_.setImages(std::move(images), state);
  }
  const RFRefreshGifImages& images() const { return gif_.images(); }

 protected:
  using StateView::StateView;
  void prepare() override {
    StateView::prepare();
    this->setLabelLeftInset(RFRefreshGifPart::kLabelLeftInset);
  }

  RFRefreshGifPart gif_{*this};
};

}  // namespace sprout
