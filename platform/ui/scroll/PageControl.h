#pragma once

#include <memory>

#include "platform/ui/Control.h"

namespace platform {

// A row of dots, one per page, the current one brighter. A tap on the left or right half moves
// one page that way and sends ValueChanged (or, when display is deferred, waits for
// updateCurrentPageDisplay before the dots follow).
class PageControl : public Control {
 public:
  static std::shared_ptr<PageControl> create(const Rect& frame = {});

  long numberOfPages() const { return numberOfPages_; }
  void setNumberOfPages(long n);
  // Clamped to the pages there are.
  long currentPage() const { return currentPage_; }
  void setCurrentPage(long page);
  bool hidesForSinglePage() const { return hidesForSinglePage_; }
  void setHidesForSinglePage(bool v);
  bool defersCurrentPageDisplay() const { return defersDisplay_; }
  void setDefersCurrentPageDisplay(bool v) { defersDisplay_ = v; }
  void updateCurrentPageDisplay();
  Color pageIndicatorTintColor() const { return pageColor_; }
  void setPageIndicatorTintColor(const Color& c);
  Color currentPageIndicatorTintColor() const { return currentColor_; }
  void setCurrentPageIndicatorTintColor(const Color& c);

  // The least size that shows `pages` dots.
  static Size sizeForNumberOfPages(long pages);
  Size sizeThatFits(const Size& size) const override;
  Size intrinsicContentSize() const override { return sizeForNumberOfPages(numberOfPages_); }
  void drawRect(Context& context, const Rect& rect) override;
  void touchesEnded(const TouchSet& touches, const Event& event) override;

  static constexpr double kDotDiameter = 7;
  static constexpr double kDotSpacing = 9;
  static constexpr double kHeight = 37;

  explicit PageControl(Key key, const Rect& frame);

 private:
  void refresh();

  long numberOfPages_ = 0;
  long currentPage_ = 0;
  long displayedPage_ = 0;
  bool hidesForSinglePage_ = false;
  bool defersDisplay_ = false;
  Color pageColor_ = Color::rgba(1, 1, 1, 0.3);
  Color currentColor_ = Color::whiteColor();
};

}  // namespace platform
