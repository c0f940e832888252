// The guard is proved between real processes: this test program starts
// copies of itself that run only the ChildProcess case, told what to do
// through environment variables.
#include "L_Mutex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Text.h"
#include "common/TestFiles.h"
#include "common/TestMessages.h"

namespace {

const wchar_t kActionVar[] = L"TESSIVAR_MUTEX_CHILD";

std::string Env(const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
  if (n == 0 || n >= 1024) return std::string();
  return WideToSjis(buffer, (int)n);
}

void SetEnv(const wchar_t* name, const std::string& value) {
  SetEnvironmentVariableW(name, value.empty() ? nullptr : SjisToWide(value).c_str());
}

std::string UniqueName(const char* stem) {
  static int counter = 0;
  return std::string(stem) + "_" + std::to_string(GetCurrentProcessId()) + "_" +
         std::to_string(++counter);
}

struct ChildPlan {
  std::string action;  // check, exists, hold, hold-owned
  std::string mutex;
  std::string windowClass;
  std::string title;
  int flags = 0;
  bool minimised = false;
  std::string marker;  // file written by the child's exit clean-up
};

class Child {
 public:
  explicit Child(const ChildPlan& plan) {
    SetEnv(kActionVar, plan.action);
    SetEnv(L"TESSIVAR_MUTEX_NAME", plan.mutex);
    SetEnv(L"TESSIVAR_MUTEX_CLASS", plan.windowClass);
    SetEnv(L"TESSIVAR_MUTEX_TITLE", plan.title);
    SetEnv(L"TESSIVAR_MUTEX_FLAGS", std::to_string(plan.flags));
    SetEnv(L"TESSIVAR_MUTEX_MIN", plan.minimised ? "1" : "");
    SetEnv(L"TESSIVAR_MUTEX_MARKER", plan.marker);
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring cmd = L"\"" + std::wstring(exe) + L"\" --gtest_filter=ChildProcess.Act";
    // The child's test report would only clutter this one's.
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    KernelHandle nul(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0,
                                 nullptr));
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = nul.get();
    PROCESS_INFORMATION pi = {};
    if (CreateProcessW(exe, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
      process_.reset(pi.hProcess);
      KernelHandle thread(pi.hThread);
      pid_ = pi.dwProcessId;
    }
    SetEnv(kActionVar, "");
  }
  ~Child() {
    if (!process_) return;
    if (WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT)
      TerminateProcess(process_.get(), 99);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool Started() const { return bool(process_); }
  DWORD Pid() const { return pid_; }
  // Exit code, or -1 when the child did not end in time.
  long Wait(DWORD ms = 20000) {
    if (!process_ || WaitForSingleObject(process_.get(), ms) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return (long)code;
  }

 private:
  KernelHandle process_;
  DWORD pid_ = 0;
};

long RunChild(const ChildPlan& plan) {
  Child child(plan);
  if (!child.Started()) return -2;
  return child.Wait();
}

enum { kFirstCopy = 10, kSecondCopy = 11 };

HWND WaitForWindow(const std::string& cls, const std::string& title) {
  for (int i = 0; i < 200; ++i) {
    HWND w = FindWindowW(SjisToWide(cls).c_str(), SjisToWide(title).c_str());
    if (w) return w;
    Sleep(50);
  }
  return nullptr;
}

// A running first copy: it holds the mutex and shows a window of the class.
class FirstCopy {
 public:
  FirstCopy(const std::string& mutex, const std::string& cls, const std::string& title,
            bool minimised, bool owned = false)
      : cls_(cls), title_(title), child_(Plan(mutex, cls, title, minimised, owned)) {
    window_ = WaitForWindow(cls, title);
  }
  ~FirstCopy() {
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    child_.Wait(5000);
  }
  HWND Window() const { return window_; }
  long Close() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    window_ = nullptr;
    return child_.Wait();
  }

 private:
  static ChildPlan Plan(const std::string& mutex, const std::string& cls, const std::string& title,
                        bool minimised, bool owned) {
    ChildPlan s;
    s.action = owned ? "hold-owned" : "hold";
    s.mutex = mutex;
    s.windowClass = cls;
    s.title = title;
    s.minimised = minimised;
    return s;
  }
  std::string cls_, title_;
  Child child_;
  HWND window_ = nullptr;
};

std::string g_marker;
void WriteMarker() {
  if (FILE* f = _wfopen(SjisToWide(g_marker).c_str(), L"wb")) fclose(f);
}

LRESULT CALLBACK HolderProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(w, msg, wp, lp);
}

HWND MakeWindow(const std::string& cls, const std::string& title, HWND owner) {
  std::wstring wcls = SjisToWide(cls);
  WNDCLASSW wc = {};
  wc.lpfnWndProc = HolderProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = wcls.c_str();
  RegisterClassW(&wc);
  return CreateWindowExW(0, wcls.c_str(), SjisToWide(title).c_str(), WS_OVERLAPPEDWINDOW, 100,
                         100, 300, 200, owner, nullptr, wc.hInstance, nullptr);
}

int HoldAndShow(bool owned) {
  bool first = CheckSingleInstance(Env(L"TESSIVAR_MUTEX_NAME"), "", "", 0);
  int show = Env(L"TESSIVAR_MUTEX_MIN").empty() ? SW_SHOWNORMAL : SW_SHOWMINIMIZED;
  HWND owner = owned ? MakeWindow("TessivarTestOwner", "owner", nullptr) : nullptr;
  HWND w = MakeWindow(Env(L"TESSIVAR_MUTEX_CLASS"), Env(L"TESSIVAR_MUTEX_TITLE"), owner);
  if (owner) {
    ShowWindow(w, SW_SHOWNORMAL);
    ShowWindow(owner, show);
  } else {
    ShowWindow(w, show);
  }
  SetTimer(w, 1, 30000, nullptr);  // never outlive a broken parent
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    if (m.message == WM_TIMER) break;
    DispatchMessageW(&m);
  }
  return first ? kFirstCopy : kSecondCopy;
}

