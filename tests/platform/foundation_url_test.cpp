#include <gtest/gtest.h>

#include <unordered_set>

#include "platform/foundation/Path.h"
#include "platform/foundation/URL.h"

using platform::URL;

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
  EXPECT_EQ(url->pathExtension(), "PNG");
  EXPECT_FALSE(url->isFileURL());
  EXPECT_FALSE(url->isRelative());

  auto mail = URL::parse("mailto:someone@example.com");
  ASSERT_TRUE(mail);
  EXPECT_FALSE(mail->hasAuthority());
  EXPECT_EQ(mail->path(), "someone@example.com");

  auto data = URL::parse("data:image/png;base64,iVBORw0KGgo+/=");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->scheme(), "data");

  auto noHost = URL::parse("file:///tmp/x.gif");
  ASSERT_TRUE(noHost);
  EXPECT_TRUE(noHost->isFileURL());
  EXPECT_EQ(noHost->host(), "");
  EXPECT_EQ(noHost->path(), "/tmp/x.gif");
}

TEST(URLParse, PortsAndIPLiterals) {
  EXPECT_EQ(URL::parse("http://h:0/")->port(), 0);
  EXPECT_EQ(URL::parse("http://h:65535/")->port(), 65535);
  EXPECT_EQ(URL::parse("http://h:00080/")->port(), 80);
  EXPECT_EQ(URL::parse("http://h:/")->port(), std::nullopt);  // empty port is allowed
  EXPECT_EQ(URL::parse("http://h/")->port(), std::nullopt);
  EXPECT_FALSE(URL::parse("http://h:65536/"));
  EXPECT_FALSE(URL::parse("http://h:99999999999999999999/"));
  EXPECT_FALSE(URL::parse("http://h:8a/"));
  EXPECT_FALSE(URL::parse("http://h:-1/"));

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
       {"http://[::1/", "http://[]/", "http://[1:2:3:4:5:6:7:8:9]/", "http://[1::2::3]/",
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
  EXPECT_EQ(relative->host(), "");
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

TEST(URLParse, PathExtensionIgnoresTheQueryUnlikeTheStringRule) {
  const std::string text = "http://h/dir/a.png?x=1.gif";
  auto url = URL::parse(text);
  ASSERT_TRUE(url);
  EXPECT_EQ(url->pathExtension(), "png");
  EXPECT_EQ(platform::pathExtension(text), "gif");
  EXPECT_EQ(platform::pathExtension("http://h/a.png?x=1"), "png?x=1");
  EXPECT_EQ(URL::parse("http://h/")->lastPathComponent(), "/");
  EXPECT_EQ(URL::parse("http://h")->lastPathComponent(), "");
  EXPECT_EQ(URL::parse("http://h/.hidden")->pathExtension(), "");
}

TEST(URLParse, EqualityHashingAndFileURLs) {
  EXPECT_EQ(*URL::parse("http://a/b"), *URL::parse("http://a/b"));
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
