#include "platform/fake/FakeXmlFiles.h"

#include <tinyxml.h>

#include <cstdio>
#include <vector>

#include "common/Text.h"
#include "platform/FileSystem.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

namespace {

bool readStream(std::FILE* stream, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::rewind(stream);
    std::uint8_t chunk[4096];
    while (std::size_t got = std::fread(chunk, 1, sizeof chunk, stream)) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    return std::ferror(stream) == 0;
}

}  // namespace

bool FakeXmlFiles::load(const char16_t* path, TiXmlDocument& doc) {
    if (faults().shouldFail("loadXml", utf16ToUtf8(viewOf(path)))) return false;
    std::vector<std::uint8_t> bytes;
    if (!platform::files().readFile(path, bytes)) return false;
    std::FILE* stream = std::tmpfile();
    if (!stream) return false;
    bool loaded =
        (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), stream) == bytes.size()) &&
        std::fflush(stream) == 0 && doc.LoadFile(stream);
    std::fclose(stream);
    return loaded;
}

bool FakeXmlFiles::save(const char16_t* path, const TiXmlDocument& doc) {
    if (faults().shouldFail("saveXml", utf16ToUtf8(viewOf(path)))) return false;
    std::FILE* stream = std::tmpfile();
    if (!stream) return false;
    std::vector<std::uint8_t> bytes;
    bool printed = doc.SaveFile(stream) && readStream(stream, bytes);
    std::fclose(stream);
    return printed && platform::files().writeFile(path, bytes.data(), bytes.size()) ==
                          platform::WriteResult::Written;
}

}  // namespace fake
