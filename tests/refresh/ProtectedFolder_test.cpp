#include "ProtectedFolder.h"

#include <gtest/gtest.h>

#include <aclapi.h>

#include <cstdio>
#include <string>

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

// Wine shows every entry as the user's own: the folder made here stands
// for one that another user made, by its file identity, which a rename keeps.
BY_HANDLE_FILE_INFORMATION foreign = {};
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
  return CreateWellKnownSid(Same(info, foreign) ? WinBuiltinUsersSid : WinBuiltinAdministratorsSid,
                            nullptr, owner, &size);
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
  foreign = Identity(folder + "\\staged-0");
  SetFolderSecurityForTest(OwnerByIdentity, nullptr);
  EXPECT_TRUE(SettleProtectedFolder(folder, true));
  SetFolderSecurityForTest(nullptr, nullptr);
  EXPECT_FALSE(PathExists(folder + "\\staged-0"));
  EXPECT_EQ(ReadWholeFile(folder + "\\staged-1\\TessivarSetup.exe"), "staged");
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
  foreign = Identity(folder);
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
  EXPECT_FALSE(Same(Identity(folder), foreign)) << "reused";
  EXPECT_FALSE(PathExists(folder + "\\TessivarSetup.exe"));
}

const char kList[] = "Administrators 1f01ff 3;SYSTEM 1f01ff 3;Users 1200a9 3;";

INSTANTIATE_TEST_SUITE_P(ProtectedFolder, ProtectedFolderForeign,
                         ::testing::Values(ForeignCase{false, kList},
                                           // The move is refused until the folder is taken over.
                                           ForeignCase{true, std::string("owner Administrators;") +
                                                                 kList + kList}));

}  // namespace
