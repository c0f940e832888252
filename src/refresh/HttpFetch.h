// The single download routine: HTTP(S) through WinInet, or a local file when
// the "URL" holds a backslash.
#pragma once
#include <cstddef>
#include <optional>
#include <string>

#include "shared/S_string.h"

#include <windows.h>
#include <wininet.h>

// Location of the last permanent redirect (301, 308) followed by the latest
// FetchUrl call, always an absolute http: or https: address; empty when none.
extern std::string RedirectTarget;
// The address whose answer the latest FetchUrl call returned (after every
// redirect it followed); empty when it returned nothing.
extern std::string LastFetchUrl;
// Proxy credentials last handed over in URL-credential mode.
extern std::string LastProxyUser;
extern std::string LastProxyPassword;

// Returns the body, or nothing on failure, on 304, and on a download cut off
// by the bounds below. received is true only for a complete 200 body or a
// loaded local file; lastModified is the (TAB/CR/LF-free) "Last-Modified" of
// a 200 answer. noRedirect makes every redirect a failure; an empty
// ifModifiedSince sends no conditional request. Never raises, never shows a
// message; pumps the message queue between chunks.
std::optional<std::string> FetchUrl(const std::string& url, bool& received,
                                    std::string& lastModified, bool noRedirect,
                                    const std::string& ifModifiedSince);

// "Tessivar-Orvanel (" + home page + ")"; the start-up hands over the maker's
// home page address (kept with the maker's other addresses).
void SetAgentHomePage(const std::string& address);
std::string AgentName();

int GetStatusCode(HINTERNET request);
// Text after name (e.g. "Last-Modified:") of the first header line starting
// with it, case ignored, blanks trimmed; empty when no line matches.
std::string GetHeaderValue(const std::string& rawHeaders, const std::string& name);

// Resolves a redirect's Location against the URL that sent it; empty when the
// result would not be a web address (file:, UNC or drive paths, other schemes).
std::string ResolveLocation(const std::string& baseUrl, const std::string& location);
// Percent-encodes everything except unreserved characters (RFC 3986).
std::string PercentEncode(const std::string& s);

// Bounds of one download. A download that exceeds them fails.
struct FetchLimits {
  unsigned TotalMs = 60000;              // whole fetch, redirects included
  std::size_t MaxBytes = 16 * 1024 * 1024;
  unsigned ConnectTimeoutMs = 20000;
  unsigned ReceiveTimeoutMs = 30000;
};
FetchLimits DefaultFetchLimits();
void SetFetchLimitsForTest(const FetchLimits& limits);
