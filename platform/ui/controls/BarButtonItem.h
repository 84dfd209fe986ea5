#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/foundation/Object.h"
#include "platform/foundation/ObserverList.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Image.h"

namespace platform {

class View;

enum class BarButtonSystemItem {
  Done = 0,
  Cancel = 1,
  Edit = 2,
  Save = 3,
  Add = 4,
  FlexibleSpace = 5,
  FixedSpace = 6,
  Compose = 7,
  Reply = 8,
  Action = 9,
  Organize = 10,
  Bookmarks = 11,
  Search = 12,
  Refresh = 13,
  Stop = 14,
  Camera = 15,
  Trash = 16,
  Play = 17,
  Pause = 18,
  Rewind = 19,
  FastForward = 20,
  Undo = 21,
  Redo = 22,
};

enum class BarButtonItemStyle { Plain = 0, Bordered = 1, Done = 2 };

// A button (or a space) of a toolbar or navigation bar. It is not a view: the bar makes a view
// for it, of a kind that tells what it shows (see Toolbar). Its action is the target/action pair
// of the platform as one callable, which holds its target as the caller chooses. Changes are
// announced to the bars showing it. One item may stand in several bars, and a space item twice in
// one bar.
class BarButtonItem : public Object {
 public:
  using Action = std::function<void(BarButtonItem& sender)>;

  static std::shared_ptr<BarButtonItem> create(BarButtonSystemItem item, Action action = nullptr);
  static std::shared_ptr<BarButtonItem> create(const std::string& title, BarButtonItemStyle style,
                                               Action action = nullptr);
  static std::shared_ptr<BarButtonItem> create(std::shared_ptr<Image> image,
                                               BarButtonItemStyle style, Action action = nullptr);
  static std::shared_ptr<BarButtonItem> create(std::shared_ptr<View> customView);
  ~BarButtonItem() override;

  std::optional<BarButtonSystemItem> systemItem() const { return systemItem_; }
  bool isFlexibleSpace() const { return systemItem_ == BarButtonSystemItem::FlexibleSpace; }
  bool isFixedSpace() const { return systemItem_ == BarButtonSystemItem::FixedSpace; }
  bool isSpace() const { return isFlexibleSpace() || isFixedSpace(); }
  // The text a system item shows ("Done", "Cancel" ...), else the title.
  std::string displayTitle() const;

  BarButtonItemStyle style() const { return style_; }
  void setStyle(BarButtonItemStyle style);
  const std::string& title() const { return title_; }
  void setTitle(std::string title);
  const std::shared_ptr<Image>& image() const { return image_; }
  void setImage(std::shared_ptr<Image> image);
  const std::shared_ptr<View>& customView() const { return customView_; }
  void setCustomView(std::shared_ptr<View> view);
  // A fixed space's width; for other items a width of 0 means "as wide as it needs".
  double width() const { return width_; }
  void setWidth(double width);
  bool isEnabled() const { return enabled_; }
  void setEnabled(bool enabled);
  std::optional<Color> tintColor() const { return tint_; }
  void setTintColor(std::optional<Color> color);
  long tag() const { return tag_; }
  void setTag(long tag) { tag_ = tag; }
  const std::string& accessibilityLabel() const { return accessibilityLabel_; }
  void setAccessibilityLabel(std::string label);

  const Action& action() const { return action_; }
  void setAction(Action action) { action_ = std::move(action); }
  // What a tap on the item's view does: the action, when the item is enabled.
  void sendAction();

  // Told after any change of what the item shows.
  ObserverList<>& changeObservers() { return changed_; }

  explicit BarButtonItem(Key key) : Object(std::move(key)) {}

 protected:
  // For subclasses' factories.
  void setSystemItem(std::optional<BarButtonSystemItem> item) { systemItem_ = item; }

 private:
  void changed() { changed_.notify(); }

  std::optional<BarButtonSystemItem> systemItem_;
  BarButtonItemStyle style_ = BarButtonItemStyle::Plain;
  std::string title_;
  std::shared_ptr<Image> image_;
  std::shared_ptr<View> customView_;
  double width_ = 0;
  bool enabled_ = true;
  std::optional<Color> tint_;
  long tag_ = 0;
  std::string accessibilityLabel_;
  Action action_;
  ObserverList<> changed_;
};

}  // namespace platform
