#include "ProtectedFolder.h"

#include <aclapi.h>

#include <functional>

#include "classlib/Handles.h"
#include "classlib/Text.h"
#include "shared/S_string.h"

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

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The entry itself, not what a link points to: a link's target is never changed.
KernelHandle OpenEntry(const std::string& path, DWORD access, DWORD share = kShareAll) {
  return KernelHandle(CreateFileW(SjisToWide(path).c_str(), access, share, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
}

DWORD AttributesOf(HANDLE entry) {
  BY_HANDLE_FILE_INFORMATION info;
  return GetFileInformationByHandle(entry, &info) ? info.dwFileAttributes : 0;
}

bool IsPlainFolder(HANDLE entry) {
  const DWORD attributes = AttributesOf(entry);
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool ReadEntryOwner(HANDLE entry, PSID owner) {
  union {
    SECURITY_DESCRIPTOR_RELATIVE Header;
    BYTE Bytes[sizeof(SECURITY_DESCRIPTOR_RELATIVE) + SECURITY_MAX_SID_SIZE];
  } descriptor;
  DWORD needed = 0;
  PSID found = nullptr;
  BOOL defaulted = FALSE;
  return GetKernelObjectSecurity(entry, OWNER_SECURITY_INFORMATION, &descriptor, sizeof descriptor,
                                 &needed) &&
         GetSecurityDescriptorOwner(&descriptor, &found, &defaulted) && found &&
         CopySid(SECURITY_MAX_SID_SIZE, owner, found);
}

DWORD WriteEntrySecurity(HANDLE entry, SECURITY_INFORMATION what, PSID owner, PACL acl) {
  return SetSecurityInfo(entry, SE_FILE_OBJECT, what, owner, nullptr, acl, nullptr);
}

FolderOwnerReader ownerReader = ReadEntryOwner;
FolderSecurityWriter securityWriter = WriteEntrySecurity;

bool HasTrustedOwner(HANDLE entry) {
  Sid owner, user;
  if (!ownerReader(entry, owner.get())) return false;
  return EqualSid(owner.get(), WellKnownSid(WinBuiltinAdministratorsSid).get()) ||
         EqualSid(owner.get(), WellKnownSid(WinLocalSystemSid).get()) ||
         (CurrentUserSid(user) && EqualSid(owner.get(), user.get()));
}

bool IsTrustedFolder(const KernelHandle& folder) {
  return folder && IsPlainFolder(folder.get()) && HasTrustedOwner(folder.get());
}

// What goes of a folder's entries: others' files; with them others'
// folders and every link; or everything.
enum class Sweep { ForeignFiles, ForeignEntries, Everything };

// Removed through a handle of the link itself, so never its target. Wine's
// handle shows no link and acts on the target: there the link stays, unused.
void RemoveLink(const std::string& path) {
  KernelHandle link = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES);
  FILE_DISPOSITION_INFO dispose = {TRUE};
  if (link && (AttributesOf(link.get()) & FILE_ATTRIBUTE_REPARSE_POINT))
    SetFileInformationByHandle(link.get(), FileDispositionInfo, &dispose, sizeof dispose);
}

bool SweepFolder(const std::string& folder, Sweep sweep);

// False when the entry is to go and cannot.
bool SweepEntry(const std::string& path, DWORD attributes, Sweep sweep) {
  const bool isFolder = attributes & FILE_ATTRIBUTE_DIRECTORY;
  if (isFolder && sweep == Sweep::ForeignFiles) return true;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    RemoveLink(path);
    return true;
  }
  if (!isFolder) {
    if (sweep != Sweep::Everything) {
      KernelHandle file = OpenEntry(path, READ_CONTROL);
      if (file && HasTrustedOwner(file.get())) return true;
    }
    return DeleteFileW(SjisToWide(path).c_str()) != 0;
  }
  // Held while its entries go, so it cannot be swapped for a link meanwhile.
  KernelHandle held = OpenPlainFolder(path);
  if (!held) return false;
  const bool keep = sweep == Sweep::ForeignEntries && HasTrustedOwner(held.get());
  if (!SweepFolder(path, keep ? Sweep::ForeignEntries : Sweep::Everything)) return false;
  held.reset();
  return keep || RemoveDirectoryW(SjisToWide(path).c_str());
}

// Entries someone else left while the folder was open to all would stay
// theirs to change: they go.
bool SweepFolder(const std::string& folder, Sweep sweep) {
  WIN32_FIND_DATAW found;
  FindHandle search(FindFirstFileW(SjisToWide(folder + "\\*").c_str(), &found));
  if (!search) return true;
  do {
    const std::string name = WideToSjis(found.cFileName);
    if (name != "." && name != ".." &&
        !SweepEntry(folder + "\\" + name, found.dwFileAttributes, sweep))
      return false;
  } while (FindNextFileW(search.get(), &found));
  return true;
}

const SECURITY_INFORMATION kProtectedDacl =
    DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION;

// Runs work with the privilege enabled, and gives it back its state after.
void WithPrivilege(const wchar_t* name, const std::function<void()>& work) {
  KernelHandle token;
  TOKEN_PRIVILEGES wanted = {1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}}, before = {};
  DWORD size = 0;
  const bool enabled =
      OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put()) &&
      LookupPrivilegeValueW(nullptr, name, &wanted.Privileges[0].Luid) &&
      AdjustTokenPrivileges(token.get(), FALSE, &wanted, sizeof before, &before, &size) &&
      GetLastError() == ERROR_SUCCESS;
  work();
  if (enabled) AdjustTokenPrivileges(token.get(), FALSE, &before, 0, nullptr, nullptr);
}

