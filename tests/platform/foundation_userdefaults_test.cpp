#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Path.h"
#include "platform/foundation/UserDefaults.h"

using namespace platform;

namespace {

class UserDefaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/sprout-ud-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    home_ = pattern;
    FileManager::setHomeDirectory(home_);
    UserDefaults::resetStandardForTesting();
  }
  void TearDown() override {
    setLogSink(nullptr);
    FileManager::defaultManager().removeItem(home_);
    FileManager::setHomeDirectory("");
  }
  std::string preferences() const { return home_ + "/Library/Preferences/sprout.json"; }

  std::string home_;
};

}  // namespace

TEST_F(UserDefaultsTest, ValuesPersistAcrossReloads) {
  UserDefaults& defaults = UserDefaults::standard();
  EXPECT_EQ(defaults.filePath(), preferences());
  EXPECT_FALSE(defaults.objectForKey("name"));
  defaults.setObject("name", "小明");
  defaults.setObject("count", 42);
  defaults.setObject("flag", true);
  defaults.setObject("ratio", 0.5);
  defaults.setObject("list", nlohmann::json::array({1, "two"}));
  defaults.setObject("gone", 1);
  defaults.removeObject("gone");
  EXPECT_TRUE(defaults.synchronize());

  auto file = FileManager::defaultManager().contentsAtPath(preferences());
  ASSERT_TRUE(file);
  const auto onDisk = nlohmann::json::parse(file->begin(), file->end());
  EXPECT_EQ(onDisk.at("count"), 42);
  EXPECT_FALSE(onDisk.contains("gone"));

  UserDefaults::resetStandardForTesting();
  EXPECT_EQ(defaults.stringForKey("name"), "小明");
  EXPECT_EQ(defaults.integerForKey("count"), 42);
  EXPECT_TRUE(defaults.boolForKey("flag"));
  EXPECT_DOUBLE_EQ(defaults.doubleForKey("ratio"), 0.5);
  EXPECT_EQ(*defaults.objectForKey("list"), nlohmann::json::array({1, "two"}));
  EXPECT_FALSE(defaults.objectForKey("gone"));
  // Only the preferences file is left; the temporary files were renamed over it.
  const auto entries =
      FileManager::defaultManager().enumerate(home_ + "/Library/Preferences", false);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].path, preferences());
}

TEST_F(UserDefaultsTest, ConversionsBetweenScalarTypes) {
  UserDefaults& defaults = UserDefaults::standard();
  defaults.setObject("s", "12.75");
  defaults.setObject("yes", "YES");
  defaults.setObject("d", 3.9);
  defaults.setObject("b", true);
  defaults.setObject("big", 1e300);
  defaults.setObject("u", std::uint64_t{18'000'000'000'000'000'000u});
  defaults.setObject("obj", nlohmann::json::object());
  EXPECT_EQ(defaults.integerForKey("s"), 12);
  EXPECT_DOUBLE_EQ(defaults.doubleForKey("s"), 12.75);
  EXPECT_TRUE(defaults.boolForKey("yes"));
  EXPECT_TRUE(defaults.boolForKey("s"));
  EXPECT_EQ(defaults.integerForKey("d"), 3);
  EXPECT_EQ(defaults.integerForKey("b"), 1);
  EXPECT_EQ(defaults.stringForKey("b"), "true");
  EXPECT_EQ(defaults.integerForKey("big"), std::numeric_limits<long>::max());
  EXPECT_EQ(defaults.integerForKey("u"), std::numeric_limits<long>::max());
  EXPECT_EQ(defaults.stringForKey("obj"), "");
  EXPECT_EQ(defaults.integerForKey("obj"), 0);
  EXPECT_FALSE(defaults.boolForKey("missing"));
  EXPECT_EQ(defaults.stringForKey("missing"), "");
}

TEST_F(UserDefaultsTest, CorruptOrForeignFilesStartEmptyWithAWarning) {
  std::vector<std::string> warnings;
  setLogSink([&](LogLevel level, std::string_view, std::string_view message) {
    if (level == LogLevel::Warning) warnings.emplace_back(message);
  });
  FileManager& files = FileManager::defaultManager();
  ASSERT_TRUE(files.createDirectory(deletingLastPathComponent(preferences())));
  for (const std::string bad : {"{\"a\": 1", "[1, 2]", "", "\xff\xfe"}) {
    ASSERT_TRUE(files.writeFile(preferences(), Data(bad.begin(), bad.end())));
    UserDefaults::resetStandardForTesting();
    EXPECT_FALSE(UserDefaults::standard().objectForKey("a")) << bad;
  }
  EXPECT_EQ(warnings.size(), 4u);
  UserDefaults::standard().setObject("a", 1);  // and recovers by writing a good file
  UserDefaults::resetStandardForTesting();
  EXPECT_EQ(UserDefaults::standard().integerForKey("a"), 1);

  UserDefaults::standard().setObject("bytes", std::string("\xff ok"));  // not UTF-8
  UserDefaults::resetStandardForTesting();
  EXPECT_TRUE(UserDefaults::standard().objectForKey("bytes"));
}
