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

  void setSegmentType(long type);
  void setSegmentBackgroundImage(std::shared_ptr<platform::Image> image);
  void setSegmentBackgroundColor(const platform::Color& color);
  void setSegmentLineWidth(double width);
  void setSegmentHighlightColor(const platform::Color& color);
  void setSegmentBorderColor(const platform::Color& color);
  void setSegmentBorderWidth(double width);
  void setSegmentTitleColor(const platform::Color& color);
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

 protected:
  friend class platform::Object;
  SGSegmentViewController() = default;

 private:
  void contentOffsetChanged(const platform::Point& offset);
  platform::Rect pageFrame(long index);
  double pageWidth();

  std::vector<std::shared_ptr<platform::ViewController>> viewControllers_;
  std::shared_ptr<SGSegmentControl> segmentControl_;
  std::shared_ptr<platform::ScrollView> scrollView_;
  platform::Subscription offsetObservation_;
  double beginOffsetX_ = 0;
};

}  // namespace sprout
