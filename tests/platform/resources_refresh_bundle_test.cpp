// The "RFRefresh" resource bundle as the refresh views read it: every text in every language,
// the language chosen for the user's preferences, and the arrow.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Locale.h"
#include "platform/graphics/Image.h"

namespace platform {
namespace {

const char* const kKeys[] = {
    "RFRefreshHeaderIdleText",           "RFRefreshHeaderPullingText",
    "RFRefreshHeaderRefreshingText",     "RFRefreshHeaderLastTimeText",
    "RFRefreshHeaderDateTodayText",      "RFRefreshHeaderNoneLastDateText",
    "RFRefreshAutoFooterIdleText",       "RFRefreshAutoFooterRefreshingText",
    "RFRefreshAutoFooterNoMoreDataText", "RFRefreshBackFooterIdleText",
    "RFRefreshBackFooterPullingText",    "RFRefreshBackFooterRefreshingText",
    "RFRefreshBackFooterNoMoreDataText",
};

// Lead bytes E4..E9 start the UTF-8 of the common CJK ideographs (U+4000..U+9FFF).
bool hasCJK(const std::string& text) {
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0xE4 && byte <= 0xE9) return true;
  }
  return false;
}

class RefreshBundle : public ::testing::Test {
 protected:
  ~RefreshBundle() override { Locale::setPreferredLanguagesForTesting(std::nullopt); }
  // Found the way the refresh views find it: by name in the main bundle.
  std::shared_ptr<Bundle> bundle_ = Bundle::main()->bundleNamed("RFRefresh");
};

TEST_F(RefreshBundle, EveryKeyHasItsOwnTextInEveryLanguage) {
  ASSERT_TRUE(bundle_);
  EXPECT_EQ(bundle_->localizations(), (std::vector<std::string>{"en", "zh-Hans", "zh-Hant"}));
  std::map<std::string, std::map<std::string, std::string>> tables;
  for (const char* language : {"en", "zh-Hans", "zh-Hant"}) {
    const auto table = bundle_->stringsTable("", language);
    EXPECT_EQ(table.size(), std::size(kKeys)) << language;  // nothing more, nothing less
    for (const char* key : kKeys) {
      ASSERT_TRUE(table.count(key)) << language << " " << key;
      EXPECT_FALSE(table.at(key).empty());
      EXPECT_NE(table.at(key), key);
      EXPECT_EQ(hasCJK(table.at(key)), std::string(language) != "en") << table.at(key);
    }
    tables[language] = table;
  }
  for (const char* key : kKeys) {  // the two Chinese scripts are written apart where they differ
    if (std::string(key) == "RFRefreshHeaderDateTodayText") continue;
    EXPECT_NE(tables["zh-Hans"][key], tables["zh-Hant"][key]) << key;
  }
  // The states of one view never share a text.
  EXPECT_EQ(std::set<std::string>({tables["en"]["RFRefreshHeaderIdleText"],
                                   tables["en"]["RFRefreshHeaderPullingText"],
                                   tables["en"]["RFRefreshHeaderRefreshingText"]})
                .size(),
            3u);
}

TEST_F(RefreshBundle, UserLanguagesPickTheTexts) {
  ASSERT_TRUE(bundle_);
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"en-GB"}, "en"},           {{"zh-Hans-CN"}, "zh-Hans"}, {{"zh-HK"}, "zh-Hant"},
      {{"zh-Hant-TW"}, "zh-Hant"}, {{"fr-FR"}, "en"},           {{}, "en"},
  };
  for (const auto& [languages, expected] : cases) {
    Locale::setPreferredLanguagesForTesting(languages);
    const std::string name = languages.empty() ? "none" : languages.front();
    EXPECT_EQ(bundle_->preferredLocalization(), expected) << name;
    EXPECT_EQ(bundle_->localizedString("RFRefreshHeaderIdleText"),
              bundle_->stringsTable("", expected).at("RFRefreshHeaderIdleText"))
        << name;
  }
  Locale::setPreferredLanguagesForTesting(std::vector<std::string>{"zh-Hans-CN"});
  EXPECT_EQ(bundle_->localizedString("RFRefreshHeaderIdleText"), "下拉刷新");
  // A language folder opened as a bundle of its own reads its table whatever the user prefers.
  auto traditional = Bundle::bundleWithPath(*bundle_->pathForResource("zh-Hant", "lproj"));
  ASSERT_TRUE(traditional);
  EXPECT_EQ(traditional->localizedString("RFRefreshHeaderIdleText"), "下拉重新整理");
  EXPECT_EQ(bundle_->localizedString("NoSuchKey", "default"), "default");
}

TEST_F(RefreshBundle, TheArrowPointsDownAndCarriesItsScale) {
  ASSERT_TRUE(bundle_);
  for (int scale : {2, 3}) {
    const auto image = Image::contentsOfFile(
        *bundle_->pathForResource("arrow@" + std::to_string(scale) + "x", "png"));
    ASSERT_TRUE(image);
    EXPECT_EQ(image->scale(), scale);
    EXPECT_EQ(image->size(), (Size{15, 40}));
    const Bitmap& px = *image->bitmap();
    auto alpha = [&](double x, double y) { return px.pixel(int(x * scale), int(y * scale)) >> 24; };
    EXPECT_EQ(alpha(7.5, 20), 255u);  // the shaft
    EXPECT_EQ(alpha(1, 1), 0u);       // clear around it
    EXPECT_EQ(alpha(13.5, 3), 0u);
    // The head is at the bottom: wide there, a single line at the top.
    int topInk = 0, headInk = 0;
    for (int x = 0; x < px.width(); ++x) {
      topInk += px.pixel(x, int(6 * scale)) >> 24 > 128;
      headInk += px.pixel(x, int(33 * scale)) >> 24 > 128;
    }
    EXPECT_GT(headInk, topInk);
  }
}

}  // namespace
}  // namespace platform
