#include "shared/S_Resource.h"

#include "classlib/Text.h"

bool LoadPackageResource(HMODULE module, const std::string& name, std::string& bytes) {
  bytes.clear();
  std::wstring wide = SjisToWide(name);
  HRSRC found = FindResourceW(module, wide.c_str(), MAKEINTRESOURCEW(10));  // RT_RCDATA
  if (!found) return false;
  DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data || size == 0) return false;
  bytes.assign(static_cast<const char*>(data), size);
  return true;
}

ModuleHandle LoadDataModule(const std::string& path) {
  std::wstring wide = SjisToWide(path);
  return ModuleHandle(LoadLibraryExW(wide.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
}
