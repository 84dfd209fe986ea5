// The file manager and the user defaults over a temporary home folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/foundation/Date.h"
#include "platform/foundation/FileManager.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Path.h"
#include "platform/foundation/UserDefaults.h"
#include "tests/platform/core_support.h"

namespace platform {
namespace {

Data bytes(const std::string& text) { return Data(text.begin(), text.end()); }

class FileManagerTest : public ::testing::Test {
 protected:
  std::string at(const std::string& name) const { return home_.at(name); }
  std::vector<std::string> names(const std::vector<FileEntry>& entries) const {
    std::vector<std::string> result;
    for (const auto& e : entries) result.push_back(e.path.substr(home_.path().size() + 1));
    return result;
  }

  core_test::ScopedHome home_;
  FileManager& files_ = FileManager::defaultManager();
};

TEST_F(FileManagerTest, HomeFoldersComeFromTheOverrideOrTheEnvironment) {
  EXPECT_EQ(FileManager::cachesDirectory(), at("Caches"));
  bool isDirectory = false;
  EXPECT_TRUE(files_.fileExists(at("Caches"), &isDirectory));
  EXPECT_TRUE(isDirectory);
  EXPECT_EQ(FileManager::libraryDirectory(), at("Library"));

  std::map<std::string, std::string> env{
      {"SPROUT_HOME", "/x/home"}, {"XDG_DATA_HOME", "/x/data"}, {"HOME", "/u"}};
  const auto lookup = [&](const char* name) -> const char* {
    auto it = env.find(name);
    return it == env.end() ? nullptr : it->second.c_str();
  };
  EXPECT_EQ(FileManager::resolveHomeDirectory(lookup), "/x/home");
  env["SPROUT_HOME"] = "";  // empty counts as unset
  EXPECT_EQ(FileManager::resolveHomeDirectory(lookup), "/x/data/sprout");
  env["XDG_DATA_HOME"] = "relative";  // not absolute: ignored
  EXPECT_EQ(FileManager::resolveHomeDirectory(lookup), "/u/.local/share/sprout");
  env.erase("HOME");  // falls back to the password database
  EXPECT_TRUE(FileManager::resolveHomeDirectory(lookup).ends_with("/.local/share/sprout"));
  FileManager::setHomeDirectory("");
  EXPECT_EQ(FileManager::homeDirectory(), FileManager::resolveHomeDirectory(getenv));
  FileManager::setHomeDirectory(home_.path());
  EXPECT_EQ(FileManager::homeDirectory(), home_.path());
}

TEST_F(FileManagerTest, AtomicWritesReplaceWholeFilesAndLeaveNoTemporaries) {
  const std::string path = at("data.bin");
  EXPECT_TRUE(files_.writeFile(path, bytes("first version")));
  // A reader that opened the old file keeps it whole: the new one is renamed over it.
  const int reader = open(path.c_str(), O_RDONLY);
  EXPECT_TRUE(files_.writeFile(path, bytes("2nd")));
  char old[32] = {};
  EXPECT_EQ(read(reader, old, sizeof old), 13);
  EXPECT_STREQ(old, "first version");
  close(reader);
  EXPECT_EQ(files_.contentsAtPath(path), bytes("2nd"));
  EXPECT_TRUE(files_.writeFile(at("empty"), {}));
  EXPECT_EQ(files_.contentsAtPath(at("empty")), Data{});

  auto written = files_.writeFile(at("missing/dir/file"), bytes("x"));
  ASSERT_FALSE(written);
  EXPECT_EQ(written.error().domain, kPOSIXErrorDomain);
  EXPECT_EQ(written.error().code, ENOENT);
  ASSERT_TRUE(files_.createDirectory(at("dir")));
  EXPECT_FALSE(files_.writeFile(home_.path() + "/data.bin/", bytes("x")));
  EXPECT_FALSE(files_.writeFile(at("dir"), bytes("x")));  // a folder is not replaced
  EXPECT_EQ(names(files_.enumerate(home_.path(), false)),
            (std::vector<std::string>{"data.bin", "dir", "empty"}));
}

TEST_F(FileManagerTest, EnumerationSkipsHiddenEntriesAndNeverFollowsLinks) {
  ASSERT_TRUE(files_.createDirectory(at("d/sub")));
  ASSERT_TRUE(files_.createDirectory(at(".hiddenDir")));
  ASSERT_TRUE(files_.writeFile(at("d/sub/f.png"), bytes("png")));
  ASSERT_TRUE(files_.writeFile(at("d/.h"), bytes("h")));
  ASSERT_TRUE(files_.writeFile(at(".hiddenDir/inner"), bytes("i")));
  ASSERT_TRUE(files_.writeFile(at("top"), bytes("t")));
  ASSERT_EQ(symlink(home_.path().c_str(), at("d/loop").c_str()), 0);

  EXPECT_EQ(names(files_.enumerate(home_.path(), true)),
            (std::vector<std::string>{"d", "top", "d/loop", "d/sub", "d/sub/f.png"}));
  const auto all = files_.enumerate(home_.path(), false);
  EXPECT_EQ(names(all), (std::vector<std::string>{".hiddenDir", "d", "top", ".hiddenDir/inner",
                                                  "d/.h", "d/loop", "d/sub", "d/sub/f.png"}));
  for (const auto& entry : all) {
    const std::string name = lastPathComponent(entry.path);
    EXPECT_EQ(entry.isHidden, name[0] == '.') << entry.path;
    EXPECT_EQ(entry.isDirectory, name == "d" || name == "sub" || name == ".hiddenDir")
        << entry.path;
  }
  EXPECT_TRUE(files_.enumerate(at("nothing"), false).empty());
  EXPECT_TRUE(files_.enumerate(at("top"), false).empty());
  EXPECT_TRUE(files_.removeItem(at("d")));  // the tree, but not what the link points at
  EXPECT_FALSE(files_.fileExists(at("d")));
  EXPECT_TRUE(files_.fileExists(at("top")));
  EXPECT_FALSE(files_.removeItem(at("d")));
}

TEST_F(FileManagerTest, SizesDatesAndMissingFiles) {
  const std::string sparse = at("sparse");
  const int fd = open(sparse.c_str(), O_CREAT | O_WRONLY, 0644);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, 8 << 20), 0);
  close(fd);
  ASSERT_TRUE(files_.writeFile(at("dense"), Data(10000, 7)));
  auto sparseInfo = files_.attributesOfItem(sparse);
  auto denseInfo = files_.attributesOfItem(at("dense"));
  ASSERT_TRUE(sparseInfo && denseInfo);
  EXPECT_EQ(sparseInfo->fileSize, 8u << 20);
  EXPECT_LT(sparseInfo->allocatedSize, sparseInfo->fileSize);
  EXPECT_EQ(denseInfo->fileSize, 10000u);
  EXPECT_GE(denseInfo->allocatedSize, 10000u);
  EXPECT_EQ(denseInfo->allocatedSize % 512, 0u);
  EXPECT_FALSE(denseInfo->isDirectory);
  EXPECT_EQ(files_.contentsAtPath(sparse)->size(), 8u << 20);

