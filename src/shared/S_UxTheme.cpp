#include "S_UxTheme.h"

#include <vector>

#include "S_FileUtils.h"
#include "classlib/Handles.h"

namespace {

struct ThemeLibrary {
  bool themingSwitch = IsWindowsXPOrLater();
  bool bound = false;
  bool manifest = false;
  ModuleHandle module;
  TUxThemeApi api;
};

ThemeLibrary& Lib() {
  static ThemeLibrary lib;
  return lib;
}

int themesInUseForTest = -1;
int comCtlVersionForTest = -1;

bool ManifestBesideProgram() {
  std::string program = GetModulePath();
  return !program.empty() && FileExists(program + ".manifest");
}

template <class F>
void Bind(HMODULE m, F& f, const char* name) {
  f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

}  // namespace

Currency WindowsVersionNumber() {
  const TWindowsVersion v = WindowsVersion();
  return StrToCurrLoose(std::to_string(v.Major) + "." + std::to_string(v.Minor));
}

bool IsWindowsXPOrLater() { return WindowsVersion().NtFamily && WindowsVersionNumber() > 50100; }

void BindUxTheme() {
  ThemeLibrary& lib = Lib();
  lib.bound = true;
  if (!lib.manifest) {
    HMODULE self = GetModuleHandleW(nullptr);
    lib.manifest = FindResourceW(self, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)) ||
                   FindResourceW(self, MAKEINTRESOURCEW(2), MAKEINTRESOURCEW(24)) || ManifestBesideProgram();
  }
  if (!lib.manifest || lib.module) return;
  lib.module.reset(LoadLibraryW(L"UXTHEME.DLL"));
  if (!lib.module) return;
  TUxThemeApi& a = lib.api;
  Bind(lib.module.get(), a.IsThemeActive, "IsThemeActive");
  Bind(lib.module.get(), a.IsAppThemed, "IsAppThemed");
  Bind(lib.module.get(), a.OpenThemeData, "OpenThemeData");
  Bind(lib.module.get(), a.CloseThemeData, "CloseThemeData");
  Bind(lib.module.get(), a.DrawThemeBackground, "DrawThemeBackground");
  Bind(lib.module.get(), a.DrawThemeText, "DrawThemeText");
  Bind(lib.module.get(), a.DrawThemeLine, "DrawThemeLine");
  Bind(lib.module.get(), a.DrawThemeEdge, "DrawThemeEdge");
  Bind(lib.module.get(), a.DrawThemeBorder, "DrawThemeBorder");
  Bind(lib.module.get(), a.DrawThemeIcon, "DrawThemeIcon");
  Bind(lib.module.get(), a.GetThemeColor, "GetThemeColor");
  Bind(lib.module.get(), a.SetWindowTheme, "SetWindowTheme");
  Bind(lib.module.get(), a.GetThemeInt, "GetThemeInt");
}

void SetThemesInUseForTest(int inUse) { themesInUseForTest = inUse; }
void SetComCtl32VersionForTest(int version) { comCtlVersionForTest = version; }

bool ThemesInUse() {
  if (themesInUseForTest >= 0) return themesInUseForTest != 0;
  ThemeLibrary& lib = Lib();
  if (!lib.themingSwitch) return false;
  if (!lib.bound) BindUxTheme();
  if (!lib.manifest || !lib.module) return false;
  return lib.api.IsThemeActive && lib.api.IsThemeActive() && lib.api.IsAppThemed && lib.api.IsAppThemed();
}

bool ProgramHasManifest() { return Lib().manifest; }
bool UxThemeLoaded() { return bool(Lib().module); }

const TUxThemeApi& UxThemeApi() {
  ThemeLibrary& lib = Lib();
  if (lib.themingSwitch && !lib.bound) BindUxTheme();
  return lib.api;
}

int ComCtl32Version() {
  if (comCtlVersionForTest >= 0) return comCtlVersionForTest;
  static int version = -1;
  if (version >= 0) return version;
  version = 0;
  // The loaded library is the one that counts (side-by-side version 6 with a manifest).
  wchar_t path[MAX_PATH] = L"comctl32.dll";
  if (HMODULE m = GetModuleHandleW(L"comctl32.dll")) GetModuleFileNameW(m, path, MAX_PATH);
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (!size) return version;
  std::vector<unsigned char> data(size);
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (GetFileVersionInfoW(path, 0, size, data.data()) &&
      VerQueryValueW(data.data(), L"\\", (void**)&info, &len) && info && len >= sizeof *info)
    version = (int)info->dwFileVersionMS;
  return version;
}

bool IsComCtl6() {
  if (comCtlVersionForTest >= 0) return comCtlVersionForTest > 0x5FFFF;
  static int known = -1;
  if (known < 0) known = ComCtl32Version() > 0x5FFFF ? 1 : 0;
  return known == 1;
}

int TextLengthForComCtl(const std::string& text, int comCtlVersion) {
  return comCtlVersion > 0x5FFFF ? CharCount(text) : (int)text.size();
}

int TextLengthForMax(const std::string& text) { return IsComCtl6() ? CharCount(text) : (int)text.size(); }

void DrawThemePart(HWND wnd, HDC dc, const wchar_t* themeClass, int part, int state, const RECT& r) {
  const TUxThemeApi& a = UxThemeApi();
  if (!a.OpenThemeData || !a.DrawThemeBackground || !a.CloseThemeData) return;
  HTHEME theme = a.OpenThemeData(wnd, themeClass);
  if (!theme) return;
  a.DrawThemeBackground(theme, dc, part, state, &r, nullptr);
  a.CloseThemeData(theme);
}
