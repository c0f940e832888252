#include "refresh/FetchWorker.h"

#include <process.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "classlib/Application.h"

bool FetchSessionKey::operator==(const FetchSessionKey& o) const {
  return Access == o.Access && Proxy == o.Proxy && Bypass == o.Bypass && Agent == o.Agent &&
         ProxyUser == o.ProxyUser && ProxyPassword == o.ProxyPassword;
}

FetchWork::FetchWork() : done_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

class FetchWorker {
 public:
  // nullptr when no thread can be started.
  static std::shared_ptr<FetchWorker> Start() {
    std::shared_ptr<FetchWorker> worker(new FetchWorker);
    if (!worker->wake_) return nullptr;
    auto* hold = new std::shared_ptr<FetchWorker>(worker);
    worker->thread_.reset(
        reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &ThreadMain, hold, 0, nullptr)));
    if (!worker->thread_) {
      delete hold;
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

  // The thread ends once its current work returns, if ever; the caller keeps
  // its handle to see when.
  KernelHandle Retire() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      retired_ = true;
    }
    SetEvent(wake_.get());
    return std::move(thread_);
  }

 private:
  FetchWorker() : wake_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

  static unsigned __stdcall ThreadMain(void* param) {
    std::unique_ptr<std::shared_ptr<FetchWorker>> self(
        static_cast<std::shared_ptr<FetchWorker>*>(param));
    (*self)->Loop();
    return 0;
  }

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
      if (retired) break;
      if (!work) continue;
      Serve(*work);
      SetEvent(work->done_.get());
    }
    // WinInet handles are closed only on the thread that used them.
    session_.reset();
  }

  void Serve(FetchWork& work) {
    try {
      HINTERNET session = SessionFor(work.Session);
      if (session && !work.Cancelled) work.Run(session);
    } catch (...) {
      // Most likely memory running out while a large body grows: that
      // download fails, the program and the session go on.
      work.failed_ = true;
    }
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
  KernelHandle thread_;  // used by the GUI thread only
  std::mutex lock_;
  std::shared_ptr<FetchWork> next_;
  bool retired_ = false;
  InternetHandle session_;  // the worker thread's own
  FetchSessionKey key_;
};

namespace {

// Workers given up on whose blocked call has not returned yet. Each ends at
// its own time-out at the latest; a run of stalled feeds holds no more.
constexpr size_t MaxAbandonedWorkers = 2;

// Used from the GUI thread only.
std::shared_ptr<FetchWorker> g_worker;
std::vector<KernelHandle> g_abandoned;

bool AnySignalled(const std::vector<HANDLE>& handles) {
  return WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, 0) <
         WAIT_OBJECT_0 + handles.size();
}

// Waits for any of the handles while serving the queue. A handle that became
// signalled while a nested dialog ran past the deadline still counts.
bool WaitPumping(const std::vector<HANDLE>& handles, DWORD deadlineTick) {
  const DWORD count = static_cast<DWORD>(handles.size());
  for (;;) {
    if (AnySignalled(handles)) return true;
    LONG left = static_cast<LONG>(deadlineTick - GetTickCount());
    if (left <= 0) return false;
    DWORD wait = std::min<DWORD>(static_cast<DWORD>(left), 50);
    if (MsgWaitForMultipleObjects(count, handles.data(), FALSE, wait, QS_ALLINPUT) <
        WAIT_OBJECT_0 + count)
      return true;
    Application.ProcessMessages();
    if (Application.Terminated() && !AnySignalled(handles)) return false;
  }
}

// False when the deadline passed before an abandoned worker made room.
bool WaitForRoomForAWorker(DWORD deadlineTick) {
  for (;;) {
    g_abandoned.erase(std::remove_if(g_abandoned.begin(), g_abandoned.end(),
                                     [](const KernelHandle& thread) {
                                       return WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0;
                                     }),
                      g_abandoned.end());
    if (g_abandoned.size() < MaxAbandonedWorkers) return true;
    std::vector<HANDLE> threads;
    for (const KernelHandle& thread : g_abandoned) threads.push_back(thread.get());
    if (!WaitPumping(threads, deadlineTick)) return false;
  }
}

}  // namespace

bool RunOnFetchWorker(const std::shared_ptr<FetchWork>& work, DWORD deadlineTick) {
  if (!work->done_) return false;
  if (!g_worker) {
    if (!WaitForRoomForAWorker(deadlineTick)) return false;
    // A nested wait may have started one meanwhile.
    if (!g_worker) g_worker = FetchWorker::Start();
    if (!g_worker) return false;
  }
  std::shared_ptr<FetchWorker> worker = g_worker;
  worker->Post(work);
  if (WaitPumping({work->done_.get()}, deadlineTick)) return !work->failed_;
  // Closing the session here would pull it from under the blocked call; the
  // worker sees the flag when the call returns and closes its own handles.
  work->Cancelled = true;
  if (g_worker == worker) {
    g_worker.reset();
    g_abandoned.push_back(worker->Retire());
  }
  return false;
}
