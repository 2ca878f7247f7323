// The setup log's file on Windows.
#pragma once

#include "platform/LogFile.h"

namespace win32 {

class Win32LogFile : public platform::LogFile {
public:
    ~Win32LogFile() override;
    platform::LogOpening open(const char16_t* path) override;
    bool append(const char* bytes, std::size_t size) override;
    void close() override;
    bool tempFolder(std::u16string& path) override;
    platform::LocalTime localTime() override;
    std::uint32_t lastError() override;

private:
    void* handle_ = nullptr;
};

}  // namespace win32
