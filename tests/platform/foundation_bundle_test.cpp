// Bundles over real folders: resources, sub-bundles, localizations, tables and scaled images.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/foundation/Bundle.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringsTable.h"
#include "platform/graphics/BundleImages.h"
#include "platform/graphics/Context.h"
#include "platform/graphics/ImageEncoder.h"
#include "platform/ui/Screen.h"
#include "tests/platform/core_support.h"
#include "tests/support/ScopedScreen.h"

namespace platform {
namespace {

using core_test::LogCapture;
using core_test::ScopedEnv;
using ScratchFolder = core_test::TempFolder;

// A PNG of `px` × `px` pixels.
std::string png(int px) {
  auto context = Context::create({double(px), double(px)}, 1, false);
  context->fillRect(makeRect(0, 0, px, px), Color::red());
  const Data bytes = *encodePNG(*context->makeImage());
  return std::string(bytes.begin(), bytes.end());
}

class BundleTest : public ::testing::Test {
 protected:
  BundleTest() {
    folder_.write("en.lproj/Localizable.strings", "\"title\" = \"Pull\"; \"only.en\" = \"E\";");
    folder_.write("zh-Hans.lproj/Localizable.strings", "\"title\" = \"下拉\";");
    folder_.write("zh-Hant.lproj/Localizable.strings", "\"title\" = \"下拉（繁）\";");
    folder_.write("zh-Hant.lproj/Other.strings", "\"title\" = \"其他\";");
    folder_.write("Localizable.strings", "\"shared\" = \"everywhere\"; \"title\" = \"root\";");
    folder_.write("fr.lproj/Localizable.strings", "\"title\" = broken");  // unreadable
    folder_.write("notes.txt", "hello");
    folder_.write("Sub.bundle/en.lproj/Localizable.strings", "\"title\" = \"sub\";");
    folder_.write("arrow@2x.png", png(20));
    folder_.write("arrow@3x.png", png(30));
    folder_.write("plain.png", png(7));
    bundle_ = Bundle::bundleWithPath(folder_.path());
  }
  ~BundleTest() override { Locale::setPreferredLanguagesForTesting(std::nullopt); }
  void prefer(std::vector<std::string> languages) {
    Locale::setPreferredLanguagesForTesting(std::move(languages));
  }

  test::ScopedScreen screen_;  // the tests change the scale
  ScratchFolder folder_;
  std::shared_ptr<Bundle> bundle_;
};

TEST_F(BundleTest, FindsResourcesSubBundlesAndLocalizations) {
  ASSERT_TRUE(bundle_);
  EXPECT_EQ(Bundle::bundleWithPath(folder_.path() + "/"), bundle_);  // one per folder
  EXPECT_FALSE(Bundle::bundleWithPath(folder_.path() + "/notes.txt"));
  EXPECT_FALSE(Bundle::bundleWithPath(folder_.path() + "/missing"));
  EXPECT_EQ(bundle_->pathForResource("notes", "txt"), folder_.path() + "/notes.txt");
  EXPECT_FALSE(bundle_->pathForResource("notes", "png"));
  EXPECT_FALSE(bundle_->pathForResource("", "txt"));
  EXPECT_EQ(bundle_->pathForResource("zh-Hans", "lproj"), folder_.path() + "/zh-Hans.lproj");
  EXPECT_EQ(bundle_->localizations(), (std::vector<std::string>{"en", "fr", "zh-Hans", "zh-Hant"}));
  auto sub = bundle_->bundleNamed("Sub");
  ASSERT_TRUE(sub);
  EXPECT_EQ(sub->bundlePath(), folder_.path() + "/Sub.bundle");
  EXPECT_EQ(sub->localizedString("title"), "sub");
  EXPECT_FALSE(bundle_->bundleNamed("Missing"));

  // A file only a localization holds is found there.
  prefer({"zh-Hant-TW"});
  EXPECT_EQ(bundle_->pathForResource("Other", "strings"),
            folder_.path() + "/zh-Hant.lproj/Other.strings");
}

TEST_F(BundleTest, PreferredLanguagesChooseTheLocalization) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"en-GB"}, "en"},
      {{"zh-Hans-CN"}, "zh-Hans"},
      {{"zh-HK"}, "zh-Hant"},
      {{"zh-Hant-TW"}, "zh-Hant"},
      {{"zh_CN"}, "zh-Hans"},
      {{"fr-FR"}, "fr"},
      {{"de-DE"}, "en"},
      {{}, "en"},
      {{"de", "zh-TW"}, "zh-Hant"},
  };
  for (const auto& [languages, expected] : cases) {
    prefer(languages);
    EXPECT_EQ(bundle_->preferredLocalization(), expected)
        << (languages.empty() ? "none" : languages.front());
  }
  ScratchFolder bare;
  bare.write("Base.lproj/x", "");
  bare.write("ja.lproj/x", "");
  prefer({"de"});
  EXPECT_EQ(Bundle::bundleWithPath(bare.path())->preferredLocalization(), "Base");
  EXPECT_EQ(
      Bundle::bundleWithPath(folder_.path() + "/Sub.bundle/en.lproj")->preferredLocalization(), "");
}

