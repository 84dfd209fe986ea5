#include "ui/support/refresh/RFRefreshBundle.h"

#include <optional>

#include "platform/foundation/Locale.h"

namespace sprout {

namespace {

struct Cached {
  std::optional<std::shared_ptr<platform::Bundle>> bundle;
  std::optional<std::shared_ptr<platform::Image>> arrow;
  std::optional<std::shared_ptr<platform::Bundle>> language;
};

Cached& cached() {
  static Cached c;
  return c;
}

// "en", "zh-Hans" or "zh-Hant": the refresh texts exist in these three only.
std::string refreshLanguage() {
  const auto languages = platform::Locale::preferredLanguages();
  const std::string first = languages.empty() ? std::string() : languages.front();
  if (first.rfind("en", 0) == 0) return "en";
  if (first.rfind("zh", 0) == 0) {
    return first.find("Hans") != std::string::npos ? "zh-Hans" : "zh-Hant";
  }
  return "en";
}

std::shared_ptr<platform::Bundle> languageBundle() {
  auto& c = cached();
  if (!c.language) {
    auto bundle = rf_refreshBundle();
    c.language = bundle ? platform::Bundle::bundleWithPath(bundle->bundlePath() + "/" +
                                                           refreshLanguage() + ".lproj")
                        : nullptr;
  }
  return *c.language;
}

}  // namespace

std::shared_ptr<platform::Bundle> rf_refreshBundle() {
  auto& c = cached();
  if (!c.bundle) {
    auto path = platform::Bundle::main()->pathForResource("RFRefresh", "bundle");
    c.bundle = path ? platform::Bundle::bundleWithPath(*path) : nullptr;
  }
  return *c.bundle;
}

std::shared_ptr<platform::Image> rf_arrowImage() {
  auto& c = cached();
  if (!c.arrow) {
    auto bundle = rf_refreshBundle();
    auto path = bundle ? bundle->pathForResource("arrow@2x", "png") : std::nullopt;
    auto image = path ? platform::Image::contentsOfFile(*path) : nullptr;
    c.arrow = image ? image->imageWithRenderingMode(platform::ImageRenderingMode::AlwaysTemplate)
                    : nullptr;
  }
  return *c.arrow;
}

std::string rf_localizedStringForKey(const std::string& key, const std::string& value) {
  std::string text = value;
  if (auto language = languageBundle()) text = language->localizedString(key, value);
  // The app's own text for a key wins over the bundle's.
  return platform::Bundle::main()->localizedString(key, text);
}

void rf_resetRefreshBundleForTesting() { cached() = Cached{}; }

}  // namespace sprout
