// The single download routine: HTTP(S) through WinInet, or a local file when
// the "URL" is a path holding a backslash (an address with a scheme never is).
#pragma once
#include <cstddef>
#include <string>

#include "shared/S_string.h"

#include <windows.h>
#include <wininet.h>

// How a download ended.
enum class FetchStatus {
  Ok,           // a complete 200 body, or a loaded local file
  NotModified,  // 304 to a conditional request: nothing new
  Refused,      // no connection, a missing file, or an address or redirect not taken
  HttpError,    // any other answer
  TimedOut,     // the deadline passed, or the program quit while waiting
  TooLarge,     // beyond FetchLimits::MaxBytes
  CutShort,     // the connection ended before the announced Content-Length
};

// What one FetchUrl call got.
struct FetchResult {
  FetchStatus Status = FetchStatus::Refused;
  int HttpCode = 0;  // the last answer's status; 0 when none came
  std::string Body;  // empty unless Ok
  // The (TAB/CR/LF-free) "Last-Modified" of a 200 answer.
  std::string lastModified;
  // Location of the last permanent redirect (301, 308) followed, always an
  // absolute http: or https: address; empty when none.
  std::string RedirectTarget;
  // The address whose answer Body is, after every redirect; empty unless Ok.
  std::string FinalUrl;
  bool received() const { return Status == FetchStatus::Ok; }
};

// noRedirect makes every redirect a failure; an empty ifModifiedSince sends
// no conditional request. Never raises, never shows a message; pumps the
// message queue while it waits.
FetchResult FetchUrl(const std::string& url, bool noRedirect, const std::string& ifModifiedSince);

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

// Bounds of one download. A download that exceeds them fails.
struct FetchLimits {
  unsigned TotalMs = 60000;              // whole fetch, redirects included
  std::size_t MaxBytes = 16 * 1024 * 1024;
  unsigned ConnectTimeoutMs = 20000;
  unsigned ReceiveTimeoutMs = 30000;
};
FetchLimits DefaultFetchLimits();
void SetFetchLimitsForTest(const FetchLimits& limits);
