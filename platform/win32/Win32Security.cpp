#include "platform/win32/Win32Security.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "common/Names.h"
#include "common/Text.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Wide.h"

namespace win32 {

namespace {

// Rights that let a principal change what the object holds or who may change it.
constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE |
                               WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;
// Rights that let a principal rename, remove or replace a folder or what it holds, or give
// themselves those rights. Adding to the folder is not among them.
constexpr DWORD kChangeRights = FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER | GENERIC_ALL;

// Administrators and SYSTEM full control, Users read and execute, each inherited by folders and
// files inside; "P" keeps anything above from being inherited.
constexpr wchar_t kProtectedFolderList[] =
    L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";
// The same for a file, which passes nothing on.
constexpr wchar_t kProtectedFileList[] = L"D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;0x1200a9;;;BU)";

bool isAdministrator(HANDLE token) {
    std::uint8_t admins[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof admins;
    HANDLE probe = nullptr;
    BOOL member = FALSE;
    // CheckTokenMembership needs an impersonation token; a linked token already is one.
    bool ok = CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &size) &&
              DuplicateToken(token, SecurityIdentification, &probe) &&
              CheckTokenMembership(probe, admins, &member);
    if (probe) CloseHandle(probe);
    return ok && member;
}

// What the system says of this process's account: whether it is split by UAC and whether each
// half is an administrator.
bool runningAccountIsTrusted() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE, &token)) return false;
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    bool known = GetTokenInformation(token, TokenElevationType, &type, sizeof type, &size);
    bool admin = isAdministrator(token);
    bool linkedAdmin = false;
    TOKEN_LINKED_TOKEN linked = {};
    if (known && type != TokenElevationTypeDefault &&
        GetTokenInformation(token, TokenLinkedToken, &linked, sizeof linked, &size)) {
        linkedAdmin = isAdministrator(linked.LinkedToken);
        CloseHandle(linked.LinkedToken);
    }
    CloseHandle(token);
    return known && accountCountsAsTrusted(int(type), admin, linkedAdmin);
}

// The principals whose write access is no risk: the system's own, and the account running this
// process when every process it has is an administrator's (accountCountsAsTrusted).
class TrustedPrincipals {
public:
    TrustedPrincipals() {
        add(WinLocalSystemSid);
        add(WinBuiltinAdministratorsSid);
        // NT SERVICE\TrustedInstaller: a service SID, fixed by its name, with no well-known type
        // in the SDKs this builds with.
        SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
        PSID installer = nullptr;
        if (AllocateAndInitializeSid(&nt, 6, 80, 956008885, 3418522649u, 1831038044, 1853292631,
                                     2271478464u, 0, 0, &installer)) {
            addCopy(installer);
            FreeSid(installer);
        }
        HANDLE token = nullptr;
        if (runningAccountIsTrusted() &&
            OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
            DWORD size = 0;
            GetTokenInformation(token, TokenUser, nullptr, 0, &size);
            std::vector<std::uint8_t> user(size ? size : 1);
            if (size && GetTokenInformation(token, TokenUser, user.data(), size, &size)) {
                addCopy(reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid);
            }
            CloseHandle(token);
        }
    }

    bool contains(PSID sid) const {
        if (!sid || !IsValidSid(sid)) return false;
        for (const auto& known : sids_) {
            if (EqualSid(sid, const_cast<std::uint8_t*>(known.data()))) return true;
        }
        return false;
    }

private:
    void add(WELL_KNOWN_SID_TYPE type) {
        std::vector<std::uint8_t> sid(SECURITY_MAX_SID_SIZE);
        DWORD size = DWORD(sid.size());
        if (CreateWellKnownSid(type, nullptr, sid.data(), &size)) {
            sid.resize(size);
            sids_.push_back(std::move(sid));
        }
    }
    void addCopy(PSID sid) {
        if (!sid || !IsValidSid(sid)) return;
        auto* bytes = static_cast<std::uint8_t*>(sid);
        sids_.emplace_back(bytes, bytes + GetLengthSid(sid));
    }

    std::vector<std::vector<std::uint8_t>> sids_;
};

}  // namespace

bool accountCountsAsTrusted(int elevationType, bool administrator, bool linkedAdministrator) {
    if (!administrator) return false;
    if (elevationType == TokenElevationTypeDefault) return true;
    return elevationType == TokenElevationTypeFull && linkedAdministrator;
}

