#pragma once

#include <functional>
#include <memory>

#include "platform/ui/scroll/ScrollView.h"
#include "platform/ui/scroll/ScrollViewDelegate.h"
#include "ui/components/browser/PPPhotoPickerBrowserPhoto.h"
#include "ui/components/browser/PPPhotoPickerBrowserPhotoImageView.h"
#include "ui/components/photos/PPPhotoPickerBrowserPhotoView.h"
#include "ui/components/progress/CPCircularProgressView.h"

namespace sprout {

class PPPhotoPickerBrowserPhotoScrollView;

class PPPhotoPickerPhotoScrollViewDelegate {
 public:
  virtual ~PPPhotoPickerPhotoScrollViewDelegate() = default;
  virtual void pickerPhotoScrollViewDidSingleClick(PPPhotoPickerBrowserPhotoScrollView&) {}
  virtual void pickerPhotoScrollViewDidLongPressed(PPPhotoPickerBrowserPhotoScrollView&) {}
};

// One page of the photo browser: the item's picture fitted to the page and zoomable (double tap
// in and out, pinch), single taps and long presses reported, and a progress ring while a web
// picture loads.
class PPPhotoPickerBrowserPhotoScrollView : public platform::ScrollView,
                                            public platform::ScrollViewDelegate,
                                            public PPPhotoPickerBrowserPhotoImageViewDelegate,
                                            public PPPhotoPickerBrowserPhotoViewDelegate {
 public:
  using Callback = std::function<void(std::shared_ptr<void>)>;
  static constexpr long kLoadOriginButtonTag = 9999;

  static std::shared_ptr<PPPhotoPickerBrowserPhotoScrollView> create();
  ~PPPhotoPickerBrowserPhotoScrollView() override;

  const std::shared_ptr<PPPhotoPickerBrowserPhoto>& photo() const { return photo_; }
  void setPhoto(std::shared_ptr<PPPhotoPickerBrowserPhoto> photo);
  const std::shared_ptr<PPPhotoPickerBrowserPhotoImageView>& photoImageView() const {
    return photoImageView_;
  }
  const std::shared_ptr<PPPhotoPickerBrowserPhotoView>& tapView() const { return tapView_; }
  std::shared_ptr<PPPhotoPickerPhotoScrollViewDelegate> photoScrollViewDelegate() const {
    return photoScrollViewDelegate_.lock();
  }
  void setPhotoScrollViewDelegate(const std::shared_ptr<PPPhotoPickerPhotoScrollViewDelegate>& d) {
    photoScrollViewDelegate_ = d;
  }
  long showType() const { return showType_; }
  void setShowType(long type) { showType_ = type; }
  void setCallback(Callback callback) { callback_ = std::move(callback); }
  bool isLoadingDone() const { return isLoadingDone_; }
  double maxScale() const { return maxScale_; }
  double minScale() const { return minScale_; }
  double zoomScaleFromInit() const { return zoomScaleFromInit_; }
  bool isBigScale() const { return isBigScale_; }
  double progress() const { return progress_; }
  // 0 only shows the ring, 1 takes it away (on the main queue), others animate it there.
  void setProgress(double progress);
  const std::shared_ptr<CPCircularProgressView>& progressView() const { return progressView_; }

  void displayImage();
  void setMaxMinZoomScalesForCurrentBounds();
  void layoutPhotoLoadOriginButton();
  double initialZoomScaleWithMinScale() const;
  void handleImageViewDoubleTap(platform::Point point);
  platform::Rect zoomRectForScale(double scale, platform::Point center) const;
  static bool isSuperBigImage(const platform::Image* image);
  void disMissTap();
  void longGesture(platform::GestureRecognizer& recognizer);

  void layoutSubviews() override;
  void scrollViewDidZoom(platform::ScrollView& scrollView) override;
  void scrollViewDidEndZooming(platform::ScrollView& scrollView,
                               const std::shared_ptr<platform::View>& view, double scale) override;
  std::shared_ptr<platform::View> viewForZoomingInScrollView(platform::ScrollView&) override {
    return photoImageView_;
  }
  void imageViewSingleTapDetected(PPPhotoPickerBrowserPhotoImageView& view,
                                  platform::GestureRecognizer& tap) override;
  void imageViewDoubleTapDetected(PPPhotoPickerBrowserPhotoImageView& view,
                                  platform::GestureRecognizer& tap) override;
  void singleTapDetected(PPPhotoPickerBrowserPhotoView& view,
                         platform::GestureRecognizer& tap) override;
  void doubleTapDetected(PPPhotoPickerBrowserPhotoView& view,
                         platform::GestureRecognizer& tap) override;

  explicit PPPhotoPickerBrowserPhotoScrollView(Key key)
      : ScrollView(std::move(key), platform::makeRect(0, 0, 0, 0)) {}

 protected:
  void didInit() override;

 private:
  void addObservers();
  void loadWebPicture(const platform::URL& url);
  void zoomLongPicture(platform::Point point);
  // Places the picture where it shows as `frame` at the zoom it has: its bounds stay unscaled.
  void setShownFrame(const platform::Rect& frame);

  std::shared_ptr<PPPhotoPickerBrowserPhotoView> tapView_;
  double maxScale_ = 1, minScale_ = 1, zoomScaleFromInit_ = 1;
  bool isBigScale_ = false;
  bool isLoadingDone_ = false;
  std::shared_ptr<PPPhotoPickerBrowserPhoto> photo_;
  std::shared_ptr<PPPhotoPickerBrowserPhotoImageView> photoImageView_;
  std::weak_ptr<PPPhotoPickerPhotoScrollViewDelegate> photoScrollViewDelegate_;
  long showType_ = 0;
  Callback callback_;
  double progress_ = 0;
  std::shared_ptr<CPCircularProgressView> progressView_;
};

}  // namespace sprout
