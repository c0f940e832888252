#include "ProtectedFolder.h"

#include <aclapi.h>

#include "classlib/Handles.h"
#include "classlib/Text.h"

namespace {

struct Sid {
  BYTE Bytes[SECURITY_MAX_SID_SIZE] = {};
  PSID get() { return Bytes; }
};

Sid WellKnownSid(WELL_KNOWN_SID_TYPE type) {
  Sid sid;
  DWORD size = sizeof sid.Bytes;
  CreateWellKnownSid(type, nullptr, sid.Bytes, &size);
  return sid;
}

bool CurrentUserSid(Sid& sid) {
  KernelHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return false;
  union {
    TOKEN_USER User;
    BYTE Bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } info;
  DWORD size = 0;
  return GetTokenInformation(token.get(), TokenUser, &info, sizeof info, &size) &&
         CopySid(sizeof sid.Bytes, sid.get(), info.User.User.Sid);
}

struct ProtectedAcl {
  union {
    ACL Header;
    BYTE Bytes[sizeof(ACL) + 3 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE)];
  };
  PACL get() { return &Header; }
};

// Passed on to every file and folder made inside.
bool BuildProtectedAcl(ProtectedAcl& acl) {
  Sid admins = WellKnownSid(WinBuiltinAdministratorsSid);
  Sid system = WellKnownSid(WinLocalSystemSid);
  Sid users = WellKnownSid(WinBuiltinUsersSid);
  const DWORD inherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
  return InitializeAcl(acl.get(), sizeof acl.Bytes, ACL_REVISION) &&
         AddAccessAllowedAceEx(acl.get(), ACL_REVISION, inherit, FILE_ALL_ACCESS, admins.get()) &&
         AddAccessAllowedAceEx(acl.get(), ACL_REVISION, inherit, FILE_ALL_ACCESS, system.get()) &&
         AddAccessAllowedAceEx(acl.get(), ACL_REVISION, inherit,
                               FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, users.get());
}

// The entry itself, not what a link points to: a link's target is never changed.
KernelHandle OpenEntry(const std::string& path, DWORD access) {
  return KernelHandle(CreateFileW(
      SjisToWide(path).c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

bool IsPlainFolder(HANDLE entry) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(entry, &info) &&
         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool HasTrustedOwner(HANDLE entry) {
  union {
    SECURITY_DESCRIPTOR_RELATIVE Header;
    BYTE Bytes[sizeof(SECURITY_DESCRIPTOR_RELATIVE) + SECURITY_MAX_SID_SIZE];
  } descriptor;
  DWORD needed = 0;
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  if (!GetKernelObjectSecurity(entry, OWNER_SECURITY_INFORMATION, &descriptor, sizeof descriptor,
                               &needed) ||
      !GetSecurityDescriptorOwner(&descriptor, &owner, &defaulted) || !owner)
    return false;
  Sid user;
  return EqualSid(owner, WellKnownSid(WinBuiltinAdministratorsSid).get()) ||
         EqualSid(owner, WellKnownSid(WinLocalSystemSid).get()) ||
         (CurrentUserSid(user) && EqualSid(owner, user.get()));
}

bool IsTrustedFolder(const KernelHandle& folder) {
  return folder && IsPlainFolder(folder.get()) && HasTrustedOwner(folder.get());
}

// A file someone else left there while the folder was open to all would
// stay theirs to change: such files go.
bool RemoveForeignFiles(const std::string& folder) {
  WIN32_FIND_DATAW found;
  FindHandle search(FindFirstFileW(SjisToWide(folder + "\\*").c_str(), &found));
  if (!search) return true;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const std::string path = folder + "\\" + WideToSjis(found.cFileName);
    KernelHandle file = OpenEntry(path, READ_CONTROL);
    if (file && HasTrustedOwner(file.get())) continue;
    file.reset();
    if (!DeleteFileW(SjisToWide(path).c_str())) return false;
  } while (FindNextFileW(search.get(), &found));
  return true;
}

DWORD WriteFolderAcl(HANDLE folder, SECURITY_INFORMATION what, PACL acl) {
  return SetSecurityInfo(folder, SE_FILE_OBJECT, what, nullptr, nullptr, acl, nullptr);
}

FolderAclWriter aclWriter = WriteFolderAcl;

}  // namespace

bool SettleProtectedFolder(const std::string& folder) {
  ProtectedAcl acl;
  if (folder.empty() || !BuildProtectedAcl(acl)) return false;
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, acl.get(), FALSE) ||
      !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
    return false;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
  // Made with the list, so it is never open to others, not even for a moment.
  CreateDirectoryW(SjisToWide(folder).c_str(), &attributes);
  // Whoever owns the parent could rename this folder and put another in its place.
  KernelHandle parent = OpenEntry(folder.substr(0, folder.rfind('\\')), READ_CONTROL);
  KernelHandle handle = OpenEntry(folder, READ_CONTROL | WRITE_DAC);
  return IsTrustedFolder(parent) && IsTrustedFolder(handle) &&
         aclWriter(handle.get(), DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                   acl.get()) == ERROR_SUCCESS &&
         RemoveForeignFiles(folder);
}

void SetFolderAclWriterForTest(FolderAclWriter writer) {
  aclWriter = writer ? writer : WriteFolderAcl;
}
