#pragma once

#include <memory>
#include <string>

#include "platform/ui/controls/BarButtonItem.h"

namespace sprout {

// The keyboard toolbar's buttons. The platform here has no app-wide bar-button styling, so there
// is nothing for it to reset: it is a bar button item the toolbar code can tell apart.
class KBBarButtonItem : public platform::BarButtonItem {
 public:
  static std::shared_ptr<KBBarButtonItem> create(platform::BarButtonSystemItem item,
                                                 Action action = nullptr);
  static std::shared_ptr<KBBarButtonItem> create(const std::string& title,
                                                 platform::BarButtonItemStyle style,
                                                 Action action = nullptr);
  static std::shared_ptr<KBBarButtonItem> create(std::shared_ptr<platform::Image> image,
                                                 platform::BarButtonItemStyle style,
                                                 Action action = nullptr);

  explicit KBBarButtonItem(Key key) : platform::BarButtonItem(std::move(key)) {}
};

}  // namespace sprout
