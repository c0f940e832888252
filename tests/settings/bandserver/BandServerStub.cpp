// Stands in for the taskbar-band server in the registration tests: it marks
// its registration in a file beside itself, refuses when a file named
// "refuse" lies there and takes a second over it when one named "slow" does.
#include <windows.h>

#include <string>

namespace {

HMODULE g_self = nullptr;

std::wstring Beside(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(g_self, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.rfind(L'\\') + 1) + name;
}

bool Marked(const wchar_t* name) {
  return GetFileAttributesW(Beside(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_self = instance;
  return TRUE;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
  if (Marked(L"refuse")) return E_FAIL;
  if (Marked(L"slow")) Sleep(1000);
  HANDLE f = CreateFileW(Beside(L"registered").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return E_FAIL;
  CloseHandle(f);
  return S_OK;
}

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
  if (Marked(L"refuse")) return E_FAIL;
  DeleteFileW(Beside(L"registered").c_str());
  return S_OK;
}
