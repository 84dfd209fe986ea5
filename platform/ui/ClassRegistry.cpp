#include "platform/ui/ClassRegistry.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>

#include "platform/foundation/Log.h"
#include "platform/ui/ActivityIndicatorView.h"
#include "platform/ui/Button.h"
#include "platform/ui/ImageView.h"
#include "platform/ui/Label.h"
#include "platform/ui/Window.h"
#include "platform/ui/controllers/AlertController.h"
#include "platform/ui/controllers/AlertControllerTextField.h"
#include "platform/ui/controllers/NavigationBar.h"
#include "platform/ui/controllers/NavigationController.h"
#include "platform/ui/controllers/TableViewController.h"
#include "platform/ui/controls/Toolbar.h"
#include "platform/ui/controls/ToolbarButton.h"
#include "platform/ui/controls/ToolbarTextButton.h"
#include "platform/ui/scroll/CollectionView.h"
#include "platform/ui/scroll/PickerView.h"
#include "platform/ui/scroll/TableView.h"
#include "platform/ui/text/TextField.h"
#include "platform/ui/text/TextView.h"

namespace platform {

ClassRegistry& ClassRegistry::shared() {
  static ClassRegistry* registry = new ClassRegistry();  // lives until exit
  return *registry;
}

ClassRegistry::ClassRegistry() {
  add<Object>("Object");
  add<Responder>("Responder");
  add<View>("View");
  add<Window>("Window");
  add<Control>("Control");
  add<Button>("Button");
  add<Label>("Label");
  add<ImageView>("ImageView");
  add<ActivityIndicatorView>("ActivityIndicatorView");
  add<ScrollView>("ScrollView");
  add<TableView>("TableView");
  add<CollectionView>("CollectionView");
  add<PickerView>("PickerView");
  add<TextField>("TextField");
  add<TextView>("TextView");
  add<Toolbar>("Toolbar");
  add<NavigationBar>("NavigationBar");
  add<ViewController>("ViewController");
  add<NavigationController>("NavigationController");
  add<TableViewController>("TableViewController");
  add<AlertController>("AlertController");
  // The platform's private views, under the names they have there.
  add<ToolbarButton>("UIToolbarButton");
  add<ToolbarTextButton>("UIToolbarTextButton");
  add<AlertControllerTextField>("_UIAlertControllerTextField");
}

namespace {

// The C++ name of a type without its namespaces (nor an anonymous one).
std::string cppName(const std::type_info& type) {
  const char* mangled = type.name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  std::string full = status == 0 && demangled ? demangled.get() : mangled;
  const auto colon = full.rfind("::");
  return colon == std::string::npos ? full : full.substr(colon + 2);
}

}  // namespace

const ObjectClass& ClassRegistry::insert(std::unique_ptr<ObjectClass> entry, bool named) {
  const ObjectClass* raw = entry.get();
  if (named) byName_[raw->name()] = raw;
  byType_[raw->type()] = std::move(entry);
  return *raw;
}

const ObjectClass& ClassRegistry::classOf(const std::type_info& type,
                                          ObjectClass::KindTest isKind) {
  auto it = byType_.find(std::type_index(type));
  if (it != byType_.end()) return *it->second;
  // Not one the platform names: known by type only, so no name can reach it by accident.
  return insert(std::make_unique<ObjectClass>(cppName(type), std::type_index(type), isKind), false);
}

const ObjectClass* ClassRegistry::named(std::string_view name) const {
  auto it = byName_.find(name);
  if (it != byName_.end()) return it->second;
  if (reported_.insert(std::string(name)).second) {
    platform::log(LogLevel::Error, "ClassRegistry",
                  "no class is named \"" + std::string(name) + "\"; look it up by its type");
  }
  if (unknownNameHandler_) unknownNameHandler_(std::string(name));
  return nullptr;
}

std::string ClassRegistry::nameOf(const Object& object) const {
  auto it = byType_.find(std::type_index(typeid(object)));
  return it != byType_.end() ? it->second->name() : cppName(typeid(object));
}

ClassRegistry::UnknownNameHandler ClassRegistry::setUnknownNameHandler(UnknownNameHandler handler) {
  std::swap(handler, unknownNameHandler_);
  return handler;
}

void ClassSet::insert(const ObjectClass& cls) {
  if (!contains(cls)) classes_.push_back(&cls);
}

void ClassSet::erase(const ObjectClass& cls) {
  classes_.erase(std::remove(classes_.begin(), classes_.end(), &cls), classes_.end());
}

bool ClassSet::contains(const ObjectClass& cls) const {
  return std::find(classes_.begin(), classes_.end(), &cls) != classes_.end();
}

bool ClassSet::matches(const Object& object) const {
  return std::any_of(classes_.begin(), classes_.end(),
                     [&](const ObjectClass* cls) { return cls->isKind(object); });
}

}  // namespace platform
