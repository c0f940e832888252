// Small chores the end-to-end tests need inside Wine: the product's own
// scrambling of an OEM key, holding a named mutex or asking whether one
// exists, answering a message box, finding, capturing and messaging a
// program's top-level window, reading or switching the pages of a dialog,
// mouse and keyboard input, a registry value, taking a window's
// notification-area icon away, and waiting for menus, drop-down lists and a
// thread's move or menu loop.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "shared/Tessivar_Seihin.h"

namespace {

bool WriteBytes(const char* path, const std::string& bytes) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool Exists(const char* path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

// hold <mutex> <ready file> <stop file> <max seconds>
int Hold(char** argv) {
  std::wstring name = SjisToWide(argv[2]);
  KernelHandle mutex(CreateMutexW(nullptr, TRUE, name.c_str()));
  if (!mutex) return 2;
  WriteBytes(argv[3], "held");
  DWORD limit = static_cast<DWORD>(std::atoi(argv[5])) * 1000;
  DWORD start = GetTickCount();
  while (!Exists(argv[4]) && GetTickCount() - start < limit) Sleep(50);
  ReleaseMutex(mutex.get());
  return 0;
}

// mutex <name>: 0 when a mutex of that name exists, 1 when none does.
int MutexExists(char** argv) {
  KernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, SjisToWide(argv[2]).c_str()));
  return mutex ? 0 : GetLastError() == ERROR_FILE_NOT_FOUND ? 1 : 2;
}

BOOL CALLBACK CollectText(HWND child, LPARAM out) {
  wchar_t text[1024];
  int n = GetWindowTextW(child, text, 1024);
  if (n > 0) *reinterpret_cast<std::string*>(out) += WideToSjis(text, n) + "\n";
  return TRUE;
}

// Argument i as given: the narrow arguments lose what the ANSI code page
// cannot hold (a Japanese title).
std::wstring WideArg(int i) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring arg = argv && i < argc ? argv[i] : L"";
  LocalFree(argv);
  return arg;
}

// A window by its text: a visible box (the project's message form, class
// TForm, or a system message box) among the top-level windows, or any
// child window.
struct TextSearch {
  std::wstring text;
  bool box;
  HWND found;
  static BOOL CALLBACK Match(HWND w, LPARAM lp) {
    auto* q = reinterpret_cast<TextSearch*>(lp);
    wchar_t text[256];
    if (q->box && (!IsWindowVisible(w) || !GetClassNameW(w, text, 256) ||
                   (lstrcmpW(text, L"TForm") != 0 && lstrcmpW(text, L"#32770") != 0)))
      return TRUE;
    int n = GetWindowTextW(w, text, 256);
    if (std::wstring(text, n > 0 ? n : 0) != q->text) return TRUE;
    q->found = w;
    return FALSE;
  }
};

// closebox <out file> <max seconds> [<title> [<button>]]: the visible box
// with that title ("情報" when none is given), the project's message form or
// a system box: its title and the texts of its windowed children (the
// buttons and a system box's text; the project's message is painted), then
// clicks the button of that caption, or closes the box.
int CloseBox(int argc, char** argv) {
  TextSearch search{argc > 4 ? WideArg(4) : SjisToWide("情報"), true, nullptr};
  DWORD limit = static_cast<DWORD>(std::atoi(argv[3])) * 1000;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < limit) {
    EnumWindows(TextSearch::Match, reinterpret_cast<LPARAM>(&search));
    if (HWND box = search.found) {
      Sleep(200);
      std::string texts = WideToSjis(search.text) + "\n";
      EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&texts));
      WriteBytes(argv[2], texts);
      TextSearch button{argc > 5 ? WideArg(5) : std::wstring(), false, nullptr};
      if (argc > 5) EnumChildWindows(box, TextSearch::Match, reinterpret_cast<LPARAM>(&button));
      if (argc > 5 && !button.found) return 3;
      PostMessageW(button.found ? button.found : box, button.found ? BM_CLICK : WM_CLOSE, 0, 0);
      return 0;
    }
    Sleep(100);
  }
  return 1;
}

