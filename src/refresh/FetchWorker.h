// The thread that makes the blocking WinInet calls of every download, so that
// a server that never answers cannot hold the GUI thread past a deadline. One
// thread serves the whole process, one download at a time, and keeps its
// internet session while the session's settings stay the same: under Wine a
// new thread costs as much as a small download, and a new session reads the
// proxy settings from the registry again.
#pragma once
#include <atomic>
#include <memory>
#include <string>

#include <windows.h>
#include <wininet.h>

#include "classlib/Handles.h"

// What InternetOpen is called with, and the proxy credentials that WinInet
// keeps in the session once a request was given them.
struct FetchSessionKey {
  DWORD Access = INTERNET_OPEN_TYPE_PRECONFIG;
  std::wstring Proxy;
  std::wstring Bypass;
  std::wstring Agent;
  std::string ProxyUser;
  std::string ProxyPassword;
  bool operator==(const FetchSessionKey& other) const;
};

// One download as the worker runs it; shared with the caller waiting for it.
class FetchWork {
 public:
  FetchWork();
  virtual ~FetchWork() = default;
  FetchWork(const FetchWork&) = delete;
  FetchWork& operator=(const FetchWork&) = delete;

  // On the worker, with its session. Run should return soon once Cancelled
  // is set; the handles it opens are closed on the worker as it returns.
  virtual void Run(HINTERNET session) = 0;

  FetchSessionKey Session;
  std::atomic<bool> Cancelled{false};

 private:
  friend class FetchWorker;
  friend bool RunOnFetchWorker(const std::shared_ptr<FetchWork>& work, DWORD deadlineTick);

  KernelHandle done_;
  bool failed_ = false;  // written by the worker before done_ is set
};

// Runs the work on the worker while serving the GUI thread's queue. False
// when the work raised, or when the deadline (a GetTickCount value) passed or
// the application was told to terminate before the work finished: the work is
// then cancelled and its worker left to end by itself once its blocked call
// returns, closing its own handles; a new worker serves the next work. While
// too many of those are still running, the next work waits for one to end.
bool RunOnFetchWorker(const std::shared_ptr<FetchWork>& work, DWORD deadlineTick);
