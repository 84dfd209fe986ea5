#pragma once

#include <memory>

#include "platform/ui/Button.h"
#include "platform/ui/controls/BarButtonItem.h"

namespace platform {

// The view a bar makes for an item that shows an image (the platform calls this class
// "UIToolbarButton"). A tap sends the item's action.
class ToolbarButton : public Button {
 public:
  // Added to `bar` (when given) before it takes the item's looks, so it draws them once in the
  // bar's tint.
  static std::shared_ptr<ToolbarButton> create(const std::shared_ptr<BarButtonItem>& item,
                                               View* bar = nullptr);
  std::shared_ptr<BarButtonItem> item() const { return item_.lock(); }
  // Takes the item's image, title, enabled state, tint and label again.
  virtual void refreshFromItem();

  explicit ToolbarButton(Key key) : Button(std::move(key), {}, ButtonType::System) {}

 protected:
  void didInit() override;

 private:
  friend class ToolbarTextButton;
  std::weak_ptr<BarButtonItem> item_;
};

}  // namespace platform
