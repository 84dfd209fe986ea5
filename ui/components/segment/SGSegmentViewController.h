#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/foundation/ObserverList.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/scroll/ScrollView.h"
#include "ui/components/segment/SGSegmentControl.h"

namespace sprout {

// Child screens as horizontal pages under a segment bar of their titles. Only the selected
// page's controller is a child; its neighbours' views sit beside it so a swipe shows them, and
// while the pages are dragged the bar's line follows the finger.
class SGSegmentViewController : public platform::ViewController,
                                public platform::ScrollViewDelegate,
                                public SGSegmentControlDelegate {
 public:
  static std::shared_ptr<SGSegmentViewController> create();
  ~SGSegmentViewController() override;

  const std::vector<std::shared_ptr<platform::ViewController>>& viewControllers() const {
    return viewControllers_;
  }
  void setViewControllers(std::vector<std::shared_ptr<platform::ViewController>> controllers);
  const std::shared_ptr<SGSegmentControl>& segmentControl();
  const std::shared_ptr<platform::ScrollView>& scrollView();
  double beginOffsetX() const { return beginOffsetX_; }

  void selectNext();
  void selectPrevious();

  // Each setter keeps its value and passes it on to the bar; each getter gives the value kept
  // (zero or nothing until it was set).
  long segmentType() const { return segmentType_; }
  void setSegmentType(long type);
  const std::shared_ptr<platform::Image>& segmentBackgroundImage() const {
    return segmentBackgroundImage_;
  }
  void setSegmentBackgroundImage(std::shared_ptr<platform::Image> image);
  std::optional<platform::Color> segmentBackgroundColor() const { return segmentBackgroundColor_; }
  void setSegmentBackgroundColor(const platform::Color& color);
  double segmentLineWidth() const { return segmentLineWidth_; }
  void setSegmentLineWidth(double width);
  std::optional<platform::Color> segmentHighlightColor() const { return segmentHighlightColor_; }
  void setSegmentHighlightColor(const platform::Color& color);
  std::optional<platform::Color> segmentBorderColor() const { return segmentBorderColor_; }
  void setSegmentBorderColor(const platform::Color& color);
  double segmentBorderWidth() const { return segmentBorderWidth_; }
  void setSegmentBorderWidth(double width);
  std::optional<platform::Color> segmentTitleColor() const { return segmentTitleColor_; }
  void setSegmentTitleColor(const platform::Color& color);
  const std::optional<platform::Font>& segmentTitleFont() const { return segmentTitleFont_; }
  void setSegmentTitleFont(const platform::Font& font);

  void viewDidLoad() override;
  void sgSegmentSelectAtIndex(long index, bool animation) override;
  void scrollViewWillBeginDragging(platform::ScrollView& scrollView) override;
  void scrollViewWillEndDragging(platform::ScrollView& scrollView, platform::Point velocity,
                                 platform::Point* targetContentOffset) override;
  void scrollViewDidEndScrollingAnimation(platform::ScrollView& scrollView) override;

  static constexpr double kBarHeight = 44;
  static constexpr double kBottomSpace = 108;  // the pages and the bar end this far above the
                                               // screen's bottom edge, bar included

  explicit SGSegmentViewController(Key key) : platform::ViewController(std::move(key)) {}

 private:
  void contentOffsetChanged(const platform::Point& offset);
  platform::Rect pageFrame(long index);
  double pageWidth();

  std::vector<std::shared_ptr<platform::ViewController>> viewControllers_;
  std::shared_ptr<SGSegmentControl> segmentControl_;
  std::shared_ptr<platform::ScrollView> scrollView_;
  platform::Subscription offsetObservation_;
  double beginOffsetX_ = 0;
  long segmentType_ = 0;
  std::shared_ptr<platform::Image> segmentBackgroundImage_;
  std::optional<platform::Color> segmentBackgroundColor_;
  double segmentLineWidth_ = 0;
  std::optional<platform::Color> segmentHighlightColor_;
  std::optional<platform::Color> segmentBorderColor_;
  double segmentBorderWidth_ = 0;
  std::optional<platform::Color> segmentTitleColor_;
  std::optional<platform::Font> segmentTitleFont_;
};

}  // namespace sprout
