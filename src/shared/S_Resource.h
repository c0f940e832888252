// Reading RCDATA resources out of a module: the running program's embedded
// default files, and OEM packages loaded as data files.
#pragma once
#include <string>

#include <windows.h>

#include "classlib/Handles.h"

// Copies the RCDATA resource name of module (nullptr: the running program)
// into bytes; true when it exists and is not empty.
bool LoadPackageResource(HMODULE module, const std::string& name, std::string& bytes);

// The file loaded as a data file (resources only, no code runs); null on failure.
ModuleHandle LoadDataModule(const std::string& path);
