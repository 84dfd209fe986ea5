#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/NotificationCenter.h"
#include "platform/ui/Label.h"
#include "platform/ui/text/TextView.h"

namespace sprout {

// A text view that shows a grey placeholder while it is empty, 8 points in from the left and
// top edges and as wide as the view less 16.
class KBTextView : public platform::TextView {
 public:
  static std::shared_ptr<KBTextView> create(const platform::Rect& frame = {});
  ~KBTextView() override;

  const std::optional<std::string>& placeholder() const { return placeholder_; }
  void setPlaceholder(std::optional<std::string> placeholder);
  // Made by the first setPlaceholder.
  const std::shared_ptr<platform::Label>& placeHolderLabel() const { return label_; }

  void setText(std::string text) override;
  void setFont(const platform::Font& font) override;
  void layoutSubviews() override;
  std::shared_ptr<platform::TextViewDelegate> delegate() const override;

  void refreshPlaceholder() const;

  static constexpr double kPlaceholderInset = 8;

  explicit KBTextView(Key key, const platform::Rect& frame) : TextView(std::move(key), frame) {}

 protected:
  // Every way of making one passes here, so each one follows its text changes.
  void didInit() override;

 private:
  std::optional<std::string> placeholder_;
  std::shared_ptr<platform::Label> label_;
  platform::ObserverToken changes_;
};

}  // namespace sprout
