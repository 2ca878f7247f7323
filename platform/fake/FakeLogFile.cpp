#include "platform/fake/FakeLogFile.h"

#include <algorithm>

#include "common/Text.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

namespace {

bool linkOnTheWay(const FakeFileSystem& files, const std::u16string& name) {
    for (std::size_t cut = name.find(u'\\'); cut != std::u16string::npos;
         cut = name.find(u'\\', cut + 1)) {
        if (files.isLinkAt(name.substr(0, cut))) return true;
    }
    return files.isLinkAt(name);
}

}  // namespace

platform::LogOpening FakeLogFile::open(const char16_t* path) {
    using platform::LogRefusal;
    close();
    platform::LogOpening result;
    std::u16string name(path ? path : u"");
    if (faults().shouldFail("openLog", utf16ToUtf8(name))) return result;
    std::size_t cut = name.rfind(u'\\');
    if (cut == std::u16string::npos) return result;
    if (linkOnTheWay(files_, name)) {
        result.refusal = LogRefusal::Link;
    } else if (!files_.hasFolder(name.substr(0, cut))) {
        result.refusal = LogRefusal::NoFolder;
    } else if (files_.hasFolder(name)) {
        result.refusal = LogRefusal::NotAFile;
    } else if (std::find(inUse.begin(), inUse.end(), name) != inUse.end()) {
        result.refusal = LogRefusal::InUse;
    } else if (files_.hasFile(name) && files_.linkCount(name) > 1) {
        result.refusal = LogRefusal::SecondName;
    } else if (files_.hasFile(name) && files_.effectiveAccess(name) != Access::OnlyTrusted) {
        result.refusal = LogRefusal::OthersCanWrite;
    } else {
        result.refusal = LogRefusal::None;
        result.existed = files_.hasFile(name) || written.count(name) != 0;
        result.size = written[name].size();
        openPath = name;
    }
    return result;
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
