// Reading RCDATA resources out of a module: the running program's embedded
// default files, and OEM packages loaded as data files.
#pragma once
#include <memory>
#include <string>

#include <windows.h>

// Copies the RCDATA resource name of module (nullptr: the running program)
// into bytes; true when it exists and is not empty.
bool LoadPackageResource(HMODULE module, const std::string& name, std::string& bytes);

struct ModuleFreer {
  void operator()(HINSTANCE__* m) const { FreeLibrary(m); }
};
using OwnedModule = std::unique_ptr<HINSTANCE__, ModuleFreer>;

// The file loaded as a data file (resources only, no code runs); null on failure.
OwnedModule LoadDataModule(const std::string& path);
