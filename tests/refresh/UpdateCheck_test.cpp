// winsock2.h must come before windows.h.
#include "common/TestHttpServer.h"

#include "UpdateCheck.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <windows.h>

#include "MakerSite.h"
#include "OemPackage.h"
#include "ProtectedFolder.h"
#include "classlib/Dialogs.h"
#include "classlib/Handles.h"
#include "classlib/StringList.h"
#include "classlib/Text.h"
#include "shared/FeedFiles.h"
#include "shared/S_FileUtils.h"
#include "shared/Tessivar_Seihin.h"
#include "common/TestFiles.h"

namespace {

std::string StandIn(const std::string& name) { return GetProgramFolder() + "standin\\" + name; }

void SetMakerBase(const std::string& base) {
  std::string assignment = "TESSIVAR_MAKER_BASE=" + base;
  _putenv(assignment.c_str());
}

// The sources of the pending delayed moves that lie in folder, as the
// prefix's registry holds them.
std::vector<std::string> PendingMovesFrom(const std::string& folder) {
  const wchar_t* value = L"PendingFileRenameOperations";
  RegistryKey key;
  RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                KEY_QUERY_VALUE, key.put());
  DWORD size = 0;
  RegQueryValueExW(key.get(), value, nullptr, nullptr, nullptr, &size);
  std::wstring data(size / sizeof(wchar_t), L'\0');
  if (size) RegQueryValueExW(key.get(), value, nullptr, nullptr, (BYTE*)&data[0], &size);
  std::vector<std::string> found;
  const std::string prefix = "\\??\\" + folder;
  for (size_t at = 0, end; (end = data.find(L'\0', at)) != std::wstring::npos; at = end + 1) {
    std::string entry = WideToSjis(data.substr(at, end - at));
    if (CompareTextSJ(entry.substr(0, prefix.size()), prefix) == 0)
      found.push_back(entry.substr(4));
  }
  return found;
}

std::vector<std::string> Names(const std::vector<std::string>& paths) {
  std::vector<std::string> names;
  for (const std::string& path : paths) names.push_back(ExtractFileName(path));
  return names;
}