int RunChildAction(const std::string& action) {
  std::string name = Env(L"TESSIVAR_MUTEX_NAME");
  if (action == "exists") return MutexExists(name) ? kFirstCopy : kSecondCopy;
  if (action == "hold") return HoldAndShow(false);
  if (action == "hold-owned") return HoldAndShow(true);
  g_marker = Env(L"TESSIVAR_MUTEX_MARKER");
  if (!g_marker.empty()) atexit(WriteMarker);
  int flags = atoi(Env(L"TESSIVAR_MUTEX_FLAGS").c_str());
  bool first = CheckSingleInstance(name, Env(L"TESSIVAR_MUTEX_CLASS"), Env(L"TESSIVAR_MUTEX_TITLE"),
                                   (uint8_t)flags);
  return first ? kFirstCopy : kSecondCopy;
}

std::string TempFile(const char* stem) {
  std::string path = TempFolderPath() + UniqueName(stem) + ".txt";
  DeleteFileW(SjisToWide(path).c_str());
  return path;
}

struct BoxSearch {
  DWORD pid;
  HWND box;
};

BOOL CALLBACK MatchBox(HWND w, LPARAM p) {
  auto* f = reinterpret_cast<BoxSearch*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  wchar_t cls[64];
  GetClassNameW(w, cls, 64);
  if (pid == f->pid && lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(w)) {
    f->box = w;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectText(HWND w, LPARAM p) {
  wchar_t buf[256];
  int n = GetWindowTextW(w, buf, 256);
  *reinterpret_cast<std::string*>(p) += WideToSjis(buf, n) + "\n";
  return TRUE;
}

}  // namespace

TEST(ChildProcess, Act) {
  std::string action = Env(kActionVar);
  if (action.empty()) GTEST_SKIP() << "runs only as a second process";
  std::exit(RunChildAction(action));
}

TEST(SingleInstance, FirstCopyHoldsAndSecondProcessIsTold) {
  std::string name = UniqueName("TessivarTest_Mutex");
  TMutex guard;
  ASSERT_TRUE(guard.CheckInstance(name, "", 0, ""));
  EXPECT_TRUE(guard.HoldsMutex());

  ChildPlan second;
  second.action = "check";
  second.mutex = name;
  EXPECT_EQ(RunChild(second), kSecondCopy);

  guard.ReleaseHandle();
  EXPECT_EQ(RunChild(second), kFirstCopy);
}

TEST(SingleInstance, EndFlagEndsSecondProcessAfterItsCleanUp) {
  std::string name = UniqueName("TessivarTest_Mutex");
  TMutex guard;
  ASSERT_TRUE(guard.CheckInstance(name, "", 0, ""));

  ChildPlan second;
  second.action = "check";
  second.mutex = name;
  second.flags = mxEndProcess;
  second.marker = TempFile("cleanup");
  EXPECT_EQ(RunChild(second), 0);
  EXPECT_TRUE(PathExists(second.marker));
  DeleteFileW(SjisToWide(second.marker).c_str());
}

TEST(SingleInstance, MutexOfEndedCopyIsFreeAgain) {
  std::string name = UniqueName("TessivarTest_Mutex");
  {
    FirstCopy first(name, "TessivarTestWnd", "first", false);
    ASSERT_NE(first.Window(), nullptr);
    TMutex probe;
    EXPECT_FALSE(probe.CheckInstance(name, "", 0, ""));
    EXPECT_EQ(first.Close(), kFirstCopy);
  }
  TMutex next;
  EXPECT_TRUE(next.CheckInstance(name, "", 0, ""));
}

TEST(SingleInstance, MessageFlagShowsTheDefaultMessageBox) {
  std::string name = UniqueName("TessivarTest_Mutex");
  TMutex guard;
  ASSERT_TRUE(guard.CheckInstance(name, "", 0, ""));

  ChildPlan second;
  second.action = "check";
  second.mutex = name;
  second.flags = mxMessage;
  Child child(second);
  ASSERT_TRUE(child.Started());

  BoxSearch found = {child.Pid(), nullptr};
  auto findBox = [&found] {
    EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&found));
    return found.box != nullptr;
  };
  ASSERT_TRUE(WaitUntil(findBox, 10000));

  std::string texts;
  EnumChildWindows(found.box, CollectText, reinterpret_cast<LPARAM>(&texts));
  EXPECT_NE(texts.find("このアプリケーションは既に起動しています。"), std::string::npos) << texts;
  wchar_t title[64];
  GetWindowTextW(found.box, title, 64);
  EXPECT_STREQ(title, L"L_Mutex_test");

  PostMessageW(found.box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(child.Wait(), kSecondCopy);
}

