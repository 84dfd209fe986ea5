#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/graphics/Image.h"
#include "platform/ui/View.h"
#include "platform/ui/controls/BarButtonItem.h"
#include "ui/support/keyboard/KBBarButtonItem.h"
#include "ui/support/keyboard/KBInvocation.h"

namespace sprout {

// Builds keyboard toolbars (KBToolbar) and installs them as a field's input accessory view, and
// keeps a field's toolbar title and its extra previous / next / done actions. A builder on a
// view that takes no accessory view does nothing. Target and action pairs are one callable.
using KBAction = platform::BarButtonItem::Action;
using KBTitleText = std::optional<std::string>;
// Passes the field's own placeholder (drawingPlaceholderText) as the title, or none.
struct ShouldShowPlaceholder {
  bool value;
};

bool shouldHidePlaceholderText(const platform::View& view);
void setShouldHidePlaceholderText(platform::View& view, bool hide);
std::optional<std::string> placeholderText(const platform::View& view);
void setPlaceholderText(platform::View& view, std::optional<std::string> text);
// The title actually shown: none when hidden, else placeholderText, else the field's own.
std::optional<std::string> drawingPlaceholderText(const platform::View& view);

KBInvocation titleInvocation(const platform::View& view);
void setTitleInvocation(platform::View& view, KBInvocation invocation);
KBInvocation previousInvocation(const platform::View& view);
void setPreviousInvocation(platform::View& view, KBInvocation invocation);
KBInvocation nextInvocation(const platform::View& view);
void setNextInvocation(platform::View& view, KBInvocation invocation);
KBInvocation doneInvocation(const platform::View& view);
void setDoneInvocation(platform::View& view, KBInvocation invocation);
// The target's action, called with the view; an empty action clears it.
void setTitleTarget(platform::View& view, KBInvocation action);
void setCustomPreviousTarget(platform::View& view, KBInvocation action);
void setCustomNextTarget(platform::View& view, KBInvocation action);
void setCustomDoneTarget(platform::View& view, KBInvocation action);

// The one flexible space item every toolbar shares.
std::shared_ptr<KBBarButtonItem> flexibleBarButtonItem();

void addRightButtonOnKeyboardWithImage(platform::View& view, std::shared_ptr<platform::Image> image,
                                       KBAction action, KBTitleText titleText);
void addRightButtonOnKeyboardWithImage(platform::View& view, std::shared_ptr<platform::Image> image,
                                       KBAction action, ShouldShowPlaceholder show);
void addRightButtonOnKeyboardWithText(platform::View& view, const std::string& text,
                                      KBAction action, KBTitleText titleText = std::nullopt);
void addRightButtonOnKeyboardWithText(platform::View& view, const std::string& text,
                                      KBAction action, ShouldShowPlaceholder show);
void addDoneOnKeyboardWithTarget(platform::View& view, KBAction action,
                                 KBTitleText titleText = std::nullopt);
void addDoneOnKeyboardWithTarget(platform::View& view, KBAction action, ShouldShowPlaceholder show);
void addLeftRightOnKeyboardWithTarget(platform::View& view, const std::string& leftButtonTitle,
                                      const std::string& rightButtonTitle, KBAction leftAction,
                                      KBAction rightAction, KBTitleText titleText = std::nullopt);
void addLeftRightOnKeyboardWithTarget(platform::View& view, const std::string& leftButtonTitle,
                                      const std::string& rightButtonTitle, KBAction leftAction,
                                      KBAction rightAction, ShouldShowPlaceholder show);
void addCancelDoneOnKeyboardWithTarget(platform::View& view, KBAction cancelAction,
                                       KBAction doneAction, KBTitleText titleText = std::nullopt);
void addCancelDoneOnKeyboardWithTarget(platform::View& view, KBAction cancelAction,
                                       KBAction doneAction, ShouldShowPlaceholder show);
void addPreviousNextDoneOnKeyboardWithTarget(platform::View& view, KBAction previousAction,
                                             KBAction nextAction, KBAction doneAction,
                                             KBTitleText titleText = std::nullopt);
void addPreviousNextDoneOnKeyboardWithTarget(platform::View& view, KBAction previousAction,
                                             KBAction nextAction, KBAction doneAction,
                                             ShouldShowPlaceholder show);
void addPreviousNextRightOnKeyboardWithTarget(platform::View& view,
                                              std::shared_ptr<platform::Image> rightButtonImage,
                                              KBAction previousAction, KBAction nextAction,
                                              KBAction rightButtonAction, KBTitleText titleText);
void addPreviousNextRightOnKeyboardWithTarget(platform::View& view,
                                              std::shared_ptr<platform::Image> rightButtonImage,
                                              KBAction previousAction, KBAction nextAction,
                                              KBAction rightButtonAction,
                                              ShouldShowPlaceholder show);
void addPreviousNextRightOnKeyboardWithTarget(platform::View& view,
                                              const std::string& rightButtonTitle,
                                              KBAction previousAction, KBAction nextAction,
                                              KBAction rightButtonAction,
                                              KBTitleText titleText = std::nullopt);
void addPreviousNextRightOnKeyboardWithTarget(platform::View& view,
                                              const std::string& rightButtonTitle,
                                              KBAction previousAction, KBAction nextAction,
                                              KBAction rightButtonAction,
                                              ShouldShowPlaceholder show);

// Enables the previous (item 0) and next (item 2) buttons of the view's keyboard toolbar; any
// other accessory view, or one not shaped like a previous/next toolbar, is left alone.
void setEnablePrevious(platform::View& view, bool previous, bool next);

}  // namespace sprout