// scramble <text> <out file>; "\\0" in text stands for a NUL.
int Scramble(char** argv) {
  std::string text = argv[2];
  for (size_t p; (p = text.find("\\0")) != std::string::npos;) text.replace(p, 2, 1, '\0');
  return WriteBytes(argv[3], ScrambleText("C", text)) ? 0 : 2;
}

struct WindowQuery {
  std::wstring cls, title;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND w, LPARAM lp) {
  auto* q = reinterpret_cast<WindowQuery*>(lp);
  wchar_t buffer[256];
  if (!GetClassNameW(w, buffer, 256) || lstrcmpiW(buffer, q->cls.c_str()) != 0) return TRUE;
  int n = GetWindowTextW(w, buffer, 256);
  if (std::wstring(buffer, n) == q->title) q->found.push_back(w);
  return TRUE;
}

std::vector<HWND> FindWindowsW(const std::wstring& cls, const std::wstring& title) {
  WindowQuery q{cls, title, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&q));
  return q.found;
}

// window <class> <title> <out> <max seconds>: waits for a visible window and
// writes "count visible left top right bottom".
int Window(char** argv) {
  DWORD limit = static_cast<DWORD>(std::atoi(argv[5])) * 1000;
  DWORD start = GetTickCount();
  for (;;) {
    std::vector<HWND> found = FindWindowsW(WideArg(2), WideArg(3));
    if (!found.empty() && IsWindowVisible(found[0])) {
      RECT r;
      GetWindowRect(found[0], &r);
      char line[128];
      std::snprintf(line, sizeof line, "%u %d %ld %ld %ld %ld\n", (unsigned)found.size(),
                    IsWindowVisible(found[0]) ? 1 : 0, r.left, r.top, r.right, r.bottom);
      return WriteBytes(argv[4], line) ? 0 : 2;
    }
    if (GetTickCount() - start >= limit) {
      char line[32];
      std::snprintf(line, sizeof line, "%u 0 0 0 0 0\n", (unsigned)found.size());
      WriteBytes(argv[4], line);
      return 1;
    }
    Sleep(100);
  }
}

