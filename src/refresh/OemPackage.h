// The OEM package: a resource-only module beside the program that carries a
// distributor's settings, logo and lists, and its download from the OEM
// folder on the web.
#pragma once
#include <string>

#include <windows.h>

#include "shared/S_Resource.h"  // LoadPackageResource

extern const char OemPackageFileName[];    // "TessivarOrvanel.hddef"
extern const char OemFileName[];           // "TessivarOrvanel.oem"
extern const char SearchEngineFileName[];  // "TessivarOrvanel.cst"

// mode 0: OEMFILE into the OEM values (then the folders are settled), the
// logo and, with custFile > 0, CSTFILE as ProgramFolder's engine list.
// mode 1: DEFFILE as the feed list, when it holds feed lines. Both skip the
// files when the OEM date has ended the branding. True when OEMFILE (mode 0)
// or a feed list (mode 1) was taken; a beep on failure.
bool ReadOemPackage(const std::string& path, int mode);

// The package's logo for the version page; null when there is none.
HBITMAP OemLogoBitmap();

// Up to 3 tries (200 ms apart) to fetch url, which must be an http: or
// https: address, without redirects; a body of at least one byte is saved as
// target (folder, when given, is created first). No try starts once 60 s
// have gone. Never raises.
bool DownloadToFile(const std::string& url, const std::string& target, const std::string& folder);

// Fetches the package from OemFolder into ProgramFolder (read with load; an
// OemFolder that is no program download address gives no package), else
// the loose OEM file into OemDataFolder (read with load) and the loose
// pictures and list whose Graphic value is 2. elevated (the update's run)
// takes the loose files, too, only from a program download address.
// Failures are silent.
void DownloadOemPackage(bool load, bool elevated);

// Tests shorten the pause between download tries.
void SetDownloadRetryPauseForTest(unsigned milliseconds);
void SetDownloadBudgetForTest(unsigned milliseconds);
