#include "platform/foundation/Path.h"

namespace platform {
namespace {

// `path` without trailing slashes; "/" for a path made only of slashes.
std::string_view trimTrailingSlashes(std::string_view path) {
  std::size_t end = path.size();
  while (end > 1 && path[end - 1] == '/') --end;
  return path.substr(0, end);
}

// Offset of the extension's dot in `trimmed`, or npos.
std::size_t extensionDot(std::string_view trimmed) {
  const std::size_t slash = trimmed.rfind('/');
  const std::size_t start = slash == std::string_view::npos ? 0 : slash + 1;
  const std::size_t dot = trimmed.rfind('.');
  if (dot == std::string_view::npos || dot <= start) return std::string_view::npos;
  return dot;
}

}  // namespace

std::string lastPathComponent(std::string_view path) {
  const std::string_view trimmed = trimTrailingSlashes(path);
  if (trimmed == "/") return "/";
  const std::size_t slash = trimmed.rfind('/');
  return std::string(slash == std::string_view::npos ? trimmed : trimmed.substr(slash + 1));
}

std::string pathExtension(std::string_view path) {
  const std::string_view trimmed = trimTrailingSlashes(path);
  const std::size_t dot = extensionDot(trimmed);
  return dot == std::string_view::npos ? std::string() : std::string(trimmed.substr(dot + 1));
}

std::string deletingPathExtension(std::string_view path) {
  const std::string_view trimmed = trimTrailingSlashes(path);
  const std::size_t dot = extensionDot(trimmed);
  return std::string(dot == std::string_view::npos ? trimmed : trimmed.substr(0, dot));
}

std::string deletingLastPathComponent(std::string_view path) {
  const std::string_view trimmed = trimTrailingSlashes(path);
  const std::size_t slash = trimmed.rfind('/');
  if (slash == std::string_view::npos) return {};
  if (trimmed == "/") return "/";
  return std::string(trimTrailingSlashes(trimmed.substr(0, slash == 0 ? 1 : slash)));
}

std::string appendingPathComponent(std::string_view dir, std::string_view name) {
  while (!name.empty() && name.front() == '/' && !dir.empty()) name.remove_prefix(1);
  std::string result;
  if (dir.empty()) {
    result = name;
  } else {
    const std::string_view base = trimTrailingSlashes(dir);
    result.reserve(base.size() + name.size() + 1);
    result = base;
    if (!name.empty()) {
      if (result.back() != '/') result += '/';
      result += name;
    }
  }
  return std::string(trimTrailingSlashes(result));
}

std::string appendingPathExtension(std::string_view path, std::string_view ext) {
  const std::string_view trimmed = trimTrailingSlashes(path);
  if (ext.empty() || trimmed.empty() || trimmed == "/") return std::string(path);
  std::string result(trimmed);
  result += '.';
  result += ext;
  return result;
}

}  // namespace platform