TEST_F(BundleTest, LocalizedStringsFallBackToTheRootThenTheValueThenTheKey) {
  LogCapture logs;
  prefer({"zh-Hans-CN"});
  EXPECT_EQ(bundle_->localizedString("title"), "下拉");
  EXPECT_EQ(bundle_->localizedString("shared"), "everywhere");  // from the root table
  EXPECT_EQ(bundle_->localizedString("only.en"), "only.en");    // no other language's text
  EXPECT_EQ(bundle_->localizedString("only.en", "fallback"), "fallback");
  EXPECT_EQ(bundle_->localizedString("title", "", "Other"), "title");  // table elsewhere
  prefer({"zh-HK"});
  EXPECT_EQ(bundle_->localizedString("title"), "下拉（繁）");
  EXPECT_EQ(bundle_->localizedString("title", "", "Other"), "其他");
  prefer({"en-GB"});
  EXPECT_EQ(bundle_->localizedString("title"), "Pull");
  EXPECT_EQ(bundle_->stringsTable("", "en").size(), 2u);
  EXPECT_TRUE(logs.lines().empty());
  prefer({"fr-FR"});  // its table is unreadable: the root's text, and one warning
  EXPECT_EQ(bundle_->localizedString("title"), "root");
  EXPECT_EQ(bundle_->localizedString("title"), "root");
  const auto warnings = logs.lines();
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_NE(warnings[0].find("fr.lproj/Localizable.strings"), std::string::npos);
}

// Bytes this thread has read through read() and its kin, from the kernel's own count.
std::uint64_t bytesReadByThisThread() {
  std::ifstream io("/proc/thread-self/io");
  std::string key;
  std::uint64_t value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  ADD_FAILURE() << "no rchar in /proc/thread-self/io";
  return 0;
}

TEST_F(BundleTest, ATableOverTheLimitIsRefusedBeforeItsBytesAreRead) {
  // Sparse: four times the limit costs no disk.
  const std::string big = folder_.path() + "/de.lproj/Localizable.strings";
  folder_.write("de.lproj/Localizable.strings", "\"title\" = \"Ziehen\";");
  std::filesystem::resize_file(big, StringsTable::kMaxBytes * 4);
  // Exactly at the limit is still read (and here rejected by the parser for its zero bytes).
  folder_.write("it.lproj/Localizable.strings", "");
  std::filesystem::resize_file(folder_.path() + "/it.lproj/Localizable.strings",
                               StringsTable::kMaxBytes);
  LogCapture logs;
  prefer({"de"});
  const std::uint64_t before = bytesReadByThisThread();
  EXPECT_EQ(bundle_->localizedString("title"), "root");
  EXPECT_TRUE(bundle_->stringsTable("", "de").empty());
  EXPECT_LT(bytesReadByThisThread() - before, 64u * 1024);
  prefer({"it"});
  EXPECT_EQ(bundle_->localizedString("title"), "root");
  const auto warnings = logs.lines();
  ASSERT_EQ(warnings.size(), 2u);
  EXPECT_NE(warnings[0].find("de.lproj/Localizable.strings"), std::string::npos);
  EXPECT_NE(warnings[0].find("larger than 16777216 bytes"), std::string::npos) << warnings[0];
  EXPECT_EQ(warnings[1].find("larger than"), std::string::npos) << warnings[1];
}

TEST_F(BundleTest, ImagesByNameTakeTheScaleOfTheirFile) {
  for (const auto& [screen, size, scale] :
       {std::tuple{2.0, 10.0, 2.0}, std::tuple{3.0, 10.0, 3.0}, std::tuple{1.0, 10.0, 3.0}}) {
    Screen::main().setScale(screen);
    auto image = imageNamed(*bundle_, "arrow");
    ASSERT_TRUE(image) << screen;
    EXPECT_EQ(image->scale(), scale) << screen;
    EXPECT_EQ(image->size(), (Size{size, size})) << screen;
    EXPECT_EQ(imageNamed(*bundle_, "arrow"), image);  // kept once loaded
  }
  EXPECT_EQ(imageNamed(*bundle_, "plain")->scale(), 1);
  EXPECT_EQ(imageNamed(*bundle_, "arrow@2x.png")->scale(), 2);
  EXPECT_FALSE(imageNamed(*bundle_, "notes.txt"));  // not an image
  EXPECT_FALSE(imageNamed(*bundle_, "missing"));
  EXPECT_FALSE(imageNamed(*bundle_, ""));
  EXPECT_EQ(Image::contentsOfFile(folder_.path() + "/arrow@3x.png")->scale(), 3);
  EXPECT_FALSE(Image::contentsOfFile(folder_.path() + "/none.png"));
}

TEST_F(BundleTest, TheMainBundleIsTheResourcesFolder) {
  {
    ScopedEnv resources("SPROUT_RESOURCES", folder_.path());
    EXPECT_EQ(Bundle::mainResourcesPath(), folder_.path());
    EXPECT_EQ(Bundle::main(), bundle_);
  }
  ScopedEnv unset("SPROUT_RESOURCES", std::nullopt);
  EXPECT_EQ(Bundle::mainResourcesPath(), std::string(SPROUT_SOURCE_DIR) + "/resources");
  EXPECT_TRUE(Bundle::main()->pathForResource("HDProgressHUD", ""));
}

// The "RFRefresh" resource bundle as the refresh views read it: every text in every language,
// the language chosen for the user's preferences, and the arrow.
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

// How the language is chosen is BundleTest's; here, that this bundle's files answer it.
TEST_F(RefreshBundle, UserLanguagesPickTheTexts) {
  ASSERT_TRUE(bundle_);
  Locale::setPreferredLanguagesForTesting(std::vector<std::string>{"fr-FR"});
  EXPECT_EQ(bundle_->localizedString("RFRefreshHeaderIdleText"), "Pull down to refresh");
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
