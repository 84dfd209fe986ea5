#pragma once

#include <memory>
#include <vector>

#include "platform/animation/KeyframeAnimation.h"
#include "platform/animation/Layer.h"
#include "platform/animation/ShapeLayer.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Geometry.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Button.h"

namespace sprout {

// A toggle that shows its image as a coloured stencil (grey off, orange on). Switching on with
// select() plays a one-second burst: a disc swells from the image's centre and hollows into a
// vanishing ring, five rays shoot out and fade, and the image pops in with a damped wobble.
// Switching off recolours at once and cuts any running burst. Every layer is placed from
// imageFrame, in the button's own coordinates.
class LKLikeButton : public platform::Button {
 public:
  static std::shared_ptr<LKLikeButton> likeButtonWithImage(std::shared_ptr<platform::Image> image,
                                                           const platform::Rect& imageFrame);

  // On with the burst (replayed if already on) / off at once.
  void select();
  void deselect();
  // Recolours when the state changes; switching off this way deselects. No burst.
  void setSelected(bool selected) override;

  const platform::Color& circleColor() const { return circleColor_; }
  void setCircleColor(const platform::Color& color);
  const platform::Color& lineColor() const { return lineColor_; }
  void setLineColor(const platform::Color& color);
  const platform::Color& imageColorOn() const { return imageColorOn_; }
  void setImageColorOn(const platform::Color& color);
  const platform::Color& imageColorOff() const { return imageColorOff_; }
  void setImageColorOff(const platform::Color& color);

  // Whole images for the two states; setting either hides the stencil for good.
  const std::shared_ptr<platform::Image>& imageOn() const { return imageOn_; }
  void setImageOn(std::shared_ptr<platform::Image> image);
  const std::shared_ptr<platform::Image>& imageOff() const { return imageOff_; }
  void setImageOff(std::shared_ptr<platform::Image> image);

  // The base duration last set (0 until then; the burst then lasts one second). The disc and
  // its hole take a third of it, the rays' strokes 0.6 of it, the fade and the image all of it.
  double duration() const { return duration_; }
  void setDuration(double duration);

  const std::shared_ptr<platform::Image>& image() const { return image_; }
  const platform::Rect& imageFrame() const { return imageFrame_; }
  const std::shared_ptr<platform::ShapeLayer>& circleShape() const { return circleShape_; }
  const std::shared_ptr<platform::ShapeLayer>& circleMask() const { return circleMask_; }
  const std::shared_ptr<platform::ShapeLayer>& imageShape() const { return imageShape_; }
  const std::vector<std::shared_ptr<platform::ShapeLayer>>& lineArray() const { return lineArray_; }
  // Made (and added) on first use.
  const std::shared_ptr<platform::Layer>& imageLayer();
  bool hasImageLayer() const { return imageLayer_ != nullptr; }

  // Press feedback: down and drag-enter dim the button to 0.4, the rest bring it back.
  void touchDown();
  void touchUpInside();
  void touchDragExit();
  void touchDragEnter();
  void touchCancel();

  explicit LKLikeButton(Key key);

 private:
  void configImage(std::shared_ptr<platform::Image> image, const platform::Rect& imageFrame);
  void initLayers();
  void initRays();
  void initImageShape();
  void initAnimations();
  void addPressTargets();
  void showState(bool on);
  platform::Point imageCenter() const;

  std::shared_ptr<platform::KeyframeAnimation> circleTransform_;
  std::shared_ptr<platform::KeyframeAnimation> circleMaskTransform_;
  std::shared_ptr<platform::KeyframeAnimation> lineStrokeStart_;
  std::shared_ptr<platform::KeyframeAnimation> lineStrokeEnd_;
  std::shared_ptr<platform::KeyframeAnimation> lineOpacity_;
  std::shared_ptr<platform::KeyframeAnimation> imageTransform_;
  std::shared_ptr<platform::Image> image_;
  platform::Rect imageFrame_;
  platform::Color circleColor_;
  platform::Color lineColor_;
  platform::Color imageColorOn_;
  platform::Color imageColorOff_;
  std::shared_ptr<platform::Image> imageOn_;
  std::shared_ptr<platform::Image> imageOff_;
  double duration_ = 0;
  std::shared_ptr<platform::ShapeLayer> circleShape_;
  std::shared_ptr<platform::ShapeLayer> circleMask_;
  std::shared_ptr<platform::ShapeLayer> imageShape_;
  std::shared_ptr<platform::Layer> imageLayer_;
  std::vector<std::shared_ptr<platform::ShapeLayer>> lineArray_;
};

}  // namespace sprout
