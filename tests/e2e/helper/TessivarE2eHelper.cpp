// Small chores the end-to-end tests need inside Wine: the product's own
// scrambling of an OEM key, holding a named mutex, and closing a message box.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

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
  HANDLE mutex = CreateMutexW(nullptr, TRUE, name.c_str());
  if (!mutex) return 2;
  WriteBytes(argv[3], "held");
  DWORD limit = static_cast<DWORD>(std::atoi(argv[5])) * 1000;
  DWORD start = GetTickCount();
  while (!Exists(argv[4]) && GetTickCount() - start < limit) Sleep(50);
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  return 0;
}

BOOL CALLBACK CollectText(HWND child, LPARAM out) {
  wchar_t text[1024];
  int n = GetWindowTextW(child, text, 1024);
  if (n > 0) *reinterpret_cast<std::string*>(out) += WideToSjis(text, n) + "\n";
  return TRUE;
}

// closebox <out file> <max seconds>: the information box's texts, then closes it.
int CloseBox(char** argv) {
  std::wstring title = SjisToWide("情報");
  DWORD limit = static_cast<DWORD>(std::atoi(argv[3])) * 1000;
  DWORD start = GetTickCount();
  while (GetTickCount() - start < limit) {
    HWND box = FindWindowW(nullptr, title.c_str());
    if (box) {
      Sleep(200);
      std::string texts;
      EnumChildWindows(box, CollectText, reinterpret_cast<LPARAM>(&texts));
      WriteBytes(argv[2], texts);
      PostMessageW(box, WM_CLOSE, 0, 0);
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

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "scramble" && argc == 4) return Scramble(argv);
  if (command == "hold" && argc == 6) return Hold(argv);
  if (command == "closebox" && argc == 4) return CloseBox(argv);
  std::fprintf(stderr, "usage: scramble TEXT OUT | hold MUTEX READY STOP SECONDS | closebox OUT SECONDS\n");
  return 64;
}
