#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Font.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/scroll/CollectionViewCell.h"

namespace sprout {

// One banner of the carousel: an image filling the cell and, once a title is set, a title strip
// along its bottom (or over the whole cell when the carousel shows text only).
class BCCollectionViewCell : public platform::CollectionViewCell {
 public:
  static std::shared_ptr<BCCollectionViewCell> create(const platform::Rect& frame = {});

  const std::shared_ptr<platform::ImageView>& imageView() const { return imageView_; }
  const std::shared_ptr<platform::Label>& titleLabel() const { return titleLabel_; }

  // Shown with three spaces before it; nullopt empties and hides the title strip.
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> title);
  void setTitleLabelTextColor(const platform::Color& color);
  void setTitleLabelTextFont(const platform::Font& font);
  void setTitleLabelBackgroundColor(const platform::Color& color);
  double titleLabelHeight() const { return titleLabelHeight_; }
  void setTitleLabelHeight(double height) { titleLabelHeight_ = height; }

  bool hasConfigured() const { return hasConfigured_; }
  void setHasConfigured(bool v) { hasConfigured_ = v; }
  bool onlyDisplayText() const { return onlyDisplayText_; }
  void setOnlyDisplayText(bool v) { onlyDisplayText_ = v; }

  void layoutSubviews() override;

  explicit BCCollectionViewCell(Key key, const platform::Rect& frame)
      : CollectionViewCell(std::move(key), frame) {}

 protected:
  void didInit() override;

 private:
  std::shared_ptr<platform::ImageView> imageView_;
  std::shared_ptr<platform::Label> titleLabel_;
  std::optional<std::string> title_;
  double titleLabelHeight_ = 0;
  bool hasConfigured_ = false;
  bool onlyDisplayText_ = false;
};

}  // namespace sprout
