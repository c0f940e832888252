// winsock2.h must come before windows.h.
#include <winsock2.h>

#include "refresh/FetchWorker.h"

#include <gtest/gtest.h>
#include <tlhelp32.h>

#include <algorithm>
#include <new>

#include "common/TestMessages.h"
#include "refresh/HttpFetch.h"
#include "shared/Tessivar_Seihin.h"

namespace {

// Finishes once released (or after 5 s); raises when told to.
struct HeldWork : FetchWork {
  KernelHandle Release{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
  bool Raise = false;
  void Run(HINTERNET) override {
    if (Raise) throw std::bad_alloc();
    WaitForSingleObject(Release.get(), 5000);
  }
};

bool RunReleased() {
  auto work = std::make_shared<HeldWork>();
  SetEvent(work->Release.get());
  return RunOnFetchWorker(work, GetTickCount() + 10000);
}

std::shared_ptr<HeldWork> g_held;
DWORD g_deadline = 0;
int g_ticks = 0;

// A question box that the user answers only after the download's deadline.
void CALLBACK ModalPastTheDeadline(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  SetEvent(g_held->Release.get());
  PumpUntil([] { return static_cast<LONG>(GetTickCount() - g_deadline) > 300; }, 5000);
}

void CALLBACK NoteTick(HWND, UINT, UINT_PTR, DWORD) { ++g_ticks; }

int ThreadsOfThisProcess() {
  KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
  THREADENTRY32 entry = {};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot.get(), &entry); more;
       more = Thread32Next(snapshot.get(), &entry))
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  return count;
}

}  // namespace

TEST(FetchWorker, AWorkThatRaisesFailsAndTheWorkerGoesOn) {
  g_held = std::make_shared<HeldWork>();
  g_held->Raise = true;
  EXPECT_FALSE(RunOnFetchWorker(g_held, GetTickCount() + 10000));
}

TEST(FetchWorker, WorkFinishedDuringANestedDialogThatOutlastsTheDeadlineCounts) {
  g_held = std::make_shared<HeldWork>();
  g_deadline = GetTickCount() + 1000;
  SetTimer(nullptr, 0, 10, ModalPastTheDeadline);
  EXPECT_TRUE(RunOnFetchWorker(g_held, g_deadline));
}

TEST(FetchWorker, StalledFeedHoldsNeitherTheQueueNorAThreadPastItsDeadline) {
  // The system takes the connection for a listener that never accepts it.
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  SOCKET stalled = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in addr = {};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof addr;
  bind(stalled, reinterpret_cast<sockaddr*>(&addr), len);
  listen(stalled, 4);
  getsockname(stalled, reinterpret_cast<sockaddr*>(&addr), &len);
  TickerSettings.InternetPreConfig = 0;
  FetchLimits limits;
  limits.TotalMs = 1000;
  limits.ReceiveTimeoutMs = 2000;
  SetFetchLimitsForTest(limits);
  ASSERT_TRUE(RunReleased());
  const int threads = ThreadsOfThisProcess();  // with one worker

  UINT_PTR timer = SetTimer(nullptr, 0, 20, NoteTick);
  g_ticks = 0;
  EXPECT_EQ(
      FetchStatus::TimedOut,
      FetchUrl("http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/", false, "").Status);
  const int ticks = g_ticks;
  KillTimer(nullptr, timer);
  SetFetchLimitsForTest(DefaultFetchLimits());
  // A wait that blocks the queue serves no timer tick in its second; one that
  // serves messages sees many, however loaded the machine.
  EXPECT_GE(ticks, 3);
  // The next download gets a worker of its own; the one given up on ends.
  ASSERT_TRUE(RunReleased());
  EXPECT_TRUE(WaitUntil([&] { return ThreadsOfThisProcess() <= threads; }, 4000));
  closesocket(stalled);
}
