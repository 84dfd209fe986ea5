#include "platform/ui/controls/ToolbarButton.h"

#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/controls/ToolbarTextButton.h"

namespace platform {

std::shared_ptr<ToolbarButton> ToolbarButton::create(const std::shared_ptr<BarButtonItem>& item,
                                                     View* bar) {
  auto button = make<ToolbarButton>();
  button->item_ = item;
  if (bar) bar->addSubview(button);
  button->refreshFromItem();
  return button;
}

void ToolbarButton::didInit() {
  Button::didInit();
  addTarget(
      [](Control& sender) {
        if (auto item = static_cast<ToolbarButton&>(sender).item()) item->sendAction();
      },
      ControlEventTouchUpInside);
}

void ToolbarButton::refreshFromItem() {
  auto item = this->item();
  if (!item) return;
  setTintColor(item->tintColor());
  // A disabled item's image is drawn greyed out, like a disabled title.
  if (item->image()) {
    imageView()->setTintColor(item->isEnabled() ? std::nullopt
                                                : std::optional<Color>(Color::white(0.5, 0.6)));
  }
  setImage(item->image(), ControlStateNormal);
  setEnabled(item->isEnabled());
  setAccessibilityLabel(item->accessibilityLabel());
  setContentEdgeInsets({0, 4, 0, 4});
}

std::shared_ptr<ToolbarTextButton> ToolbarTextButton::create(
    const std::shared_ptr<BarButtonItem>& item, View* bar) {
  auto button = make<ToolbarTextButton>();
  button->item_ = item;
  if (bar) bar->addSubview(button);
  button->refreshFromItem();
  return button;
}

void ToolbarTextButton::refreshFromItem() {
  auto item = this->item();
  if (!item) return;
  setTitle(item->displayTitle(), ControlStateNormal);
  const bool done = item->style() == BarButtonItemStyle::Done;
  titleLabel()->setFont(done ? Font::boldSystemFont(17) : Font::systemFont(17));
  setEnabled(item->isEnabled());
  setTintColor(item->tintColor());
  setAccessibilityLabel(item->accessibilityLabel().empty() ? item->displayTitle()
                                                           : item->accessibilityLabel());
}

}  // namespace platform
