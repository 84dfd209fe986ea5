#pragma once

#include <memory>
#include <vector>

#include "platform/ui/ImageView.h"
#include "ui/support/refresh/RFRefreshAutoStateFooter.h"
#include "ui/support/refresh/RFRefreshGifImages.h"

namespace sprout {

// The automatic state footer with caller-supplied images, shown only while loading.
class RFRefreshAutoGifFooter : public RFRefreshAutoStateFooter {
 public:
  static std::shared_ptr<RFRefreshAutoGifFooter> footerWithRefreshingBlock(
      RFRefreshComponentRefreshingBlock block) {
    return makeWithBlock<RFRefreshAutoGifFooter>(std::move(block));
  }

  const std::shared_ptr<platform::ImageView>& gifView();
  // Grows the view to the first image's height when it is taller; empty arrays are ignored.
  void setImages(RFRefreshGifImages::Images images, double duration, RFRefreshState state);
  // 0.1 s per image.
  void setImages(RFRefreshGifImages::Images images, RFRefreshState state);
  const RFRefreshGifImages& images() const { return images_; }

  void setState(RFRefreshState state) override;

 protected:
  friend class platform::Object;
  using RFRefreshAutoStateFooter::RFRefreshAutoStateFooter;
  void prepare() override;
  void placeSubviews() override;

 private:
  std::shared_ptr<platform::ImageView> gifView_;
  RFRefreshGifImages images_;
};

}  // namespace sprout
