#pragma once

#include <string>
#include <string_view>

// Path rules on plain strings. The string is never URL-parsed: "http://h/a.png?x=1" has the
// extension "png?x=1". Trailing slashes are ignored ("a/b/" ends in "b"), and a lone "/" stays "/".
namespace platform {

std::string lastPathComponent(std::string_view path);

// The text after the last '.' of the last component; "" when there is none or when the dot only
// starts the name (".bashrc").
std::string pathExtension(std::string_view path);

// Without the trailing slashes and the extension of the last component: "/a/b.png" -> "/a/b".
std::string deletingPathExtension(std::string_view path);

// Everything before the last component: "/a/b.png" -> "/a", "/a" -> "/", "b.png" -> "".
std::string deletingLastPathComponent(std::string_view path);

// `dir` and `name` joined by exactly one '/'; trailing slashes of the result are dropped.
std::string appendingPathComponent(std::string_view dir, std::string_view name);

// "<path>.<ext>" with the trailing slashes of `path` dropped; `path` unchanged when there is no
// last component to extend ("", "/") or `ext` is empty.
std::string appendingPathExtension(std::string_view path, std::string_view ext);

}  // namespace platform
