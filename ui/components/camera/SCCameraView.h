#pragma once

#include <cstdint>
#include <memory>

#include "platform/dispatch/DisplayLink.h"
#include "platform/ui/View.h"
#include "ui/components/camera/SCCameraViewDelegate.h"

namespace sprout {

// The clear layer over the camera's preview: a touch draws a yellow focus square around it that
// shrinks frame by frame (sides 59 down to 31) and tells the delegate. Touches while the square
// shrinks are ignored. The frames stop when the view leaves its window or goes.
class SCCameraView : public platform::View {
 public:
  static std::shared_ptr<SCCameraView> create(const platform::Rect& frame = {});
  ~SCCameraView() override;

  bool isPlayerEnd() const { return isPlayerEnd_; }
  std::shared_ptr<SCCameraViewDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<SCCameraViewDelegate>& d) { delegate_ = d; }
  std::int64_t time() const { return time_; }
  platform::Point point() const { return point_; }
  const std::shared_ptr<platform::DisplayLink>& link() const { return link_; }
  // The side the square is drawn with now.
  double side() const { return 60.0 - static_cast<double>(time_ % 60); }

  void touchesBegan(const platform::TouchSet& touches, const platform::Event& event) override;
  void refreshView(platform::DisplayLink& link);
  void drawRect(platform::Context& context, const platform::Rect& rect) override;
  void willMoveToWindow(const std::shared_ptr<platform::Window>& newWindow) override;

  explicit SCCameraView(Key key, const platform::Rect& frame) : View(std::move(key), frame) {}

 private:
  std::shared_ptr<platform::DisplayLink> makeLink();
  void stopAnimation();

  bool isPlayerEnd_ = false;
  std::weak_ptr<SCCameraViewDelegate> delegate_;
  std::shared_ptr<platform::DisplayLink> link_;
  std::int64_t time_ = 0;
  platform::Point point_;
};

}  // namespace sprout
