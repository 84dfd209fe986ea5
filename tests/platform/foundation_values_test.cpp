// Paths, digests, errors, results, weak binding and URLs: the value types everything else uses.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/foundation/BindWeak.h"
#include "platform/foundation/Digest.h"
#include "platform/foundation/Error.h"
#include "platform/foundation/Path.h"
#include "platform/foundation/Status.h"
#include "platform/foundation/URL.h"

namespace platform {
namespace {

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

TEST(Status, OkOrTheErrorThatStoppedIt) {
  const Status ok = Status::ok();
  EXPECT_TRUE(ok);
  EXPECT_FALSE(ok.failure());
  EXPECT_THROW((void)ok.error(), std::bad_optional_access);
  const Status failed = Error::make(kPOSIXErrorDomain, 22, "odd");
  EXPECT_FALSE(failed);
  EXPECT_EQ(failed.error().localizedDescription(), "odd");
  ASSERT_TRUE(failed.failure());
  EXPECT_EQ(failed.failure()->code, 22);
}

using Names = Result<std::vector<std::string>>;

TEST(Result, HoldsAValueOrAnErrorAndCopiesReadTheirOwn) {
  Names names = Names::success({"a", "b"});
  ASSERT_TRUE(names);
  EXPECT_THROW((void)names.error(), std::bad_variant_access);
  // A copy and a moved-to result read their own state, not the one they came from.
  Names copy = names;
  names.value().push_back("c");
  EXPECT_EQ(copy.value().size(), 2u);
  EXPECT_EQ(names.value().size(), 3u);
  Names moved = std::move(copy);
  copy = Names::failure(Error::make("test", 1));
  EXPECT_EQ(moved.value().size(), 2u);
  EXPECT_FALSE(copy);
  // Assigning a failure over a value leaves the error alone.
  moved = Names::failure(Error::make("test", 5, "gone"));
  EXPECT_FALSE(moved.hasValue());
  EXPECT_EQ(moved.error().code, 5);
  EXPECT_EQ(moved.error().localizedDescription(), "gone");
  EXPECT_THROW((void)moved.value(), std::bad_variant_access);
  // Kept in a growing vector, each result keeps reading its own state.
  std::vector<Result<int>> many;
  for (int i = 0; i < 50; ++i) {
    many.push_back(i % 3 ? Result<int>::success(i) : Result<int>::failure(Error::make("n", i)));
  }
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(static_cast<bool>(many[i]), i % 3 != 0);
    EXPECT_EQ(many[i] ? many[i].value() : many[i].error().code, i);
  }
}

struct Loader {
  std::vector<std::string> calls;
  void progress(const std::string& url, int received) {
    calls.push_back(url + " " + std::to_string(received));
  }
  int cancel() {
    calls.push_back("cancel");
    return 1;
  }
};

TEST(BindWeakTest, CallsWithBoundThenCallArgumentsWhileAliveAndNothingAfter) {
  auto loader = std::make_shared<Loader>();
  std::function<void(int)> progress = bindWeak(loader, &Loader::progress, std::string("a"));
  std::function<void()> cancel = bindWeak(std::weak_ptr<Loader>(loader), &Loader::cancel);
  progress(3);
  cancel();
  EXPECT_EQ(loader->calls, (std::vector<std::string>{"a 3", "cancel"}));
  std::weak_ptr<Loader> watch = loader;
  loader.reset();
  EXPECT_TRUE(watch.expired());  // the callbacks hold it weakly
  progress(4);                   // and then do nothing
  cancel();
}

TEST(URLParse, AbsoluteURLsExposeTheirComponents) {
  auto url = URL::parse("https://user:pw@Example.com:8443/a%20dir/b.PNG?x=1&y=%2F#frag");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->absoluteString(), "https://user:pw@Example.com:8443/a%20dir/b.PNG?x=1&y=%2F#frag");
  EXPECT_EQ(url->scheme(), "https");
  EXPECT_EQ(url->user(), "user:pw");
  EXPECT_EQ(url->host(), "Example.com");
  EXPECT_EQ(url->port(), 8443);
  EXPECT_EQ(url->path(), "/a dir/b.PNG");
  EXPECT_EQ(url->percentEncodedPath(), "/a%20dir/b.PNG");
  EXPECT_EQ(url->query(), "x=1&y=%2F");
  EXPECT_EQ(url->fragment(), "frag");
  EXPECT_EQ(url->lastPathComponent(), "b.PNG");
  EXPECT_FALSE(url->isFileURL());
  EXPECT_FALSE(url->isRelative());
  auto mail = URL::parse("mailto:someone@example.com");
  ASSERT_TRUE(mail);
  EXPECT_FALSE(mail->hasAuthority());
  EXPECT_EQ(mail->path(), "someone@example.com");
  EXPECT_EQ(URL::parse("data:image/png;base64,iVBORw0KGgo+/=")->scheme(), "data");
  auto noHost = URL::parse("file:///tmp/x.gif");
  ASSERT_TRUE(noHost);
  EXPECT_TRUE(noHost->isFileURL());
  EXPECT_EQ(noHost->host(), "");
  EXPECT_EQ(noHost->path(), "/tmp/x.gif");
  // The URL's extension ignores the query, unlike the string rule.
  EXPECT_EQ(URL::parse("http://h/dir/a.png?x=1.gif")->pathExtension(), "png");
  EXPECT_EQ(pathExtension("http://h/dir/a.png?x=1.gif"), "gif");
  EXPECT_EQ(URL::parse("http://h/")->lastPathComponent(), "/");
  EXPECT_EQ(URL::parse("http://h")->lastPathComponent(), "");
  EXPECT_EQ(URL::parse("http://h/.hidden")->pathExtension(), "");
}

