#include "ui/support/keyboard/KBToolbarAddition.h"
#include "platform/graphics/BundleImages.h"

#include <vector>

#include "ui/support/keyboard/KBResources.h"
#include "ui/support/keyboard/KBTextInput.h"
#include "ui/support/keyboard/KBTitleBarButtonItem.h"
#include "ui/support/keyboard/KBToolbar.h"

namespace sprout {
namespace {

using platform::BarButtonItemStyle;
using platform::BarButtonSystemItem;
using platform::View;
using Items = std::vector<std::shared_ptr<platform::BarButtonItem>>;

using platform::AssociatedKey;
constexpr AssociatedKey<bool> kHideKey{"shouldHidePlaceholderText"};
constexpr AssociatedKey<std::string> kPlaceholderKey{"placeholderText"};
constexpr AssociatedKey<KBInvocation> kTitleInvocationKey{"titleInvocation"};
constexpr AssociatedKey<KBInvocation> kPreviousKey{"previousInvocation"};
constexpr AssociatedKey<KBInvocation> kNextKey{"nextInvocation"};
constexpr AssociatedKey<KBInvocation> kDoneKey{"doneInvocation"};
constexpr char kDoneLabel[] = "Toolbar Done Button";
constexpr double kArrowSpacing = 6;

KBInvocation invocation(const View& view, const AssociatedKey<KBInvocation>& key) {
  const KBInvocation* stored = view.associated(key);
  return stored ? *stored : KBInvocation();
}

void store(View& view, const AssociatedKey<KBInvocation>& key, KBInvocation invocation) {
  if (invocation) {
    view.setAssociated(key, std::move(invocation));
  } else {
    view.removeAssociated(key);
  }
}

void refreshAccessoryTitle(View& view) {
  if (!hasPlaceholder(view)) return;
  if (auto bar = std::dynamic_pointer_cast<KBToolbar>(inputAccessoryViewOf(view))) {
    bar->setTitle(drawingPlaceholderText(view));
  }
}

// Steps 1, 2 and 4 of every builder around its items.
void install(View& view, Items items, std::optional<std::string> doneTitle,
             std::shared_ptr<platform::Image> doneImage) {
  auto bar = KBToolbar::create();
  bar->setDoneTitle(std::move(doneTitle));
  bar->setDoneImage(std::move(doneImage));
  if (auto appearance = keyboardAppearanceOf(view)) {
    bar->setBarStyle(*appearance == platform::KeyboardAppearanceDark ? platform::BarStyle::Black
                                                                     : platform::BarStyle::Default);
  }
  bar->setItems(std::move(items));
  bar->setTitleInvocation(titleInvocation(view));
  setInputAccessoryViewOf(view, bar);
}

std::shared_ptr<KBTitleBarButtonItem> titleItem(const View& view, const KBTitleText& text) {
  return KBTitleBarButtonItem::create(shouldHidePlaceholderText(view) ? std::nullopt : text);
}

KBTitleText placeholderTitle(const View& view, ShouldShowPlaceholder show) {
  return show.value ? drawingPlaceholderText(view) : std::nullopt;
}

std::shared_ptr<KBBarButtonItem> imageDoneItem(std::shared_ptr<platform::Image> image,
                                               KBAction action) {
  auto item =
      KBBarButtonItem::create(std::move(image), BarButtonItemStyle::Done, std::move(action));
  item->setAccessibilityLabel(kDoneLabel);
  return item;
}

// previous, fixed space, next.
// The arrows are drawn in the toolbar's tint.
std::shared_ptr<platform::Image> arrow(const char* name) {
  auto image = platform::imageNamed(*keyboardManagerBundle(), name);
  return image ? image->imageWithRenderingMode(platform::ImageRenderingMode::AlwaysTemplate)
               : nullptr;
}

Items previousNextItems(KBAction previousAction, KBAction nextAction) {
  auto previous = KBBarButtonItem::create(arrow("KBButtonBarArrowUp"), BarButtonItemStyle::Plain,
                                          std::move(previousAction));
  previous->setAccessibilityLabel("Toolbar Previous Button");
  auto fixed = KBBarButtonItem::create(BarButtonSystemItem::FixedSpace);
  fixed->setWidth(kArrowSpacing);
  auto next = KBBarButtonItem::create(arrow("KBButtonBarArrowDown"), BarButtonItemStyle::Plain,
                                      std::move(nextAction));
  next->setAccessibilityLabel("Toolbar Next Button");
  return {previous, fixed, next};
}

Items withTitleAndRight(Items left, const View& view, const KBTitleText& text,
                        std::shared_ptr<platform::BarButtonItem> right) {
  left.push_back(flexibleBarButtonItem());
  left.push_back(titleItem(view, text));
  left.push_back(flexibleBarButtonItem());
  left.push_back(std::move(right));
  return left;
}

}  // namespace

bool shouldHidePlaceholderText(const View& view) {
  const bool* hide = view.associated(kHideKey);
  return hide && *hide;
}

void setShouldHidePlaceholderText(View& view, bool hide) {
  view.setAssociated(kHideKey, hide);
  refreshAccessoryTitle(view);
}

std::optional<std::string> placeholderText(const View& view) {
  const std::string* text = view.associated(kPlaceholderKey);
  return text ? std::optional<std::string>(*text) : std::nullopt;
}

void setPlaceholderText(View& view, std::optional<std::string> text) {
  if (text) {
    view.setAssociated(kPlaceholderKey, std::move(*text));
  } else {
    view.removeAssociated(kPlaceholderKey);
  }
  refreshAccessoryTitle(view);
}

std::optional<std::string> drawingPlaceholderText(const View& view) {
  if (shouldHidePlaceholderText(view)) return std::nullopt;
  if (auto text = placeholderText(view); text && !text->empty()) return text;
  return placeholderOf(view);
}

KBInvocation titleInvocation(const View& view) { return invocation(view, kTitleInvocationKey); }
KBInvocation previousInvocation(const View& view) { return invocation(view, kPreviousKey); }
KBInvocation nextInvocation(const View& view) { return invocation(view, kNextKey); }
KBInvocation doneInvocation(const View& view) { return invocation(view, kDoneKey); }

void setTitleInvocation(View& view, KBInvocation action) {
  store(view, kTitleInvocationKey, action);
  if (auto bar = std::dynamic_pointer_cast<KBToolbar>(inputAccessoryViewOf(view))) {
    bar->setTitleInvocation(std::move(action));
  }
}
void setPreviousInvocation(View& view, KBInvocation action) {
  store(view, kPreviousKey, std::move(action));
}
void setNextInvocation(View& view, KBInvocation action) {
  store(view, kNextKey, std::move(action));
}
void setDoneInvocation(View& view, KBInvocation action) {
  store(view, kDoneKey, std::move(action));
}
void setTitleTarget(View& view, KBInvocation action) {
  setTitleInvocation(view, std::move(action));
}
void setCustomPreviousTarget(View& view, KBInvocation action) {
  setPreviousInvocation(view, std::move(action));
}
void setCustomNextTarget(View& view, KBInvocation action) {
  setNextInvocation(view, std::move(action));
}
void setCustomDoneTarget(View& view, KBInvocation action) {
  setDoneInvocation(view, std::move(action));
}

std::shared_ptr<KBBarButtonItem> flexibleBarButtonItem() {
  static const auto* const kItem = new std::shared_ptr<KBBarButtonItem>(
      KBBarButtonItem::create(BarButtonSystemItem::FlexibleSpace));  // lives until exit
  return *kItem;
}

void addRightButtonOnKeyboardWithImage(View& view, const std::shared_ptr<platform::Image>& image,
                                       KBAction action, const KBTitleText& titleText) {
  if (!takesInputAccessoryView(view)) return;
  Items items{titleItem(view, titleText), flexibleBarButtonItem(),
              imageDoneItem(image, std::move(action))};
  install(view, std::move(items), std::nullopt, image);
}

void addRightButtonOnKeyboardWithImage(View& view, const std::shared_ptr<platform::Image>& image,
                                       KBAction action, ShouldShowPlaceholder show) {
  addRightButtonOnKeyboardWithImage(view, image, std::move(action), placeholderTitle(view, show));
}

void addRightButtonOnKeyboardWithText(View& view, const std::string& text, KBAction action,
                                      const KBTitleText& titleText) {
  if (!takesInputAccessoryView(view)) return;
  Items items{titleItem(view, titleText), flexibleBarButtonItem(),
              KBBarButtonItem::create(text, BarButtonItemStyle::Done, std::move(action))};
  install(view, std::move(items), text, nullptr);
}

void addRightButtonOnKeyboardWithText(View& view, const std::string& text, KBAction action,
                                      ShouldShowPlaceholder show) {
  addRightButtonOnKeyboardWithText(view, text, std::move(action), placeholderTitle(view, show));
}

void addDoneOnKeyboardWithTarget(View& view, KBAction action, const KBTitleText& titleText) {
  if (!takesInputAccessoryView(view)) return;
  Items items{titleItem(view, titleText), flexibleBarButtonItem(),
              KBBarButtonItem::create(BarButtonSystemItem::Done, std::move(action))};
  install(view, std::move(items), std::nullopt, nullptr);
}

void addDoneOnKeyboardWithTarget(View& view, KBAction action, ShouldShowPlaceholder show) {
  addDoneOnKeyboardWithTarget(view, std::move(action), placeholderTitle(view, show));
}

void addLeftRightOnKeyboardWithTarget(View& view, const std::string& leftButtonTitle,
                                      const std::string& rightButtonTitle, KBAction leftAction,
                                      KBAction rightAction, const KBTitleText& titleText) {
  if (!takesInputAccessoryView(view)) return;
  Items left{
      KBBarButtonItem::create(leftButtonTitle, BarButtonItemStyle::Plain, std::move(leftAction))};
  auto right =
      KBBarButtonItem::create(rightButtonTitle, BarButtonItemStyle::Done, std::move(rightAction));
  install(view, withTitleAndRight(std::move(left), view, titleText, right), rightButtonTitle,
          nullptr);
}

void addLeftRightOnKeyboardWithTarget(View& view, const std::string& leftButtonTitle,
                                      const std::string& rightButtonTitle, KBAction leftAction,
                                      KBAction rightAction, ShouldShowPlaceholder show) {
  addLeftRightOnKeyboardWithTarget(view, leftButtonTitle, rightButtonTitle, std::move(leftAction),
                                   std::move(rightAction), placeholderTitle(view, show));
}

void addCancelDoneOnKeyboardWithTarget(View& view, KBAction cancelAction, KBAction doneAction,
                                       const KBTitleText& titleText) {
  if (!takesInputAccessoryView(view)) return;
  Items left{KBBarButtonItem::create(BarButtonSystemItem::Cancel, std::move(cancelAction))};
  auto right = KBBarButtonItem::create(BarButtonSystemItem::Done, std::move(doneAction));
  install(view, withTitleAndRight(std::move(left), view, titleText, right), std::nullopt, nullptr);
}

void addCancelDoneOnKeyboardWithTarget(View& view, KBAction cancelAction, KBAction doneAction,
                                       ShouldShowPlaceholder show) {
  addCancelDoneOnKeyboardWithTarget(view, std::move(cancelAction), std::move(doneAction),
                                    placeholderTitle(view, show));
}

void addPreviousNextDoneOnKeyboardWithTarget(View& view, KBAction previousAction,
                                             KBAction nextAction, KBAction doneAction,
                                             const KBTitleText& titleText) {
  if (!takesInputAccessoryView(view)) return;
  auto right = KBBarButtonItem::create(BarButtonSystemItem::Done, std::move(doneAction));
  install(view,
          withTitleAndRight(previousNextItems(std::move(previousAction), std::move(nextAction)),
                            view, titleText, right),
          std::nullopt, nullptr);
}

void addPreviousNextDoneOnKeyboardWithTarget(View& view, KBAction previousAction,
                                             KBAction nextAction, KBAction doneAction,
                                             ShouldShowPlaceholder show) {
  addPreviousNextDoneOnKeyboardWithTarget(view, std::move(previousAction), std::move(nextAction),
                                          std::move(doneAction), placeholderTitle(view, show));
}

void addPreviousNextRightOnKeyboardWithTarget(View& view,
                                              std::shared_ptr<platform::Image> rightButtonImage,
                                              KBAction previousAction, KBAction nextAction,
                                              KBAction rightButtonAction,
                                              const KBTitleText& titleText) {
  if (!takesInputAccessoryView(view)) return;
  auto right = imageDoneItem(rightButtonImage, std::move(rightButtonAction));
  install(view,
          withTitleAndRight(previousNextItems(std::move(previousAction), std::move(nextAction)),
                            view, titleText, right),
          std::nullopt, std::move(rightButtonImage));
}

void addPreviousNextRightOnKeyboardWithTarget(View& view,
                                              std::shared_ptr<platform::Image> rightButtonImage,
                                              KBAction previousAction, KBAction nextAction,
                                              KBAction rightButtonAction,
                                              ShouldShowPlaceholder show) {
  addPreviousNextRightOnKeyboardWithTarget(
      view, std::move(rightButtonImage), std::move(previousAction), std::move(nextAction),
      std::move(rightButtonAction), placeholderTitle(view, show));
}

void addPreviousNextRightOnKeyboardWithTarget(View& view, const std::string& rightButtonTitle,
                                              KBAction previousAction, KBAction nextAction,
                                              KBAction rightButtonAction,
                                              const KBTitleText& titleText) {
  if (!takesInputAccessoryView(view)) return;
  auto right = KBBarButtonItem::create(rightButtonTitle, BarButtonItemStyle::Done,
                                       std::move(rightButtonAction));
  install(view,
          withTitleAndRight(previousNextItems(std::move(previousAction), std::move(nextAction)),
                            view, titleText, right),
          rightButtonTitle, nullptr);
}

void addPreviousNextRightOnKeyboardWithTarget(View& view, const std::string& rightButtonTitle,
                                              KBAction previousAction, KBAction nextAction,
                                              KBAction rightButtonAction,
                                              ShouldShowPlaceholder show) {
  addPreviousNextRightOnKeyboardWithTarget(view, rightButtonTitle, std::move(previousAction),
                                           std::move(nextAction), std::move(rightButtonAction),
                                           placeholderTitle(view, show));
}

void setEnablePrevious(View& view, bool previous, bool next) {
  auto bar = std::dynamic_pointer_cast<KBToolbar>(inputAccessoryViewOf(view));
  if (!bar || bar->items().size() < 4) return;
  auto first = std::dynamic_pointer_cast<KBBarButtonItem>(bar->items()[0]);
  auto third = std::dynamic_pointer_cast<KBBarButtonItem>(bar->items()[2]);
  if (!first || !third) return;
  if (first->isEnabled() != previous) first->setEnabled(previous);
  if (third->isEnabled() != next) third->setEnabled(next);
}

}  // namespace sprout
