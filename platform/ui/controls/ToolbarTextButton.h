#pragma once

#include <memory>

#include "platform/ui/controls/ToolbarButton.h"

namespace platform {

// The view a bar makes for an item that shows a title or a system item's text (the platform
// calls this class "UIToolbarTextButton"); a done-style item shows it in bold.
class ToolbarTextButton : public ToolbarButton {
 public:
  // Added to `bar` (when given) before it takes the item's looks, so it draws them once in the
  // bar's tint.
  static std::shared_ptr<ToolbarTextButton> create(const std::shared_ptr<BarButtonItem>& item,
                                                   View* bar = nullptr);
  void refreshFromItem() override;

  explicit ToolbarTextButton(Key key) : ToolbarButton(std::move(key)) {}
};

}  // namespace platform
