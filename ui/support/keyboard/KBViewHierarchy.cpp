#include "ui/support/keyboard/KBViewHierarchy.h"

#include <algorithm>
#include <cstdio>

#include "platform/ui/controllers/AlertControllerTextField.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/scroll/ScrollView.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"

namespace sprout {
namespace {

using platform::ObjectClass;
using platform::View;
using platform::ViewController;

constexpr platform::AssociatedKey<bool> kAskingKey{"isAskingCanBecomeFirstResponder"};

std::string format(const char* pattern, double a, double b, double c = 0, double d = 0) {
  char buffer[160];
  std::snprintf(buffer, sizeof buffer, pattern, a, b, c, d);
  return buffer;
}

std::vector<std::shared_ptr<ViewController>> controllerStack(const platform::Window& window) {
  std::vector<std::shared_ptr<ViewController>> stack;
  for (auto c = window.rootViewController(); c; c = c->presentedViewController()) {
    stack.push_back(c);
  }
  return stack;
}

void collectResponders(const View& view, ViewList& into) {
  for (const auto& sub : view.subviews()) {
    if (KBcanBecomeFirstResponder(*sub)) {
      into.push_back(sub);
    } else if (!sub->subviews().empty() && sub->isUserInteractionEnabled() && !sub->isHidden() &&
               sub->alpha() != 0) {
      collectResponders(*sub, into);
    }
  }
}

bool readingOrder(const platform::Rect& a, const platform::Rect& b) {
  if (minY(a) != minY(b)) return minY(a) < minY(b);
  return minX(a) < minX(b);
}

}  // namespace

std::shared_ptr<ViewController> viewController(const View& view) {
  for (auto r = view.nextResponder(); r; r = r->nextResponder()) {
    if (auto c = std::dynamic_pointer_cast<ViewController>(r)) return c;
  }
  return nullptr;
}

std::shared_ptr<ViewController> topMostController(const View& view) {
  auto window = view.window();
  auto c = viewController(view);
  if (!window || !c) return nullptr;
  const auto stack = controllerStack(*window);
  auto onStack = [&](const std::shared_ptr<ViewController>& x) {
    return std::find(stack.begin(), stack.end(), x) != stack.end();
  };
  if (onStack(c)) return c;
  for (auto r = c->nextResponder(); r; r = r->nextResponder()) {
    auto candidate = std::dynamic_pointer_cast<ViewController>(r);
    if (candidate && onStack(candidate)) return candidate;
  }
  return nullptr;
}

std::shared_ptr<ViewController> topMostController(const platform::Window& window) {
  auto stack = controllerStack(window);
  return stack.empty() ? nullptr : stack.back();
}

std::shared_ptr<ViewController> currentViewController(const platform::Window& window) {
  auto c = topMostController(window);
  while (auto nav = std::dynamic_pointer_cast<platform::NavigationController>(c)) {
    auto top = nav->topViewController();
    if (!top) break;
    c = top;
  }
  return c;
}

std::shared_ptr<View> superviewOfClassType(const View& view, const ObjectClass& cls) {
  // A table or collection view scrolls itself, with no scroll view of its own inside to skip.
  for (auto v = view.superview(); v; v = v->superview()) {
    if (cls.isKind(*v)) return v;
  }
  return nullptr;
}

bool KBcanBecomeFirstResponder(View& view) {
  view.setAssociated(kAskingKey, true);
  bool can = view.canBecomeFirstResponder() && view.isUserInteractionEnabled() &&
             !view.isHidden() && view.alpha() != 0 && !isAlertViewTextField(view) &&
             !isSearchBarTextField(view);
  if (can) {
    if (auto* field = dynamic_cast<platform::TextField*>(&view)) can = field->isEnabled();
    if (auto* text = dynamic_cast<platform::TextView*>(&view)) can = text->isEditable();
  }
  view.removeAssociated(kAskingKey);
  return can;
}

bool isAskingCanBecomeFirstResponder(const View& view) {
  return view.associated(kAskingKey) != nullptr;
}

ViewList responderSiblings(const View& view) {
  ViewList list;
  auto parent = view.superview();
  if (!parent) return list;
  for (const auto& sub : parent->subviews()) {
    if (KBcanBecomeFirstResponder(*sub)) list.push_back(sub);
  }
  return list;
}

ViewList deepResponderViews(const View& view) {
  ViewList list;
  collectResponders(view, list);
  std::stable_sort(list.begin(), list.end(), [&](const auto& a, const auto& b) {
    return readingOrder(view.convertRectFrom(a->bounds(), a.get()),
                        view.convertRectFrom(b->bounds(), b.get()));
  });
  return list;
}

bool isSearchBarTextField(const View& /*view*/) {
  return false;  // the platform has no search bar, so no field is one's
}

bool isAlertViewTextField(const View& view) {
  // The platform's alerts are its only ones; it has no action-sheet text field.
  return dynamic_cast<const platform::AlertControllerTextField*>(&view) != nullptr;
}

platform::AffineTransform convertTransformToView(const View& view, const View* target) {
  std::shared_ptr<View> windowHolder;
  if (!target) {
    windowHolder = view.window();
    target = windowHolder.get();
  }
  platform::AffineTransform mine = view.transform();
  if (auto parent = view.superview()) mine = mine.concat(convertTransformToView(*parent, nullptr));
  platform::AffineTransform theirs;
  if (target) {
    theirs = target->transform();
    if (auto parent = target->superview()) {
      theirs = theirs.concat(convertTransformToView(*parent, nullptr));
    }
  }
  return mine.concat(theirs.invert());
}

int depth(const View& view) {
  auto parent = view.superview();
  return parent ? depth(*parent) + 1 : 0;
}

std::string debugHierarchy(const View& view) {
  const auto f = view.frame();
  std::string text = className(view) +
                     format(": ( %.0f, %.0f, %.0f, %.0f )", minX(f), minY(f), width(f), height(f));
  if (auto* scroll = dynamic_cast<const platform::ScrollView*>(&view)) {
    const auto size = scroll->contentSize();
    text += format(" contentSize: ( %.0f, %.0f )", size.width, size.height);
  }
  const auto t = view.transform();
  if (!t.isIdentity()) {
    text += " transform: " + format("[%g, %g, %g, %g", t.a, t.b, t.c, t.d) +
            format(", %g, %g]", t.tx, t.ty);
  }
  return text;
}

std::string subHierarchy(const View& view) {
  std::string text = "\n";
  for (int i = 0; i < depth(view); ++i) text += "|  ";
  text += debugHierarchy(view);
  for (const auto& sub : view.subviews()) text += subHierarchy(*sub);
  return text;
}

std::string superHierarchy(const View& view) {
  auto parent = view.superview();
  std::string text = parent ? superHierarchy(*parent) : "\n";
  for (int i = 0; i < depth(view); ++i) text += "|  ";
  return text + debugHierarchy(view) + "\n";
}

ViewList sortedArrayByTag(ViewList views) {
  // Tags compare as numbers: a strict weak order, so equal tags simply keep their places.
  std::stable_sort(views.begin(), views.end(),
                   [](const auto& a, const auto& b) { return a->tag() < b->tag(); });
  return views;
}

ViewList sortedArrayByPosition(ViewList views) {
  std::stable_sort(views.begin(), views.end(), [](const auto& a, const auto& b) {
    return readingOrder(a->frame(), b->frame());
  });
  return views;
}

std::string KBDescription(const platform::Object& object) {
  char address[32];
  std::snprintf(address, sizeof address, "%p", static_cast<const void*>(&object));
  return "<" + className(object) + " " + address + ">";
}

std::string className(const platform::Object& object) {
  return platform::ClassRegistry::shared().nameOf(object);
}

}  // namespace sprout
