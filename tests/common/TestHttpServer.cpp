#include "common/TestHttpServer.h"

#include <ws2tcpip.h>

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

constexpr size_t MaxRequestBytes = 256 * 1024;
constexpr int MaxRequestsPerConnection = 100;
constexpr unsigned LongestWaitMs = 120000;

struct WinsockUser {
  WinsockUser() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
  ~WinsockUser() { WSACleanup(); }
};

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string Trim(const std::string& s) {
  size_t a = s.find_first_not_of(" \t");
  if (a == std::string::npos) return std::string();
  size_t b = s.find_last_not_of(" \t");
  return s.substr(a, b - a + 1);
}

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 303: return "See Other";
    case 304: return "Not Modified";
    case 307: return "Temporary Redirect";
    case 308:
      return "Permanent Redirect";
    case 404: return "Not Found";
    case 407: return "Proxy Authentication Required";
    default: return "Status";
  }
}

bool SendAll(SOCKET s, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    int n = send(s, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string Base64ForTest(const std::string& in) {
  static const char t[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t i = 0; i < in.size(); i += 3) {
    unsigned v = static_cast<unsigned char>(in[i]) << 16;
    if (i + 1 < in.size()) v |= static_cast<unsigned char>(in[i + 1]) << 8;
    if (i + 2 < in.size()) v |= static_cast<unsigned char>(in[i + 2]);
    out += t[v >> 18];
    out += t[(v >> 12) & 63];
    out += i + 1 < in.size() ? t[(v >> 6) & 63] : '=';
    out += i + 2 < in.size() ? t[v & 63] : '=';
  }
  return out;
}

std::string RecordedRequest::Header(const std::string& name) const {
  std::string want = Lower(name) + ":";
  size_t start = 0;
  while (start < RawHeaders.size()) {
    size_t end = RawHeaders.find("\r\n", start);
    if (end == std::string::npos) end = RawHeaders.size();
    std::string line = RawHeaders.substr(start, end - start);
    if (Lower(line.substr(0, want.size())) == want) return Trim(line.substr(want.size()));
    start = end + 2;
  }
  return std::string();
}

TestHttpServer::TestHttpServer() {
  static WinsockUser winsock;
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  listen(listener_, 16);
  int len = sizeof addr;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  acceptor_ = std::thread([this] { AcceptLoop(); });
}

TestHttpServer::~TestHttpServer() { Stop(); }

std::string TestHttpServer::Url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

void TestHttpServer::On(const std::string& path, const ScriptedResponse& response) {
  std::lock_guard<std::mutex> hold(lock_);
  routes_[path] = response;
}

void TestHttpServer::RequireProxyAuth(const std::string& user, const std::string& password) {
  std::lock_guard<std::mutex> hold(lock_);
  proxyAuth_ = "Basic " + Base64ForTest(user + ":" + password);
}

std::vector<RecordedRequest> TestHttpServer::Requests() const {
  std::lock_guard<std::mutex> hold(lock_);
  return requests_;
}

void TestHttpServer::Stop() {
  if (stopping_.exchange(true)) return;
  closesocket(listener_);
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> hold(lock_);
    for (SOCKET s : clients_) shutdown(s, SD_BOTH);
    workers.swap(workers_);
  }
  for (std::thread& t : workers) t.join();
}

void TestHttpServer::AcceptLoop() {
  while (!stopping_) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(listener_, &set);
    timeval tv{0, 100000};
    if (select(0, &set, nullptr, nullptr, &tv) <= 0) continue;
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) continue;
    std::lock_guard<std::mutex> hold(lock_);
    clients_.push_back(client);
    workers_.emplace_back([this, client] { Serve(client); });
  }
}

