#include "platform/fake/FakeXmlFiles.h"

#include <tinyxml.h>

#include <string>
#include <vector>

#include "common/Text.h"
#include "platform/FileSystem.h"
#include "platform/XmlText.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

bool FakeXmlFiles::load(const char16_t* path, TiXmlDocument& doc, const platform::XmlLimits& limits,
                        std::string& refusal) {
    if (faults().shouldFail("loadXml", utf16ToUtf8(viewOf(path)))) return false;
    std::vector<std::uint8_t> bytes;
    if (!platform::files().readFile(path, bytes)) return false;
    return platform::parseXmlFile(std::string(bytes.begin(), bytes.end()), doc, limits, refusal);
}

bool FakeXmlFiles::save(const char16_t* path, const TiXmlDocument& doc) {
    if (faults().shouldFail("saveXml", utf16ToUtf8(viewOf(path)))) return false;
    std::string text;
    return platform::printOnStream(std::tmpfile(), doc, text) &&
           platform::writeXmlText(path, text, false);
}

std::FILE* FakeXmlFiles::scratchStream() {
    if (faults().shouldFail("scratchStream")) return nullptr;
    return std::tmpfile();
}

}  // namespace fake
