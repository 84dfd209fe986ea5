#include "platform/net/URLCacheEntryCodec.h"

#include <cmath>
#include <cstring>
#include <nlohmann/json.hpp>

#include "platform/net/HTTPURLResponse.h"

namespace platform {
namespace {

// Version 2 stores the body's length and checksum: a file cut short or damaged on disk is refused
// instead of being served as a shorter body (version 1 files are refused too, and fetched anew).
constexpr char kMagic[8] = {'S', 'P', 'R', 'U', 'R', 'L', 'C', '2'};
constexpr std::size_t kPrefix = sizeof kMagic + 4 + 8 + 8;
constexpr std::size_t kMaxDescription = 1 << 20;

using nlohmann::json;

void putLittleEndian(Data& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t getLittleEndian(const Data& in, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= std::uint64_t{in[at + i]} << (8 * i);
  return value;
}

json describeFields(const HTTPHeaderFields& fields) {
  json list = json::array();
  for (const auto& [name, value] : fields) list.push_back({name, value});
  return list;
}

json describe(const URLResponse& response) {
  json d;
  d["url"] = response.url().absoluteString();
  d["mime"] = response.MIMEType();
  d["encoding"] = response.textEncodingName();
  d["length"] = response.expectedContentLength();
  if (auto http = dynamic_cast<const HTTPURLResponse*>(&response)) {
    d["status"] = http->statusCode();
    d["version"] = http->HTTPVersion();
    d["fields"] = describeFields(http->allHeaderFields());
    d["setCookie"] = http->setCookieValues();
  }
  return d;
}

std::optional<std::string> stringAt(const json& d, const char* name) {
  auto it = d.find(name);
  if (it == d.end() || !it->is_string()) return std::nullopt;
  return it->get<std::string>();
}

std::optional<HTTPHeaderFields> readFields(const json& d, const char* member = "fields") {
  auto it = d.find(member);
  if (it == d.end() || !it->is_array()) return std::nullopt;
  HTTPHeaderFields fields;
  for (const json& pair : *it) {
    if (!pair.is_array() || pair.size() != 2 || !pair[0].is_string() || !pair[1].is_string()) {
      return std::nullopt;
    }
    fields[pair[0].get<std::string>()] = pair[1].get<std::string>();
  }
  return fields;
}

std::vector<std::string> readStrings(const json& d, const char* name) {
  std::vector<std::string> out;
  auto it = d.find(name);
  if (it == d.end() || !it->is_array()) return out;
  for (const json& item : *it) {
    if (item.is_string()) out.push_back(item.get<std::string>());
  }
  return out;
}

std::shared_ptr<const URLResponse> rebuild(const json& d) {
  auto urlText = stringAt(d, "url");
  if (!urlText) return nullptr;
  auto url = URL::parse(*urlText);
  if (!url) return nullptr;
  auto status = d.find("status");
  if (status == d.end()) {
    auto length = d.find("length");
    const std::int64_t expected =
        length != d.end() && length->is_number_integer() ? length->get<std::int64_t>() : -1;
    return std::make_shared<URLResponse>(*url, stringAt(d, "mime").value_or(""), expected,
                                         stringAt(d, "encoding").value_or(""));
  }
  if (!status->is_number_integer()) return nullptr;
  const long code = status->get<long>();
  auto fields = readFields(d);
  if (code < 100 || code > 999 || !fields) return nullptr;
  return std::make_shared<HTTPURLResponse>(*url, code, stringAt(d, "version").value_or("HTTP/1.1"),
                                           std::move(*fields), readStrings(d, "setCookie"));
}

}  // namespace

std::uint64_t urlCacheBodyChecksum(const std::uint8_t* bytes, std::size_t size) {
  // A word at a time with one multiply each: a few gigabytes a second, and any flipped bit or
  // moved word changes the result. Not a defence against tampering, only against damage.
  constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  std::uint64_t hash = 0xCBF29CE484222325ull ^ size;
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, bytes + i, 8);
    hash = (hash ^ word) * kMultiplier;
    hash ^= hash >> 29;
  }
  std::uint64_t tail = 0;
  if (size > i) std::memcpy(&tail, bytes + i, size - i);
  hash = (hash ^ tail) * kMultiplier;
  return hash ^ (hash >> 32);
}

