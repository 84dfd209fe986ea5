#include "platform/ui/ImageView.h"

#include "platform/animation/KeyframeAnimation.h"

namespace platform {
namespace {

constexpr const char* kFramesKey = "ImageViewAnimation";
constexpr const char* kAnimatedImageKey = "ImageViewAnimatedImage";

}  // namespace

std::shared_ptr<ImageView> ImageView::create(const Rect& frame) { return make<ImageView>(frame); }

std::shared_ptr<ImageView> ImageView::create(std::shared_ptr<Image> image,
                                             std::shared_ptr<Image> highlightedImage) {
  const Size size = image ? image->size() : Size{};
  auto view = create(makeRect(0, 0, size.width, size.height));
  view->setImage(std::move(image));
  view->setHighlightedImage(std::move(highlightedImage));
  return view;
}

ImageView::ImageView(Key key, const Rect& frame) : View(std::move(key), frame) {
  setUserInteractionEnabled(false);
  setOpaque(false);
}

void ImageView::setImage(std::shared_ptr<Image> image) {
  if (image == image_) return;
  image_ = std::move(image);
  updateContents();
  invalidateIntrinsicContentSize();  // constraints size an image view by its image
}

void ImageView::setHighlightedImage(std::shared_ptr<Image> image) {
  if (image == highlightedImage_) return;
  highlightedImage_ = std::move(image);
  updateContents();
}

void ImageView::setHighlighted(bool highlighted) {
  if (highlighted == highlighted_) return;
  highlighted_ = highlighted;
  updateContents();
  if (isAnimating()) startAnimating();  // switch to the other set of frames
}

void ImageView::setAnimationImages(std::vector<std::shared_ptr<Image>> images) {
  animationImages_ = std::move(images);
  if (animationImages_.empty()) stopAnimating();
}

void ImageView::setHighlightedAnimationImages(std::vector<std::shared_ptr<Image>> images) {
  highlightedAnimationImages_ = std::move(images);
}

std::shared_ptr<Image> ImageView::drawn(const std::shared_ptr<Image>& image) {
  if (!image || image->renderingMode() != ImageRenderingMode::AlwaysTemplate) return image;
  const Color tint = tintColor();
  if (image != tintedSource_ || !(tint == tintedColor_)) {
    tintedSource_ = image;
    tintedColor_ = tint;
    tinted_ = image->imageFilledWithColor(tint);
  }
  return tinted_;
}

void ImageView::tintColorDidChange() {
  const bool animating = isAnimating();
  updateContents();
  if (animating) startAnimating();  // frames again, in the new colour
}

void ImageView::updateContents() {
  std::shared_ptr<Image> shown =
      drawn(highlighted_ && highlightedImage_ ? highlightedImage_ : image_);
  layer()->removeAnimationForKey(kAnimatedImageKey);
  if (shown && shown->isAnimated()) {
    play(shown->images(), shown->duration(), kRepeatForever, kAnimatedImageKey);
    shown = shown->images().front();
  }
  if (shown) layer()->setContentsScale(shown->scale());
  layer()->setContents(shown);
}

void ImageView::play(const std::vector<std::shared_ptr<Image>>& frames, TimeInterval duration,
                     double repeatCount, const std::string& key) {
  std::vector<AnimationValue> values;
  for (const auto& f : frames) {
    if (!f) continue;
    if (f->renderingMode() == ImageRenderingMode::AlwaysTemplate) {
      values.emplace_back(f->imageFilledWithColor(tintColor()));
    } else {
      values.emplace_back(f);
    }
  }
  if (values.empty()) return;
  auto animation = KeyframeAnimation::create("contents");
  animation->setValues(std::move(values));
  animation->setCalculationMode(CalculationMode::Discrete);
  animation->setDuration(duration > 0 ? duration : frames.size() / 30.0);
  animation->setRepeatCount(repeatCount);
  layer()->setContentsScale(frames.front()->scale());
  layer()->addAnimation(animation, key);
}

void ImageView::startAnimating() {
  const auto& frames = highlighted_ && !highlightedAnimationImages_.empty()
                           ? highlightedAnimationImages_
                           : animationImages_;
  if (frames.empty()) return;
  play(frames, animationDuration_,
       animationRepeatCount_ > 0 ? animationRepeatCount_ : kRepeatForever, kFramesKey);
}

void ImageView::stopAnimating() { layer()->removeAnimationForKey(kFramesKey); }

bool ImageView::isAnimating() const { return layer()->animationForKey(kFramesKey) != nullptr; }

Size ImageView::sizeThatFits(const Size& /*size*/) const {
  const auto& shown = highlighted_ && highlightedImage_ ? highlightedImage_ : image_;
  return shown ? shown->size() : Size{};
}

Size ImageView::intrinsicContentSize() const { return image_ ? image_->size() : Size{-1, -1}; }

}  // namespace platform
