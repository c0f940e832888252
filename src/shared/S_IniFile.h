// Opening and saving the settings-style ini files of the system.
#pragma once
#include <memory>
#include <string>

#include "classlib/IniFiles.h"

// An in-memory ini of the whole file, tried 3 times with 200 ms pauses; after
// that an ini that works straight on the file. A missing file is an empty ini.
std::unique_ptr<TCustomIniFile> OpenIniFile(const std::string& fileName);

// Writes an in-memory ini to its file: the text goes to a temporary file in
// the same folder, is flushed, and then replaces the file, so a failed save
// leaves the previous file as it was. The direct kind is flushed. False when
// the save failed; never throws.
bool SaveIniFile(TCustomIniFile& ini);
