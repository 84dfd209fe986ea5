#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Image.h"
#include "platform/ui/Control.h"

namespace platform {

class ImageView;
class Label;

enum class ButtonType { Custom = 0, System = 1 };

// A control with a title, an image and a background image per state. A state without its own
// value shows the normal state's. The image sits left of the title, the pair placed by the
// content alignments within the bounds less contentEdgeInsets; titleEdgeInsets and
// imageEdgeInsets then shift each rect. A title label allowed several lines (numberOfLines other
// than 1) wraps within the width left beside the image. The background image fills the bounds.
class Button : public Control {
 public:
  static std::shared_ptr<Button> create(ButtonType type = ButtonType::Custom);
  static std::shared_ptr<Button> create(const Rect& frame, ButtonType type = ButtonType::Custom);

  ButtonType buttonType() const { return type_; }

  void setTitle(std::optional<std::string> title, unsigned state);
  std::optional<std::string> titleForState(unsigned state) const;
  void setTitleColor(std::optional<Color> color, unsigned state);
  std::optional<Color> titleColorForState(unsigned state) const;
  void setImage(std::shared_ptr<Image> image, unsigned state);
  std::shared_ptr<Image> imageForState(unsigned state) const;
  void setBackgroundImage(std::shared_ptr<Image> image, unsigned state);
  std::shared_ptr<Image> backgroundImageForState(unsigned state) const;

  std::optional<std::string> currentTitle() const { return titleForState(state()); }
  Color currentTitleColor() const;
  std::shared_ptr<Image> currentImage() const { return imageForState(state()); }
  std::shared_ptr<Image> currentBackgroundImage() const { return backgroundImageForState(state()); }

  // Made on first use; the button keeps them up to date with the state.
  std::shared_ptr<Label> titleLabel();
  std::shared_ptr<ImageView> imageView();

  EdgeInsets contentEdgeInsets() const { return contentInsets_; }
  void setContentEdgeInsets(const EdgeInsets& insets);
  EdgeInsets titleEdgeInsets() const { return titleInsets_; }
  void setTitleEdgeInsets(const EdgeInsets& insets);
  EdgeInsets imageEdgeInsets() const { return imageInsets_; }
  void setImageEdgeInsets(const EdgeInsets& insets);

  Size sizeThatFits(const Size& size) const override;
  Size intrinsicContentSize() const override { return sizeThatFits({0, 0}); }
  void layoutSubviews() override;
  void tintColorDidChange() override { refresh(); }

  Button(Key key, const Rect& frame, ButtonType type);

 protected:
  void stateDidChange() override { refresh(); }

 private:
  template <class T>
  using PerState = std::map<unsigned, T>;
  void refresh();
  std::shared_ptr<ImageView> backgroundView();
  Size titleSize() const;
  // The title's size when laid out in `room`: one line cut to its width, or wrapped within it
  // when the title label takes several lines.
  Size titleSizeWithin(const Size& room) const;

  ButtonType type_;
  PerState<std::string> titles_;
  PerState<Color> titleColors_;
  PerState<std::shared_ptr<Image>> images_;
  PerState<std::shared_ptr<Image>> backgrounds_;
  std::shared_ptr<Label> titleLabel_;
  std::shared_ptr<ImageView> imageView_;
  std::shared_ptr<ImageView> backgroundView_;
  EdgeInsets contentInsets_;
  EdgeInsets titleInsets_;
  EdgeInsets imageInsets_;
};

}  // namespace platform
