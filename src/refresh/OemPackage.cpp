#include "OemPackage.h"

#include <cstdint>
#include <cstring>
#include <memory>

#include "DefaultFiles.h"
#include "FeedFiles.h"
#include "HttpFetch.h"
#include "MakerSite.h"
#include "classlib/Guard.h"
#include "classlib/Handles.h"
#include "classlib/Streams.h"
#include "classlib/Text.h"
#include "shared/S_FileUtils.h"
#include "shared/S_Resource.h"
#include "shared/S_string.h"
#include "shared/Tessivar_Seihin.h"

const char OemPackageFileName[] = "TessivarOrvanel.hddef";
const char OemFileName[] = "TessivarOrvanel.oem";
const char SearchEngineFileName[] = "TessivarOrvanel.cst";

namespace {

unsigned downloadRetryPause = 200;
// A server that lets every try run into the fetch's deadline gets no
// further tries once this much time has gone, so one download stays bounded.
unsigned downloadBudget = DefaultFetchLimits().TotalMs;

BitmapHandle logoBitmap;

// Whether the colour table and the pixel rows that the header announces lie
// inside the bytes. Compressed bitmaps are not taken: their size cannot be
// told from the header.
bool DibFitsItsBytes(const std::string& bytes, const BITMAPFILEHEADER& file,
                     const BITMAPINFOHEADER& header) {
  const int bits = header.biBitCount;
  if (header.biPlanes != 1 || header.biWidth <= 0 || header.biHeight == 0 ||
      !(bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32))
    return false;
  if (header.biCompression != BI_RGB && header.biCompression != BI_BITFIELDS) return false;
  uint64_t tableEnd = sizeof file + uint64_t(header.biSize);
  if (header.biCompression == BI_BITFIELDS && header.biSize == sizeof(BITMAPINFOHEADER))
    tableEnd += 3 * sizeof(DWORD);
  uint64_t colours = header.biClrUsed ? header.biClrUsed : bits <= 8 ? 1u << bits : 0;
  tableEnd += colours * sizeof(RGBQUAD);
  const uint64_t rowBytes = (uint64_t(header.biWidth) * bits + 31) / 32 * 4;
  const uint64_t rows = header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight;
  return tableEnd <= bytes.size() && file.bfOffBits + rowBytes * rows <= bytes.size();
}

// A Windows bitmap file held in memory; null when the bytes are not one.
HBITMAP BitmapFromFileBytes(const std::string& bytes) {
  if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPFILEHEADER file;
  memcpy(&file, bytes.data(), sizeof file);
  const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes.data() + sizeof file);
  if (file.bfType != 0x4D42 || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) ||
      file.bfOffBits >= bytes.size() || file.bfOffBits < sizeof file + info->bmiHeader.biSize ||
      !DibFitsItsBytes(bytes, file, info->bmiHeader))
    return nullptr;
  WindowDC screen;
  if (!screen) return nullptr;
  return CreateDIBitmap(screen.get(), &info->bmiHeader, CBM_INIT, bytes.data() + file.bfOffBits,
                        info, DIB_RGB_COLORS);
}

bool BrandingEnded() { return TickerSettings.OemDateMode != 0 && TickerSettings.OemDateFlag; }

bool LooksLikeModule(const std::string& body) { return body.compare(0, 2, "MZ") == 0; }

bool DownloadToFileIf(const std::string& url, const std::string& target, const std::string& folder,
                      bool (*accept)(const std::string&)) {
  if (!IsWebAddress(url)) return false;
  const ULONGLONG start = GetTickCount64();
  for (int attempt = 0; attempt < 3; ++attempt) {
    // A failure counts as a failed try; the next one follows the pause.
    bool saved = false;
    Guard("file download", [&] {
      FetchResult fetched = FetchUrl(url, true, "");
      if (!fetched.Body.empty() && (!accept || accept(fetched.Body))) {
        if (!folder.empty()) ForceFolder(DelBackslash(folder));
        saved = SaveDataFile(target, fetched.Body);
      }
    });
    if (saved) return true;
    if (GetTickCount64() - start >= downloadBudget) break;
    if (attempt < 2) Sleep(downloadRetryPause);
  }
  return false;
}

}  // namespace

