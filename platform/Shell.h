// Shell links over COM. COM is initialised by the caller around each use, on its own thread.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace platform {

// How far saving a link got.
enum class LinkSave {
    NoLinkObject,   // CoCreateInstance(CLSID_ShellLink, IID_IShellLinkW) failed
    NoPersistFile,  // QueryInterface(IID_IPersistFile) failed
    Saved,          // IPersistFile::Save succeeded
    SaveFailed,     // IPersistFile::Save was called and failed
};

class Shell {
public:
    virtual ~Shell() = default;
    // CoInitialize(NULL); false on a failing HRESULT.
    virtual bool initializeCom() = 0;
    // CoUninitialize.
    virtual void uninitializeCom() = 0;
    // A new IShellLinkW: SetPath(target), SetDescription(NULL), SetShowCmd(SW_SHOW), then
    // IPersistFile::Save(fileName, TRUE); both interfaces are released.
    virtual LinkSave saveLink(const char16_t* target, const char16_t* fileName) = 0;
    // IPersistFile::Load of a link file, then GetPath and GetShowCmd. COM must be initialised.
    virtual bool loadLink(const char16_t* fileName, std::u16string& target, int& showCmd) = 0;
};

inline Shell& shell() {
    return *os().shell;
}

}  // namespace platform
