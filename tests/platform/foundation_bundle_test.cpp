// Bundles over real folders: resources, sub-bundles, localizations, tables and scaled images.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation_bundle_support.h"
#include "platform/foundation/Bundle.h"
#include "platform/foundation/Locale.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/StringsTable.h"
#include "platform/graphics/BundleImages.h"
#include "platform/graphics/Context.h"
#include "platform/ui/Screen.h"

namespace platform {
namespace {

using bundle_test::ScopedEnv;
using bundle_test::ScratchFolder;

// A PNG of `px` × `px` pixels.
std::string png(int px) {
  auto context = Context::create({double(px), double(px)}, 1, false);
  context->fillRect(makeRect(0, 0, px, px), Color::red());
  const std::string path = std::filesystem::temp_directory_path() / "sprout-bundle-tile.png";
  EXPECT_TRUE(context->makeImage()->writePNG(path));
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
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
  ~BundleTest() override {
    Locale::setPreferredLanguagesForTesting(std::nullopt);
    Screen::main().setScale(2);
  }
  void prefer(std::vector<std::string> languages) {
    Locale::setPreferredLanguagesForTesting(std::move(languages));
  }

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
  std::vector<std::string> warnings;
  setLogSink([&](LogLevel, std::string_view, std::string_view message) {
    warnings.emplace_back(message);
  });
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
  EXPECT_TRUE(warnings.empty());
  prefer({"fr-FR"});  // its table is unreadable: the root's text, and one warning
  EXPECT_EQ(bundle_->localizedString("title"), "root");
  EXPECT_EQ(bundle_->localizedString("title"), "root");
  setLogSink(nullptr);
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
  std::vector<std::string> warnings;
  setLogSink([&](LogLevel, std::string_view, std::string_view message) {
    warnings.emplace_back(message);
  });
  prefer({"de"});
  const std::uint64_t before = bytesReadByThisThread();
  EXPECT_EQ(bundle_->localizedString("title"), "root");
  EXPECT_TRUE(bundle_->stringsTable("", "de").empty());
  EXPECT_LT(bytesReadByThisThread() - before, 64u * 1024);
  prefer({"it"});
  EXPECT_EQ(bundle_->localizedString("title"), "root");
  setLogSink(nullptr);
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

}  // namespace
}  // namespace platform
