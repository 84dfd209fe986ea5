#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Button.h"
#include "platform/ui/Font.h"

namespace sprout {

// One title of the segment bar: a button that draws its own title, in the highlight colour while
// selected.
class SGSegmentItem : public platform::Button {
 public:
  static std::shared_ptr<SGSegmentItem> create(const platform::Rect& frame = {});

  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> title) { title_ = std::move(title); }
  platform::Color titleColor() const { return titleColor_; }
  void setTitleColor(const platform::Color& c) { titleColor_ = c; }
  platform::Color highlightColor() const { return highlightColor_; }
  void setHighlightColor(const platform::Color& c) { highlightColor_ = c; }
  const platform::Font& titleFont() const { return titleFont_; }
  void setTitleFont(const platform::Font& f) { titleFont_ = f; }

  void refresh() { setNeedsDisplay(); }
  void drawRect(platform::Context& context, const platform::Rect& rect) override;

  static bool isStringEmpty(const std::optional<std::string>& text);
  // The width of the text trimmed of white space and line breaks at both ends, not rounded.
  static double caculateTextWidth(const std::string& text, const platform::Font& font);
  // That width plus 40.
  static double caculateWidthWithtitle(const std::string& title, const platform::Font& font);

  explicit SGSegmentItem(Key key, const platform::Rect& frame)
      : Button(std::move(key), frame, platform::ButtonType::Custom) {}

 protected:
  void stateDidChange() override { refresh(); }

 private:
  std::optional<std::string> title_;
  platform::Color titleColor_ = platform::Color::gray();
  platform::Color highlightColor_ = platform::Color::red();
  platform::Font titleFont_ = platform::Font::systemFont(15);
};

}  // namespace sprout
