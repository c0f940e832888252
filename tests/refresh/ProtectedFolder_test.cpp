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

DWORD RecordAcl(HANDLE folder, SECURITY_INFORMATION what, PACL acl) {
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
  SetFolderAclWriterForTest(RecordAcl);
  for (const char* name : {"new", "old"}) {
    setAces.clear();
    EXPECT_TRUE(SettleProtectedFolder(scratch.File(name))) << name;
    EXPECT_EQ(setAces, "Administrators 1f01ff 3;SYSTEM 1f01ff 3;Users 1200a9 3;") << name;
    EXPECT_EQ(setWhat, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION) << name;
  }
  SetFolderAclWriterForTest(nullptr);
}

}  // namespace
