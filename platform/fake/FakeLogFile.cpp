#include "platform/fake/FakeLogFile.h"

#include "common/Text.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

bool FakeLogFile::open(const char16_t* path) {
    close();
    std::u16string name(path ? path : u"");
    if (faults().shouldFail("openLog", utf16ToUtf8(name))) return false;
    std::size_t cut = name.rfind(u'\\');
    if (cut == std::u16string::npos || !files_.hasFolder(name.substr(0, cut))) return false;
    if (files_.isLinkAt(name) || files_.hasFolder(name)) return false;
    written[name].clear();
    openPath = name;
    return true;
}

bool FakeLogFile::append(const char* bytes, std::size_t size) {
    if (openPath.empty() || faults().shouldFail("appendLog")) return false;
    written[openPath].append(bytes, size);
    return true;
}

void FakeLogFile::close() {
    openPath.clear();
}

bool FakeLogFile::tempFolder(std::u16string& path) {
    if (temp.empty()) return false;
    path = temp;
    return true;
}

platform::LocalTime FakeLogFile::localTime() {
    return now;
}

std::uint32_t FakeLogFile::lastError() {
    return error;
}

}  // namespace fake
