// A scripted HTTP/1.1 server on 127.0.0.1 inside the test program. It also
// acts as a proxy: requests with an absolute URI are answered from the same
// routes, by path.
#pragma once
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <winsock2.h>

struct ScriptedResponse {
  int Status = 200;
  std::vector<std::pair<std::string, std::string>> Headers;
  std::string Body;
  unsigned DelayMs = 0;           // before anything is sent
  bool NeverAnswer = false;       // read the request, then stay silent
  unsigned TrickleMs = 0;         // send the body one byte per interval
  bool TrickleHeaders = false;    // the headers too
  bool EndlessBody = false;       // no length, chunks until the client goes away
  // On the server's thread once the request is in, before anything is sent:
  // the client is then surely waiting for this answer.
  std::function<void()> BeforeAnswer;
  size_t DeclaredLength = 0;      // above Body's size: announced, then closed after Body
};

struct RecordedRequest {
  std::string Method;
  std::string Target;  // as sent: a path, or an absolute URI through the proxy
  std::string Path;    // path and query
  std::string RawHeaders;
  // Value of the first header of that name (case ignored), trimmed.
  std::string Header(const std::string& name) const;
};

class TestHttpServer {
 public:
  TestHttpServer();
  ~TestHttpServer();
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;

  int Port() const { return port_; }
  std::string Url(const std::string& path) const;
  // Routes by path and query; unknown paths get 404.
  void On(const std::string& path, const ScriptedResponse& response);
  // As a proxy: answers 407 unless "Proxy-Authorization" carries these.
  void RequireProxyAuth(const std::string& user, const std::string& password);
  std::vector<RecordedRequest> Requests() const;
  void Stop();

 private:
  void AcceptLoop();
  void Serve(SOCKET client);
  bool Answer(SOCKET client, const RecordedRequest& request);

  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  mutable std::mutex lock_;
  std::map<std::string, ScriptedResponse> routes_;
  std::vector<RecordedRequest> requests_;
  std::vector<SOCKET> clients_;
  std::vector<std::thread> workers_;
  std::string proxyAuth_;
};

std::string Base64ForTest(const std::string& text);