// The screen pixels of r as a 24-bit BMP file.
bool CaptureRect(const RECT& r, const char* path) {
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  WindowDC screen;
  MemoryDC mem(screen.get());
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;  // bottom-up, as BMP files keep it
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  BitmapHandle bmp(CreateDIBSection(screen.get(), &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
  SelectObjectScope use(mem.get(), bmp.get());
  BitBlt(mem.get(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY);
  GdiFlush();
  int stride = (w * 3 + 3) & ~3;
  BITMAPFILEHEADER fh = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + stride * h;
  std::string file(reinterpret_cast<const char*>(&fh), sizeof fh);
  file.append(reinterpret_cast<const char*>(&bi.bmiHeader), sizeof bi.bmiHeader);
  file.append(static_cast<const char*>(bits), (size_t)stride * h);
  return WriteBytes(path, file);
}

// capture <class> <title> <out.bmp>: the window's screen pixels as a 24-bit BMP.
int Capture(char** argv) {
  std::vector<HWND> found = FindWindowsW(WideArg(2), WideArg(3));
  if (found.empty()) return 1;
  RECT r;
  GetWindowRect(found[0], &r);
  return CaptureRect(r, argv[4]) ? 0 : 1;
}

// capturerect <left> <top> <right> <bottom> <out.bmp>: a part of the screen,
// for windows without a title of their own (menus).
int CaptureScreenRect(char** argv) {
  RECT r = {std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5])};
  return CaptureRect(r, argv[6]) ? 0 : 1;
}

std::string RectText(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  char line[96];
  std::snprintf(line, sizeof line, "%ld %ld %ld %ld", r.left, r.top, r.right, r.bottom);
  return line;
}

std::vector<HWND> VisibleTopLevel(const wchar_t* cls) {
  std::vector<HWND> found;
  for (HWND w = FindWindowExW(nullptr, nullptr, cls, nullptr); w;
       w = FindWindowExW(nullptr, w, cls, nullptr))
    if (IsWindowVisible(w)) found.push_back(w);
  return found;
}

// popups <count> <max seconds> <out>: waits until exactly count popup menus
// are on show and writes their rectangles, the last opened first; 1 when
// the count is not reached in time.
int Popups(char** argv) {
  const size_t count = static_cast<size_t>(std::atoi(argv[2]));
  DWORD limit = static_cast<DWORD>(std::atoi(argv[3])) * 1000;
  DWORD start = GetTickCount();
  for (;;) {
    std::vector<HWND> menus = VisibleTopLevel(L"#32768");
    if (menus.size() == count) {
      std::string out;
      for (HWND m : menus) out += RectText(m) + "\n";
      return WriteBytes(argv[4], out) ? 0 : 2;
    }
    if (GetTickCount() - start >= limit) return 1;
    Sleep(50);
  }
}

// lists <count> <max seconds> <out>: waits until exactly count top-level
// list boxes (drop-down lists) are on show and writes the items of each, one
// a line in UTF-8, the lists parted by an empty line.
int Lists(char** argv) {
  const size_t count = static_cast<size_t>(std::atoi(argv[2]));
  DWORD limit = static_cast<DWORD>(std::atoi(argv[3])) * 1000;
  DWORD start = GetTickCount();
  for (;;) {
    std::vector<HWND> lists = VisibleTopLevel(L"ListBox");
    if (lists.size() == count) {
      std::wstring all;
      for (HWND list : lists) {
        DWORD_PTR n = 0;
        SendMessageTimeoutW(list, LB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 5000, &n);
        for (DWORD_PTR i = 0; i < n && i < 1000; ++i) {
          wchar_t text[1024] = {};
          DWORD_PTR len = 0;
          SendMessageTimeoutW(list, LB_GETTEXTLEN, i, 0, SMTO_ABORTIFHUNG, 5000, &len);
          if (len < 1024)
            SendMessageTimeoutW(list, LB_GETTEXT, i, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &len);
          all += std::wstring(text) + L"\n";
        }
        all += L"\n";
      }
      int n = WideCharToMultiByte(CP_UTF8, 0, all.data(), (int)all.size(), nullptr, 0, nullptr,
                                  nullptr);
      std::string utf8((size_t)(n > 0 ? n : 0), '\0');
      if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, all.data(), (int)all.size(), &utf8[0], n, nullptr, nullptr);
      return WriteBytes(argv[4], utf8) ? 0 : 2;
    }
    if (GetTickCount() - start >= limit) return 1;
    Sleep(50);
  }
}

