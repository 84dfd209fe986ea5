#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"

namespace sprout {

class DPPageControl;

class DPPageControlDelegate {
 public:
  virtual ~DPPageControlDelegate() = default;
  virtual void DPPageControlDidSelectPageAtIndex(DPPageControl& control, long index) = 0;
};

// A page indicator drawn as a row of dot views, one per page, centred in the control: views of a
// dot class (animated rings by default) or, with images, image views showing the current-dot
// image on the current page and the dot image on the others. A tap on a dot goes to the delegate.
class DPPageControl : public platform::Control {
 public:
  // Makes a dot view of the given frame; the control's stand-in for a dot class.
  using DotViewClass = std::function<std::shared_ptr<platform::View>(const platform::Rect&)>;
  static DotViewClass animatedDotViewClass();
  static DotViewClass plainDotViewClass();

  static std::shared_ptr<DPPageControl> create(const platform::Rect& frame = {});

  // Width: pages × (dot width + spacing) − spacing, never below zero.
  platform::Size sizeForNumberOfPages(long pages);
  void sizeToFit();
  // Fits the frame to the dots when `overrideExistingFrame` or when it is too small for them,
  // keeping the centre when shouldResizeFromCenter; then rebuilds the dots.
  void updateFrame(bool overrideExistingFrame);

  long numberOfPages() const { return numberOfPages_; }
  void setNumberOfPages(long pages);
  long currentPage() const { return currentPage_; }
  // A page outside the pages there are is ignored.
  void setCurrentPage(long page);
  long spacingBetweenDots() const { return spacingBetweenDots_; }
  void setSpacingBetweenDots(long spacing);
  bool hidesForSinglePage() const { return hidesForSinglePage_; }
  void setHidesForSinglePage(bool v) { hidesForSinglePage_ = v; }
  bool shouldResizeFromCenter() const { return shouldResizeFromCenter_; }
  void setShouldResizeFromCenter(bool v) { shouldResizeFromCenter_ = v; }

  const DotViewClass& dotViewClass() const { return dotViewClass_; }
  void setDotViewClass(DotViewClass dotViewClass);
  const std::shared_ptr<platform::Image>& dotImage() const { return dotImage_; }
  void setDotImage(std::shared_ptr<platform::Image> image);
  const std::shared_ptr<platform::Image>& currentDotImage() const { return currentDotImage_; }
  void setCurrentDotImage(std::shared_ptr<platform::Image> image);
  // Handed to animated dots made from now on.
  const std::optional<platform::Color>& dotColor() const { return dotColor_; }
  void setDotColor(std::optional<platform::Color> color) { dotColor_ = color; }
  // Resolved on first read: the dot image's size (or the current-dot image's), else 8 × 8 for a
  // dot class.
  platform::Size dotSize();
  void setDotSize(const platform::Size& size) { dotSize_ = size; }

  std::shared_ptr<DPPageControlDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<DPPageControlDelegate>& d) { delegate_ = d; }
  const std::vector<std::shared_ptr<platform::View>>& dots() const { return dots_; }

  void touchesBegan(const platform::TouchSet& touches, const platform::Event& event) override;

  static constexpr double kDefaultDotSide = 8;
  static constexpr long kDefaultSpacing = 8;

  explicit DPPageControl(Key key, const platform::Rect& frame) : Control(std::move(key), frame) {}

 protected:
  void didInit() override;

 private:
  void resetDotViews();
  void updateDots();
  std::shared_ptr<platform::View> generateDotView();
  void updateDotFrame(platform::View& dot, long index);
  void changeActivity(bool active, long index);
  void hideForSinglePage();

  DotViewClass dotViewClass_;
  std::shared_ptr<platform::Image> dotImage_;
  std::shared_ptr<platform::Image> currentDotImage_;
  std::optional<platform::Color> dotColor_;
  platform::Size dotSize_;
  std::weak_ptr<DPPageControlDelegate> delegate_;
  std::vector<std::shared_ptr<platform::View>> dots_;
  long spacingBetweenDots_ = kDefaultSpacing;
  long numberOfPages_ = 0;
  long currentPage_ = 0;
  bool hidesForSinglePage_ = false;
  bool shouldResizeFromCenter_ = true;
};

}  // namespace sprout