// The files below folder's subfolders, by name.
std::vector<std::string> StagedFiles(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW stage, file;
  FindHandle stages(FindFirstFileW(SjisToWide(folder + "*").c_str(), &stage));
  if (!stages) return names;
  do {
    const std::string sub = WideToSjis(stage.cFileName);
    if (!(stage.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || sub == "." || sub == "..")
      continue;
    FindHandle files(FindFirstFileW(SjisToWide(folder + sub + "\\*").c_str(), &file));
    if (!files) continue;
    do {
      if (!(file.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        names.push_back(WideToSjis(file.cFileName));
    } while (FindNextFileW(files.get(), &file));
  } while (FindNextFileW(stages.get(), &stage));
  std::sort(names.begin(), names.end());
  return names;
}

void TakeBackMovesFrom(const std::string& folder) {
  for (const std::string& source : PendingMovesFrom(folder)) CancelReplaceOnReboot(source);
}

// Where the raw data of a module's sections ends, by its own headers.
size_t RawDataEnd(const std::string& module) {
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(module.data());
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(module.data() + dos->e_lfanew);
  const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
  size_t end = 0;
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i)
    end = std::max<size_t>(end, sections[i].PointerToRawData + sections[i].SizeOfRawData);
  return end;
}

TEST(UpdateCheck, ChoiceFollowsVersionThenBuild) {
  ProgramVersion current = ReadProgramVersion(StandIn("setup-1.23.0.5.exe"));
  EXPECT_EQ(ChooseUpdate(current, ReadProgramVersion(StandIn("setup-1.23.0.7.exe"))).Question,
            "現在ご使用のバージョンは ver.1.23 (Build.5) です．\r\n"
            "最新版のバージョンは ver.1.23 (Build.7) です．\r\n\r\n"
            "アップデートを実行しますか？");
  EXPECT_NE(ChooseUpdate(current, current).Question.find("最新版ですが念のため"),
            std::string::npos);
  UpdateChoice older = ChooseUpdate(current, ReadProgramVersion(StandIn("setup-1.22.0.9.exe")));
  EXPECT_EQ(older.Question, "");
  EXPECT_NE(older.Notice.find("製品版より新しいバージョンのため"), std::string::npos);
}

TEST(UpdateCheck, OnlyProgramsOfTheReleaseAreTaken) {
  ScratchFolder scratch("TessivarUpdateProgram");
  const ProgramVersion release = ReadProgramVersion(StandIn("setup-1.23.0.7.exe"));
  const std::string product = "Tessivar-Orvanel";
  EXPECT_TRUE(IsUpdateProgram(StandIn("ticker-1.23.0.7.exe"), false, product, &release));
  EXPECT_TRUE(IsUpdateProgram(StandIn("band-1.23.0.7.dll"), true, product, &release));
  EXPECT_FALSE(IsUpdateProgram(StandIn("setup-1.23.0.5.exe"), false, product, &release));
  EXPECT_FALSE(IsUpdateProgram(StandIn("ticker-1.23.0.7.exe"), false, "Other", &release));
  EXPECT_FALSE(IsUpdateProgram(StandIn("band-1.23.0.7.dll"), false, product, &release));
  EXPECT_FALSE(IsUpdateProgram(GetModulePath(), false, "", nullptr));  // no version block
  WriteWholeFile(scratch.File("cut.exe"),
                 ReadWholeFile(StandIn("update-1.0.0.0.exe")).substr(0, 64));
  EXPECT_FALSE(IsUpdateProgram(scratch.File("cut.exe"), false, product, nullptr));
}

TEST(UpdateCheck, AProgramCutShortIsRefused) {
  ScratchFolder scratch("TessivarUpdateCut");
  const std::string whole = ReadWholeFile(StandIn("ticker-1.23.0.7.exe"));
  ASSERT_TRUE(IsWholeImage(whole));
  // Its version block is whole; the end of its last section is not.
  WriteWholeFile(scratch.File("cut.exe"), whole.substr(0, RawDataEnd(whole) - 1));
  EXPECT_FALSE(IsUpdateProgram(scratch.File("cut.exe"), false, "Tessivar-Orvanel", nullptr));

  TestHttpServer server;
  SetMakerBase(server.Url(""));
  SetDownloadRetryPauseForTest(10);
  ScriptedResponse closedEarly;
  closedEarly.Body = whole.substr(0, whole.size() / 2);
  closedEarly.DeclaredLength = whole.size();
  server.On("/up/TessivarOrvanel.exe", closedEarly);
  UpdatePlaces places{server.Url("/up/"), scratch.File("work\\"), scratch.File("prog\\"), ""};
  ForceFolder(DelBackslash(places.WorkFolder));
  EXPECT_FALSE(DownloadUpdateFile(places, "TessivarOrvanel.exe"));
  EXPECT_FALSE(PathExists(places.WorkFolder + "TessivarOrvanel.exe"));
  EXPECT_FALSE(server.Requests().empty());
  SetMakerBase("");
}

TEST(UpdateCheck, BandServerIsTakenUnlessOlderThanTheInstalledOne) {
  const std::string product = "Tessivar-Orvanel";
  EXPECT_TRUE(
      IsBandServerUpdate(StandIn("band-1.23.0.7.dll"), StandIn("band-1.22.0.9.dll"), product));
  EXPECT_TRUE(
      IsBandServerUpdate(StandIn("band-1.23.0.7.dll"), StandIn("band-1.23.0.7.dll"), product));
  EXPECT_FALSE(
      IsBandServerUpdate(StandIn("band-1.22.0.9.dll"), StandIn("band-1.23.0.7.dll"), product));
  EXPECT_FALSE(IsBandServerUpdate(StandIn("ticker-1.23.0.7.exe"), "", product));
}

TEST(UpdateCheck, ARedirectEndsTheDownload) {
  ScratchFolder scratch("TessivarUpdateRedirect");
  TestHttpServer server;
  SetMakerBase(server.Url(""));
  SetDownloadRetryPauseForTest(10);
  ScriptedResponse moved;
  moved.Status = 302;
  moved.Headers = {{"Location", server.Url("/plain/TessivarSetup.exe")}};
  server.On("/up/TessivarSetup.exe", moved);
  UpdatePlaces places{server.Url("/up/"), scratch.File("work\\"), scratch.File("prog\\"), ""};
  EXPECT_FALSE(DownloadUpdateFile(places, "TessivarSetup.exe"));
  for (const RecordedRequest& request : server.Requests())
    EXPECT_NE(request.Path, "/plain/TessivarSetup.exe");
  SetMakerBase("");
}

TEST(UpdateCheck, AFailedSchedulingTakesBackEveryMoveOfItsFiles) {
  ScratchFolder scratch("TessivarUpdateSchedule");
  std::vector<std::pair<std::string, std::string>> moves;
  for (const char* name : {"a.exe", "b.exe", "c.exe"}) {
    WriteWholeFile(scratch.File(name), "x");
    moves.emplace_back(scratch.File(name), scratch.File(std::string("new-") + name));
  }
  // An earlier update's move of the file that this run fails on.
  ASSERT_TRUE(ReplaceFileOnReboot(moves[2].first, moves[2].second));
  int calls = 0;
  EXPECT_FALSE(ScheduleReplacements(moves, [&](const std::string& from, const std::string& to) {
    return ++calls < 3 && ReplaceFileOnReboot(from, to);
  }));
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(PendingMovesFrom(scratch.Path()), std::vector<std::string>{});
}

// Answers this thread's message forms as they show, in order, and keeps
// their texts.
std::vector<TModalResult> answers;
std::vector<std::string> texts;

BOOL CALLBACK FindMessageForm(HWND w, LPARAM found) {
  auto* form = dynamic_cast<TMessageForm*>(TWinControl::FromHandle(w));
  if (!form || !IsWindowVisible(w)) return TRUE;
  *reinterpret_cast<TMessageForm**>(found) = form;
  return FALSE;
}

void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
  TMessageForm* form = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindMessageForm, reinterpret_cast<LPARAM>(&form));
  if (!form) return;
  texts.push_back(form->Message()->Caption());
  form->SetModalResult(texts.size() <= answers.size() ? answers[texts.size() - 1] : mrOk);
  PostMessageW(form->Handle(), WM_NULL, 0, 0);
}

