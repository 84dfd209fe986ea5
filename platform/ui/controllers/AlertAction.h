#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/foundation/Object.h"

namespace platform {

enum class AlertActionStyle { Default = 0, Cancel = 1, Destructive = 2 };

// One button of an alert: its title, style and what choosing it does.
class AlertAction : public Object {
 public:
  using Handler = std::function<void(AlertAction&)>;
  static std::shared_ptr<AlertAction> create(std::string title, AlertActionStyle style,
                                             Handler handler = nullptr);
  const std::string& title() const { return title_; }
  AlertActionStyle style() const { return style_; }
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled) { enabled_ = enabled; }
  const Handler& handler() const { return handler_; }

  explicit AlertAction(Key key) : Object(std::move(key)) {}

 private:
  std::string title_;
  AlertActionStyle style_ = AlertActionStyle::Default;
  bool enabled_ = true;
  Handler handler_;
};

}  // namespace platform