bool ReadOemPackage(const std::string& path, int mode) {
  bool result = false;
  if (!FileExists(path)) return false;
  const bool read = Guard("OEM package", [&] {
    ModuleHandle module = LoadDataModule(path);
    if (!module) {
      MessageBeep(MB_OK);
      return;
    }
    std::string bytes;
    if (mode == 0) {
      if (LoadPackageResource(module.get(), "OEMFILE", bytes)) {
        result = true;
        TMemoryStream settings(bytes);
        LoadOemIni("", &settings);
        InitDataFolders();
      }
      if (!BrandingEnded()) {
        if (TickerSettings.logoFile > 0 && LoadPackageResource(module.get(), "LOGOFILE", bytes)) {
          if (HBITMAP logo = BitmapFromFileBytes(bytes)) logoBitmap.reset(logo);
        }
        if (TickerSettings.custFile > 0 && LoadPackageResource(module.get(), "CSTFILE", bytes))
          SaveDataFile(GetProgramFolder() + SearchEngineFileName, bytes);
      }
    } else if (mode == 1 && !BrandingEnded()) {
      // The package may have come from the web: only web feeds are taken.
      if (LoadPackageResource(module.get(), "DEFFILE", bytes) &&
          SaveIfFeedList(bytes, true, DataFolder + FeedListFileName))
        result = true;
    }
  });
  if (!read) MessageBeep(MB_OK);
  return result;
}

HBITMAP OemLogoBitmap() { return logoBitmap.get(); }

bool DownloadToFile(const std::string& url, const std::string& target, const std::string& folder) {
  return DownloadToFileIf(url, target, folder, nullptr);
}

void DownloadOemPackage(bool load, bool elevated) {
  // Whatever was not fetched stays as before; the next start tries again.
  Guard("OEM download", [&] {
    const std::string oemFolder = TickerSettings.OemFolder;
    const std::string package = GetProgramFolder() + OemPackageFileName;
    // An error page saved as the package would beep at every start and hide
    // the loose OEM file: only a module is taken, and only over https.
    const std::string packageUrl = oemFolder + OemPackageFileName;
    if (IsProgramDownloadAddress(packageUrl) &&
        DownloadToFileIf(packageUrl, package, "", LooksLikeModule)) {
      if (load) ReadOemPackage(package, 0);
      return;
    }
    // Written with administrator rights, the loose files set the addresses
    // and pictures of every user: they follow the package's rule then.
    if (elevated && !IsProgramDownloadAddress(oemFolder)) return;
    const std::string oemFile = OemDataFolder + OemFileName;
    if (!DownloadToFile(oemFolder + OemFileName, oemFile, OemDataFolder)) return;
    if (load) {
      LoadOemIni(oemFile);
      InitDataFolders();
    }
    // pauseFile governs "back.bmp" and backFile "pause.bmp", as the ticker reads them.
    const struct {
      int key;
      const char* name;
      bool inProgramFolder;
    } loose[] = {
        {TickerSettings.custFile, SearchEngineFileName, true},
        {TickerSettings.playFile, "play.bmp", false},
        {TickerSettings.pauseFile, "back.bmp", false},
        {TickerSettings.backFile, "pause.bmp", false},
        {TickerSettings.searchFile, "search.bmp", false},
        {TickerSettings.skinFile, "skin.bmp", false},
        {TickerSettings.logoFile, "logo.bmp", false},
    };
    for (const auto& file : loose) {
      if (file.key != 2) continue;
      if (file.inProgramFolder)
        DownloadToFile(oemFolder + file.name, GetProgramFolder() + file.name, "");
      else
        DownloadToFile(oemFolder + file.name, OemDataFolder + file.name, OemDataFolder);
    }
  });
}

void SetDownloadRetryPauseForTest(unsigned milliseconds) { downloadRetryPause = milliseconds; }
void SetDownloadBudgetForTest(unsigned milliseconds) { downloadBudget = milliseconds; }
