#include "platform/ui/VisualEffectView.h"

namespace platform {
namespace {

Color tintFor(BlurEffectStyle style) {
  switch (style) {
    case BlurEffectStyle::ExtraLight:
      return Color::white(0.97, 0.8);
    case BlurEffectStyle::Light:
      return Color::white(1, 0.3);
    case BlurEffectStyle::Dark:
      return Color::white(0.11, 0.73);
  }
  return Color::clear();
}

}  // namespace

std::shared_ptr<VisualEffectView> VisualEffectView::create(BlurEffectStyle style,
                                                           const Rect& frame) {
  return make<VisualEffectView>(style, frame);
}

VisualEffectView::VisualEffectView(Key key, BlurEffectStyle style, const Rect& frame)
    : View(std::move(key), frame), style_(style) {
  setOpaque(false);
  layer()->setBackdropBlurRadius(kBlurRadius);
  View::setBackgroundColor(tintFor(style));
}

void VisualEffectView::setStyle(BlurEffectStyle style) {
  style_ = style;
  View::setBackgroundColor(tintFor(style));
}

std::shared_ptr<View> VisualEffectView::contentView() {
  if (!content_) {
    content_ = View::create(bounds());
    content_->setOpaque(false);
    content_->setAutoresizingMask(ViewAutoresizingFlexibleWidth | ViewAutoresizingFlexibleHeight);
    addSubview(content_);
  }
  return content_;
}

}  // namespace platform
