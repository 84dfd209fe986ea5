#pragma once

#include <concepts>
#include <memory>
#include <string>
#include <vector>

#include "platform/graphics/Geometry.h"
#include "platform/ui/ClassRegistry.h"
#include "platform/ui/View.h"
#include "platform/ui/ViewController.h"
#include "platform/ui/Window.h"

namespace sprout {

using ViewList = std::vector<std::shared_ptr<platform::View>>;

// Finding controllers, enclosing views and the fields that can take the keyboard, plus debug
// descriptions of a view tree. Main thread only.

// The first controller along the responder chain after the view.
std::shared_ptr<platform::ViewController> viewController(const platform::View& view);
// The view's controller when it stands on the window's stack (root, then what each presents),
// else the first of its responder chain that does; nullptr outside a window.
std::shared_ptr<platform::ViewController> topMostController(const platform::View& view);
// The window's root controller, then what each presents, to the last.
std::shared_ptr<platform::ViewController> topMostController(const platform::Window& window);
// topMostController, descending into navigation controllers' top controllers.
std::shared_ptr<platform::ViewController> currentViewController(const platform::Window& window);

// The nearest enclosing view of the class (or a subclass); nullptr for none.
std::shared_ptr<platform::View> superviewOfClassType(const platform::View& view,
                                                     const platform::ObjectClass& cls);
template <std::derived_from<platform::View> T>
std::shared_ptr<T> superviewOfClassType(const platform::View& view) {
  return std::static_pointer_cast<T>(superviewOfClassType(view, platform::ClassRegistry::of<T>()));
}

// Whether the view could take the keyboard now: it can become first responder, takes touches,
// is visible, is no alert or search-bar field, and is an enabled field or an editable text view.
bool KBcanBecomeFirstResponder(platform::View& view);
// True only while KBcanBecomeFirstResponder runs on the view.
bool isAskingCanBecomeFirstResponder(const platform::View& view);

// The siblings (the view included) that can take the keyboard, in subview order.
ViewList responderSiblings(const platform::View& view);
// Every descendant that can take the keyboard (not looking inside those that can), in reading
// order of their place in the view: rows top to bottom, left to right within a row.
ViewList deepResponderViews(const platform::View& view);

bool isSearchBarTextField(const platform::View& view);
bool isAlertViewTextField(const platform::View& view);

// The transform from this view's space to `target`'s (nullptr: the window's).
platform::AffineTransform convertTransformToView(const platform::View& view,
                                                 const platform::View* target);
int depth(const platform::View& view);
// "Class: ( x, y, w, h )", with the content size of a scroll view and a transform that is not
// the identity.
std::string debugHierarchy(const platform::View& view);
// The view and its subtree, one indented line each.
std::string subHierarchy(const platform::View& view);
// The chain from the window down to the view, one indented line each.
std::string superHierarchy(const platform::View& view);

// Stable sorts: by tag; by frame (minY, then minX).
ViewList sortedArrayByTag(ViewList views);
ViewList sortedArrayByPosition(ViewList views);

// "<Class 0x...>".
std::string KBDescription(const platform::Object& object);
// The class the registry knows the object by (its C++ name otherwise).
std::string className(const platform::Object& object);

}  // namespace sprout