// thread <class> <title> <state> <max seconds>: waits until the thread of the
// window is in the state: "movesize" or "nomovesize" (a system move or size
// loop), "menu" or "nomenu" (menu mode), "capture" or "nocapture" (one of its
// windows has the mouse), "active" (the window is its thread's active
// window and it or a child of it has the focus: Wine sets the active window
// before the focus, and a key sent between goes to the old focus); 1 when it
// is not reached in time.
int ThreadState(char** argv) {
  const std::string state = argv[4];
  const bool negated = state.compare(0, 2, "no") == 0;
  const std::string what = negated ? state.substr(2) : state;
  const bool capture = what == "capture", active = what == "active";
  DWORD flag = what == "movesize" ? GUI_INMOVESIZE : what == "menu" ? GUI_INMENUMODE : 0;
  if (!flag && !capture && !active) return 64;
  std::vector<HWND> found = FindWindowsW(WideArg(2), WideArg(3));
  if (found.empty()) return 1;
  DWORD thread = GetWindowThreadProcessId(found[0], nullptr);
  auto in = [&](const GUITHREADINFO& i) {
    if (active)
      return i.hwndActive == found[0] && i.hwndFocus &&
             (i.hwndFocus == found[0] || IsChild(found[0], i.hwndFocus));
    if (capture) return i.hwndCapture != nullptr;
    return (i.flags & flag) != 0;
  };
  DWORD limit = static_cast<DWORD>(std::atoi(argv[5])) * 1000;
  DWORD start = GetTickCount();
  for (;;) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (GetGUIThreadInfo(thread, &info) && in(info) != negated) return 0;
    if (GetTickCount() - start >= limit) {
      // What the thread was left with, for the failure message. The cursor
      // is read back from X (no move for over 100 ms), so it tells where the
      // pointer really is, even where a move of ours did not take.
      wchar_t capture[128] = L"", active[128] = L"", focus[128] = L"";
      if (info.hwndCapture) GetClassNameW(info.hwndCapture, capture, 128);
      if (info.hwndActive) GetClassNameW(info.hwndActive, active, 128);
      if (info.hwndFocus) GetClassNameW(info.hwndFocus, focus, 128);
      POINT cursor = {};
      GetCursorPos(&cursor);
      std::printf("capture %ls, active %ls, focus %ls, flags %lx, cursor %ld,%ld\n", capture,
                  active, focus, info.flags, cursor.x, cursor.y);
      return 1;
    }
    Sleep(20);
  }
}

// send <class> <title> <message number> <wparam>: sends the message to every
// matching window (5 s limit each); 1 when there is none.
int Send(char** argv) {
  std::vector<HWND> found = FindWindowsW(WideArg(2), WideArg(3));
  if (found.empty()) return 1;
  UINT msg = static_cast<UINT>(std::strtoul(argv[4], nullptr, 0));
  WPARAM wp = static_cast<WPARAM>(std::strtoul(argv[5], nullptr, 0));
  for (HWND w : found) {
    DWORD_PTR result = 0;
    if (msg == WM_CLOSE)
      PostMessageW(w, msg, wp, 0);
    else
      SendMessageTimeoutW(w, msg, wp, 0, SMTO_ABORTIFHUNG, 5000, &result);
  }
  return 0;
}

struct ChildTexts {
  std::string out;
  HWND tabs = nullptr;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM lp) {
  auto* c = reinterpret_cast<ChildTexts*>(lp);
  wchar_t cls[64], text[512];
  GetClassNameW(child, cls, 64);
  if (lstrcmpiW(cls, L"SysTabControl32") == 0 && !c->tabs) c->tabs = child;
  if (!IsWindowVisible(child)) return TRUE;
  // A control's own text (an edit's contents) is only had by asking the control.
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(child, WM_GETTEXT, 512, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &n)) n = 0;
  c->out += WideToSjis(cls) + "\t" + WideToSjis(text, (int)n) + "\n";
  return TRUE;
}

ChildTexts ReadChildren(HWND window) {
  ChildTexts c;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&c));
  return c;
}

// dialog <class> <title> <tab> <out>: selects tab number <tab> of the
// window's tab control when it is 0 or more, then writes "tab <selected
// tab>" and a line "class TAB text" for every visible child window.
int Dialog(char** argv) {
  std::vector<HWND> found = FindWindowsW(WideArg(2), WideArg(3));
  if (found.empty()) {
    std::fprintf(stderr, "no window of class %s\n", argv[2]);
    return 1;
  }
  ChildTexts children = ReadChildren(found[0]);
  int tab = std::atoi(argv[4]);
  if (tab >= 0 && children.tabs) {
    // Arrow keys, as a user would press them: they raise the same
    // notifications as a click (item rectangles cannot be asked for from
    // another process).
    int steps = tab - (int)SendMessageW(children.tabs, TCM_GETCURSEL, 0, 0);
    for (int i = 0; i < (steps < 0 ? -steps : steps); ++i) {
      WPARAM key = steps < 0 ? VK_LEFT : VK_RIGHT;
      SendMessageW(children.tabs, WM_KEYDOWN, key, 0);
      SendMessageW(children.tabs, WM_KEYUP, key, 0);
    }
    Sleep(300);
    children = ReadChildren(found[0]);
  }
  int selected = children.tabs ? (int)SendMessageW(children.tabs, TCM_GETCURSEL, 0, 0) : -2;
  return WriteBytes(argv[5], "tab " + std::to_string(selected) + "\n" + children.out) ? 0 : 2;
}

