#pragma once

#include <memory>

#include "platform/graphics/Geometry.h"

namespace platform {

class ScrollView;
class View;

// What a scroll view tells its delegate; every method is optional.
class ScrollViewDelegate {
 public:
  virtual ~ScrollViewDelegate() = default;

  virtual void scrollViewDidScroll(ScrollView& /*scrollView*/) {}
  virtual void scrollViewWillBeginDragging(ScrollView& /*scrollView*/) {}
  // `targetContentOffset` is where the content will come to rest; the delegate may move it.
  virtual void scrollViewWillEndDragging(ScrollView& /*scrollView*/, Point /*velocity*/,
                                         Point* /*targetContentOffset*/) {}
  virtual void scrollViewDidEndDragging(ScrollView& /*scrollView*/, bool /*decelerate*/) {}
  virtual void scrollViewWillBeginDecelerating(ScrollView& /*scrollView*/) {}
  virtual void scrollViewDidEndDecelerating(ScrollView& /*scrollView*/) {}
  virtual void scrollViewDidEndScrollingAnimation(ScrollView& /*scrollView*/) {}
  virtual std::shared_ptr<View> viewForZoomingInScrollView(ScrollView& /*scrollView*/) {
    return nullptr;
  }
  virtual void scrollViewWillBeginZooming(ScrollView& /*scrollView*/,
                                          const std::shared_ptr<View>& /*view*/) {}
  virtual void scrollViewDidZoom(ScrollView& /*scrollView*/) {}
  virtual void scrollViewDidEndZooming(ScrollView& /*scrollView*/,
                                       const std::shared_ptr<View>& /*view*/, double /*scale*/) {}
};

}  // namespace platform
