#include "ProtectedFolder.h"

#include <gtest/gtest.h>

#include <aclapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "classlib/Text.h"
#include "common/TestFiles.h"

namespace {

// Wine keeps no access list of a folder's own (it answers with one made from
// the Unix mode bits), so the list is checked where it is handed over.
SECURITY_INFORMATION setWhat = 0;
std::string setAces;  // "who mask flags;" for each entry

std::string Who(PSID sid) {
  for (auto known :
       {std::make_pair(WinBuiltinAdministratorsSid, "Administrators"),
        std::make_pair(WinLocalSystemSid, "SYSTEM"), std::make_pair(WinBuiltinUsersSid, "Users")}) {
    BYTE bytes[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof bytes;
    if (CreateWellKnownSid(known.first, nullptr, bytes, &size) && EqualSid(sid, bytes))
      return known.second;
  }
  return "other";
}

DWORD RecordAcl(HANDLE folder, SECURITY_INFORMATION what, PSID owner, PACL acl) {
  if (what & OWNER_SECURITY_INFORMATION) {
    setAces += "owner " + Who(owner) + ";";
    return ERROR_SUCCESS;
  }
  setWhat = what;
  ACCESS_ALLOWED_ACE* ace = nullptr;
  for (DWORD i = 0; acl && i < acl->AceCount && GetAce(acl, i, (void**)&ace); ++i) {
    char entry[32];
    snprintf(entry, sizeof entry, " %lx %d;", ace->Mask, ace->Header.AceFlags);
    setAces += Who(&ace->SidStart) + entry;
  }
  return SetSecurityInfo(folder, SE_FILE_OBJECT, what, nullptr, nullptr, acl, nullptr);
}

TEST(ProtectedFolder, NewAndExistingFoldersGetTheAdministratorsListInheritingNothing) {
  ScratchFolder scratch("TessivarProtectedFolder");
  ASSERT_TRUE(CreateDirectoryW(SjisToWide(scratch.File("old")).c_str(), nullptr));
  SetFolderSecurityForTest(nullptr, RecordAcl);
  for (const char* name : {"new", "old"}) {
    setAces.clear();
    EXPECT_TRUE(SettleProtectedFolder(scratch.File(name))) << name;
    EXPECT_EQ(setAces, "Administrators 1f01ff 3;SYSTEM 1f01ff 3;Users 1200a9 3;") << name;
    EXPECT_EQ(setWhat, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION) << name;
  }
  SetFolderSecurityForTest(nullptr, nullptr);
}

// Wine shows every entry as the user's own: the entries made here stand
// for ones that another user made, by their file identity, which a rename keeps.
std::vector<BY_HANDLE_FILE_INFORMATION> foreign;
HANDLE blocking = INVALID_HANDLE_VALUE;  // an open handle of the foreign folder's maker

BY_HANDLE_FILE_INFORMATION Identity(const std::string& path) {
  BY_HANDLE_FILE_INFORMATION info = {};
  HANDLE entry = CreateFileW(SjisToWide(path).c_str(), READ_CONTROL, 7, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  GetFileInformationByHandle(entry, &info);
  CloseHandle(entry);
  return info;
}

bool Same(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

bool OwnerByIdentity(HANDLE entry, PSID owner) {
  BY_HANDLE_FILE_INFORMATION info = {};
  GetFileInformationByHandle(entry, &info);
  DWORD size = SECURITY_MAX_SID_SIZE;
  const bool theirs =
      std::any_of(foreign.begin(), foreign.end(),
                  [&](const BY_HANDLE_FILE_INFORMATION& f) { return Same(info, f); });
  return CreateWellKnownSid(theirs ? WinBuiltinUsersSid : WinBuiltinAdministratorsSid, nullptr,
                            owner, &size);
}

// Taking the folder over is what frees it here.
DWORD RecordAndRelease(HANDLE folder, SECURITY_INFORMATION what, PSID owner, PACL acl) {
  if (what & OWNER_SECURITY_INFORMATION) {
    CloseHandle(blocking);
    blocking = INVALID_HANDLE_VALUE;
  }
  return RecordAcl(folder, what, owner, acl);
}

TEST(ProtectedFolder, AReusedFolderOfThisProgramLosesOthersFoldersWithAllTheyHold) {
  ScratchFolder scratch("TessivarProtectedSubfolders");
  const std::string folder = scratch.File("work");
  for (const char* sub : {"", "\\staged-0", "\\staged-0\\inner", "\\staged-1"})
    ASSERT_TRUE(CreateDirectoryW(SjisToWide(folder + sub).c_str(), nullptr)) << sub;
  WriteWholeFile(folder + "\\staged-0\\inner\\TessivarSetup.exe", "planted");
  WriteWholeFile(folder + "\\staged-1\\TessivarSetup.exe", "staged");
  foreign = {Identity(folder + "\\staged-0")};
  SetFolderSecurityForTest(OwnerByIdentity, nullptr);
  EXPECT_TRUE(SettleProtectedFolder(folder, true));
  SetFolderSecurityForTest(nullptr, nullptr);
  EXPECT_FALSE(PathExists(folder + "\\staged-0"));
  EXPECT_EQ(ReadWholeFile(folder + "\\staged-1\\TessivarSetup.exe"), "staged");
}

TEST(ProtectedFolder, OthersEntriesThatCannotGoNeverStopTheSettling) {
  ScratchFolder scratch("TessivarProtectedStuck");
  const std::string maker = scratch.File("maker"), work = maker + "\\work";
  for (const std::string& folder : {maker, work})
    ASSERT_TRUE(CreateDirectoryW(SjisToWide(folder).c_str(), nullptr));
  foreign.clear();
  for (const std::string& file :
       {maker + "\\read-only.dat", maker + "\\held.dat", work + "\\held.dat"}) {
    WriteWholeFile(file, "theirs");
    foreign.push_back(Identity(file));
  }
  SetFileAttributesW(SjisToWide(maker + "\\read-only.dat").c_str(), FILE_ATTRIBUTE_READONLY);
  const BY_HANDLE_FILE_INFORMATION workBefore = Identity(work);
  // Their program holds them open, sharing nothing. Wine moves a folder with
  // a file open in it: here that file stands for any entry that cannot go.
  auto hold = [](const std::string& file) {
    return KernelHandle(
        CreateFileW(SjisToWide(file).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  };
  KernelHandle heldInMaker = hold(maker + "\\held.dat"), heldInWork = hold(work + "\\held.dat");
  SetFolderSecurityForTest(OwnerByIdentity, nullptr);
  // The work folder first: the new one could get the identity of a file
  // removed just before, and so pass for theirs.
  EXPECT_TRUE(SettleProtectedFolder(work, true));
  EXPECT_TRUE(SettleProtectedFolder(maker));
  SetFolderSecurityForTest(nullptr, nullptr);
  foreign.clear();
  EXPECT_FALSE(PathExists(maker + "\\read-only.dat"));
  EXPECT_TRUE(PathExists(maker + "\\held.dat")) << "left where it is";
  EXPECT_FALSE(Same(Identity(work), workBefore)) << "reused";
  EXPECT_FALSE(PathExists(work + "\\held.dat"));
}

struct ForeignCase {
  bool HeldOpen;
  std::string Calls;
};

class ProtectedFolderForeign : public ::testing::TestWithParam<ForeignCase> {};

TEST_P(ProtectedFolderForeign, IsMovedAsideAndMadeAnew) {
  ScratchFolder scratch("TessivarProtectedForeign");
  const std::string folder = scratch.File("work");
  ASSERT_TRUE(CreateDirectoryW(SjisToWide(folder).c_str(), nullptr));
  WriteWholeFile(folder + "\\TessivarSetup.exe", "planted");
  foreign = {Identity(folder)};
  if (GetParam().HeldOpen)
    blocking = CreateFileW(SjisToWide(folder).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  SetFolderSecurityForTest(OwnerByIdentity, RecordAndRelease);
  setAces.clear();
  EXPECT_TRUE(SettleProtectedFolder(folder));
  SetFolderSecurityForTest(nullptr, nullptr);
  if (blocking != INVALID_HANDLE_VALUE) CloseHandle(blocking);
  blocking = INVALID_HANDLE_VALUE;
  EXPECT_EQ(setAces, GetParam().Calls);
  EXPECT_FALSE(Same(Identity(folder), foreign[0])) << "reused";
  EXPECT_FALSE(PathExists(folder + "\\TessivarSetup.exe"));
}

const char kList[] = "Administrators 1f01ff 3;SYSTEM 1f01ff 3;Users 1200a9 3;";

INSTANTIATE_TEST_SUITE_P(ProtectedFolder, ProtectedFolderForeign,
                         ::testing::Values(ForeignCase{false, kList},
                                           // The move is refused until the folder is taken over.
                                           ForeignCase{true, std::string("owner Administrators;") +
                                                                 kList + kList}));

}  // namespace