// rects <class> <title> <out>: a line "class TAB text TAB left top right
// bottom" (screen coordinates) for every visible child window.
BOOL CALLBACK CollectRect(HWND child, LPARAM lp) {
  if (!IsWindowVisible(child)) return TRUE;
  wchar_t cls[64], text[512];
  GetClassNameW(child, cls, 64);
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(child, WM_GETTEXT, 512, (LPARAM)text, SMTO_ABORTIFHUNG, 5000, &n)) n = 0;
  // One line a window: the line breaks of a note become blanks.
  for (DWORD_PTR i = 0; i < n; ++i)
    if (text[i] == L'\r' || text[i] == L'\n') text[i] = L' ';
  *reinterpret_cast<std::string*>(lp) +=
      WideToSjis(cls) + "\t" + WideToSjis(text, (int)n) + "\t" + RectText(child) + "\n";
  return TRUE;
}

int Rects(char** argv) {
  std::vector<HWND> found = FindWindowsW(WideArg(2), WideArg(3));
  if (found.empty()) return 1;
  std::string out;
  EnumChildWindows(found[0], CollectRect, reinterpret_cast<LPARAM>(&out));
  return WriteBytes(argv[4], out) ? 0 : 2;
}

// click <x> <y> <left|right>: a mouse click at screen coordinates.
int Click(char** argv) {
  const int x = std::atoi(argv[2]), y = std::atoi(argv[3]);
  const bool right = std::string(argv[4]) == "right";
  SetCursorPos(x, y);
  INPUT in[2] = {};
  for (INPUT& i : in) i.type = INPUT_MOUSE;
  in[0].mi.dwFlags = right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP;
  SendInput(2, in, sizeof(INPUT));
  return 0;
}

void KeyInput(std::vector<INPUT>& out, WORD vk, bool up) {
  INPUT i = {};
  i.type = INPUT_KEYBOARD;
  i.ki.wVk = vk;
  i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  out.push_back(i);
}

// keys <key>...: each key pressed and released; a key is a virtual-key
// number, optionally after "alt+", "shift+" or "ctrl+".
int Keys(int argc, char** argv) {
  for (int a = 2; a < argc; ++a) {
    std::string key = argv[a];
    std::vector<WORD> modifiers;
    for (auto m : {std::make_pair("alt+", VK_MENU), std::make_pair("shift+", VK_SHIFT),
                   std::make_pair("ctrl+", VK_CONTROL)})
      if (key.compare(0, strlen(m.first), m.first) == 0) {
        modifiers.push_back((WORD)m.second);
        key = key.substr(strlen(m.first));
      }
    std::vector<INPUT> in;
    for (WORD m : modifiers) KeyInput(in, m, false);
    WORD vk = (WORD)std::strtoul(key.c_str(), nullptr, 0);
    KeyInput(in, vk, false);
    KeyInput(in, vk, true);
    for (auto m = modifiers.rbegin(); m != modifiers.rend(); ++m) KeyInput(in, *m, true);
    SendInput((UINT)in.size(), in.data(), sizeof(INPUT));
    Sleep(100);
  }
  return 0;
}

