#pragma once

#include <memory>

#include "platform/ui/View.h"

namespace sprout {

// The base of the page control's dot views: a dot says how it looks for the current page and for
// the others. Subclasses must override changeActivityState.
class DPAbstractDotView : public platform::View {
 public:
  // A dot made without a frame: only subclasses that build themselves may be made so.
  static std::shared_ptr<DPAbstractDotView> create();
  virtual void changeActivityState(bool active);

  explicit DPAbstractDotView(Key key, const platform::Rect& frame) : View(std::move(key), frame) {}
};

// A white ring that fills with its colour and swells with a spring when its page is current.
class DPAnimatedDotView : public DPAbstractDotView {
 public:
  static std::shared_ptr<DPAnimatedDotView> create(const platform::Rect& frame);
  platform::Color dotColor() const { return dotColor_; }
  void setDotColor(const platform::Color& color);
  void changeActivityState(bool active) override;

  static constexpr double kSpringDuration = 1.0;
  static constexpr double kDamping = 0.5;
  static constexpr double kActiveVelocity = -20;
  static constexpr double kActiveScale = 1.4;

  explicit DPAnimatedDotView(Key key, const platform::Rect& frame)
      : DPAbstractDotView(std::move(key), frame) {}

 protected:
  void didInit() override;

 private:
  platform::Color dotColor_ = platform::Color::whiteColor();
};

// A white ring, filled white when its page is current.
class DPDotView : public DPAbstractDotView {
 public:
  static std::shared_ptr<DPDotView> create(const platform::Rect& frame);
  void changeActivityState(bool active) override;

  explicit DPDotView(Key key, const platform::Rect& frame)
      : DPAbstractDotView(std::move(key), frame) {}

 protected:
  void didInit() override;
};

}  // namespace sprout