  EXPECT_TRUE(files_.setModificationDate(at("dense"), 1'600'000'000.25));
  EXPECT_NEAR(files_.attributesOfItem(at("dense"))->modificationDate, 1'600'000'000.25, 1e-6);
  EXPECT_TRUE(files_.setModificationDate(at("dense"), 12.9999999999));
  EXPECT_NEAR(files_.attributesOfItem(at("dense"))->modificationDate, 13.0, 1e-6);
  EXPECT_FALSE(files_.setModificationDate(at("dense"), std::nan("")));

  const std::string missing = at("missing");
  EXPECT_FALSE(files_.fileExists(missing));
  EXPECT_FALSE(files_.contentsAtPath(missing));
  EXPECT_FALSE(files_.contentsAtPath(home_.path()));  // a folder has no contents
  EXPECT_FALSE(files_.contentsAtPath("/dev/zero"));   // nor has an endless device
  ASSERT_EQ(mkfifo(at("fifo").c_str(), 0600), 0);
  EXPECT_FALSE(files_.contentsAtPath(at("fifo")));                 // nor a pipe nobody writes to
  const auto status = files_.contentsAtPath("/proc/self/status");  // reports size 0
  ASSERT_TRUE(status);
  EXPECT_NE(std::string(status->begin(), status->end()).find("Pid:"), std::string::npos);
  EXPECT_FALSE(files_.attributesOfItem(missing));
  EXPECT_FALSE(files_.removeItem(missing));
  EXPECT_FALSE(files_.setModificationDate(missing, 1));
  EXPECT_FALSE(files_.setExcludedFromBackup(missing, true));
  EXPECT_FALSE(files_.setExcludedFromBackup(missing, false));
  EXPECT_FALSE(files_.isExcludedFromBackup(missing));
  EXPECT_FALSE(files_.createDirectory(at("dense/sub")));
  EXPECT_FALSE(files_.createDirectory(at("dense"), false));
  EXPECT_TRUE(files_.createDirectory(at("dense2"), false));
  EXPECT_FALSE(files_.createDirectory(at("dense2"), false));
  EXPECT_TRUE(files_.createDirectory(at("dense2"), true));
}

TEST_F(FileManagerTest, ExclusionFromBackupIsAnExtendedAttribute) {
  const std::string path = at("cached");
  ASSERT_TRUE(files_.writeFile(path, Data(3, 1)));
  if (setxattr(path.c_str(), "user.probe", "1", 1, 0) != 0 && errno == ENOTSUP) {
    EXPECT_FALSE(files_.setExcludedFromBackup(path, true));
    GTEST_SKIP() << "the temporary folder's file system has no user extended attributes";
  }
  EXPECT_FALSE(files_.isExcludedFromBackup(path));
  EXPECT_TRUE(files_.setExcludedFromBackup(path, true));
  EXPECT_TRUE(files_.isExcludedFromBackup(path));
  char value[8] = {};
  EXPECT_EQ(getxattr(path.c_str(), "user.sprout.exclude-from-backup", value, sizeof value), 1);
  EXPECT_TRUE(files_.setExcludedFromBackup(path, false));
  EXPECT_FALSE(files_.isExcludedFromBackup(path));
  EXPECT_TRUE(files_.setExcludedFromBackup(path, false));  // already clear
}

class UserDefaultsTest : public ::testing::Test {
 protected:
  UserDefaultsTest() { UserDefaults::resetStandardForTesting(); }
  ~UserDefaultsTest() override { UserDefaults::resetStandardForTesting(); }
  std::string preferences() const { return home_.at("Library/Preferences/sprout.json"); }
  nlohmann::json onDisk() const {
    auto file = FileManager::defaultManager().contentsAtPath(preferences());
    return file ? nlohmann::json::parse(file->begin(), file->end()) : nlohmann::json();
  }

  core_test::ScopedHome home_;
  UserDefaults& defaults_ = UserDefaults::standard();
};

TEST_F(UserDefaultsTest, ValuesPersistAcrossReloads) {
  EXPECT_EQ(defaults_.filePath(), preferences());
  EXPECT_FALSE(defaults_.objectForKey("name"));
  defaults_.setObject("name", "小明");
  defaults_.setObject("ratio", 0.5);
  defaults_.setObject("list", nlohmann::json::array({1, "two"}));
  defaults_.setObject("gone", 1);
  defaults_.removeObject("gone");
  defaults_.setString("s", "text");
  defaults_.setBool("b", true);
  defaults_.setInteger("i", -4);
  EXPECT_TRUE(defaults_.synchronize());
  EXPECT_EQ(onDisk().at("i"), -4);
  EXPECT_FALSE(onDisk().contains("gone"));

  UserDefaults::resetStandardForTesting();
  EXPECT_EQ(defaults_.stringForKey("name"), "小明");
  EXPECT_DOUBLE_EQ(defaults_.doubleForKey("ratio"), 0.5);
  EXPECT_EQ(*defaults_.objectForKey("list"), nlohmann::json::array({1, "two"}));
  EXPECT_FALSE(defaults_.objectForKey("gone"));
  EXPECT_EQ(defaults_.stringForKey("s"), "text");
  EXPECT_TRUE(defaults_.boolForKey("b"));
  EXPECT_EQ(defaults_.integerForKey("i"), -4);
  // Only the preferences file is left; the temporary files were renamed over it.
  const auto entries =
      FileManager::defaultManager().enumerate(home_.at("Library/Preferences"), false);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].path, preferences());
}

TEST_F(UserDefaultsTest, DatesReadBackExactlyInTheDocumentedForm) {
  const double values[] = {0, -1e-9, 786'000'000.123456789, 1.0 / 3.0, -63'000'000'000.5, 1e300};
  for (double seconds : values) {
    defaults_.setDate("last", Date::fromTimeIntervalSinceReferenceDate(seconds));
    UserDefaults::resetStandardForTesting();  // read back from the file
    const auto read = defaults_.dateForKey("last");
    ASSERT_TRUE(read) << seconds;
    EXPECT_EQ(read->timeIntervalSinceReferenceDate(), seconds);
  }
  EXPECT_EQ(onDisk()["last"], (nlohmann::json{{"$date", 1e300}}));
  defaults_.setDate("last", Date::fromTimeIntervalSinceReferenceDate(std::nan("")));  // refused
  EXPECT_EQ(defaults_.dateForKey("last")->timeIntervalSinceReferenceDate(), 1e300);
  defaults_.setDouble("number", 5);
  defaults_.setObject("lookalike", nlohmann::json{{"$date", "soon"}});
  EXPECT_FALSE(defaults_.dateForKey("number"));
  EXPECT_FALSE(defaults_.dateForKey("lookalike"));
  EXPECT_FALSE(defaults_.dateForKey("missing"));
}

TEST_F(UserDefaultsTest, ConversionsBetweenScalarTypes) {
  defaults_.setObject("s", "12.75");
  defaults_.setObject("yes", "YES");
  defaults_.setObject("d", 3.9);
  defaults_.setObject("b", true);
  defaults_.setObject("big", 1e300);
  defaults_.setObject("u", std::uint64_t{18'000'000'000'000'000'000u});
  defaults_.setObject("obj", nlohmann::json::object());
  EXPECT_EQ(defaults_.integerForKey("s"), 12);
  EXPECT_DOUBLE_EQ(defaults_.doubleForKey("s"), 12.75);
  EXPECT_TRUE(defaults_.boolForKey("yes"));
  EXPECT_TRUE(defaults_.boolForKey("s"));
  EXPECT_EQ(defaults_.integerForKey("d"), 3);
  EXPECT_EQ(defaults_.integerForKey("b"), 1);
  EXPECT_EQ(defaults_.stringForKey("b"), "true");
  EXPECT_EQ(defaults_.integerForKey("big"), std::numeric_limits<long>::max());
  EXPECT_EQ(defaults_.integerForKey("u"), std::numeric_limits<long>::max());
  EXPECT_EQ(defaults_.stringForKey("obj"), "");
  EXPECT_EQ(defaults_.integerForKey("obj"), 0);
  EXPECT_FALSE(defaults_.boolForKey("missing"));
  EXPECT_EQ(defaults_.stringForKey("missing"), "");
}

TEST_F(UserDefaultsTest, CorruptOrForeignFilesStartEmptyWithAWarning) {
  core_test::LogCapture warnings(LogLevel::Warning);
  FileManager& files = FileManager::defaultManager();
  ASSERT_TRUE(files.createDirectory(deletingLastPathComponent(preferences())));
  for (const std::string bad : {"{\"a\": 1", "[1, 2]", "", "\xff\xfe"}) {
    ASSERT_TRUE(files.writeFile(preferences(), bytes(bad)));
    UserDefaults::resetStandardForTesting();
    EXPECT_FALSE(defaults_.objectForKey("a")) << bad;
  }
  EXPECT_EQ(warnings.lines().size(), 4u);
  defaults_.setObject("a", 1);                           // and recovers by writing a good file
  defaults_.setObject("bytes", std::string("\xff ok"));  // not UTF-8
  UserDefaults::resetStandardForTesting();
  EXPECT_EQ(defaults_.integerForKey("a"), 1);
  EXPECT_TRUE(defaults_.objectForKey("bytes"));
}

}  // namespace
}  // namespace platform
