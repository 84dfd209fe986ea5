#pragma once

#include <memory>

#include "platform/ui/controls/ToolbarButton.h"

namespace platform {

// The view a bar makes for an item that shows a title or a system item's text (the platform
// calls this class "UIToolbarTextButton"); a done-style item shows it in bold.
class ToolbarTextButton : public ToolbarButton {
 public:
  static std::shared_ptr<ToolbarTextButton> create(const std::shared_ptr<BarButtonItem>& item);
  void refreshFromItem() override;

 protected:
  friend class Object;
  ToolbarTextButton() = default;
};

}  // namespace platform
