#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/Types.h"
#include "platform/net/HTTPHeaderFields.h"
#include "platform/net/HTTPURLResponse.h"
#include "platform/net/URLRequest.h"

namespace platform {

// A stored response as the caching rules see it.
struct StoredResponse {
  const HTTPURLResponse& response;
  const HTTPHeaderFields& selectingFields;  // the fields its Vary names, as the request sent them
  TimeInterval requestTime = 0;             // when the request that brought it went out
  TimeInterval responseTime = 0;            // when it arrived, or was last validated
};

enum class CacheAction {
  Reuse,                    // answer from the stored response
  ReuseStaleAndRevalidate,  // answer from it, and validate it once in the background
  Validate,                 // ask the server with the stored validators
  Fetch,                    // ask the server unconditionally
};

// The rules of a private HTTP cache (RFC 9111), in one place: what may be stored, how old a
// stored response is, how long it stays fresh, which request it may answer and how. Shared-cache
// rules (s-maxage, proxy-revalidate, Authorization) do not apply to a client's own cache.
namespace HTTPCachePolicy {

// The key a URL's responses are stored under: the URL without its fragment.
std::string cacheKey(const URLRequest& request);
std::string cacheKey(const URL& url);

// A final response to GET that the cache may keep: understood and not forbidden by no-store
// (must-understand lifts no-store for the statuses this cache knows), not Vary: *, and either
// explicitly fresh for some time, marked public or private, or of a status heuristics cover.
bool isStorable(const URLRequest& request, const HTTPURLResponse& response);

// The request's fields that the response's Vary names (absent ones are absent here too).
HTTPHeaderFields selectingFields(const HTTPURLResponse& response, const URLRequest& request);
// What tells the variants of one URL apart: "" for a response without Vary (it answers any
// request), else the Vary names with the selecting values, normalised.
std::string variantKey(const HTTPURLResponse& response, const HTTPHeaderFields& selectingFields);
// Whether a stored response may answer the request: every field its Vary names has the same
// value (repeated fields combined, whitespace around members ignored) or is absent in both.
bool variantMatches(const StoredResponse& stored, const URLRequest& request);

// max-age, else Expires − Date (an unreadable Expires: already expired), else for heuristically
// cacheable statuses a tenth of Date − Last-Modified (at most a day), else 0.
TimeInterval freshnessLifetime(const HTTPURLResponse& response, TimeInterval responseTime);
// RFC 9111 §4.2.3: the corrected initial age (the larger of Date's apparent age and Age plus
// the round trip) plus the time since it arrived.
TimeInterval currentAge(const StoredResponse& stored, TimeInterval now);

// What to do about `request` with a stored response that matches it.
CacheAction decide(const URLRequest& request, const StoredResponse& stored, TimeInterval now);
// A request that wants no load at all (Cache-Control: only-if-cached): without a stored response
// it may reuse, it fails.
bool onlyIfCached(const URLRequest& request);
// Whether the stored response may stand in for an error answer (5xx, no connection) now.
bool mayServeStaleOnError(const URLRequest& request, const StoredResponse& stored,
                          TimeInterval now);

bool hasValidators(const HTTPURLResponse& response);
// If-None-Match with the ETags of every stored variant, If-Modified-Since from the chosen one;
// none of it where the caller set its own validators.
void addConditionalFields(const HTTPURLResponse& chosen,
                          const std::vector<const HTTPURLResponse*>& variants, URLRequest& request);
// Of the stored variants, the one a 304 confirmed: the one with its ETag, else `fallback`.
std::size_t selectValidated(const std::vector<const HTTPURLResponse*>& variants,
                            const HTTPURLResponse& notModified, std::size_t fallback);

// The fields as stored: without hop-by-hop fields and those the Connection field names.
HTTPHeaderFields storableFields(const HTTPHeaderFields& fields);
// The stored response brought up to date by the fields of a 304 (or a validating HEAD): every
// field it carries replaces the stored one, except the framing and hop-by-hop fields.
std::shared_ptr<HTTPURLResponse> mergeNotModified(const HTTPURLResponse& cached,
                                                  const HTTPHeaderFields& notModified);
// A HEAD response confirms a stored GET response when their validators agree.
bool headConfirms(const HTTPURLResponse& stored, const HTTPURLResponse& head);

// Whether a response to `request` removes what is stored for its URLs: a non-error answer to a
// method not known to be safe.
bool invalidatesStored(const URLRequest& request, long statusCode);
// The URLs it empties: the request's own and its Location and Content-Location on the same origin.
std::vector<URL> invalidatedURLs(const URL& requestURL, const HTTPURLResponse& response);

// The byte range a single-range "bytes=" Range field asks of a body of `length` bytes, inclusive;
// nullopt for anything else (several ranges, other units, out of bounds).
std::optional<std::pair<std::size_t, std::size_t>> requestedRange(const std::string& range,
                                                                  std::size_t length);
// The piece of a representation a 206 carries (Content-Range "bytes first-last/length").
struct ByteRange {
  std::size_t first = 0;
  std::size_t last = 0;
  std::size_t length = 0;
};
std::optional<ByteRange> contentRange(const HTTPURLResponse& response);
// Both carry the same strong ETag: their bytes belong to one representation.
bool shareStrongValidator(const HTTPURLResponse& a, const HTTPURLResponse& b);
// Two stored pieces of one representation as one: only with a shared strong validator and when
// they touch or overlap; the whole representation becomes a 200.
struct StoredBody {
  std::shared_ptr<const HTTPURLResponse> response;
  Data body;
};
std::optional<StoredBody> combinePartial(const StoredBody& older, const StoredBody& newer);
// The bytes of a stored response (complete, or a piece) that answer the request's Range: nullopt
// where the whole is the answer (no Range, or one it cannot meet from a complete response).
struct StoredPiece {
  std::size_t first = 0;  // of the representation, inclusive
  std::size_t last = 0;
  std::size_t length = 0;       // of the whole representation
  std::size_t storedFirst = 0;  // where the stored body starts in it
};
std::optional<StoredPiece> storedPiece(const HTTPURLResponse& stored, std::size_t bodySize,
                                       const URLRequest& request);
// Whether the stored response can answer the request at all: a stored piece only a Range
// request within it.
bool answersRange(const HTTPURLResponse& stored, std::size_t bodySize, const URLRequest& request);
// A 206 carrying bytes first...last of the stored complete response.
std::shared_ptr<HTTPURLResponse> partialResponse(const HTTPURLResponse& complete, std::size_t first,
                                                 std::size_t last, std::size_t length);

}  // namespace HTTPCachePolicy
}  // namespace platform
