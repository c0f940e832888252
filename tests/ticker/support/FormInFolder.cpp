#include "support/FormInFolder.h"

#include <windows.h>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "common/TestFiles.h"
#include "common/TestMessages.h"
#include "shared/S_FileUtils.h"
#include "shared/S_string.h"
#include "support/TickerScratch.h"

namespace {

const wchar_t kInFolderVar[] = L"TESSIVAR_FORM_IN_FOLDER";

// The copy's exit code, and its report in output.
long RunInPrivateFolder(const std::string& filter, bool bandServer,
                        const std::vector<TFolderFile>& files, std::string& output) {
  static int counter = 0;
  std::string folder = TempFolderPath() + "TessivarFormCopy_" +
                       std::to_string(GetCurrentProcessId()) + "_" + std::to_string(++counter) +
                       "\\";
  RemoveTree(folder);
  ForceFolder(DelBackslash(folder));
  std::string exe = folder + ExtractFileName(GetModulePath());
  if (!CopyFileSJ(GetModulePath(), exe, false)) return -3;
  if (bandServer) WriteWholeFile(folder + "TessivarOrvanel32.dll", "MZ");
  for (const TFolderFile& f : files)
    if (!CopyFileSJ(f.Source, folder + f.Name, false)) return -4;
  std::string report = folder + "report.txt";

  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  KernelHandle out(CreateFileW(SjisToWide(report).c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                               CREATE_ALWAYS, 0, nullptr));
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nullptr;
  si.hStdOutput = si.hStdError = out.get();
  std::wstring cmd = L"\"" + SjisToWide(exe) +
                     L"\" --gtest_color=no --gtest_also_run_disabled_tests --gtest_filter=" +
                     SjisToWide(filter);
  SetEnvironmentVariableW(kInFolderVar, L"1");
  PROCESS_INFORMATION pi = {};
  BOOL started = CreateProcessW(SjisToWide(exe).c_str(), &cmd[0], nullptr, nullptr, TRUE, 0,
                                nullptr, SjisToWide(folder).c_str(), &si, &pi);
  SetEnvironmentVariableW(kInFolderVar, nullptr);
  out.reset();
  long code = -2;
  if (started) {
    KernelHandle process(pi.hProcess), thread(pi.hThread);
    if (WaitForSingleObject(process.get(), 240000) == WAIT_OBJECT_0) {
      DWORD c = 0;
      GetExitCodeProcess(process.get(), &c);
      code = (long)c;
    } else {
      TerminateProcess(process.get(), 99);
      WaitForSingleObject(process.get(), 5000);
      code = -1;
    }
  }
  output = ReadWholeFile(report);
  // The copy's image may stay locked for a moment after it ended.
  WaitUntil(
      [&] {
        RemoveTree(folder);
        return !DirectoryExists(DelBackslash(folder));
      },
      3000);
  return code;
}

}  // namespace

std::wstring EnvW(const wchar_t* name) {
  wchar_t buffer[1024];
  DWORD n = GetEnvironmentVariableW(name, buffer, 1024);
  if (n == 0 || n >= 1024) return std::wstring();
  return std::wstring(buffer, n);
}

void ExpectPassedInPrivateFolder(const std::string& filter, bool bandServer,
                                 const std::vector<TFolderFile>& files) {
  std::string output;
  long code = RunInPrivateFolder(filter, bandServer, files, output);
  EXPECT_EQ(code, 0) << output;
  EXPECT_NE(output.find("[  PASSED  ]"), std::string::npos) << output;
  EXPECT_EQ(output.find("[  SKIPPED ]"), std::string::npos) << output;
  EXPECT_EQ(output.find("[  PASSED  ] 0 tests"), std::string::npos) << output;
}

void InFolder::SetUp() {
  if (EnvW(kInFolderVar) != L"1") GTEST_SKIP() << "runs in a private copy of the program";
  static int counter = 0;
  TickerSettings = TTickerSettings();
  OemDataFolder = GetProgramFolder() + "OEM\\";
  RemoveTree(OemDataFolder);
  ForceFolder(DelBackslash(OemDataFolder));
  base_ = GetProgramFolder() + "case" + std::to_string(++counter) + "\\";
  ForceFolder(base_ + "AppData");
  ForceFolder(base_ + "Profile\\AppData\\LocalLow");
  SetDataFolderBasesForTest(base_ + "AppData", base_ + "Profile");
  // The folders the window will settle on (the OEM file keeps LocalPath).
  InitDataFoldersAt(base_ + "AppData", base_ + "Profile");
  ForceFolder(DataFolder + "Graphic");
}

void InFolder::TearDown() {
  if (form) form->FormDestroy(form.get());
  form.reset();
  SetDataFolderBasesForTest("", "");
  if (!base_.empty()) RemoveTree(base_);
  RemoveTree(OemDataFolder);
  TickerSettings = TTickerSettings();
}

void InFolder::Oem(const std::string& name, const std::string& bytes) {
  WriteWholeFile(OemDataFolder + name, bytes);
}

void InFolder::Settings(const std::string& text) { WriteWholeFile(TickerIniPath, text); }

TKvBandForm& InFolder::Create() {
  form = std::make_unique<TKvBandForm>();
  form->DoCreate();
  form->Display.OnStartRefresh = [this] { ++refreshes; };
  return *form;
}

std::string InFolder::TickerFile() const { return DataFolder + "TessivarOrvanel.tic"; }

void InFolder::WriteTicker(const std::string& text) {
  WriteWholeFile(TickerFile(), text);
  SetModifiedSecondsFromNow(TickerFile(), ++tickerAge_ * 10);
}
