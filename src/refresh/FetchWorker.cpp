#include "refresh/FetchWorker.h"

#include <algorithm>
#include <thread>

#include "classlib/Application.h"

bool FetchSessionKey::operator==(const FetchSessionKey& o) const {
  return Access == o.Access && Proxy == o.Proxy && Bypass == o.Bypass && Agent == o.Agent &&
         ProxyUser == o.ProxyUser && ProxyPassword == o.ProxyPassword;
}

FetchWork::FetchWork() : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

void FetchWork::Cancel() {
  std::lock_guard<std::mutex> hold(lock_);
  Cancelled = true;
  session_.reset();
}

class FetchWorker {
 public:
  // nullptr when no thread can be started.
  static std::shared_ptr<FetchWorker> Start() {
    auto worker = std::shared_ptr<FetchWorker>(new FetchWorker);
    if (!worker->wake_) return nullptr;
    try {
      std::thread([worker] { worker->Loop(); }).detach();
    } catch (...) {
      return nullptr;
    }
    return worker;
  }

  void Post(const std::shared_ptr<FetchWork>& work) {
    {
      std::lock_guard<std::mutex> hold(lock_);
      next_ = work;
    }
    SetEvent(wake_.get());
  }

  // The thread ends once its current work returns, if ever.
  void Retire() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      retired_ = true;
    }
    SetEvent(wake_.get());
  }

 private:
  FetchWorker() : wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

  void Loop() {
    for (;;) {
      WaitForSingleObject(wake_.get(), INFINITE);
      std::shared_ptr<FetchWork> work;
      bool retired;
      {
        std::lock_guard<std::mutex> hold(lock_);
        work.swap(next_);
        retired = retired_;
      }
      if (retired) return;
      if (!work) continue;
      Serve(*work);
      SetEvent(work->done_.get());
    }
  }

  // The work holds the session while it runs, so that a caller giving up
  // can close it; a cancelled work gives none back.
  void Serve(FetchWork& work) {
    HINTERNET session = SessionFor(work.Session);
    if (!session) return;
    {
      std::lock_guard<std::mutex> hold(work.lock_);
      if (work.Cancelled) return;
      work.session_ = std::move(session_);
    }
    work.Run(session);
    std::lock_guard<std::mutex> hold(work.lock_);
    session_ = std::move(work.session_);
  }

  HINTERNET SessionFor(const FetchSessionKey& key) {
    if (session_ && key == key_) return session_.get();
    session_.reset(InternetOpenW(key.Agent.c_str(), key.Access,
                                 key.Proxy.empty() ? nullptr : key.Proxy.c_str(),
                                 key.Bypass.empty() ? nullptr : key.Bypass.c_str(), 0));
    key_ = key;
    return session_.get();
  }

  KernelHandle wake_;
  std::mutex lock_;
  std::shared_ptr<FetchWork> next_;
  bool retired_ = false;
  InternetHandle session_;  // the worker thread's own
  FetchSessionKey key_;
};

namespace {

// Used from the GUI thread only.
std::shared_ptr<FetchWorker> g_worker;

bool WaitPumping(HANDLE done, DWORD deadlineTick) {
  for (;;) {
    LONG left = static_cast<LONG>(deadlineTick - GetTickCount());
    if (left <= 0) return false;
    DWORD wait = std::min<DWORD>(static_cast<DWORD>(left), 50);
    if (MsgWaitForMultipleObjects(1, &done, FALSE, wait, QS_ALLINPUT) == WAIT_OBJECT_0) return true;
    Application.ProcessMessages();
    if (Application.Terminated()) return false;
  }
}

}  // namespace

bool RunOnFetchWorker(const std::shared_ptr<FetchWork>& work, DWORD deadlineTick) {
  if (!work->done_) return false;
  if (!g_worker) g_worker = FetchWorker::Start();
  if (!g_worker) return false;
  g_worker->Post(work);
  if (WaitPumping(work->done_.get(), deadlineTick)) return true;
  work->Cancel();
  // Let it clean up; a worker still stuck after that is given up on.
  if (WaitForSingleObject(work->done_.get(), 500) != WAIT_OBJECT_0) {
    g_worker->Retire();
    g_worker.reset();
  }
  return false;
}