// One update run whose message forms get the answers; their texts.
std::vector<std::string> RunUpdate(const UpdatePlaces& places,
                                   const std::vector<TModalResult>& given) {
  answers = given;
  texts.clear();
  UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerBox);
  CheckForUpdateAt(places);
  KillTimer(nullptr, timer);
  return texts;
}

void Serve(TestHttpServer& server, const std::vector<std::pair<const char*, const char*>>& files) {
  for (const auto& served : files) {
    ScriptedResponse r;
    r.Body = *served.second ? ReadWholeFile(StandIn(served.second)) : "<html>busy</html>";
    server.On(std::string("/up/") + served.first, r);
  }
}

enum class Obstacle {
  None,
  ProgramFolderBlocked,  // a file stands where its parent folder would be
  WorkFolderAclRefused,
  PlainHttpElsewhere,  // the update folder is not the test server's base
  // Another program's file whose name has no Shift-JIS form
  UnnamableInMakerFolder,
  UnnamableInWorkFolder,
};

DWORD RefuseAcl(HANDLE, SECURITY_INFORMATION, PSID, PACL) { return ERROR_ACCESS_DENIED; }

struct Flow {
  std::vector<std::pair<const char*, const char*>> Served;  // name, stand-in ("" error page)
  std::vector<TModalResult> Answers;
  const char* LastText;
  std::vector<std::string> Pending;
  Obstacle In = Obstacle::None;
};

class UpdateFlow : public ::testing::TestWithParam<Flow> {};

TEST_P(UpdateFlow, EndsWithItsMessageAndItsMoves) {
  ScratchFolder scratch("TessivarUpdateFlow");
  TestHttpServer server;
  TickerSettings = TTickerSettings();
  TickerSettings.InternetPreConfig = 0;
  SetDownloadRetryPauseForTest(10);
  Serve(server, GetParam().Served);
  UpdatePlaces places{server.Url("/up/"), scratch.File("work\\"), scratch.File("prog\\"),
                      StandIn("setup-1.23.0.5.exe")};
  const Obstacle obstacle = GetParam().In;
  SetMakerBase(obstacle == Obstacle::PlainHttpElsewhere ? "http://127.0.0.1:1" : server.Url(""));
  if (obstacle == Obstacle::WorkFolderAclRefused) SetFolderSecurityForTest(nullptr, RefuseAcl);
  if (obstacle == Obstacle::ProgramFolderBlocked) {
    WriteWholeFile(scratch.File("file"), "x");
    places.ProgramFolder = scratch.File("file\\prog\\");
  } else {
    ForceFolder(DelBackslash(places.ProgramFolder));
  }
  const bool unnamable =
      obstacle == Obstacle::UnnamableInMakerFolder || obstacle == Obstacle::UnnamableInWorkFolder;
  const std::wstring otherFile =
      SjisToWide(obstacle == Obstacle::UnnamableInWorkFolder ? places.WorkFolder : scratch.Path()) +
      L"\uD55C\uAE00.dat";
  if (unnamable) {
    ForceFolder(DelBackslash(places.WorkFolder));
    ASSERT_TRUE(KernelHandle(
        CreateFileW(otherFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr)));
  }
  RunUpdate(places, GetParam().Answers);
  SetFolderSecurityForTest(nullptr, nullptr);
  SetMakerBase("");
  std::vector<std::string> pending = Names(PendingMovesFrom(places.WorkFolder));
  TakeBackMovesFrom(places.WorkFolder);
  ASSERT_EQ(texts.size(), answers.size());
  EXPECT_NE(texts.back().find(GetParam().LastText), std::string::npos) << texts.back();
  EXPECT_EQ(pending, GetParam().Pending);
  // Only the files that the moves read stay.
  std::sort(pending.begin(), pending.end());
  EXPECT_EQ(StagedFiles(places.WorkFolder), pending);
  if (obstacle == Obstacle::WorkFolderAclRefused || obstacle == Obstacle::PlainHttpElsewhere) {
    EXPECT_TRUE(server.Requests().empty());
  }
  if (unnamable) {
    EXPECT_NE(GetFileAttributesW(otherFile.c_str()), INVALID_FILE_ATTRIBUTES);
  }
}

