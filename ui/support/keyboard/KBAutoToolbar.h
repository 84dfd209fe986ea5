#pragma once

#include <functional>
#include <memory>

#include "platform/ui/View.h"
#include "ui/support/keyboard/KBKeyboardSettings.h"
#include "ui/support/keyboard/KBToolbarAddition.h"
#include "ui/support/keyboard/KBViewHierarchy.h"

namespace sprout {

// The toolbars the keyboard manager puts on fields by itself: previous / next / done for a list
// of fields, done alone for one, told apart from a screen's own accessory views by their tags.
// It builds them with the settings' look and the manager's actions, keeps them styled and titled,
// and takes off only its own. Main thread only.
class KBAutoToolbar {
 public:
  struct Actions {
    KBAction previous, next, done;
  };

  explicit KBAutoToolbar(const KBKeyboardSettings& settings) : settings_(settings) {}
  KBAutoToolbar(const KBAutoToolbar&) = delete;
  KBAutoToolbar& operator=(const KBAutoToolbar&) = delete;

  // What the toolbars' buttons do; set once the manager can be reached weakly.
  void setActions(Actions actions) { actions_ = std::move(actions); }

  // Toolbars for `list`: previous / next / done when it holds several fields (and the settings
  // show the arrows), else done on `field` alone.
  void add(const ViewList& list, platform::View* field);
  // Takes the manager's toolbars off the fields of `list`; a screen's own accessory views stay.
  void remove(const ViewList& list);
  // Enables the arrows of every field of `list` by its place in the list.
  void reload(const ViewList& list);
  // Enables the arrows of `field`'s previous / next toolbar, when it has the manager's, by its
  // place in the list as `list` finds it now.
  void refreshArrows(platform::View& field, const std::function<ViewList()>& list);

 private:
  void addPreviousNextToolbars(const ViewList& list);
  void addDoneToolbar(platform::View& field);
  void style(platform::View& field);

  const KBKeyboardSettings& settings_;
  Actions actions_;
};

}  // namespace sprout
