// A folder that only administrators and the system can change, for files
// that are later installed with administrator rights: full control for
// Administrators and SYSTEM, read for Users, nothing inherited.
#pragma once
#include <string>

#include <windows.h>

// Creates folder (no trailing backslash; its parent must exist) with that
// access list, or gives an existing one the list again. False, and the
// folder is not to be used, when it or its parent is a link, belongs to
// someone other than Administrators, SYSTEM or this user, or when the list
// cannot be set.
bool SettleProtectedFolder(const std::string& folder);

// Tests see the list that is set, or make setting it fail: writer takes
// SetSecurityInfo's part and returns a Win32 error code.
using FolderAclWriter = DWORD (*)(HANDLE folder, SECURITY_INFORMATION what, PACL acl);
void SetFolderAclWriterForTest(FolderAclWriter writer);
