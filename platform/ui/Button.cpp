#include "platform/ui/Button.h"

#include <algorithm>
#include <cmath>

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"

namespace platform {
namespace {

// The state's own value, else the normal state's.
template <class T>
std::optional<T> lookup(const std::map<unsigned, T>& values, unsigned state) {
  auto it = values.find(state);
  if (it == values.end()) it = values.find(ControlStateNormal);
  if (it == values.end()) return std::nullopt;
  return it->second;
}

template <class T>
void store(std::map<unsigned, T>& values, unsigned state, std::optional<T> value) {
  if (value) {
    values[state] = std::move(*value);
  } else {
    values.erase(state);
  }
}

}  // namespace

std::shared_ptr<Button> Button::create(ButtonType type) { return create(kRectZero, type); }

std::shared_ptr<Button> Button::create(const Rect& frame, ButtonType type) {
  return make<Button>(frame, type);
}

Button::Button(Key key, const Rect& frame, ButtonType type)
    : Control(std::move(key), frame), type_(type) {
  setOpaque(false);
}

void Button::setTitle(std::optional<std::string> title, unsigned state) {
  store(titles_, state, std::move(title));
  refresh();
}

std::optional<std::string> Button::titleForState(unsigned state) const {
  return lookup(titles_, state);
}

void Button::setTitleColor(std::optional<Color> color, unsigned state) {
  store(titleColors_, state, color);
  refresh();
}

std::optional<Color> Button::titleColorForState(unsigned state) const {
  return lookup(titleColors_, state);
}

void Button::setImage(std::shared_ptr<Image> image, unsigned state) {
  store(images_, state, image ? std::optional(image) : std::nullopt);
  refresh();
}

std::shared_ptr<Image> Button::imageForState(unsigned state) const {
  return lookup(images_, state).value_or(nullptr);
}

void Button::setBackgroundImage(std::shared_ptr<Image> image, unsigned state) {
  store(backgrounds_, state, image ? std::optional(image) : std::nullopt);
  refresh();
}

std::shared_ptr<Image> Button::backgroundImageForState(unsigned state) const {
  return lookup(backgrounds_, state).value_or(nullptr);
}

Color Button::currentTitleColor() const {
  if (auto c = titleColorForState(state())) return *c;
  if (type_ == ButtonType::System) {
    if (!isEnabled()) return Color::white(0.5, 0.6);
    return isHighlighted() ? tintColor().withAlpha(0.2) : tintColor();
  }
  return Color::whiteColor();
}

std::shared_ptr<Label> Button::titleLabel() {
  if (!titleLabel_) {
    titleLabel_ = Label::create();
    titleLabel_->setFont(Font::systemFont(type_ == ButtonType::System ? 15 : 18));
    titleLabel_->setHidden(true);
    addSubview(titleLabel_);
    refresh();
  }
  return titleLabel_;
}

std::shared_ptr<ImageView> Button::imageView() {
  if (!imageView_) {
    imageView_ = ImageView::create();
    imageView_->setContentMode(ViewContentMode::Center);
    imageView_->setHidden(true);
    insertSubviewBelow(imageView_, titleLabel_.get());
    refresh();
  }
  return imageView_;
}

std::shared_ptr<ImageView> Button::backgroundView() {
  if (!backgroundView_) {
    backgroundView_ = ImageView::create();
    insertSubview(backgroundView_, 0);
  }
  return backgroundView_;
}

void Button::refresh() {
  auto title = currentTitle();
  auto image = currentImage();
  auto background = currentBackgroundImage();
  if (title || titleLabel_) {
    auto label = titleLabel();
    label->setText(title.value_or(""));
    label->setTextColor(currentTitleColor());
    label->setHidden(!title || title->empty());
  }
  if (image || imageView_) {
    auto view = imageView();
    view->setImage(image);
    view->setHidden(!image);
  }
  if (background || backgroundView_) {
    auto view = backgroundView();
    view->setImage(background);
    view->setHidden(!background);
  }
  setNeedsLayout();
}

Size Button::titleSize() const {
  if (!titleLabel_ || titleLabel_->text().empty()) return {};
  return titleLabel_->sizeThatFits({0, 0});
}

Size Button::titleSizeWithin(const Size& room) const {
  if (!titleLabel_ || titleLabel_->numberOfLines() == 1) {
    Size t = titleSize();
    t.width = std::min(t.width, room.width);
    return t;
  }
  if (titleLabel_->text().empty()) return {};
  // A title of several lines wraps at the room beside the image, as many lines as the label
  // allows and the content's height holds.
  Size t = titleLabel_->sizeThatFits(room);
  return {std::min(t.width, room.width), std::min(t.height, room.height)};
}

void Button::setContentEdgeInsets(const EdgeInsets& insets) {
  contentInsets_ = insets;
  setNeedsLayout();
}

void Button::setTitleEdgeInsets(const EdgeInsets& insets) {
  titleInsets_ = insets;
  setNeedsLayout();
}

void Button::setImageEdgeInsets(const EdgeInsets& insets) {
  imageInsets_ = insets;
  setNeedsLayout();
}

Size Button::sizeThatFits(const Size& /*size*/) const {
  const Size t = titleSize();
  const auto image = currentImage();
  const Size i = image ? image->size() : Size{};
  Size s{t.width + i.width + contentInsets_.left + contentInsets_.right,
         std::max(t.height, i.height) + contentInsets_.top + contentInsets_.bottom};
  if (auto bg = currentBackgroundImage()) {
    s.width = std::max(s.width, bg->size().width);
    s.height = std::max(s.height, bg->size().height);
  }
  return s;
}

void Button::layoutSubviews() {
  const Rect content = insetRect(bounds(), contentInsets_);
  if (backgroundView_) backgroundView_->setFrame(bounds());
  const auto image = currentImage();
  Size i = image ? image->size() : Size{};
  const Size t =
      titleSizeWithin({std::max(0.0, content.size.width - i.width), content.size.height});
  const double total = i.width + t.width;
  double x = content.origin.x + (content.size.width - total) / 2;
  if (contentHorizontalAlignment() == ControlContentHorizontalAlignment::Left) x = content.origin.x;
  if (contentHorizontalAlignment() == ControlContentHorizontalAlignment::Right) {
    x = maxX(content) - total;
  }
  auto yFor = [&](double h) {
    switch (contentVerticalAlignment()) {
      case ControlContentVerticalAlignment::Top:
        return content.origin.y;
      case ControlContentVerticalAlignment::Bottom:
        return maxY(content) - h;
      default:
        return content.origin.y + (content.size.height - h) / 2;
    }
  };
  if (imageView_) {
    imageView_->setFrame(insetRect(makeRect(x, yFor(i.height), i.width, i.height), imageInsets_));
  }
  if (titleLabel_) {
    titleLabel_->setFrame(
        insetRect(makeRect(x + i.width, yFor(t.height), t.width, t.height), titleInsets_));
  }
}

}  // namespace platform
