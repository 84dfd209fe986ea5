#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/BindWeak.h"

using platform::bindWeak;

namespace {

struct Loader {
  std::vector<std::string> calls;
  void progress(const std::string& url, int received, int expected) {
    calls.push_back(url + " " + std::to_string(received) + "/" + std::to_string(expected));
  }
  int cancel() {
    calls.push_back("cancel");
    return 1;
  }
};

}  // namespace

TEST(BindWeakTest, CallsWithBoundThenCallArgumentsWhileAliveAndNothingAfter) {
  auto loader = std::make_shared<Loader>();
  std::function<void(int, int)> progress = bindWeak(loader, &Loader::progress, std::string("a"));
  std::function<void()> cancel = bindWeak(std::weak_ptr<Loader>(loader), &Loader::cancel);
  progress(3, 10);
  cancel();
  EXPECT_EQ(loader->calls, (std::vector<std::string>{"a 3/10", "cancel"}));

  std::weak_ptr<Loader> watch = loader;
  loader.reset();
  EXPECT_TRUE(watch.expired());  // the callbacks hold it weakly
  progress(4, 10);               // and then do nothing
  cancel();
}
