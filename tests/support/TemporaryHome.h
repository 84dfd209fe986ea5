#pragma once

#include <string>

namespace platform::test {

// A fresh folder under the system's temporary directory that is the app's home for a scope; it
// is removed afterwards and the home a surrounding scope gave (or the environment's) comes back,
// so homes nest.
class TemporaryHome {
 public:
  explicit TemporaryHome(const std::string& prefix = "sprout-test");
  ~TemporaryHome();
  TemporaryHome(const TemporaryHome&) = delete;
  TemporaryHome& operator=(const TemporaryHome&) = delete;

  const std::string& path() const { return path_; }
  // The home a test scope gave last ("" when none stands: the environment's).
  static const std::string& current();

 private:
  std::string path_;
  std::string outer_;
};

}  // namespace platform::test