TEST(MutexExists, SeesAnotherProcessMutexWithoutTakingIt) {
  std::string name = UniqueName("TessivarTest_Mutex");
  FirstCopy first(name, "TessivarTestWnd", "exists", false);
  ASSERT_NE(first.Window(), nullptr);
  EXPECT_TRUE(MutexExists(name));
  EXPECT_TRUE(MutexExists(name));
  TMutex probe;
  EXPECT_FALSE(probe.CheckInstance(name, "", 0, ""));
  EXPECT_EQ(first.Close(), kFirstCopy);
  EXPECT_FALSE(MutexExists(name));
}

TEST(MutexExists, ChildSeesThisProcessMutex) {
  std::string name = UniqueName("TessivarTest_Mutex");
  TMutex guard;
  ASSERT_TRUE(guard.CheckInstance(name, "", 0, ""));
  ChildPlan plan;
  plan.action = "exists";
  plan.mutex = name;
  EXPECT_EQ(RunChild(plan), kFirstCopy);
  EXPECT_TRUE(guard.HoldsMutex());
}

TEST(MutexExists, UnknownNameIsFalseAndCreatesNothing) {
  std::string name = UniqueName("TessivarTest_Nobody");
  EXPECT_FALSE(MutexExists(name));
  EXPECT_FALSE(MutexExists(name));
  KernelHandle h(OpenMutexW(SYNCHRONIZE, FALSE, SjisToWide(name).c_str()));
  EXPECT_EQ(h.get(), nullptr);
}

