#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/ui/Font.h"
#include "platform/ui/controls/Toolbar.h"
#include "ui/support/keyboard/KBInvocation.h"

namespace sprout {

class KBTitleBarButtonItem;

// The bar on top of the keyboard: 44 points high, flexible width, black tint; its title item
// (the first KBTitleBarButtonItem among the items) gets the title, font and title action, and
// is laid out between the buttons left and right of it with kTitleMargin on each side.
// doneTitle / doneImage record what the right-hand button shows, so a toolbar can be rebuilt
// when that setting changes.
class KBToolbar : public platform::Toolbar {
 public:
  static std::shared_ptr<KBToolbar> create(const platform::Rect& frame = {});

  const std::optional<platform::Font>& titleFont() const { return titleFont_; }
  // No font means the system font of 13 points.
  void setTitleFont(std::optional<platform::Font> font);
  const std::optional<std::string>& title() const { return title_; }
  void setTitle(std::optional<std::string> title);
  const KBInvocation& titleInvocation() const { return titleInvocation_; }
  void setTitleInvocation(KBInvocation invocation);
  void setTitleTarget(KBInvocation action) { setTitleInvocation(std::move(action)); }

  const std::optional<std::string>& doneTitle() const { return doneTitle_; }
  void setDoneTitle(std::optional<std::string> title) { doneTitle_ = std::move(title); }
  const std::shared_ptr<platform::Image>& doneImage() const { return doneImage_; }
  void setDoneImage(std::shared_ptr<platform::Image> image) { doneImage_ = std::move(image); }

  // Its buttons may play the keyboard's click.
  bool enableInputClicksWhenVisible() const { return true; }

  void setBarStyle(platform::BarStyle style) override;
  platform::Size sizeThatFits(const platform::Size& size) const override;
  void layoutSubviews() override;
  void tintColorDidChange() override;

  // The first title item among the items, if any.
  std::shared_ptr<KBTitleBarButtonItem> titleItem() const;

  static constexpr double kTitleMargin = 16;

  explicit KBToolbar(Key key, const platform::Rect& frame) : Toolbar(std::move(key), frame) {}

 protected:
  void didInit() override;

 private:
  std::optional<platform::Font> titleFont_;
  std::optional<std::string> title_;
  std::optional<std::string> doneTitle_;
  std::shared_ptr<platform::Image> doneImage_;
  KBInvocation titleInvocation_;
};

}  // namespace sprout
