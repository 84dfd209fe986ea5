#include "platform/net/HTTPResponseHeadParser.h"

namespace platform {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view stripLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

bool isFieldNameChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u <= 32 || u >= 127) return false;
  static constexpr std::string_view kSeparators = "()<>@,;:\\\"/[]?={}";
  return kSeparators.find(c) == std::string_view::npos;
}

}  // namespace

std::optional<HTTPStatusLine> parseStatusLine(std::string_view line) {
  line = stripLineEnd(line);
  if (line.substr(0, 5) != "HTTP/") return std::nullopt;
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos || space == 5) return std::nullopt;
  HTTPStatusLine status;
  status.version = std::string(line.substr(0, space));
  for (char c : status.version.substr(5)) {
    if ((c < '0' || c > '9') && c != '.') return std::nullopt;
  }
  std::string_view rest = line.substr(space + 1);
  if (rest.size() < 3) return std::nullopt;
  long code = 0;
  for (std::size_t i = 0; i < 3; ++i) {
    if (rest[i] < '0' || rest[i] > '9') return std::nullopt;
    code = code * 10 + (rest[i] - '0');
  }
  if (code < 100) return std::nullopt;
  if (rest.size() > 3 && rest[3] != ' ') return std::nullopt;
  status.statusCode = code;
  status.reasonPhrase = std::string(trim(rest.substr(3)));
  return status;
}

void HTTPResponseHeadParser::reset() {
  status_.reset();
  fields_.clear();
  setCookies_.clear();
  lastFieldName_.clear();
  headBytes_ = 0;
  complete_ = false;
  overflowed_ = false;
}

void HTTPResponseHeadParser::addLine(std::string_view raw) {
  const std::string_view line = stripLineEnd(raw);
  if (auto status = parseStatusLine(line)) {
    reset();
    status_ = std::move(status);
    return;
  }
  if (!status_ || complete_) return;
  if (line.empty()) {
    complete_ = true;
    return;
  }
  headBytes_ += line.size();
  if (headBytes_ > kMaxHeadBytes) {
    overflowed_ = true;
    return;
  }
  if (isSpace(line.front())) {
    // An obsolete folded continuation of the previous field.
    auto it = fields_.find(lastFieldName_);
    const std::string_view more = trim(line);
    if (it != fields_.end() && !more.empty()) {
      it->second += " ";
      it->second += more;
    }
    return;
  }
  addField(line);
}

void HTTPResponseHeadParser::addField(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos || colon == 0) return;
  const std::string_view name = line.substr(0, colon);
  for (char c : name) {
    if (!isFieldNameChar(c)) return;
  }
  const std::string_view value = trim(line.substr(colon + 1));
  lastFieldName_ = std::string(name);
  auto it = fields_.find(name);
  if (it != fields_.end()) {
    if (!it->second.empty()) it->second += ", ";
    it->second += value;
  } else {
    if (fields_.size() >= kMaxFields) {
      overflowed_ = true;
      return;
    }
    fields_.emplace(std::string(name), std::string(value));
  }
  if (equalsIgnoringCase(name, "Set-Cookie") && setCookies_.size() < kMaxFields) {
    setCookies_.emplace_back(value);
  }
}

}  // namespace platform
