#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/foundation/Digest.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Log.h"
#include "platform/foundation/Path.h"

using namespace platform;

TEST(PathRules, LastComponentAndExtension) {
  EXPECT_EQ(lastPathComponent("/tmp/scratch.tiff"), "scratch.tiff");
  EXPECT_EQ(lastPathComponent("/tmp/lock/"), "lock");
  EXPECT_EQ(lastPathComponent("scratch///"), "scratch");
  EXPECT_EQ(lastPathComponent("/"), "/");
  EXPECT_EQ(lastPathComponent("///"), "/");
  EXPECT_EQ(lastPathComponent(""), "");

  EXPECT_EQ(pathExtension("/a/b.tar.gz"), "gz");
  EXPECT_EQ(pathExtension("/a.d/b"), "");  // a dot in a parent folder is not an extension
  EXPECT_EQ(pathExtension(".bashrc"), "");
  EXPECT_EQ(pathExtension("/x/.bashrc"), "");
  EXPECT_EQ(pathExtension("..b"), "b");
  EXPECT_EQ(pathExtension("b."), "");
  EXPECT_EQ(pathExtension("b.png/"), "png");
  EXPECT_EQ(pathExtension("b.PNG"), "PNG");
}

TEST(PathRules, DeletingAndAppending) {
  EXPECT_EQ(deletingPathExtension("/tmp/scratch.tiff"), "/tmp/scratch");
  EXPECT_EQ(deletingPathExtension("/tmp/"), "/tmp");
  EXPECT_EQ(deletingPathExtension("scratch.bundle/"), "scratch");
  EXPECT_EQ(deletingPathExtension("scratch..tiff"), "scratch.");
  EXPECT_EQ(deletingPathExtension(".tiff"), ".tiff");
  EXPECT_EQ(deletingPathExtension("/a.d/b"), "/a.d/b");
  EXPECT_EQ(deletingPathExtension("/"), "/");

  EXPECT_EQ(deletingLastPathComponent("/a/b.png"), "/a");
  EXPECT_EQ(deletingLastPathComponent("/a/b/"), "/a");
  EXPECT_EQ(deletingLastPathComponent("/a"), "/");
  EXPECT_EQ(deletingLastPathComponent("b.png"), "");

  EXPECT_EQ(appendingPathComponent("/tmp", "x"), "/tmp/x");
  EXPECT_EQ(appendingPathComponent("/tmp/", "x"), "/tmp/x");
  EXPECT_EQ(appendingPathComponent("/tmp//", "//x"), "/tmp/x");
  EXPECT_EQ(appendingPathComponent("/", "x"), "/x");
  EXPECT_EQ(appendingPathComponent("", "x"), "x");
  EXPECT_EQ(appendingPathComponent("/tmp", ""), "/tmp");
  EXPECT_EQ(appendingPathComponent("a", "b/c/"), "a/b/c");

  EXPECT_EQ(appendingPathExtension("/tmp/a.old", "tiff"), "/tmp/a.old.tiff");
  EXPECT_EQ(appendingPathExtension("/tmp/", "tiff"), "/tmp.tiff");
  EXPECT_EQ(appendingPathExtension("a", ""), "a");
  EXPECT_EQ(appendingPathExtension("/", "png"), "/");
  EXPECT_EQ(appendingPathExtension("", "png"), "");
}

TEST(Digest, MD5KnownVectors) {
  EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(md5Hex(std::string_view("\0", 1)), "93b885adfe0da089cdf634904fd59f71");
  EXPECT_EQ(md5Hex(std::string(1000, 'a')), "cabe45dcc9ae5b66ba86600cca6b8ba8");
}

TEST(ErrorDescription, UsesTheDescriptionKeyOrTheGenericSentence) {
  EXPECT_EQ(Error::make("D", 7, "went wrong").localizedDescription(), "went wrong");
  EXPECT_EQ(Error::make(kURLErrorDomain, URLError::TimedOut).localizedDescription(),
            "The operation couldn\u2019t be completed. (NSURLErrorDomain error -1001.)");
  Error notAString{"D", 1, {{kLocalizedDescriptionKey, 42}}};
  EXPECT_EQ(notAString.localizedDescription(),
            "The operation couldn\u2019t be completed. (D error 1.)");
  const Error posix = Error::posix(ENOENT, "open /x");
  EXPECT_EQ(posix.domain, kPOSIXErrorDomain);
  EXPECT_EQ(posix.code, ENOENT);
  EXPECT_NE(posix.localizedDescription().find("open /x: "), std::string::npos);
}

TEST(LogSink, CapturesEveryLevelUntilRestored) {
  std::vector<std::string> lines;
  setLogSink([&](LogLevel level, std::string_view tag, std::string_view message) {
    lines.push_back(std::string(logLevelName(level)) + "|" + std::string(tag) + "|" +
                    std::string(message));
  });
  log(LogLevel::Debug, "T", "one");
  log(LogLevel::Error, "T", "two");
  setLogSink(nullptr);
  log(LogLevel::Debug, "T", "not captured");
  EXPECT_EQ(lines, (std::vector<std::string>{"debug|T|one", "error|T|two"}));
}