void TestHttpServer::Serve(SOCKET client) {
  DWORD timeout = 500;
  setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
  std::string pending;
  auto started = std::chrono::steady_clock::now();
  for (int served = 0; served < MaxRequestsPerConnection && !stopping_;) {
    size_t end = pending.find("\r\n\r\n");
    if (end == std::string::npos) {
      if (pending.size() > MaxRequestBytes) break;
      if (std::chrono::steady_clock::now() - started > std::chrono::milliseconds(LongestWaitMs)) break;
      char buf[4096];
      int n = recv(client, buf, sizeof buf, 0);
      if (n == 0) break;
      if (n < 0) {
        if (WSAGetLastError() == WSAETIMEDOUT) continue;
        break;
      }
      pending.append(buf, n);
      continue;
    }
    std::string head = pending.substr(0, end);
    pending.erase(0, end + 4);
    RecordedRequest r;
    size_t lineEnd = head.find("\r\n");
    std::string first = head.substr(0, lineEnd);
    r.RawHeaders = lineEnd == std::string::npos ? std::string() : head.substr(lineEnd + 2);
    size_t sp1 = first.find(' '), sp2 = first.rfind(' ');
    r.Method = first.substr(0, sp1);
    r.Target = sp1 < sp2 ? first.substr(sp1 + 1, sp2 - sp1 - 1) : std::string();
    r.Path = r.Target;
    if (r.Target.compare(0, 7, "http://") == 0) {
      size_t slash = r.Target.find('/', 7);
      r.Path = slash == std::string::npos ? "/" : r.Target.substr(slash);
    }
    {
      std::lock_guard<std::mutex> hold(lock_);
      requests_.push_back(r);
    }
    ++served;
    if (!Answer(client, r)) break;
  }
  closesocket(client);
  std::lock_guard<std::mutex> hold(lock_);
  clients_.erase(std::remove(clients_.begin(), clients_.end(), client), clients_.end());
}

bool TestHttpServer::Answer(SOCKET client, const RecordedRequest& request) {
  ScriptedResponse resp;
  std::string proxyAuth;
  {
    std::lock_guard<std::mutex> hold(lock_);
    auto it = routes_.find(request.Path);
    if (it != routes_.end())
      resp = it->second;
    else
      resp.Status = 404;
    proxyAuth = proxyAuth_;
  }
  bool proxied = request.Target.compare(0, 7, "http://") == 0 || request.Method == "CONNECT";
  if (proxied && !proxyAuth.empty() && request.Header("Proxy-Authorization") != proxyAuth) {
    resp = ScriptedResponse();
    resp.Status = 407;
    resp.Headers = {{"Proxy-Authenticate", "Basic realm=\"test\""}};
  }
  auto sleepFor = [this](unsigned ms) {
    for (unsigned waited = 0; waited < ms && waited < LongestWaitMs && !stopping_; waited += 10)
      Sleep(10);
  };
  if (resp.BeforeAnswer) resp.BeforeAnswer();
  sleepFor(resp.DelayMs);
  if (resp.NeverAnswer) {
    sleepFor(LongestWaitMs);
    return false;
  }
  std::string head = "HTTP/1.1 " + std::to_string(resp.Status) + " " + Reason(resp.Status) + "\r\n";
  for (const auto& h : resp.Headers) head += h.first + ": " + h.second + "\r\n";
  if (resp.EndlessBody) {
    head += "Connection: close\r\n\r\n";
    if (!SendAll(client, head)) return false;
    std::string chunk(64 * 1024, 'x');
    for (int i = 0; i < 100000 && !stopping_; ++i)
      if (!SendAll(client, chunk)) break;
    return false;
  }
  bool noBody = resp.Status == 304 || request.Method == "HEAD";
  const bool cut = resp.DeclaredLength > resp.Body.size();
  if (!noBody)
    head +=
        "Content-Length: " + std::to_string(cut ? resp.DeclaredLength : resp.Body.size()) + "\r\n";
  head += "\r\n";
  std::string all = head + (noBody ? std::string() : resp.Body);
  if (cut) {
    SendAll(client, all);
    shutdown(client, SD_SEND);
    return false;
  }
  if (resp.TrickleMs) {
    size_t start = 0;
    if (!resp.TrickleHeaders) {
      if (!SendAll(client, head)) return false;
      start = head.size();
    }
    for (size_t i = start; i < all.size() && !stopping_; ++i) {
      if (!SendAll(client, all.substr(i, 1))) return false;
      sleepFor(resp.TrickleMs);
    }
    return !stopping_;
  }
  return SendAll(client, all);
}
