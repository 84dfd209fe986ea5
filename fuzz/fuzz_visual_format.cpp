// Feeds arbitrary text to the visual format parser and solves whatever it accepts: a bad string
// is an error with a message, never a crash, and every constraint made relates only the given
// views and their superview.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "platform/layout/LayoutConstraint.h"
#include "platform/layout/ViewLayout.h"
#include "platform/ui/View.h"

namespace {

void require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string format(reinterpret_cast<const char*>(data), size);
  auto root = platform::View::create(platform::makeRect(0, 0, 320, 480));
  auto a = platform::View::create(), b = platform::View::create();
  root->addSubview(a);
  root->addSubview(b);
  platform::setTranslatesAutoresizingMaskIntoConstraints(*a, false);
  platform::setTranslatesAutoresizingMaskIntoConstraints(*b, false);
  const std::map<std::string, std::shared_ptr<platform::View>> views{{"a", a}, {"b", b}};
  const std::map<std::string, double> metrics{{"m", 12}};
  auto result = platform::LayoutConstraint::constraintsWithVisualFormat(format, 0, metrics, views);
  if (!result) {
    require(!result.error().localizedDescription().empty());
    return 0;
  }
  for (const auto& c : result.value()) {
    for (const auto& item : {c->firstItem(), c->secondItem()}) {
      require(!item || item == a || item == b || item == root);
    }
  }
  platform::LayoutConstraint::activateConstraints(result.value());
  root->layoutIfNeeded();
  return 0;
}
