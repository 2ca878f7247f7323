#include "platform/win32/Win32XmlFiles.h"

#include <fcntl.h>
#include <io.h>
#include <tinyxml.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/Text.h"
#include "platform/XmlText.h"
#include "platform/win32/Wide.h"

namespace win32 {

namespace {

// A new file in the user's temporary folder that only this handle can open and that goes away
// when it closes. CREATE_NEW never opens something already there, a planted link included.
HANDLE createScratchFile() {
    wchar_t folder[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH) return INVALID_HANDLE_VALUE;
    static LONG counter = 0;
    std::u16string prefix = std::u16string(narrow16(folder)) + u"xml" +
                            utf8ToUtf16(std::to_string(GetCurrentProcessId())) + u"-";
    for (int attempt = 0; attempt < 8; ++attempt) {
        std::u16string name =
            prefix + utf8ToUtf16(std::to_string(InterlockedIncrement(&counter))) + u".tmp";
        HANDLE file =
            CreateFileW(wide(name.c_str()), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) return file;
    }
    return INVALID_HANDLE_VALUE;
}

}  // namespace

bool Win32XmlFiles::load(const char16_t* path, TiXmlDocument& doc,
                         const platform::XmlLimits& limits, std::string& refusal) {
    std::FILE* file = _wfopen(wide(path), L"rb");
    if (!file) return false;
    std::string bytes;
    bool read = platform::readStream(file, bytes, limits.bytes);
    std::fclose(file);
    return read && platform::parseXmlFile(bytes, doc, limits, refusal);
}

bool Win32XmlFiles::save(const char16_t* path, const TiXmlDocument& doc) {
    // An elevated installer writes this file back: never through a link planted at its name.
    std::string text;
    return platform::printXml(doc, text) && platform::writeXmlText(path, text, true);
}

// The C runtime's own tmpfile() would create its file in the root of the current drive.
std::FILE* Win32XmlFiles::scratchStream() {
    HANDLE file = createScratchFile();
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_BINARY);
    if (descriptor == -1) {
        CloseHandle(file);
        return nullptr;
    }
    std::FILE* stream = _fdopen(descriptor, "w+b");
    if (!stream) _close(descriptor);
    return stream;
}

}  // namespace win32
