#pragma once

#include <memory>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/ui/View.h"

namespace platform {

// Shows an image (or, while highlighted, the highlighted image) as its layer's contents. Animation
// images play as a discrete keyframe animation of the contents on the clock: each frame gets an
// equal share of animationDuration (0: a thirtieth of a second per frame), repeated
// animationRepeatCount times (0: for ever). An animated image plays the same way by itself.
// Template images (ImageRenderingMode::AlwaysTemplate) show their alpha in the view's tint colour.
class ImageView : public View {
 public:
  static std::shared_ptr<ImageView> create(const Rect& frame = {});
  // Sized to the image.
  static std::shared_ptr<ImageView> create(std::shared_ptr<Image> image,
                                           std::shared_ptr<Image> highlightedImage = nullptr);

  const std::shared_ptr<Image>& image() const { return image_; }
  void setImage(std::shared_ptr<Image> image);
  const std::shared_ptr<Image>& highlightedImage() const { return highlightedImage_; }
  void setHighlightedImage(std::shared_ptr<Image> image);
  bool isHighlighted() const { return highlighted_; }
  void setHighlighted(bool highlighted);

  const std::vector<std::shared_ptr<Image>>& animationImages() const { return animationImages_; }
  void setAnimationImages(std::vector<std::shared_ptr<Image>> images);
  const std::vector<std::shared_ptr<Image>>& highlightedAnimationImages() const {
    return highlightedAnimationImages_;
  }
  void setHighlightedAnimationImages(std::vector<std::shared_ptr<Image>> images);
  TimeInterval animationDuration() const { return animationDuration_; }
  void setAnimationDuration(TimeInterval d) { animationDuration_ = d; }
  int animationRepeatCount() const { return animationRepeatCount_; }
  void setAnimationRepeatCount(int n) { animationRepeatCount_ = n; }
  void startAnimating();
  void stopAnimating();
  bool isAnimating() const;

  Size sizeThatFits(const Size& size) const override;
  Size intrinsicContentSize() const override;
  void tintColorDidChange() override;

  explicit ImageView(Key key, const Rect& frame);

 private:
  void updateContents();
  // What is drawn for `image`: itself, or for a template its alpha in the tint colour.
  std::shared_ptr<Image> drawn(const std::shared_ptr<Image>& image);
  void play(const std::vector<std::shared_ptr<Image>>& frames, TimeInterval duration,
            double repeatCount, const std::string& key);

  std::shared_ptr<Image> image_;
  std::shared_ptr<Image> highlightedImage_;
  bool highlighted_ = false;
  std::vector<std::shared_ptr<Image>> animationImages_;
  std::vector<std::shared_ptr<Image>> highlightedAnimationImages_;
  TimeInterval animationDuration_ = 0;
  int animationRepeatCount_ = 0;
  // The last template drawn and its tinted copy, so redrawing in the same colour costs nothing.
  std::shared_ptr<Image> tintedSource_;
  std::shared_ptr<Image> tinted_;
  Color tintedColor_;
};

}  // namespace platform