TEST(URLParse, PortsAndIPLiterals) {
  EXPECT_EQ(URL::parse("http://h:0/")->port(), 0);
  EXPECT_EQ(URL::parse("http://h:65535/")->port(), 65535);
  EXPECT_EQ(URL::parse("http://h:00080/")->port(), 80);
  EXPECT_EQ(URL::parse("http://h:/")->port(), std::nullopt);  // empty port is allowed
  EXPECT_EQ(URL::parse("http://h/")->port(), std::nullopt);
  auto v6 = URL::parse("http://[2001:db8::1]:8080/p");
  ASSERT_TRUE(v6);
  EXPECT_EQ(v6->host(), "2001:db8::1");
  EXPECT_EQ(v6->port(), 8080);
  for (const char* ok : {"http://[::1]/", "http://[::]/", "http://[1:2:3:4:5:6:7:8]/",
                         "http://[::ffff:192.168.0.1]/", "http://[fe80::1%25eth0]/",
                         "http://[v7.abc:def]/", "http://127.0.0.1:1/"}) {
    EXPECT_TRUE(URL::parse(ok)) << ok;
  }
  for (const char* bad :
       {"http://h:65536/", "http://h:99999999999999999999/", "http://h:8a/", "http://h:-1/",
        "http://[::1/", "http://[]/", "http://[1:2:3:4:5:6:7:8:9]/", "http://[1::2::3]/",
        "http://[12345::]/", "http://[::1]x/", "http://[::256.1.1.1]/", "http://[::01.1.1.1]/",
        "http://[1:2]/", "http://[fe80::1%eth0]/", "http://::1/", "http://a[1]/",
        "http://[g::]/"}) {
    EXPECT_FALSE(URL::parse(bad)) << bad;
  }
}

