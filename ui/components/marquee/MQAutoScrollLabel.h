#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui/AttributedString.h"
#include "platform/ui/Label.h"
#include "platform/ui/View.h"
#include "platform/ui/scroll/ScrollView.h"

namespace sprout {

// A one-line label that scrolls its text sideways for ever when it is wider than the view, and
// shows it still, aligned, when it fits. Two copies of the text sit one after the other in a
// scroll view whose offset is animated by one text width plus the gap, so the second copy ends
// where the first began; each pass follows a pause. The edges fade through a gradient mask.
class MQAutoScrollLabel : public platform::View {
 public:
  enum Direction : long { kDirectionRight = 0, kDirectionLeft = 1 };

  static std::shared_ptr<MQAutoScrollLabel> create(const platform::Rect& frame = {});
  ~MQAutoScrollLabel() override;

  std::string text() const { return mainLabel()->text(); }
  void setText(const std::string& text, bool refresh = true);
  platform::AttributedString attributedText() const { return mainLabel()->attributedText(); }
  void setAttributedText(const platform::AttributedString& text, bool refresh = true);
  platform::Color textColor() const { return mainLabel()->textColor(); }
  void setTextColor(const platform::Color& color);
  const platform::Font& font() const { return mainLabel()->font(); }
  void setFont(const platform::Font& font);
  std::optional<platform::Color> shadowColor() const { return mainLabel()->shadowColor(); }
  void setShadowColor(std::optional<platform::Color> color);
  platform::Size shadowOffset() const { return mainLabel()->shadowOffset(); }
  void setShadowOffset(const platform::Size& offset);

  bool isScrolling() const { return scrolling_; }
  double scrollSpeed() const { return scrollSpeed_; }
  void setScrollSpeed(double pointsPerSecond);
  long scrollDirection() const { return scrollDirection_; }
  void setScrollDirection(long direction);
  double pauseInterval() const { return pauseInterval_; }
  void setPauseInterval(double seconds) { pauseInterval_ = seconds; }
  long labelSpacing() const { return labelSpacing_; }
  void setLabelSpacing(long points) { labelSpacing_ = points; }
  unsigned animationOptions() const { return animationOptions_; }
  void setAnimationOptions(unsigned options) { animationOptions_ = options; }
  double fadeLength() const { return fadeLength_; }
  void setFadeLength(double length);
  platform::TextAlignment textAlignment() const { return textAlignment_; }
  void setTextAlignment(platform::TextAlignment a) { textAlignment_ = a; }

  const std::array<std::shared_ptr<platform::Label>, 2>& labels() const { return labels_; }
  const std::shared_ptr<platform::Label>& mainLabel() const { return labels_[0]; }
  const std::shared_ptr<platform::ScrollView>& scrollView();

  void refreshLabels();
  void scrollLabelIfNeeded();
  void observeApplicationNotifications();
  void onUIApplicationDidChangeStatusBarOrientationNotification();
  platform::Size intrinsicContentSize() const override;
  void didMoveToWindow() override;

  static constexpr double kDefaultSpeed = 30;
  static constexpr double kDefaultPause = 1.5;
  static constexpr long kDefaultSpacing = 20;
  static constexpr double kDefaultFade = 7;

  explicit MQAutoScrollLabel(Key key, const platform::Rect& frame) : View(std::move(key), frame) {}

 protected:
  void didInit() override;
  void boundsDidChange(const platform::Rect& oldBounds) override;

 private:
  void commonInit();
  void enableShadow();
  void applyGradientMaskForFadeLength(double fadeLength, bool enableFade);
  void cancelDelayedCalls();
  bool needsScrolling() const;

  std::array<std::shared_ptr<platform::Label>, 2> labels_;
  std::shared_ptr<platform::ScrollView> scrollView_;
  std::uint64_t pendingScroll_ = 0;
  std::uint64_t pendingShadow_ = 0;
  std::uint64_t pendingRefresh_ = 0;
  double scrollSpeed_ = kDefaultSpeed;
  long scrollDirection_ = kDirectionLeft;
  double pauseInterval_ = kDefaultPause;
  long labelSpacing_ = kDefaultSpacing;
  unsigned animationOptions_ = 0x30000;
  double fadeLength_ = 0;
  platform::TextAlignment textAlignment_ = platform::TextAlignment::Left;
  bool scrolling_ = false;
};

}  // namespace sprout
