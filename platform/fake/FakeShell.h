// Shell links kept as small files in the fake file system, so a snapshot of the machine sees
// them and removing them is an ordinary file deletion. Saving refuses names with characters
// Windows does not allow in file names, as IPersistFile::Save does.
#pragma once

#include <string>

#include "platform/Shell.h"

namespace fake {

class FakeFileSystem;

class FakeShell : public platform::Shell {
public:
    explicit FakeShell(FakeFileSystem& files) : files_(files) {}

    bool initializeCom() override;
    void uninitializeCom() override;
    platform::LinkSave saveLink(const char16_t* target, const char16_t* fileName) override;
    bool loadLink(const char16_t* fileName, std::u16string& target, int& showCmd) override;

    // CoInitialize calls that succeeded minus CoUninitialize calls.
    int comDepth() const { return comDepth_; }
    // Links saved while COM was not initialised on the caller's thread.
    int savesWithoutCom() const { return savesWithoutCom_; }

private:
    FakeFileSystem& files_;
    int comDepth_ = 0;
    int savesWithoutCom_ = 0;
};

}  // namespace fake
