#include "tests/support/TemporaryHome.h"

#include <stdlib.h>  // mkdtemp

#include <filesystem>
#include <stdexcept>

#include "platform/foundation/FileManager.h"

namespace platform::test {
namespace {

// Tests set homes on the main thread only.
std::string& standing() {
  static std::string home;
  return home;
}

}  // namespace

TemporaryHome::TemporaryHome(const std::string& prefix) : outer_(standing()) {
  std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
  standing() = path_;
  FileManager::setHomeDirectory(path_);
}

TemporaryHome::~TemporaryHome() {
  standing() = outer_;
  FileManager::setHomeDirectory(outer_);
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

const std::string& TemporaryHome::current() { return standing(); }

}  // namespace platform::test