// type <file>: the UTF-8 text of the file typed as characters.
int Type(char** argv) {
  FILE* f = std::fopen(argv[2], "rb");
  if (!f) return 2;
  std::string bytes;
  char buffer[4096];
  for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) bytes.append(buffer, n);
  std::fclose(f);
  int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
  std::wstring text((size_t)n, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), &text[0], n);
  for (wchar_t c : text) {
    INPUT in[2] = {};
    for (INPUT& i : in) {
      i.type = INPUT_KEYBOARD;
      i.ki.wScan = c;
      i.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    in[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    Sleep(20);
  }
  return 0;
}

// regget <key under HKEY_CURRENT_USER> <value> <out>: the string value as
// UTF-8; exit code 1 when it is missing.
int RegGet(char** argv) {
  RegistryKey key;
  std::wstring path = SjisToWide(argv[2]), name = SjisToWide(argv[3]);
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
    return 1;
  wchar_t data[2048] = {};
  DWORD size = sizeof data - sizeof(wchar_t), type = 0;
  if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, (BYTE*)data, &size) !=
      ERROR_SUCCESS)
    return 1;
  int n = WideCharToMultiByte(CP_UTF8, 0, data, -1, nullptr, 0, nullptr, nullptr);
  std::string utf8((size_t)n, '\0');
  WideCharToMultiByte(CP_UTF8, 0, data, -1, &utf8[0], n, nullptr, nullptr);
  utf8.resize(strlen(utf8.c_str()));
  return WriteBytes(argv[4], utf8) ? 0 : 2;
}

// pointer <x> <y> <move|down|up|middle|wheel:N>: the mouse pointer put at
// screen coordinates, then nothing more, the left button pressed or let go,
// a middle click or N wheel notches (N > 0: away from the user).
int Pointer(char** argv) {
  SetCursorPos(std::atoi(argv[2]), std::atoi(argv[3]));
  std::string action = argv[4];
  INPUT in[2] = {};
  for (INPUT& i : in) i.type = INPUT_MOUSE;
  if (action == "middle") {
    in[0].mi.dwFlags = MOUSEEVENTF_MIDDLEDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_MIDDLEUP;
    return SendInput(2, in, sizeof(INPUT)) == 2 ? 0 : 2;
  }
  if (action == "down" || action == "up") {
    in[0].mi.dwFlags = action == "down" ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    return SendInput(1, in, sizeof(INPUT)) == 1 ? 0 : 2;
  }
  if (action.compare(0, 6, "wheel:") == 0) {
    in[0].mi.dwFlags = MOUSEEVENTF_WHEEL;
    in[0].mi.mouseData = (DWORD)(std::atoi(action.c_str() + 6) * WHEEL_DELTA);
    return SendInput(1, in, sizeof(INPUT)) == 1 ? 0 : 2;
  }
  in[0].mi.dwFlags = MOUSEEVENTF_MOVE;  // a move of nothing: the window hears of the new place
  return SendInput(1, in, sizeof(INPUT)) == 1 ? 0 : 2;
}

// post <class> <title> <message> <wparam> <lparam>: posts to every matching
// window; a message that is no number is the name of a registered message.
int Post(char** argv) {
  std::vector<HWND> found = FindWindowsW(WideArg(2), WideArg(3));
  if (found.empty()) return 1;
  char* end = nullptr;
  UINT msg = static_cast<UINT>(std::strtoul(argv[4], &end, 0));
  if (end == argv[4]) msg = RegisterWindowMessageW(WideArg(4).c_str());
  WPARAM wp = static_cast<WPARAM>(std::strtoul(argv[5], nullptr, 0));
  LPARAM lp = static_cast<LPARAM>(std::strtoul(argv[6], nullptr, 0));
  for (HWND w : found) PostMessageW(w, msg, wp, lp);
  return 0;
}

// untray <class> <title>: takes icon 1 of the window out of the notification
// area, as a restarted taskbar would have lost it.
int Untray() {
  std::vector<HWND> found = FindWindowsW(WideArg(2), WideArg(3));
  if (found.empty()) return 1;
  NOTIFYICONDATAW d = {};
  d.cbSize = sizeof d;
  d.hWnd = found[0];
  d.uID = 1;
  return Shell_NotifyIconW(NIM_DELETE, &d) ? 0 : 2;
}

