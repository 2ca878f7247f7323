/* A stand-in for setup.exe in the tests of `pkgtool make-setup`: it carries the resources a
   setup carries (setup_stub.rc) and reads them back the way setup.exe does, with
   FindResourceW, printing one line per resource: its size and SHA-256, or "absent". Then the
   title string 105, whether icon 107 loads (and the sizes a window asks for), and the version
   resource's numbers and strings. */
#include <windows.h>
// After windows.h, which it needs.
#include <wincrypt.h>

#include <stdio.h>

static void sha256(const BYTE* data, DWORD size, char* hex) {
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    BYTE digest[32];
    DWORD length = sizeof digest;
    strcpy(hex, "unavailable");
    if (!CryptAcquireContextW(&provider, NULL, NULL, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return;
    if (CryptCreateHash(provider, CALG_SHA_256, 0, 0, &hash) &&
        CryptHashData(hash, data, size, 0) &&
        CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0)) {
        for (DWORD i = 0; i < length; ++i) sprintf(hex + 2 * i, "%02x", digest[i]);
    }
    if (hash) CryptDestroyHash(hash);
    CryptReleaseContext(provider, 0);
}

static void printResource(const wchar_t* type, const char* typeName, int id) {
    HRSRC found = FindResourceW(NULL, MAKEINTRESOURCEW(id), type);
    if (!found) {
        printf("%s %d absent\n", typeName, id);
        return;
    }
    DWORD size = SizeofResource(NULL, found);
    const BYTE* bytes = (const BYTE*)LockResource(LoadResource(NULL, found));
    char hex[65];
    sha256(bytes, size, hex);
    printf("%s %d size=%lu sha256=%s\n", typeName, id, (unsigned long)size, hex);
}

/* The version resource as Windows reads it for a file's properties: the fixed numbers and
   the strings deployment tools show. */
static void printVersion(void) {
    static const wchar_t* const keys[] = {L"FileDescription", L"CompanyName",    L"ProductName",
                                          L"FileVersion",     L"ProductVersion", L"LegalCopyright"};
    wchar_t path[MAX_PATH];
    DWORD handle = 0;
    DWORD n = GetModuleFileNameW(NULL, path, MAX_PATH);
    DWORD size = n && n < MAX_PATH ? GetFileVersionInfoSizeW(path, &handle) : 0;
    static BYTE info[8192];
    VS_FIXEDFILEINFO* fixed = NULL;
    UINT length = 0;
    if (!size || size > sizeof info || !GetFileVersionInfoW(path, 0, size, info)) {
        printf("version=absent\n");
        return;
    }
    if (VerQueryValueW(info, L"\\", (void**)&fixed, &length) && length >= sizeof *fixed) {
        printf("version numbers=%lu.%lu.%lu.%lu\n", (unsigned long)HIWORD(fixed->dwFileVersionMS),
               (unsigned long)LOWORD(fixed->dwFileVersionMS),
               (unsigned long)HIWORD(fixed->dwFileVersionLS),
               (unsigned long)LOWORD(fixed->dwFileVersionLS));
    }
    for (int i = 0; i < 6; ++i) {
        wchar_t query[64] = L"\\StringFileInfo\\040904b0\\";
        wchar_t* text = NULL;
        wcscat(query, keys[i]);
        if (VerQueryValueW(info, query, (void**)&text, &length) && length) {
            if (i == 0)
                printf("version=%ls\n", text);
            else
                printf("version %ls=%ls\n", keys[i], text);
        }
    }
}

/* The width of the image LoadImage picks for a size, or "absent". */
static void printIconSize(int side) {
    HICON icon =
        (HICON)LoadImageW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(107), IMAGE_ICON, side, side, 0);
    ICONINFO parts;
    BITMAP bitmap;
    if (icon && GetIconInfo(icon, &parts)) {
        GetObjectW(parts.hbmColor ? parts.hbmColor : parts.hbmMask, sizeof bitmap, &bitmap);
        printf("icon 107 at %d=%ld\n", side, (long)bitmap.bmWidth);
        if (parts.hbmColor) DeleteObject(parts.hbmColor);
        DeleteObject(parts.hbmMask);
        DestroyIcon(icon);
    } else {
        printf("icon 107 at %d=absent\n", side);
    }
}

int wmain(void) {
    static const int pngs[] = {200, 207, 210, 226, 229, 239};
    static const int bmps[] = {204, 236};
    wchar_t title[128] = {0};
    printResource(L"RES_DATA", "RES_DATA", 199);
    printResource(L"RES_IMAGE_DATA", "RES_IMAGE_DATA", 250);
    for (int i = 0; i < 6; ++i) printResource(L"PNG", "PNG", pngs[i]);
    for (int i = 0; i < 2; ++i) printResource(L"BMP", "BMP", bmps[i]);
    printf("string 105=%ls\n", LoadStringW(NULL, 105, title, 128) ? title : L"absent");
    printf("icon 107=%s\n",
           LoadIconW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(107)) ? "loaded" : "absent");
    printIconSize(16);
    printIconSize(48);
    printVersion();
    return 0;
}
