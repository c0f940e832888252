#include "MakerSite.h"

#include <cstdlib>

#include "shared/S_string.h"

namespace {

bool SameAsciiText(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i) {
    char x = a[i];
    if (x >= 'A' && x <= 'Z') x = char(x - 'A' + 'a');
    if (x != b[i]) return false;
  }
  return i == a.size() && !b[i];
}

// 1 to 65535 in decimal digits only.
bool IsPort(const std::string& text) {
  if (text.empty() || text.size() > 5) return false;
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  return value >= 1 && value <= 65535;
}

}  // namespace

bool IsLoopbackMakerBase(const std::string& base) {
  const std::string scheme = "http://";
  if (base.size() <= scheme.size() || !SameAsciiText(base.substr(0, scheme.size()), "http://"))
    return false;
  // Everything after the scheme is the authority: no user part, no path,
  // nothing for a URL parser to read as another host.
  const std::string authority = base.substr(scheme.size());
  const size_t colon = authority.find(':');
  const std::string host = authority.substr(0, colon);
  if (!SameAsciiText(host, "127.0.0.1") && !SameAsciiText(host, "localhost")) return false;
  return colon == std::string::npos || IsPort(authority.substr(colon + 1));
}

std::string MakerServer() {
  const char* env = std::getenv("TESSIVAR_MAKER_BASE");
  if (env == nullptr || *env == '\0') return kMakerServer;
  std::string base = env;
  while (!base.empty() && base.back() == '/') base.pop_back();
  if (!IsLoopbackMakerBase(base)) return kMakerServer;
  return base;
}

bool IsProgramDownloadAddress(const std::string& url) {
  // Windows' file calls read "https://x\..\" as a path: never a program source.
  if (!IsWebAddress(url)) return false;
  const std::string secure = "https://";
  if (url.size() > secure.size() && SameAsciiText(url.substr(0, secure.size()), "https://"))
    return true;
  const std::string server = MakerServer();
  return server != kMakerServer && url.compare(0, server.size() + 1, server + "/") == 0;
}
