#pragma once

#include <memory>

#include "platform/ui/View.h"

namespace platform {

enum class BlurEffectStyle { ExtraLight = 0, Light = 1, Dark = 2 };

// Frosted glass: blurs whatever is drawn behind it and lays the style's tint over it. Put
// content into contentView, which always fills the view.
class VisualEffectView : public View {
 public:
  static std::shared_ptr<VisualEffectView> create(BlurEffectStyle style, const Rect& frame = {});

  BlurEffectStyle style() const { return style_; }
  void setStyle(BlurEffectStyle style);
  std::shared_ptr<View> contentView();

  static constexpr double kBlurRadius = 20;

  VisualEffectView(Key key, BlurEffectStyle style, const Rect& frame);

 private:
  BlurEffectStyle style_;
  std::shared_ptr<View> content_;
};

}  // namespace platform
