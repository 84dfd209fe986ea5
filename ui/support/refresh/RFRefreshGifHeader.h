#pragma once

#include <memory>
#include <vector>

#include "platform/ui/ImageView.h"
#include "ui/support/refresh/RFRefreshGifImages.h"
#include "ui/support/refresh/RFRefreshStateHeader.h"

namespace sprout {

// The state header with caller-supplied images instead of the arrow: a frame chosen by the pull,
// an animation while pulled far enough and while refreshing.
class RFRefreshGifHeader : public RFRefreshStateHeader {
 public:
  static std::shared_ptr<RFRefreshGifHeader> headerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshGifHeader>(std::move(block));
  }

  const std::shared_ptr<platform::ImageView>& gifView();
  // Grows the view to the first image's height when it is taller; empty arrays are ignored.
  void setImages(RFRefreshGifImages::Images images, double duration, RFRefreshState state);
  // 0.1 s per image.
  void setImages(RFRefreshGifImages::Images images, RFRefreshState state);
  const RFRefreshGifImages& images() const { return images_; }

  void setPullingPercent(double percent) override;
  void setState(RFRefreshState state) override;

 protected:
  friend class platform::Object;
  using RFRefreshStateHeader::RFRefreshStateHeader;
  void prepare() override;
  void placeSubviews() override;

 private:
  std::shared_ptr<platform::ImageView> gifView_;
  RFRefreshGifImages images_;
};

}  // namespace sprout
