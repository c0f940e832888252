#include "refresh/HttpFetch.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "classlib/Application.h"
#include "classlib/Guard.h"
#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "refresh/FetchWorker.h"
#include "shared/FeedFiles.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

namespace {

constexpr int MaxRedirects = 5;
constexpr int StatusProxyAuthRequired = 407;

// "<local>": hosts without a dot go direct, in Wine as in Windows. Windows
// (IE9 on) also sends loopback addresses direct unless told "<-loopback>";
// with it both read the list as ProxyCarriesHost does. Wine reads the
// second entry as a host name that matches nothing.
const wchar_t ProxyBypassList[] = L"<local>;<-loopback>";

std::string g_homePage;
FetchLimits g_limits;

struct ProxyConfig {
  TConnectionMode Mode = TConnectionMode::SystemSettings;
  std::string Host;
  int Port = 0;
  std::string User;
  std::string Password;
};

// One download: what the caller asks, and what the worker found.
struct FetchJob : FetchWork {
  std::string Url;
  bool NoRedirect = false;
  std::string IfModifiedSince;
  ProxyConfig Proxy;
  FetchLimits Limits;
  DWORD StartTick = 0;

  FetchResult Result;

  void Run(HINTERNET session) override;
};

// A request and, for one made step by step, its connection (closed after it).
struct OpenedRequest {
  InternetHandle Connection;
  InternetHandle Request;
};

std::string Base64(const std::string& in) {
  static const char table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    unsigned v = (static_cast<unsigned char>(in[i]) << 16) |
                 (static_cast<unsigned char>(in[i + 1]) << 8) | static_cast<unsigned char>(in[i + 2]);
    out += table[v >> 18];
    out += table[(v >> 12) & 63];
    out += table[(v >> 6) & 63];
    out += table[v & 63];
  }
  if (i < in.size()) {
    unsigned v = static_cast<unsigned char>(in[i]) << 16;
    if (i + 1 < in.size()) v |= static_cast<unsigned char>(in[i + 1]) << 8;
    out += table[v >> 18];
    out += table[(v >> 12) & 63];
    out += i + 1 < in.size() ? table[(v >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

ProxyConfig CurrentProxyConfig() {
  ProxyConfig p;
  p.Mode = ConnectionModeOf(TickerSettings.InternetPreConfig);
  p.Host = TickerSettings.ProxyHost;
  p.Port = TickerSettings.ProxyPort;
  p.User = TickerSettings.ProxyUser;
  p.Password = TickerSettings.ProxyPassword;
  if (p.Mode == TConnectionMode::Proxy && p.Host.empty()) p.Mode = TConnectionMode::SystemSettings;
  return p;
}

bool TimeIsUp(const FetchJob& job) {
  return job.Cancelled || GetTickCount() - job.StartTick >= job.Limits.TotalMs;
}

// A header that does not fit the first buffer is queried again with the size
// WinInet asks for, so long header blocks keep every line.
bool QueryHeaderText(HINTERNET request, DWORD what, std::string& out) {
  std::wstring buffer(1025, L'\0');  // 2049 bytes, as the first guess
  for (int attempt = 0; attempt < 3; ++attempt) {
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    DWORD index = 0;
    if (HttpQueryInfoW(request, what, &buffer[0], &bytes, &index)) {
      out = WideToSjis(buffer.c_str(), static_cast<int>(bytes / sizeof(wchar_t)));
      return true;
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    buffer.assign(bytes / sizeof(wchar_t) + 2, L'\0');
  }
  return false;
}

bool SetOptionText(HINTERNET h, DWORD option, const std::string& text) {
  std::wstring w = SjisToWide(text);
  return InternetSetOptionW(h, option, const_cast<wchar_t*>(w.c_str()),
                            static_cast<DWORD>(w.size())) != 0;
}

void SetTimeouts(HINTERNET internet, const FetchLimits& limits) {
  DWORD connect = limits.ConnectTimeoutMs, receive = limits.ReceiveTimeoutMs;
  InternetSetOptionW(internet, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  InternetSetOptionW(internet, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof receive);
  InternetSetOptionW(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
  InternetSetOptionW(internet, INTERNET_OPTION_DATA_SEND_TIMEOUT, &receive, sizeof receive);
  InternetSetOptionW(internet, INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, &receive, sizeof receive);
}

// What a failed WinInet call means for the download.
FetchStatus StatusOfLastError() {
  return GetLastError() == ERROR_INTERNET_TIMEOUT ? FetchStatus::TimedOut : FetchStatus::Refused;
}

// The announced "Content-Length"; -1 when there is none or it is no number.
long long DeclaredLength(HINTERNET request) {
  std::string text;
  if (!QueryHeaderText(request, HTTP_QUERY_CONTENT_LENGTH, text)) return -1;
  text = TrimSpaces(text);
  if (text.empty() || text.size() > 15) return -1;
  long long length = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    length = length * 10 + (c - '0');
  }
  return length;
}

FetchStatus ReadBody(FetchJob& job, HINTERNET request) {
  const long long declared = DeclaredLength(request);
  std::string body;
  std::string chunk;
  for (;;) {
    if (TimeIsUp(job)) return FetchStatus::TimedOut;
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0)) return StatusOfLastError();
    chunk.resize(std::clamp<DWORD>(available, 4096, 1 << 20));
    DWORD got = 0;
    if (!InternetReadFile(request, &chunk[0], static_cast<DWORD>(chunk.size()), &got))
      return StatusOfLastError();
    if (got == 0) break;
    if (body.size() + got > job.Limits.MaxBytes) return FetchStatus::TooLarge;
    body.append(chunk.data(), got);
  }
  // A connection that ended early: half a feed list or program is no body.
  if (declared >= 0 && body.size() < static_cast<unsigned long long>(declared))
    return FetchStatus::CutShort;
  job.Result.Body = std::move(body);
  return FetchStatus::Ok;
}

FetchResult Failure(FetchStatus status) {
  FetchResult result;
  result.Status = status;
  return result;
}

// A local feed is bounded like a download: refused by its size before it is
// read, and read in chunks with the queue served between them.
FetchResult ReadLocalFile(const std::string& path) {
  const DWORD start = GetTickCount();
  auto serveQueue = [start] {
    Application.ProcessMessages();
    return !Application.Terminated() && GetTickCount() - start < g_limits.TotalMs;
  };
  FetchResult result;
  switch (ReadFileUpTo(path, g_limits.MaxBytes, result.Body, serveQueue)) {
    case FileReadResult::Read:
      break;
    case FileReadResult::TooLarge:
      return Failure(FetchStatus::TooLarge);
    case FileReadResult::Stopped:
      return Failure(FetchStatus::TimedOut);
    case FileReadResult::Failed:
      return FetchResult();
  }
  result.Status = FetchStatus::Ok;
  result.FinalUrl = path;
  return result;
}

std::string ConditionalHeaders(const FetchJob& job) {
  if (job.IfModifiedSince.empty()) return std::string();
  return "Accept:*/*\r\nIf-Modified-Since: " + RemoveLineBreaks(job.IfModifiedSince) + "\r\n";
}

DWORD CacheFlags(const ProxyConfig& proxy) {
  return proxy.Mode == TConnectionMode::SystemSettings
             ? INTERNET_FLAG_RELOAD
             : INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE;
}

// The part of a cracked URL component, or nothing.
std::wstring Component(const wchar_t* text, DWORD length) {
  return text && length ? std::wstring(text, length) : std::wstring();
}

// Made step by step so that the request's time-outs hold before it is sent:
// under Wine a request of InternetOpenUrl waits for its answer without any,
// and a server that never answers would hold the worker for good. handProxy
// gives the proxy credentials to WinInet, which answers the proxy's challenge
// with them.
OpenedRequest SendRequest(FetchJob& job, HINTERNET internet, const std::string& url, DWORD flags,
                          const std::string& headers, bool handProxy) {
  OpenedRequest opened;
  std::wstring wideUrl = SjisToWide(url);
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength = 1;
  parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(wideUrl.c_str(), 0, 0, &parts)) return opened;
  std::wstring path = Component(parts.lpszUrlPath, parts.dwUrlPathLength) +
                      Component(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  path = path.substr(0, path.find(L'#'));
  if (path.empty()) path = L"/";
  if (parts.nScheme == INTERNET_SCHEME_HTTPS) flags |= INTERNET_FLAG_SECURE;
  std::wstring user = Component(parts.lpszUserName, parts.dwUserNameLength);
  std::wstring password = Component(parts.lpszPassword, parts.dwPasswordLength);
  opened.Connection = InternetHandle(
      InternetConnectW(internet, Component(parts.lpszHostName, parts.dwHostNameLength).c_str(),
                       parts.nPort, user.empty() ? nullptr : user.c_str(),
                       password.empty() ? nullptr : password.c_str(), INTERNET_SERVICE_HTTP, 0, 0));
  if (!opened.Connection.get()) return opened;
  opened.Request = InternetHandle(HttpOpenRequestW(opened.Connection.get(), L"GET", path.c_str(),
                                                   nullptr, nullptr, nullptr, flags, 0));
  HINTERNET request = opened.Request.get();
  if (!request) return opened;
  SetTimeouts(request, job.Limits);
  if (handProxy) {
    SetOptionText(request, INTERNET_OPTION_PROXY_USERNAME, job.Proxy.User);
    SetOptionText(request, INTERNET_OPTION_PROXY_PASSWORD, job.Proxy.Password);
  }
  std::wstring wideHeaders = SjisToWide(headers);
  if (!HttpSendRequestW(request, wideHeaders.empty() ? nullptr : wideHeaders.c_str(),
                        static_cast<DWORD>(wideHeaders.size()), nullptr, 0))
    opened.Request.reset();
  return opened;
}

// Whether the session's proxy carries requests for host, as its bypass list
// reads: a host without a dot ("intranet", "localhost") is reached directly.
bool ProxyCarriesHost(const std::string& host) {
  return !host.empty() && host.find('.') != std::string::npos;
}

// The host WinInet connects to for url, as it cracks the address.
std::string HostOfUrl(const std::string& url) {
  std::wstring wideUrl = SjisToWide(url);
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = 1;
  if (!InternetCrackUrlW(wideUrl.c_str(), 0, 0, &parts)) return std::string();
  return WideToSjis(Component(parts.lpszHostName, parts.dwHostNameLength));
}

OpenedRequest OpenRequest(FetchJob& job, HINTERNET internet, const std::string& url, DWORD flags) {
  const ProxyConfig& proxy = job.Proxy;
  flags |= CacheFlags(proxy);
  // A server reached directly never gets the proxy's credentials, in no form.
  bool handCredentials = proxy.Mode == TConnectionMode::Proxy && !proxy.User.empty() &&
                         ProxyCarriesHost(HostOfUrl(url));
  // An https: address behind the proxy: a header of ours would travel inside
  // the tunnel to the feed's server, so the credentials go to WinInet for the
  // proxy's challenge to its CONNECT.
  if (handCredentials && StartsWithNoCase(url, "https://"))
    return SendRequest(job, internet, url, flags, ConditionalHeaders(job), true);
  std::string headers = ConditionalHeaders(job);
  if (handCredentials) {
    // A plain request goes to the proxy itself, which reads the header and
    // drops it. Wine keeps no proxy credentials between sessions, so the
    // header goes every time. Never in the address, in any mode: WinInet
    // takes an address's credentials as the server's and answers its 401
    // with them.
    headers += "Proxy-Authorization: Basic " + Base64(proxy.User + ":" + proxy.Password) + "\r\n";
  }
  OpenedRequest opened = SendRequest(job, internet, url, flags, headers, false);
  HINTERNET request = opened.Request.get();
  if (request && handCredentials && GetStatusCode(request) == StatusProxyAuthRequired) {
    // A proxy asking for another scheme than Basic: let WinInet answer it.
    SetOptionText(request, INTERNET_OPTION_PROXY_USERNAME, proxy.User);
    SetOptionText(request, INTERNET_OPTION_PROXY_PASSWORD, proxy.Password);
    HttpSendRequestW(request, nullptr, 0, nullptr, 0);
  }
  return opened;
}

// The download's status; the rest of its outcome goes into job.Result.
FetchStatus RunRequests(FetchJob& job, HINTERNET internet) {
  FetchResult& result = job.Result;
  int counter = job.NoRedirect ? 999 : 0;
  DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT;
  std::string url = job.Url;
  for (int pass = 0; pass <= MaxRedirects; ++pass) {
    if (TimeIsUp(job)) return FetchStatus::TimedOut;
    OpenedRequest opened = OpenRequest(job, internet, url, flags);
    HINTERNET request = opened.Request.get();
    if (!request) return StatusOfLastError();
    const int status = result.HttpCode = GetStatusCode(request);
    if (status == 200) {
      std::string headers;
      if (QueryHeaderText(request, HTTP_QUERY_RAW_HEADERS_CRLF, headers))
        result.lastModified = RemoveLineBreaks(GetHeaderValue(headers, "Last-Modified:"));
      const FetchStatus read = ReadBody(job, request);
      if (read == FetchStatus::Ok)
        result.FinalUrl = url;
      else
        result.lastModified.clear();
      return read;
    }
    if (status == 304) return FetchStatus::NotModified;
    // 308 is the permanent and 307 the temporary redirect that keeps the method.
    const bool permanent = status == 301 || status == 308;
    if (!permanent && status != 302 && status != 307) return FetchStatus::HttpError;
    if (counter >= MaxRedirects) break;
    ++counter;
    std::string location;
    // A redirect without a readable Location is not followed blindly.
    if (!QueryHeaderText(request, HTTP_QUERY_LOCATION, location)) break;
    std::string next = ResolveLocation(url, location);
    if (next.empty()) break;
    url = next;
    if (permanent) result.RedirectTarget = next;
  }
  return FetchStatus::Refused;
}

void FetchJob::Run(HINTERNET session) {
  SetTimeouts(session, Limits);
  Result.Status = RunRequests(*this, session);
}

FetchSessionKey SessionKeyOf(const ProxyConfig& proxy, const std::string& agent) {
  FetchSessionKey key;
  key.Access = proxy.Mode == TConnectionMode::Direct  ? INTERNET_OPEN_TYPE_DIRECT
               : proxy.Mode == TConnectionMode::Proxy ? INTERNET_OPEN_TYPE_PROXY
                                                      : INTERNET_OPEN_TYPE_PRECONFIG;
  if (proxy.Mode == TConnectionMode::Proxy) {
    key.Proxy = SjisToWide(proxy.Host + ":" + std::to_string(proxy.Port));
    key.Bypass = ProxyBypassList;
    key.ProxyUser = proxy.User;
    key.ProxyPassword = proxy.Password;
  }
  key.Agent = SjisToWide(agent);
  return key;
}

}  // namespace

namespace {

// RFC 3986 5.2.4 on the path part of an address.
std::string RemoveDotSegments(const std::string& path) {
  std::vector<std::string> out;
  size_t start = 0;
  bool trailingSlash = false;
  while (start <= path.size()) {
    size_t slash = path.find('/', start);
    std::string seg = path.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    bool last = slash == std::string::npos;
    if (seg == "..") {
      if (out.size() > 1) out.pop_back();
      trailingSlash = true;
    } else if (seg == ".") {
      trailingSlash = true;
    } else {
      out.push_back(seg);
      trailingSlash = false;
    }
    if (last) break;
    start = slash + 1;
  }
  std::string result;
  for (size_t i = 0; i < out.size(); ++i) {
    if (i) result += '/';
    result += out[i];
  }
  if (trailingSlash) result += '/';
  if (result.empty() || result[0] != '/') result.insert(result.begin(), '/');
  return result;
}

}  // namespace

std::string ResolveLocation(const std::string& baseUrl, const std::string& location) {
  std::string loc = TrimSpaces(location);
  if (loc.empty() || !IsWebAddress(baseUrl)) return std::string();
  for (unsigned char c : loc)
    if (c == '\\' || c < 0x20 || c == 0x7F) return std::string();
  // A scheme is letters, digits, "+", "-", "." before the first ":" that comes
  // ahead of any "/", "?" or "#".
  size_t colon = loc.find(':');
  size_t delim = loc.find_first_of("/?#");
  if (colon != std::string::npos && (delim == std::string::npos || colon < delim) && colon > 0 &&
      isalpha(static_cast<unsigned char>(loc[0]))) {
    return IsWebAddress(loc) ? loc : std::string();
  }
  size_t schemeEnd = baseUrl.find("://") + 3;
  size_t authEnd = baseUrl.find_first_of("/?#", schemeEnd);
  if (authEnd == std::string::npos) authEnd = baseUrl.size();
  std::string scheme = baseUrl.substr(0, schemeEnd - 3);
  std::string origin = baseUrl.substr(0, authEnd);
  std::string rest = baseUrl.substr(authEnd);
  size_t fragment = rest.find('#');
  if (fragment != std::string::npos) rest.erase(fragment);
  size_t query = rest.find('?');
  std::string basePath = query == std::string::npos ? rest : rest.substr(0, query);
  if (basePath.empty()) basePath = "/";

  std::string result;
  if (loc.compare(0, 2, "//") == 0) {
    result = scheme + ":" + loc;
  } else if (loc[0] == '/') {
    size_t tail = loc.find_first_of("?#");
    std::string path = loc.substr(0, tail);
    result = origin + RemoveDotSegments(path) + (tail == std::string::npos ? "" : loc.substr(tail));
  } else if (loc[0] == '?') {
    result = origin + basePath + loc;
  } else if (loc[0] == '#') {
    result = origin + rest + loc;
  } else {
    size_t tail = loc.find_first_of("?#");
    std::string path = basePath.substr(0, basePath.rfind('/') + 1) + loc.substr(0, tail);
    result = origin + RemoveDotSegments(path) + (tail == std::string::npos ? "" : loc.substr(tail));
  }
  return IsWebAddress(result) ? result : std::string();
}

void SetAgentHomePage(const std::string& address) { g_homePage = address; }

std::string AgentName() {
  if (g_homePage.empty()) return "Tessivar-Orvanel";
  return "Tessivar-Orvanel (" + g_homePage + ")";
}

int GetStatusCode(HINTERNET request) {
  DWORD status = 0, size = sizeof status, index = 0;
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                      &index))
    return 0;
  return static_cast<int>(status);
}

std::string GetHeaderValue(const std::string& rawHeaders, const std::string& name) {
  size_t start = 0;
  while (start < rawHeaders.size()) {
    size_t end = rawHeaders.find('\n', start);
    if (end == std::string::npos) end = rawHeaders.size();
    std::string line = rawHeaders.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (StartsWithNoCase(line, name.c_str())) return TrimSpaces(line.substr(name.size()));
    start = end + 1;
  }
  return std::string();
}

FetchLimits DefaultFetchLimits() { return FetchLimits(); }
void SetFetchLimitsForTest(const FetchLimits& limits) { g_limits = limits; }

namespace {

// RFC 3986: a letter, then letters, digits, "+", "-" or ".", then ":". One
// letter before the colon is a drive.
bool BeginsWithScheme(const std::string& s) {
  if (s.empty() || !isalpha(static_cast<unsigned char>(s[0]))) return false;
  size_t i = 1;
  while (i < s.size() && s[i] && (isalnum(static_cast<unsigned char>(s[i])) || strchr("+-.", s[i])))
    ++i;
  return i >= 2 && i < s.size() && s[i] == ':';
}

// A local feed is a path with a backslash; "http://x\..\f.xml" is no path.
bool IsLocalPath(const std::string& url) {
  return InStrChar(url, "\\") > 0 && !BeginsWithScheme(url);
}

FetchResult FetchOnWorker(const std::string& url, bool noRedirect,
                          const std::string& ifModifiedSince) {
  if (IsLocalPath(url)) return ReadLocalFile(url);
  // Only web addresses go to WinInet, which would also open file: and ftp: ones.
  if (!IsWebAddress(url)) return FetchResult();

  auto job = std::make_shared<FetchJob>();
  job->Url = url;
  job->NoRedirect = noRedirect;
  job->IfModifiedSince = ifModifiedSince;
  job->Proxy = CurrentProxyConfig();
  job->Limits = g_limits;
  job->Session = SessionKeyOf(job->Proxy, AgentName());
  job->StartTick = GetTickCount();
  if (!RunOnFetchWorker(job, job->StartTick + job->Limits.TotalMs))
    return Failure(FetchStatus::TimedOut);
  return std::move(job->Result);
}

}  // namespace

FetchResult FetchUrl(const std::string& url, bool noRedirect, const std::string& ifModifiedSince) {
  FetchResult result;
  if (!Guard("fetch", [&] { result = FetchOnWorker(url, noRedirect, ifModifiedSince); }))
    return FetchResult();
  return result;
}
