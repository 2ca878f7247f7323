#include "platform/win32/Win32Shell.h"

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include "platform/win32/Wide.h"

namespace win32 {

bool Win32Shell::initializeCom() {
    return SUCCEEDED(CoInitialize(nullptr));
}

void Win32Shell::uninitializeCom() {
    CoUninitialize();
}

namespace {
IShellLinkW* newShellLink() {
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        return nullptr;
    }
    return link;
}
}  // namespace

platform::LinkSave Win32Shell::saveLink(const char16_t* target, const char16_t* fileName) {
    IShellLinkW* link = newShellLink();
    if (!link) return platform::LinkSave::NoLinkObject;
    link->SetPath(wide(target));
    link->SetDescription(nullptr);
    link->SetShowCmd(SW_SHOW);
    platform::LinkSave result = platform::LinkSave::NoPersistFile;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        bool saved = SUCCEEDED(file->Save(wide(fileName), TRUE));
        result = saved ? platform::LinkSave::Saved : platform::LinkSave::SaveFailed;
        file->Release();
    }
    link->Release();
    return result;
}

bool Win32Shell::loadLink(const char16_t* fileName, std::u16string& target, int& showCmd) {
    IShellLinkW* link = newShellLink();
    if (!link) return false;
    bool ok = false;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t path[MAX_PATH] = {};
        int show = 0;
        ok = SUCCEEDED(file->Load(wide(fileName), STGM_READ)) &&
             link->GetPath(path, MAX_PATH, nullptr, 0) == S_OK &&
             SUCCEEDED(link->GetShowCmd(&show));
        if (ok) {
            target = narrow16(path);
            showCmd = show;
        }
        file->Release();
    }
    link->Release();
    return ok;
}

}  // namespace win32
