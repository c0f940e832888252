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
KernelHandle OpenEntry(const std::wstring& path, DWORD access, DWORD share = kShareAll) {
  return KernelHandle(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                  nullptr));
}

KernelHandle OpenEntry(const std::string& path, DWORD access, DWORD share = kShareAll) {
  return OpenEntry(SjisToWide(path), access, share);
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

KernelHandle PlainFolder(const std::wstring& folder) {
  KernelHandle entry =
      OpenEntry(folder, READ_CONTROL | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE);
  // Wine shows a link by its name only; its handle is the target's.
  const DWORD named = GetFileAttributesW(folder.c_str());
  if (entry && (!IsPlainFolder(entry.get()) || (named & FILE_ATTRIBUTE_REPARSE_POINT)))
    entry.reset();
  return entry;
}

bool HasTrustedOwner(const std::wstring& path) {
  KernelHandle entry = OpenEntry(path, READ_CONTROL);
  return entry && HasTrustedOwner(entry.get());
}

// What goes of a folder's entries: others' files; with them others'
// folders and every link; or everything.
enum class Sweep { ForeignFiles, ForeignEntries, Everything };

// A read-only mark is no reason to keep another's file.
void ClearReadOnly(const std::wstring& path, DWORD attributes) {
  KernelHandle entry = OpenEntry(path, FILE_WRITE_ATTRIBUTES);
  FILE_BASIC_INFO basic = {};  // zero times stay as they are
  basic.FileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
  if (!basic.FileAttributes) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
  if (entry) SetFileInformationByHandle(entry.get(), FileBasicInfo, &basic, sizeof basic);
}

// Through a handle of the entry itself, so a link goes as a link, never its
// target. Wine's handle of a link is its target's: there the link stays, unused.
bool RemoveEntry(const std::wstring& path, bool listedAsLink) {
  KernelHandle entry = OpenEntry(path, DELETE | FILE_READ_ATTRIBUTES);
  if (!entry) return false;
  const DWORD attributes = AttributesOf(entry.get());
  if (listedAsLink && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) return true;
  if (attributes & FILE_ATTRIBUTE_READONLY) ClearReadOnly(path, attributes);
  FILE_DISPOSITION_INFO dispose = {TRUE};
  return SetFileInformationByHandle(entry.get(), FileDispositionInfo, &dispose, sizeof dispose);
}

bool SweepFolder(const std::wstring& folder, Sweep sweep);

// False when the entry is to go and cannot. Entries are named as the system
// gives them: a name without a Shift-JIS form stays reachable.
bool SweepEntry(const std::wstring& path, DWORD attributes, Sweep sweep) {
  const bool isFolder = attributes & FILE_ATTRIBUTE_DIRECTORY;
  const bool isLink = attributes & FILE_ATTRIBUTE_REPARSE_POINT;
  // Other programs of the maker keep their folders and what a trusted owner left.
  if (sweep == Sweep::ForeignFiles && (isFolder || HasTrustedOwner(path))) return true;
  if (isLink) return RemoveEntry(path, true);
  if (!isFolder)
    return (sweep == Sweep::ForeignEntries && HasTrustedOwner(path)) || RemoveEntry(path, false);
  // Held while its entries go, so it cannot be swapped for a link meanwhile.
  KernelHandle held = PlainFolder(path);
  if (!held) return false;
  const bool keep = sweep == Sweep::ForeignEntries && HasTrustedOwner(held.get());
  if (!SweepFolder(path, keep ? Sweep::ForeignEntries : Sweep::Everything)) return false;
  held.reset();
  return keep || RemoveDirectoryW(path.c_str());
}

// Entries someone else left while the folder was open to all would stay
// theirs to change: they go. False when one of them could not.
bool SweepFolder(const std::wstring& folder, Sweep sweep) {
  WIN32_FIND_DATAW found;
  FindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search) return true;
  bool swept = true;
  do {
    const std::wstring name = found.cFileName;
    if (name != L"." && name != L"..")
      swept = SweepEntry(folder + L"\\" + name, found.dwFileAttributes, sweep) && swept;
  } while (FindNextFileW(search.get(), &found));
  return swept;
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

// The folder as this program's own, with the list.
bool GiveList(const std::string& folder, ProtectedAcl& acl) {
  KernelHandle handle = OpenEntry(folder, READ_CONTROL | WRITE_DAC);
  return IsTrustedFolder(handle) &&
         securityWriter(handle.get(), kProtectedDacl, nullptr, acl.get()) == ERROR_SUCCESS;
}

}  // namespace

KernelHandle OpenPlainFolder(const std::string& folder) { return PlainFolder(SjisToWide(folder)); }

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
  auto makeAnew = [&] {
    return MoveAside(folder, acl) && CreateDirectoryW(path.c_str(), &attributes) &&
           GiveList(folder, acl);
  };
  if (!CreateDirectoryW(path.c_str(), &attributes)) {
    KernelHandle existing = OpenEntry(folder, READ_CONTROL);
    // A link or a file is refused, never moved.
    if (!existing || !IsPlainFolder(existing.get())) return false;
    if (!HasTrustedOwner(existing.get())) {
      existing.reset();
      return makeAnew();
    }
  }
  if (!GiveList(folder, acl)) return false;
  // What cannot go of the maker's folder stays, as other programs left it. The
  // work folder holds only this program's entries: one that stays, a new folder.
  return SweepFolder(path, ownContent ? Sweep::ForeignEntries : Sweep::ForeignFiles) ||
         !ownContent || makeAnew();
}

void SetFolderSecurityForTest(FolderOwnerReader reader, FolderSecurityWriter writer) {
  ownerReader = reader ? reader : ReadEntryOwner;
  securityWriter = writer ? writer : WriteEntrySecurity;
}