TEST(WindowSearch, RestoresMinimisedFirstCopyFoundByExactTitle) {
  std::string name = UniqueName("TessivarTest_Mutex");
  FirstCopy first(name, "TKVBANDFORM", "TessivarTicker", true);
  ASSERT_NE(first.Window(), nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(first.Window()) != 0; }));

  TMutex second;
  EXPECT_FALSE(second.CheckInstance(name, "TKVBANDFORM", mxRestore, "TessivarTicker"));
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(first.Window()); }));
}

TEST(WindowSearch, FindsClassInAnyCaseAndTitleByContainedPart) {
  std::string name = UniqueName("TessivarTest_Mutex");
  FirstCopy first(name, "TKVBANDFORM", "最新 TessivarTicker 版", true);
  ASSERT_NE(first.Window(), nullptr);

  EXPECT_EQ(FindWindowByClassAndTitle("tkvBandForm", "TessivarTicker"), first.Window());
  EXPECT_EQ(FindWindowByClassAndTitle("TKVBANDFORM", "最新"), first.Window());
  EXPECT_EQ(FindWindowByClassAndTitle("TKVBANDFORM", "Other"), nullptr);
  EXPECT_EQ(FindWindowByClassAndTitle("TKVBANDFORMX", "TessivarTicker"), nullptr);

  ASSERT_TRUE(WaitUntil([&] { return IsIconic(first.Window()) != 0; }));
  TMutex second;
  EXPECT_FALSE(second.CheckInstance(name, "tkvbandform", mxRestore, "TessivarTicker"));
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(first.Window()); }));
}

TEST(WindowSearch, EmptyClassSearchesNoWindow) {
  std::string name = UniqueName("TessivarTest_Mutex");
  FirstCopy first(name, "TKVBANDFORM", "TessivarTicker", true);
  ASSERT_NE(first.Window(), nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(first.Window()) != 0; }));

  TMutex second;
  EXPECT_FALSE(second.CheckInstance(name, "", mxRestore | mxOwnerToFront, "TessivarTicker"));
  // A restore is sent; once the window has served a later message, it had its turn.
  DWORD_PTR result = 0;
  ASSERT_NE(0, SendMessageTimeoutW(first.Window(), WM_NULL, 0, 0, SMTO_BLOCK, 5000, &result));
  EXPECT_TRUE(IsIconic(first.Window()));
}

TEST(WindowSearch, OwnerFlagRestoresTheMinimisedOwner) {
  std::string name = UniqueName("TessivarTest_Mutex");
  FirstCopy first(name, "TKVBANDFORM", "TessivarTicker", true, true);
  ASSERT_NE(first.Window(), nullptr);
  HWND owner = GetWindow(first.Window(), GW_OWNER);
  ASSERT_NE(owner, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(owner) != 0; }));

  TMutex second;
  EXPECT_FALSE(second.CheckInstance(name, "TKVBANDFORM", mxOwnerToFront, "TessivarTicker"));
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(owner); }));
}

TEST(WindowSearch, SecondTickerRestoresFirstAndEnds) {
  std::string name = UniqueName("TessivarTest_Mutex");
  FirstCopy first(name, "TKVBANDFORM", "TessivarTicker", true);
  ASSERT_NE(first.Window(), nullptr);
  ASSERT_TRUE(WaitUntil([&] { return IsIconic(first.Window()) != 0; }));

  ChildPlan second;
  second.action = "check";
  second.mutex = name;
  second.windowClass = "TKVBANDFORM";
  second.title = "TessivarTicker";
  second.flags = mxRestore | mxEndProcess;
  EXPECT_EQ(RunChild(second), 0);
  EXPECT_TRUE(WaitUntil([&] { return !IsIconic(first.Window()); }));
  EXPECT_TRUE(MutexExists(name));
}
