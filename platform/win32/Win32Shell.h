// Shell links through COM: IShellLinkW with IPersistFile.
#pragma once

#include "platform/Shell.h"

namespace win32 {

class Win32Shell : public platform::Shell {
public:
    bool initializeCom() override;
    void uninitializeCom() override;
    platform::LinkSave saveLink(const char16_t* target, const char16_t* fileName) override;
    bool loadLink(const char16_t* fileName, std::u16string& target, int& showCmd) override;
};

}  // namespace win32