const char kFailed[] = "アップデートプログラムのダウンロードに失敗しました．";
const char kNeedsAdmin[] = "アップデートには管理者権限が必要です．";
const char kQuestion[] = "アップデートを実行しますか？";
const std::pair<const char*, const char*> kSetup = {"TessivarSetup.exe", "setup-1.23.0.7.exe"},
                                          kTicker = {"TessivarOrvanel.exe", "ticker-1.23.0.7.exe"},
                                          kLauncher = {"TessivarUpdate.exe", "update-1.0.0.0.exe"};

INSTANTIATE_TEST_SUITE_P(
    UpdateCheck, UpdateFlow,
    ::testing::Values(
        Flow{{kSetup, kTicker, kLauncher},
             {mrYes, mrOk},
             "次回のWindows起動時にアップデートが適用されます．",
             {"TessivarSetup.exe", "TessivarUpdate.exe", "TessivarOrvanel.exe"}},
        Flow{{{"TessivarSetup.exe", "setup-1.23.0.5.exe"}}, {mrCancel}, "念のため", {}},
        Flow{{{"TessivarSetup.exe", "setup-1.22.0.9.exe"}}, {mrOk}, "製品版より新しい", {}},
        Flow{{kSetup, kTicker}, {mrYes, mrOk}, kFailed, {}},
        Flow{{kSetup, kLauncher, {"TessivarOrvanel.exe", "setup-1.23.0.5.exe"}},
             {mrYes, mrOk},
             kFailed,
             {}},
        Flow{{{"TessivarSetup.exe", ""}}, {mrOk}, kFailed, {}}, Flow{{}, {mrOk}, kNeedsAdmin, {}},
        Flow{{kSetup}, {mrOk}, kNeedsAdmin, {}, Obstacle::ProgramFolderBlocked},
        Flow{{kSetup}, {mrOk}, kNeedsAdmin, {}, Obstacle::WorkFolderAclRefused},
        Flow{{kSetup}, {mrOk}, kFailed, {}, Obstacle::PlainHttpElsewhere},
        Flow{{kSetup}, {mrCancel}, kQuestion, {}, Obstacle::UnnamableInMakerFolder},
        Flow{{kSetup}, {mrCancel}, kQuestion, {}, Obstacle::UnnamableInWorkFolder}));

TEST(UpdateCheck, AnEarlierUpdateStaysWholeUntilALaterRunSchedulesItsOwn) {
  ScratchFolder scratch("TessivarUpdateRuns");
  TestHttpServer server;
  TickerSettings = TTickerSettings();
  TickerSettings.InternetPreConfig = 0;
  SetDownloadRetryPauseForTest(10);
  SetMakerBase(server.Url(""));
  UpdatePlaces places{server.Url("/up/"), scratch.File("work\\"), scratch.File("prog\\"),
                      StandIn("setup-1.23.0.5.exe")};
  ForceFolder(DelBackslash(places.ProgramFolder));
  Serve(server, {kSetup, kTicker, kLauncher});
  RunUpdate(places, {mrYes, mrOk});
  const std::vector<std::string> first = PendingMovesFrom(places.WorkFolder);
  ASSERT_EQ(first.size(), 3u);
  // A second run of another release, ended by Cancel or by a failure.
  Serve(server, {{"TessivarSetup.exe", "setup-1.23.0.5.exe"}});
  RunUpdate(places, {mrCancel});
  Serve(server, {kSetup, {"TessivarOrvanel.exe", ""}});
  RunUpdate(places, {mrYes, mrOk});
  EXPECT_EQ(PendingMovesFrom(places.WorkFolder), first);
  EXPECT_EQ(ReadWholeFile(first[0]), ReadWholeFile(StandIn("setup-1.23.0.7.exe")));
  EXPECT_EQ(StagedFiles(places.WorkFolder).size(), 3u);
  // A run that schedules its own replaces the earlier update whole.
  Serve(server, {kSetup, kTicker});
  RunUpdate(places, {mrYes, mrOk});
  SetMakerBase("");
  const std::vector<std::string> last = PendingMovesFrom(places.WorkFolder);
  TakeBackMovesFrom(places.WorkFolder);
  EXPECT_EQ(Names(last), Names(first));
  EXPECT_NE(ExtractFilePath(last[0]), ExtractFilePath(first[0]));
  EXPECT_FALSE(PathExists(ExtractFilePath(first[0])));
  EXPECT_EQ(StagedFiles(places.WorkFolder).size(), 3u);
}

}  // namespace