// Administrators own the folder and may move it, whatever list its maker gave it.
void TakeOver(const std::string& folder, ProtectedAcl& acl) {
  WithPrivilege(L"SeTakeOwnershipPrivilege", [&] {
    KernelHandle entry = OpenEntry(folder, WRITE_OWNER);
    if (entry)
      securityWriter(entry.get(), OWNER_SECURITY_INFORMATION,
                     WellKnownSid(WinBuiltinAdministratorsSid).get(), nullptr);
  });
  KernelHandle entry = OpenEntry(folder, WRITE_DAC);
  if (entry) securityWriter(entry.get(), kProtectedDacl, nullptr, acl.get());
}

bool RenameAside(const std::string& folder) {
  const std::wstring from = SjisToWide(folder);
  const unsigned base = GetTickCount();
  for (unsigned i = 0; i < 16; ++i) {
    const std::wstring aside = SjisToWide(folder + ".old-" + HexText(int(base + i)));
    if (MoveFileExW(from.c_str(), aside.c_str(), 0)) return true;
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return false;
  }
  return false;
}

// Its maker may still hold handles into a folder that outlive any new list:
// it is never reused, but renamed beside itself, taken over where it must be.
bool MoveAside(const std::string& folder, ProtectedAcl& acl) {
  if (RenameAside(folder)) return true;
  TakeOver(folder, acl);
  return RenameAside(folder);
}

}  // namespace

KernelHandle OpenPlainFolder(const std::string& folder) {
  KernelHandle entry =
      OpenEntry(folder, READ_CONTROL | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE);
  // Wine shows a link by its name only; its handle is the target's.
  const DWORD named = GetFileAttributesW(SjisToWide(folder).c_str());
  if (entry && (!IsPlainFolder(entry.get()) || (named & FILE_ATTRIBUTE_REPARSE_POINT)))
    entry.reset();
  return entry;
}

bool SettleProtectedFolder(const std::string& folder, bool ownContent) {
  ProtectedAcl acl;
  if (folder.empty() || !BuildProtectedAcl(acl)) return false;
  SECURITY_DESCRIPTOR descriptor;
  if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
      !SetSecurityDescriptorDacl(&descriptor, TRUE, acl.get(), FALSE) ||
      !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
    return false;
  SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
  // Whoever owns the parent could rename this folder and put another in its place.
  KernelHandle parent = OpenEntry(folder.substr(0, folder.rfind('\\')), READ_CONTROL);
  if (!IsTrustedFolder(parent)) return false;
  // Made with the list, so it is never open to others, not even for a moment.
  const std::wstring path = SjisToWide(folder);
  if (!CreateDirectoryW(path.c_str(), &attributes)) {
    KernelHandle existing = OpenEntry(folder, READ_CONTROL);
    // A link or a file is refused, never moved.
    if (!existing || !IsPlainFolder(existing.get())) return false;
    if (!HasTrustedOwner(existing.get())) {
      existing.reset();
      if (!MoveAside(folder, acl) || !CreateDirectoryW(path.c_str(), &attributes)) return false;
    }
  }
  KernelHandle handle = OpenEntry(folder, READ_CONTROL | WRITE_DAC);
  return IsTrustedFolder(handle) &&
         securityWriter(handle.get(), kProtectedDacl, nullptr, acl.get()) == ERROR_SUCCESS &&
         SweepFolder(folder, ownContent ? Sweep::ForeignEntries : Sweep::ForeignFiles);
}

void SetFolderSecurityForTest(FolderOwnerReader reader, FolderSecurityWriter writer) {
  ownerReader = reader ? reader : ReadEntryOwner;
  securityWriter = writer ? writer : WriteEntrySecurity;
}
