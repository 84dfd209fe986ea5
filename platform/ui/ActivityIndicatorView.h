#pragma once

#include <memory>

#include "platform/ui/View.h"

namespace platform {

enum class ActivityIndicatorViewStyle { WhiteLarge = 0, White = 1, Gray = 2 };

// The classic spinner: twelve spokes fading round the circle, stepping one spoke clockwise every
// twelfth of a second on the clock while animating. Large is 37 points across, the others 20.
class ActivityIndicatorView : public View {
 public:
  static std::shared_ptr<ActivityIndicatorView> create(
      ActivityIndicatorViewStyle style = ActivityIndicatorViewStyle::White);

  ActivityIndicatorViewStyle activityIndicatorViewStyle() const { return style_; }
  void setActivityIndicatorViewStyle(ActivityIndicatorViewStyle style);
  Color color() const { return color_; }
  void setColor(const Color& color);
  bool hidesWhenStopped() const { return hidesWhenStopped_; }
  void setHidesWhenStopped(bool hides);
  void startAnimating();
  void stopAnimating();
  bool isAnimating() const;

  Size sizeThatFits(const Size& size) const override;
  Size intrinsicContentSize() const override { return sizeThatFits({}); }
  void drawRect(Context& context, const Rect& rect) override;

  explicit ActivityIndicatorView(Key key, ActivityIndicatorViewStyle style);

 private:
  ActivityIndicatorViewStyle style_;
  Color color_;
  bool hidesWhenStopped_ = true;
};

}  // namespace platform