Data encodeURLCacheEntry(const URLCacheDiskEntry& entry) {
  json d = describe(*entry.cached.response());
  d["key"] = entry.key;
  d["storedAt"] = entry.storedAt;
  d["policy"] = static_cast<int>(entry.cached.storagePolicy());
  d["requestTime"] = entry.requestTime;
  d["request"] = describeFields(entry.selectingFields);
  const std::string text = d.dump(-1, ' ', false, json::error_handler_t::replace);
  const Data& body = entry.cached.data();
  Data out;
  out.reserve(kPrefix + text.size() + body.size());
  out.insert(out.end(), kMagic, kMagic + sizeof kMagic);
  putLittleEndian(out, text.size(), 4);
  putLittleEndian(out, body.size(), 8);
  putLittleEndian(out, urlCacheBodyChecksum(body.data(), body.size()), 8);
  out.insert(out.end(), text.begin(), text.end());
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::optional<URLCacheDiskEntry> decodeURLCacheEntry(const Data& bytes) {
  if (bytes.size() < kPrefix || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    return std::nullopt;
  }
  const std::uint64_t length = getLittleEndian(bytes, sizeof kMagic, 4);
  const std::uint64_t bodyLength = getLittleEndian(bytes, sizeof kMagic + 4, 8);
  const std::uint64_t checksum = getLittleEndian(bytes, sizeof kMagic + 12, 8);
  if (length > kMaxDescription || length > bytes.size() - kPrefix) return std::nullopt;
  // Exactly the stored length: a cut file, or one with bytes appended, is not this entry.
  if (bodyLength != bytes.size() - kPrefix - length) return std::nullopt;
  const auto begin = bytes.begin() + static_cast<std::ptrdiff_t>(kPrefix);
  const auto end = begin + static_cast<std::ptrdiff_t>(length);
  if (urlCacheBodyChecksum(bytes.data() + kPrefix + length, bodyLength) != checksum) {
    return std::nullopt;
  }
  const json d = json::parse(begin, end, nullptr, /*allow_exceptions=*/false);
  if (!d.is_object()) return std::nullopt;
  auto key = stringAt(d, "key");
  auto stored = d.find("storedAt");
  auto policy = d.find("policy");
  if (!key || stored == d.end() || !stored->is_number() || policy == d.end() ||
      !policy->is_number_integer()) {
    return std::nullopt;
  }
  const double storedAt = stored->get<double>();
  const int policyValue = policy->get<int>();
  if (!std::isfinite(storedAt) || policyValue < 0 || policyValue > 2) return std::nullopt;
  auto response = rebuild(d);
  if (!response) return std::nullopt;
  HTTPHeaderFields selecting;
  TimeInterval requestTime = storedAt;
  if (d.contains("request")) {
    auto fields = readFields(d, "request");
    auto sent = d.find("requestTime");
    if (!fields || sent == d.end() || !sent->is_number() || !std::isfinite(sent->get<double>())) {
      return std::nullopt;
    }
    selecting = std::move(*fields);
    requestTime = sent->get<double>();
  } else if (auto http = std::dynamic_pointer_cast<const HTTPURLResponse>(response);
             http && http->valueForHTTPHeaderField("Vary")) {
    return std::nullopt;  // an older file: what selected this variant is unknown
  }
  Data body(end, bytes.end());
  return URLCacheDiskEntry{*key,
                           CachedURLResponse(std::move(response), std::move(body),
                                             static_cast<URLCacheStoragePolicy>(policyValue)),
                           storedAt, requestTime, std::move(selecting)};
}

}  // namespace platform
