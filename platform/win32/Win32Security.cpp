#include "platform/win32/Win32Security.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "platform/win32/Wide.h"

namespace win32 {

namespace {

// Rights that let a principal change what the object holds or who may change it.
constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_DELETE_CHILD | DELETE |
                               WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

// Administrators and SYSTEM full control, Users read and execute, each inherited by folders and
// files inside; "P" keeps anything above from being inherited.
constexpr wchar_t kProtectedFolderList[] =
    L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)";

// The principals whose write access is no risk: the system's own and the account running this
// process.
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
        if (OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
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

// An entry of a kind not judged here (callback, object, compound) could grant anything.
bool onlyTrustedMayWrite(const void* ownerSid, const void* daclBytes) {
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
        if ((allowed->Mask & kWriteRights) && !trusted.contains(&allowed->SidStart)) return false;
    }
    return true;
}

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

}  // namespace win32
