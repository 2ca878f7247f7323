// Any bytes as a settings file: reading never fails in a way other than "not loaded", and a file
// the reader has completed is complete: reading it again reads the same and writes nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/Platform.h"
#include "platform/fake/FakeCodepage.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FakeXmlFiles.h"
#include "platform/fake/FaultPlan.h"
#include "startup/Settings.h"

namespace {

bool sameRecord(const UnattendedSettings& a, const UnattendedSettings& b) {
    return a.language == b.language && a.licenceAgreed == b.licenceAgreed &&
           a.showPanel == b.showPanel && a.hidMode == b.hidMode &&
           textEquals(a.installBase, b.installBase);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fake::FakeFileSystem files;
    fake::FakeCodepage codepage;
    fake::FakeXmlFiles xml;
    platform::os().files = &files;
    platform::os().codepage = &codepage;
    platform::os().xml = &xml;
    fake::faults().clear();

    const std::u16string path = u"C:\\script.ini";
    files.addFile(path, std::vector<std::uint8_t>(data, data + size));
    UnattendedSettings first;
    if (!readSettingsFile(path.c_str(), first)) {
        if (files.contents(path) != std::vector<std::uint8_t>(data, data + size)) std::abort();
        return 0;
    }
    std::vector<std::uint8_t> completed = files.contents(path);
    UnattendedSettings second;
    if (!readSettingsFile(path.c_str(), second)) std::abort();
    if (!sameRecord(first, second) || files.contents(path) != completed) std::abort();
    return 0;
}
