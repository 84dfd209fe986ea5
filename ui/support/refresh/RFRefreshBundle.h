#pragma once

#include <memory>
#include <string>

#include "platform/foundation/Bundle.h"
#include "platform/graphics/Image.h"

namespace sprout {

// The "RFRefresh" resource bundle beside the program: the refresh views' texts and arrow.
// Each value is made on first use and kept for the process (main thread only).
std::shared_ptr<platform::Bundle> rf_refreshBundle();
// The arrow, as a template image drawn in its view's tint colour; nullptr when missing.
std::shared_ptr<platform::Image> rf_arrowImage();
// The text for `key` in the user's language ("en", "zh-Hans" or "zh-Hant", chosen once from the
// first preferred language); a text for the key in the main bundle wins.
std::string rf_localizedStringForKey(const std::string& key, const std::string& value = "");

// Forgets the cached bundle, arrow and language (tests that change the language).
void rf_resetRefreshBundleForTesting();

}  // namespace sprout
