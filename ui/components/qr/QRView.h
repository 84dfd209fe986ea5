#pragma once

#include <array>
#include <memory>

#include "platform/dispatch/Timer.h"
#include "platform/graphics/Geometry.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/View.h"

namespace sprout {

// The overlay of the QR scanner screen: dims the screen, leaves a clear window of
// transparentArea in its middle (placed by the screen's bounds), frames it with a white outline
// and green corner marks, and walks a scan line down the window one point every 0.01 s.
//
// The line and its timer appear on the first layout pass. The timer holds the overlay weakly and
// stops when the overlay leaves its window or goes away; back in a window, the next layout pass
// starts it again.
class QRView : public platform::View {
 public:
  static std::shared_ptr<QRView> create(const platform::Rect& frame = {});
  ~QRView() override;

  // Read when the line is made (first layout) and on every draw; setting it changes neither.
  platform::Size transparentArea() const { return transparentArea_; }
  void setTransparentArea(const platform::Size& area) { transparentArea_ = area; }

  // Null until the first layout pass.
  const std::shared_ptr<platform::ImageView>& qrLine() const { return qrLine_; }
  // The top of the line at the next step.
  double qrLineY() const { return qrLineY_; }
  bool isScanning() const { return timer_ && timer_->isValid(); }

  void layoutSubviews() override;
  void willMoveToWindow(const std::shared_ptr<platform::Window>& newWindow) override;
  void didMoveToWindow() override;
  void drawRect(platform::Context& context, const platform::Rect& rect) override;

  // Makes the line at the window's top.
  void initQRLine();
  // One step: the line moves to qrLineY in 0.01 s and qrLineY moves on a point, back to just
  // below the window's top once it has passed 4 points above its bottom.
  void show();

  // The drawing steps, in the order drawRect runs them.
  void addScreenFillRect(platform::Context& context, const platform::Rect& rect);
  void addCenterClearRect(platform::Context& context, const platform::Rect& rect);
  void addWhiteRect(platform::Context& context, const platform::Rect& rect);
  void addCornerLineWithContext(platform::Context& context, const platform::Rect& rect);
  // Adds each two-point array as one line to the path (stroked by the caller).
  void addLine(const std::array<platform::Point, 2>& pointA,
               const std::array<platform::Point, 2>& pointB, platform::Context& context);

  explicit QRView(Key key, const platform::Rect& frame);

 private:
  platform::Rect windowRect() const;
  void startTimer();
  void stopTimer();
  void advanceLine();

  std::shared_ptr<platform::ImageView> qrLine_;
  double qrLineY_ = 0;
  platform::Size transparentArea_;
  std::shared_ptr<platform::Timer> timer_;
};

}  // namespace sprout
