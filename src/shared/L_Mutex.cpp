#include "L_Mutex.h"

#include <cstdlib>

#include "S_FileUtils.h"
#include "S_string.h"
#include "Text.h"

namespace {

const char kDefaultMessage[] = "このアプリケーションは既に起動しています。";

// The program's own name, as the class library titles its message boxes.
std::wstring ApplicationTitle() { return SjisToWide(ProgramName()); }

// Static destructors (module clean-ups) run before the process goes.
[[noreturn]] void EndProcess() { std::exit(0); }

struct SearchState {
  std::wstring windowClass;
  std::string titlePart;
  HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* state = reinterpret_cast<SearchState*>(param);
  wchar_t buffer[256];
  int n = GetClassNameW(window, buffer, 255);
  if (n <= 0) return TRUE;
  buffer[n] = L'\0';
  if (lstrcmpiW(buffer, state->windowClass.c_str()) != 0) return TRUE;
  n = GetWindowTextW(window, buffer, 255);
  if (n < 0) n = 0;
  if (InStrChar(WideToSjis(buffer, n), state->titlePart) <= 0) return TRUE;
  state->found = window;
  return FALSE;
}

void Restore(HWND window) { SendMessageW(window, WM_SYSCOMMAND, SC_RESTORE, (LPARAM)-1); }

}  // namespace

TMutex::~TMutex() { ReleaseHandle(); }

void TMutex::ReleaseHandle() {
  if (!handle_) return;
  ReleaseMutex(handle_.get());
  handle_.reset();
}

bool TMutex::OpenOrCreate() {
  ReleaseHandle();
  std::wstring name = SjisToWide(MutexName);
  KernelHandle opened(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, name.c_str()));
  if (opened) return true;
  handle_.reset(CreateMutexW(nullptr, FALSE, name.c_str()));
  if (!handle_) {
    // A mutex of another user's session exists but may not be opened: that
    // copy runs all the same.
    return GetLastError() == ERROR_ACCESS_DENIED;
  }
  if (WaitForSingleObject(handle_.get(), 10000) == WAIT_TIMEOUT) EndProcess();
  return false;
}

bool TMutex::CheckInstance(const std::string& mutexName, const std::string& windowClass,
                           uint8_t flags, const std::string& windowTitle) {
  WindowClass = windowClass;
  WindowTitle = windowTitle;
  MutexName = mutexName;
  Flags = flags;
  if (!OpenOrCreate()) return true;

  if (Flags & mxBeep) MessageBeep(0);
  if (Flags & mxMessage) {
    std::wstring text = SjisToWide(MessageText.empty() ? kDefaultMessage : MessageText);
    MessageBoxW(nullptr, text.c_str(), ApplicationTitle().c_str(), MB_OK | MB_ICONINFORMATION);
  }

  HWND window = nullptr;
  if (!WindowClass.empty()) {
    std::wstring cls = SjisToWide(WindowClass);
    if (!WindowTitle.empty()) {
      window = FindWindowW(cls.c_str(), SjisToWide(WindowTitle).c_str());
      if (!window) window = FindWindowByClassAndTitle(WindowClass, WindowTitle);
    } else {
      window = FindWindowW(cls.c_str(), nullptr);
    }
  }

  if (window) {
    if (Flags & mxRestore) {
      SetForegroundWindow(window);
      if (!IsWindowVisible(window) || IsIconic(window)) Restore(window);
    } else if (Flags & mxOwnerToFront) {
      BringOwnerToFront(window);
      HWND parent = (HWND)GetWindowLongPtrW(window, GWLP_HWNDPARENT);
      if (parent && IsIconic(parent)) Restore(parent);
    }
  }

  if (Flags & mxEndProcess) EndProcess();
  return false;
}

TMutex& SingleInstanceGuard() {
  static TMutex guard;
  return guard;
}

bool CheckSingleInstance(const std::string& mutexName, const std::string& windowClass,
                         const std::string& windowTitle, uint8_t flags) {
  return SingleInstanceGuard().CheckInstance(mutexName, windowClass, flags, windowTitle);
}

bool MutexExists(const std::string& name) {
  KernelHandle opened(OpenMutexW(MUTEX_ALL_ACCESS, FALSE, SjisToWide(name).c_str()));
  return bool(opened);
}

HWND FindWindowByClassAndTitle(const std::string& windowClass, const std::string& titlePart) {
  SearchState state;
  state.windowClass = SjisToWide(windowClass);
  state.titlePart = titlePart;
  EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

void BringOwnerToFront(HWND window) {
  HWND owner = GetWindow(window, GW_OWNER);
  SetForegroundWindow(owner ? owner : window);
}
