#pragma once

#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/animation/Layer.h"
#include "platform/graphics/Image.h"
#include "platform/ui/Font.h"
#include "platform/ui/View.h"
#include "platform/ui/scroll/ScrollView.h"
#include "ui/components/segment/SGSegmentItem.h"

namespace sprout {

class SGSegmentControlDelegate {
 public:
  virtual ~SGSegmentControlDelegate() = default;
  virtual void sgSegmentSelectAtIndex(long index, bool animation) = 0;
};

// A strip of tappable titles with an indicator line under the selected one; while the pages
// beneath are dragged the line slides between two titles in proportion (scrollToRate).
class SGSegmentControl : public platform::View {
 public:
  static std::shared_ptr<SGSegmentControl> create(const platform::Rect& frame = {});
  // The index a tap on something that is not one of the items selects: beyond every item.
  static constexpr long kNotFound = std::numeric_limits<long>::max();

  // Rebuilds the items from the titles and selects the first.
  void load();
  long selectIndex() const { return selectIndex_; }
  void setSelectIndex(long index);
  void setSelectIndex(long index, bool animation);
  // rate: the drag in page widths, negative towards lower indices.
  void scrollToRate(double rate);
  void segmentItemClicked(SGSegmentItem& item);
  void segmentItemSelected(SGSegmentItem& item);

  std::shared_ptr<SGSegmentControlDelegate> delegate() const { return delegate_.lock(); }
  void setDelegate(const std::shared_ptr<SGSegmentControlDelegate>& d) { delegate_ = d; }
  const std::vector<std::string>& titles() const { return titles_; }
  void setTitles(std::vector<std::string> titles) { titles_ = std::move(titles); }
  // 0: equal widths over the screen; 1: widths measured from the titles.
  long segmentType() const { return segmentType_; }
  void setSegmentType(long type) { segmentType_ = type; }
  const std::shared_ptr<platform::Image>& backgroundImage() const { return backgroundImage_; }
  void setBackgroundImage(std::shared_ptr<platform::Image> image) {
    backgroundImage_ = std::move(image);
  }
  double lineWidth() const { return lineWidth_; }
  void setLineWidth(double w) { lineWidth_ = w; }
  platform::Color highlightColor() const { return highlightColor_; }
  void setHighlightColor(const platform::Color& c);
  platform::Color titleColor() const { return titleColor_; }
  void setTitleColor(const platform::Color& c) { titleColor_ = c; }
  const platform::Font& titleFont() const { return titleFont_; }
  void setTitleFont(const platform::Font& f) { titleFont_ = f; }
  std::optional<platform::Color> borderColor() const { return borderColor_; }
  void setBorderColor(std::optional<platform::Color> c) { borderColor_ = c; }
  double borderWidth() const { return borderWidth_; }
  void setBorderWidth(double w) { borderWidth_ = w; }

  const std::shared_ptr<platform::ScrollView>& scrollView() const { return scrollView_; }
  const std::vector<std::shared_ptr<SGSegmentItem>>& items() const { return items_; }
  const std::shared_ptr<platform::Layer>& lineLayer() const { return lineLayer_; }
  platform::Rect lastSelectRect() const { return lastSelectRect_; }

  void layoutSubviews() override;
  void drawRect(platform::Context& context, const platform::Rect& rect) override;

  explicit SGSegmentControl(Key key, const platform::Rect& frame) : View(std::move(key), frame) {}

 protected:
  void didInit() override;

 private:
  void initialize();
  void createItems();
  std::shared_ptr<SGSegmentItem> createItem(const platform::Rect& frame, const std::string& title);
  void placeLine(const platform::Rect& frame);

  std::weak_ptr<SGSegmentControlDelegate> delegate_;
  std::vector<std::string> titles_;
  std::vector<std::shared_ptr<SGSegmentItem>> items_;
  std::shared_ptr<platform::ScrollView> scrollView_;
  std::shared_ptr<platform::Layer> lineLayer_;
  std::shared_ptr<platform::Image> backgroundImage_;
  platform::Rect lastSelectRect_;
  long selectIndex_ = 0;
  long segmentType_ = 0;
  double lineWidth_ = 2;
  platform::Color highlightColor_ = platform::Color::red();
  platform::Color titleColor_ = platform::Color::gray();
  platform::Font titleFont_ = platform::Font::systemFont(15);
  std::optional<platform::Color> borderColor_;
  double borderWidth_ = 0;
};

}  // namespace sprout