// texts <class> <out>: the captions of the visible windows of the class, one
// a line, UTF-8.
int Texts(char** argv) {
  std::wstring cls = WideArg(2), all;
  for (HWND w = FindWindowExW(nullptr, nullptr, cls.c_str(), nullptr); w;
       w = FindWindowExW(nullptr, w, cls.c_str(), nullptr)) {
    if (!IsWindowVisible(w)) continue;
    wchar_t text[4096];
    int n = GetWindowTextW(w, text, 4096);
    all += std::wstring(text, n) + L"\n";
  }
  int n =
      WideCharToMultiByte(CP_UTF8, 0, all.data(), (int)all.size(), nullptr, 0, nullptr, nullptr);
  std::string utf8((size_t)(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(CP_UTF8, 0, all.data(), (int)all.size(), &utf8[0], n, nullptr, nullptr);
  return WriteBytes(argv[3], utf8) ? 0 : 2;
}

// regdel <key under HKEY_CURRENT_USER> <value>: removes the value.
int RegDel(char** argv) {
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, SjisToWide(argv[2]).c_str(), 0, KEY_SET_VALUE, key.put()) !=
      ERROR_SUCCESS)
    return 1;
  return RegDeleteValueW(key.get(), SjisToWide(argv[3]).c_str()) == ERROR_SUCCESS ? 0 : 1;
}

int Run(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "scramble" && argc == 4) return Scramble(argv);
  if (command == "hold" && argc == 6) return Hold(argv);
  if (command == "mutex" && argc == 3) return MutexExists(argv);
  if (command == "closebox" && argc >= 4 && argc <= 6) return CloseBox(argc, argv);
  if (command == "window" && argc == 6) return Window(argv);
  if (command == "capture" && argc == 5) return Capture(argv);
  if (command == "send" && argc == 6) return Send(argv);
  if (command == "dialog" && argc == 6) return Dialog(argv);
  if (command == "click" && argc == 5) return Click(argv);
  if (command == "keys" && argc >= 3) return Keys(argc, argv);
  if (command == "type" && argc == 3) return Type(argv);
  if (command == "regget" && argc == 5) return RegGet(argv);
  if (command == "pointer" && argc == 5) return Pointer(argv);
  if (command == "post" && argc == 7) return Post(argv);
  if (command == "untray" && argc == 4) return Untray();
  if (command == "texts" && argc == 4) return Texts(argv);
  if (command == "regdel" && argc == 4) return RegDel(argv);
  if (command == "capturerect" && argc == 7) return CaptureScreenRect(argv);
  if (command == "popups" && argc == 5) return Popups(argv);
  if (command == "lists" && argc == 5) return Lists(argv);
  if (command == "thread" && argc == 6) return ThreadState(argv);
  if (command == "rects" && argc == 5) return Rects(argv);
  std::fprintf(
      stderr,
      "usage: scramble TEXT OUT | hold MUTEX READY STOP SECONDS |"
      " closebox OUT SECONDS [TITLE [BUTTON]] | window CLASS TITLE OUT SECONDS |"
      " capture CLASS TITLE OUT.BMP | send CLASS TITLE MESSAGE WPARAM |"
      " dialog CLASS TITLE TAB OUT | click X Y left|right | keys KEY... | type FILE |"
      " regget KEY VALUE OUT | regdel KEY VALUE | pointer X Y move|down|up|middle|wheel:N |"
      " post CLASS TITLE MESSAGE WPARAM LPARAM | untray CLASS TITLE | texts CLASS OUT |"
      " capturerect LEFT TOP RIGHT BOTTOM OUT.BMP | popups COUNT SECONDS OUT |"
      " lists COUNT SECONDS OUT | thread CLASS TITLE STATE SECONDS | rects CLASS TITLE OUT\n");
  return 64;
}

}  // namespace

// The last line tells a chore that ended by itself from a run Wine ended
// before it answered, which the tests run again.
int main(int argc, char** argv) {
  int rc = Run(argc, argv);
  std::printf("\nhelper exit %d\n", rc);
  std::fflush(stdout);
  return rc;
}
