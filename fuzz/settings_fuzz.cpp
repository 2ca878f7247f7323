// Any bytes as a settings file: reading never fails in a way other than "not loaded", and a file
// the reader has completed is complete: reading it again reads the same and writes nothing.
// The bytes are also read as the library's own LoadFile reads a file: the in-memory reading must
// agree with it exactly. The file given to LoadFile holds the bytes up to the first NUL, where
// both end the text, and then the slack; otherwise a character cut by that NUL would have the
// library read on into what follows it, or past the end of its buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <tinyxml.h>

#include <cstdio>
#include <string>

#include "platform/Platform.h"
#include "platform/XmlText.h"
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

void checkReadsLikeLoadFile(const std::uint8_t* data, std::size_t size) {
    TiXmlDocument ours;
    std::string refusal;
    bool parsed = platform::parseXmlFile(std::string(data, data + size), ours,
                                         platform::kSettingsXmlLimits, refusal);
    // Beyond the bounds the library is never given the text (unbounded, it could end on its
    // stack); within them it reads exactly as LoadFile does.
    if (!refusal.empty()) {
        if (parsed) std::abort();
        return;
    }
    TiXmlDocument library;
    std::FILE* file = std::tmpfile();
    if (!file) std::abort();
    const char slack[platform::kXmlParseSlack] = {};
    std::size_t text = 0;
    while (text < size && data[text] != 0) ++text;
    if (size > 0 && (std::fwrite(data, 1, text, file) != text ||
                     std::fwrite(slack, 1, sizeof slack, file) != sizeof slack)) {
        std::abort();
    }
    std::fflush(file);
    bool loaded = library.LoadFile(file);
    std::fclose(file);
    if (parsed != loaded || ours.ErrorId() != library.ErrorId() ||
        ours.ErrorRow() != library.ErrorRow() || ours.ErrorCol() != library.ErrorCol()) {
        std::abort();
    }
    std::string a, b;
    if (!platform::printOnStream(std::tmpfile(), ours, a) ||
        !platform::printOnStream(std::tmpfile(), library, b) || a != b) {
        std::abort();
    }
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
    checkReadsLikeLoadFile(data, size);

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
