#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Color.h"
#include "platform/ui/Button.h"
#include "platform/ui/Font.h"
#include "ui/support/keyboard/KBBarButtonItem.h"
#include "ui/support/keyboard/KBInvocation.h"

namespace sprout {

// The title in the middle of the keyboard toolbar: a plain view holding a button that shows
// the field's placeholder in up to three centred lines. Without a title action the button is
// disabled (light grey, taps ignored); with one it shows selectableTextColor and runs it.
class KBTitleBarButtonItem : public KBBarButtonItem {
 public:
  static std::shared_ptr<KBTitleBarButtonItem> create(std::optional<std::string> title);

  const std::shared_ptr<platform::View>& titleView() const { return titleView_; }
  const std::shared_ptr<platform::Button>& titleButton() const { return titleButton_; }
  const platform::Font& font() const { return font_; }
  void setFont(const platform::Font& font);
  platform::Color selectableTextColor() const { return selectableTextColor_; }
  void setSelectableTextColor(const platform::Color& color);
  void setTitle(std::optional<std::string> title);
  const KBInvocation& titleInvocation() const { return titleInvocation_; }
  // With an action the item and its button are enabled; without one both are disabled.
  void setTitleInvocation(KBInvocation invocation);
  void setTitleTarget(KBInvocation action) { setTitleInvocation(std::move(action)); }

  static const platform::Color kSelectableBlue;

  explicit KBTitleBarButtonItem(Key key) : KBBarButtonItem(std::move(key)) {}

 private:
  std::shared_ptr<platform::View> titleView_;
  std::shared_ptr<platform::Button> titleButton_;
  platform::Font font_ = platform::Font::systemFont(13);
  platform::Color selectableTextColor_ = kSelectableBlue;
  KBInvocation titleInvocation_;
};

}  // namespace sprout