// An entry of a kind not judged here (callback, object, compound) could grant anything.
bool onlyTrustedMay(const void* ownerSid, const void* daclBytes, DWORD rights) {
    static const TrustedPrincipals trusted;
    auto owner = const_cast<PSID>(ownerSid);
    auto dacl = static_cast<PACL>(const_cast<void*>(daclBytes));
    if (!trusted.contains(owner) || !dacl) return false;
    ACL_SIZE_INFORMATION size = {};
    if (!GetAclInformation(dacl, &size, sizeof size, AclSizeInformation)) return false;
    for (DWORD i = 0; i < size.AceCount; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry)) return false;
        auto* header = static_cast<ACE_HEADER*>(entry);
        if (header->AceFlags & INHERIT_ONLY_ACE) continue;
        if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        if ((allowed->Mask & rights) && !trusted.contains(&allowed->SidStart)) return false;
    }
    return true;
}

bool onlyTrustedMayWrite(const void* ownerSid, const void* daclBytes) {
    return onlyTrustedMay(ownerSid, daclBytes, kWriteRights);
}

bool onlyTrustedMayChange(const void* ownerSid, const void* daclBytes) {
    return onlyTrustedMay(ownerSid, daclBytes, kChangeRights);
}

namespace {

using platform::FolderFault;

class HandleHold : public platform::Hold {
public:
    ~HandleHold() override {
        for (HANDLE h : handles_) CloseHandle(h);
    }
    void keep(Handle& handle) { handles_.push_back(handle.release()); }

private:
    std::vector<HANDLE> handles_;
};

bool judgedBy(HANDLE handle, DWORD rights) {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool ok = GetSecurityInfo(handle, SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, &descriptor) == ERROR_SUCCESS &&
              onlyTrustedMay(owner, dacl, rights);
    if (descriptor) LocalFree(descriptor);
    return ok;
}

FolderFault missingOrUnreadable() {
    DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? FolderFault::Missing
                                                                          : FolderFault::Unreadable;
}

// One step down a held chain: `path` is opened itself and must be the object `expected` names
// (the final path of the folder above it and its own name: no link on the way, none at its
// name), of the kind wanted, and pass `rights`. The handle shares neither deletion nor, for a
// file, writing.
FolderFault openJudged(const std::wstring& path, const std::wstring* expected, bool folder,
                       DWORD rights, Handle& handle, std::wstring& finalPath) {
    // Wine reports its links only through the path, Windows through a handle on the link itself.
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return missingOrUnreadable();
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return FolderFault::Link;
    DWORD access = READ_CONTROL | FILE_READ_ATTRIBUTES | SYNCHRONIZE |
                   (folder ? FILE_LIST_DIRECTORY | FILE_TRAVERSE : GENERIC_READ);
    DWORD share = folder ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
    handle.reset(CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle.valid()) return missingOrUnreadable();
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    if (!GetFileInformationByHandleEx(handle.get(), FileAttributeTagInfo, &tag, sizeof tag) ||
        !finalPathOf(handle.get(), finalPath)) {
        return FolderFault::Unreadable;
    }
    if (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return FolderFault::Link;
    if (expected && !sameFinalPath(finalPath, *expected)) return FolderFault::Link;
    if (bool(tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != folder) return FolderFault::Missing;
    return judgedBy(handle.get(), rights) ? FolderFault::None : FolderFault::ChangeableByOthers;
}

platform::Held faultAt(FolderFault fault, const std::wstring& path) {
    platform::Held held;
    held.fault = fault;
    held.atFault = narrow16(path.c_str());
    return held;
}

std::vector<std::wstring> namesOf(std::u16string_view relative) {
    std::vector<std::wstring> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= relative.size(); ++i) {
        if (i < relative.size() && relative[i] != u'\\') continue;
        std::u16string part(relative.substr(start, i - start));
        names.emplace_back(wide(part.c_str()));
        start = i + 1;
    }
    return names;
}

}  // namespace

bool Win32Security::isWritableOnlyByTrusted(const char16_t* path) {
    // Wine reports its links only through the path, Windows through a handle on the link
    // itself: either way a link is no object of its own to judge.
    DWORD attributes = GetFileAttributesW(wide(path));
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return false;
    }
    HANDLE handle =
        CreateFileW(wide(path), READ_CONTROL | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    FILE_ATTRIBUTE_TAG_INFO tag = {};
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    bool result = GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
                  !(tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                  GetSecurityInfo(handle, SE_FILE_OBJECT,
                                  OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                  nullptr, &dacl, nullptr, &descriptor) == ERROR_SUCCESS &&
                  onlyTrustedMayWrite(owner, dacl);
    if (descriptor) LocalFree(descriptor);
    CloseHandle(handle);
    return result;
}

bool Win32Security::createProtectedFolder(const char16_t* path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kProtectedFolderList, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        return false;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    bool created = CreateDirectoryW(wide(path), &attributes) != FALSE;
    LocalFree(descriptor);
    return created;
}

platform::Held Win32Security::holdFolderChain(const char16_t* path) {
    std::vector<std::u16string> chain;
    if (!folderChainOf(viewOf(path), chain)) {
        return faultAt(FolderFault::Unreadable, wide(path));
    }
    auto hold = std::make_unique<HandleHold>();
    std::wstring above;
    for (std::size_t i = 0; i < chain.size(); ++i) {
        std::wstring folder = wide(chain[i].c_str());
        // The drive's root is taken as the system resolves it; below it, name for name.
        std::wstring expected =
            i == 0 ? std::wstring() : above + L"\\" + folder.substr(folder.rfind(L'\\') + 1);
        Handle handle;
        std::wstring finalPath;
        FolderFault fault = openJudged(folder, i == 0 ? nullptr : &expected, true, kChangeRights,
                                       handle, finalPath);
        if (fault != FolderFault::None) return faultAt(fault, folder);
        // The root's own path ends in a backslash: the names below it are joined without one.
        if (i == 0 && !finalPath.empty() && finalPath.back() == L'\\') finalPath.pop_back();
        above = finalPath;
        hold->keep(handle);
    }
    platform::Held held;
    held.hold = std::move(hold);
    return held;
}

platform::Held Win32Security::holdTrustedFile(const char16_t* base, const char16_t* relative) {
    std::wstring path = wide(base);
    if (!isPlainRelativePath(viewOf(relative))) return faultAt(FolderFault::Unreadable, path);
    Handle folder(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring above;
    if (!folder.valid() || !finalPathOf(folder.get(), above)) {
        return faultAt(FolderFault::Unreadable, path);
    }
    auto hold = std::make_unique<HandleHold>();
    std::vector<std::wstring> names = namesOf(viewOf(relative));
    for (std::size_t i = 0; i < names.size(); ++i) {
        path += L"\\" + names[i];
        std::wstring expected = above + L"\\" + names[i];
        Handle handle;
        FolderFault fault =
            openJudged(path, &expected, i + 1 < names.size(), kWriteRights, handle, above);
        if (fault != FolderFault::None) return faultAt(fault, path);
        hold->keep(handle);
    }
    platform::Held held;
    held.hold = std::move(hold);
    return held;
}

namespace {

// The protected list put on an open file.
bool protectOpenFile(HANDLE file) {
    BY_HANDLE_FILE_INFORMATION info = {};
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    PACL dacl = nullptr;
    BOOL present = FALSE, defaulted = FALSE;
    bool set = GetFileInformationByHandle(file, &info) && info.nNumberOfLinks == 1 &&
               ConvertStringSecurityDescriptorToSecurityDescriptorW(
                   kProtectedFileList, SDDL_REVISION_1, &descriptor, nullptr) &&
               GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) &&
               SetSecurityInfo(file, SE_FILE_OBJECT,
                               DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                               nullptr, nullptr, dacl, nullptr) == ERROR_SUCCESS;
    if (descriptor) LocalFree(descriptor);
    return set;
}

}  // namespace

bool Win32Security::protectFileBelow(const char16_t* base, const char16_t* relative) {
    if (!isPlainRelativePath(viewOf(relative))) return false;
    Handle folder(CreateFileW(wide(base), FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    std::wstring above, path = wide(base);
    if (!folder.valid() || !finalPathOf(folder.get(), above)) return false;
    std::vector<std::wstring> names = namesOf(viewOf(relative));
    for (std::size_t i = 0; i < names.size(); ++i) {
        bool last = i + 1 == names.size();
        path += L"\\" + names[i];
        std::wstring expected = above + L"\\" + names[i];
        // Wine reports its links only through the path, Windows through a handle on the link.
        DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            return false;
        }
        DWORD access = FILE_READ_ATTRIBUTES | (last ? READ_CONTROL | WRITE_DAC : 0);
        Handle object(CreateFileW(
            path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        FILE_ATTRIBUTE_TAG_INFO tag = {};
        std::wstring actual;
        if (!object.valid() ||
            !GetFileInformationByHandleEx(object.get(), FileAttributeTagInfo, &tag, sizeof tag) ||
            (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
            bool(tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) == last ||
            !finalPathOf(object.get(), actual) || !sameFinalPath(actual, expected)) {
            return false;
        }
        if (last) return protectOpenFile(object.get());
        above = actual;
    }
    return false;
}

}  // namespace win32
