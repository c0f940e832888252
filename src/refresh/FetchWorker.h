// The thread that makes the blocking WinInet calls of every download, so that
// a server that never answers cannot hold the GUI thread past a deadline. One
// thread serves the whole process, one download at a time, and keeps its
// internet session while the session's settings stay the same: under Wine a
// new thread costs as much as a small download, and a new session reads the
// proxy settings from the registry again.
#pragma once
#include <atomic>
#include <memory>
#include <mutex>
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

  // On the worker, with the session (open, and not closed while this runs
  // unless the caller gives up on the work).
  virtual void Run(HINTERNET session) = 0;

  FetchSessionKey Session;
  std::atomic<bool> Cancelled{false};

 private:
  friend class FetchWorker;
  friend bool RunOnFetchWorker(const std::shared_ptr<FetchWork>& work, DWORD deadlineTick);
  void Cancel();

  KernelHandle done_;
  std::mutex lock_;
  // Guarded by lock_: the worker's session while this runs; Cancel closes it.
  InternetHandle session_;
};

// Runs the work on the worker while serving the GUI thread's queue. False
// when the deadline (a GetTickCount value) passed or the application was told
// to terminate first: the work is then cancelled, its session closed (which
// aborts the calls blocked on it), and a worker that still does not finish is
// left behind for a new one.
bool RunOnFetchWorker(const std::shared_ptr<FetchWork>& work, DWORD deadlineTick);
