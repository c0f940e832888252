// A folder that only administrators and the system can change, for files
// that are later installed with administrator rights: full control for
// Administrators and SYSTEM, read for Users, nothing inherited.
#pragma once
#include <string>

#include <windows.h>

#include "classlib/Handles.h"

// Creates folder (no trailing backslash; its parent must exist) with that
// access list, or gives an existing one the list again. An existing folder
// that belongs to someone other than Administrators, SYSTEM or this user is
// renamed aside (taken over first where it must be) and made anew. False,
// and the folder is not to be used, when it or its parent is a link, the
// parent belongs to someone else, a foreign folder cannot be moved, or the
// list cannot be set. Files in it that belong to others go, read-only or
// not; with ownContent (it holds only this program's entries) so do others'
// folders with all they hold, and links, which are never entered, at every
// depth. An entry that cannot go stays without ownContent; with it, the
// folder is renamed aside and made anew as a foreign one is.
bool SettleProtectedFolder(const std::string& folder, bool ownContent = false);

// The folder itself, held so that it can be neither moved nor removed while
// the handle lives; empty when it is a link or no folder.
KernelHandle OpenPlainFolder(const std::string& folder);

// Tests stand in for what Wine cannot show: reader gives an entry's owner
// (SECURITY_MAX_SID_SIZE bytes), writer takes SetSecurityInfo's part and
// returns a Win32 error code. Null: the real calls again.
using FolderOwnerReader = bool (*)(HANDLE entry, PSID owner);
using FolderSecurityWriter = DWORD (*)(HANDLE entry, SECURITY_INFORMATION what, PSID owner,
                                       PACL acl);
void SetFolderSecurityForTest(FolderOwnerReader reader, FolderSecurityWriter writer);
