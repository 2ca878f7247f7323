// The setup log's file beside the fake file system: a name is refused when the file system has
// a link there or on the way, a folder there, or no folder above it, and so is a file planted in
// the file system that has a second name or that others may write; what is written is kept here
// by name, appended run after run (the machine's snapshot does not change). The clock and the
// last error are set by the test.
#pragma once

#include <map>
#include <vector>
#include <string>

#include "platform/LogFile.h"

namespace fake {

class FakeFileSystem;

class FakeLogFile : public platform::LogFile {
public:
    explicit FakeLogFile(FakeFileSystem& files) : files_(files) {}

    platform::LogOpening open(const char16_t* path) override;
    bool append(const char* bytes, std::size_t size) override;
    void close() override;
    bool tempFolder(std::u16string& path) override;
    platform::LocalTime localTime() override;
    std::uint32_t lastError() override;

    // Direct access for tests.
    std::u16string temp = u"C:\\Users\\Admin\\AppData\\Local\\Temp";  // empty: none
    platform::LocalTime now{2026, 12, 9, 8, 30, 5, 42};
    std::uint32_t error = 0;
    std::map<std::u16string, std::string> written;  // by the name it was opened with
    std::u16string openPath;                        // empty while none is open
    std::vector<std::u16string> inUse;              // names another process holds open

private:
    FakeFileSystem& files_;
};

}  // namespace fake