TEST(URLParse, RejectsWhatAURLMayNotCarry) {
  for (const char* bad : {"",
                          "http://a b",
                          "http://a/b c",
                          "http://a/\t",
                          "http://a/\"q\"",
                          "http://a/<x>",
                          "http://a/{x}",
                          "http://a/x|y",
                          "http://a/x\\y",
                          "http://a/^",
                          "http://a/`",
                          "http://a/%zz",
                          "http://a/%4",
                          "http://a/%",
                          "http://a/#x#y",
                          "http://a/[x]",
                          "1http://a/",
                          "ht tp://a/",
                          "http://a@b@c/",
                          "http://\xe4\xbe\x8b.com/",
                          "http://a/\x7f",
                          ":nothing",
                          "1a:b"}) {
    EXPECT_FALSE(URL::parse(std::string_view(bad))) << bad;
  }
  EXPECT_FALSE(URL::parse(std::string_view("http://a/\0", 10)));
  EXPECT_TRUE(URL::parse("http://a/%41%2f?q=%7E#%20"));
  EXPECT_TRUE(URL::parse("h+t.t-p://a/~!$&'()*+,;=:@"));
}

TEST(URLParse, RelativeReferences) {
  auto relative = URL::parse("a/b.png");
  ASSERT_TRUE(relative);
  EXPECT_TRUE(relative->isRelative());
  EXPECT_EQ(relative->absoluteString(), "a/b.png");
  EXPECT_EQ(relative->path(), "a/b.png");
  EXPECT_EQ(relative->pathExtension(), "png");
  auto network = URL::parse("//cdn.example/x.jpg?s=2");
  ASSERT_TRUE(network);
  EXPECT_TRUE(network->isRelative());
  EXPECT_EQ(network->host(), "cdn.example");
  EXPECT_EQ(network->path(), "/x.jpg");
  EXPECT_EQ(network->query(), "s=2");
  EXPECT_EQ(URL::parse("./a:b")->path(), "./a:b");  // ':' after the first segment is data
  EXPECT_EQ(URL::parse("?q")->query(), "q");
  EXPECT_EQ(URL::parse("#f")->fragment(), "f");
}

TEST(URLParse, EqualityHashingAndFileURLs) {
  EXPECT_NE(*URL::parse("http://a/b"), *URL::parse("http://a/B"));
  std::unordered_set<URL> set{*URL::parse("http://a/1"), *URL::parse("http://a/1"),
                              *URL::parse("http://a/2")};
  EXPECT_EQ(set.size(), 2u);
  const std::string odd = "/tmp/a dir/#1?%/\xe5\x9b\xbe.png";
  const URL file = URL::fileURL(odd);
  EXPECT_TRUE(file.isFileURL());
  EXPECT_EQ(file.path(), odd);
  EXPECT_EQ(file.pathExtension(), "png");
  auto reparsed = URL::parse(file.absoluteString());
  ASSERT_TRUE(reparsed);
  EXPECT_EQ(*reparsed, file);
  EXPECT_EQ(URL::fileURL("//x").path(), "//x");
  EXPECT_EQ(URL::fileURL("rel.txt").path().front(), '/');
  EXPECT_EQ(URL::percentDecode("a%2Fb%e4"), std::string("a/b\xe4"));
  EXPECT_EQ(URL::percentDecode("%g0"), std::nullopt);
}

// Copies share one parsed URL; a URL moved from or assigned over keeps a whole value of its own.
TEST(URLParse, CopiesAndMovesKeepWholeValues) {
  URL first = *URL::parse("http://user@host:8080/a/b.png?q=1#f");
  const URL copy = first;
  URL moved = std::move(first);
  // NOLINTNEXTLINE(bugprone-use-after-move): what a move leaves behind is the point here
  EXPECT_EQ(first.absoluteString(), "http://user@host:8080/a/b.png?q=1#f");
  EXPECT_EQ(first.host(), "host");
  URL other = *URL::parse("file:///x");
  other = copy;
  for (const URL* url : std::vector<const URL*>{&copy, &moved, &other}) {
    EXPECT_EQ(*url, first);
    EXPECT_EQ(url->port(), 8080);
    EXPECT_EQ(url->user(), "user");
    EXPECT_EQ(url->pathExtension(), "png");
    EXPECT_EQ(url->query(), "q=1");
    EXPECT_FALSE(url->isFileURL());
  }
  EXPECT_NE(copy, *URL::parse("http://user@host:8080/a/b.png?q=2#f"));
}

}  // namespace
}  // namespace platform
