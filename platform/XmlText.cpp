#include "platform/XmlText.h"

#include "common/Text.h"
#include "platform/FileSystem.h"
#include "platform/XmlFiles.h"

namespace platform {

namespace {

// The line ends as LoadFile leaves them, up to the first NUL.
std::string normalisedLines(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size() + kXmlParseSlack);
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\0'; ++i) {
        if (bytes[i] != '\r') {
            text.push_back(bytes[i]);
            continue;
        }
        text.push_back('\n');
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    }
    return text;
}

}  // namespace

bool readStream(std::FILE* stream, std::string& bytes, std::size_t limit) {
    bytes.clear();
    char chunk[4096];
    while (bytes.size() <= limit) {
        // One byte past the limit says that there is more.
        std::size_t room = limit - bytes.size();
        std::size_t want = room < sizeof chunk ? room + 1 : sizeof chunk;
        std::size_t got = std::fread(chunk, 1, want, stream);
        if (got == 0) break;
        bytes.append(chunk, got);
    }
    return std::ferror(stream) == 0;
}

bool parseXmlFile(const std::string& bytes, TiXmlDocument& doc, const XmlLimits& limits,
                  std::string& refusal) {
    doc.Clear();
    refusal.clear();
    if (!xmlTextWithinLimits(bytes, limits, refusal)) return false;
    // Empty bytes give an empty text, which the library refuses as an empty document.
    return parseXmlText(normalisedLines(bytes), TIXML_DEFAULT_ENCODING, doc, limits, refusal);
}

bool parseXmlText(const std::string& text, TiXmlEncoding encoding, TiXmlDocument& doc,
                  const XmlLimits& limits, std::string& refusal) {
    refusal.clear();
    if (!xmlTextWithinLimits(text, limits, refusal)) return false;
    std::string padded = text;
    padded.append(kXmlParseSlack, '\0');
    doc.Parse(padded.c_str(), nullptr, encoding);
    return !doc.Error() && xmlTreeWithinLimits(doc, limits, refusal);
}

bool printOnStream(std::FILE* scratch, const TiXmlDocument& doc, std::string& text) {
    if (!scratch) return false;
    bool printed = doc.SaveFile(scratch) && std::fflush(scratch) == 0 &&
                   std::fseek(scratch, 0, SEEK_SET) == 0 && readStream(scratch, text);
    std::fclose(scratch);
    return printed;
}

bool printXml(const TiXmlDocument& doc, std::string& text) {
    return printOnStream(xmlFiles().scratchStream(), doc, text);
}

bool writeXmlText(const char16_t* path, const std::string& text, bool textMode) {
    std::u16string_view whole = viewOf(path);
    std::size_t cut = whole.find_last_of(u"\\/");
    TextBuffer folder, name;
    if (cut == std::u16string_view::npos || !copyText(folder, whole.substr(0, cut)) ||
        !copyText(name, whole.substr(cut + 1))) {
        return false;
    }
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n' && textMode) bytes.push_back('\r');
        bytes.push_back(c);
    }
    auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    return files().writeFileBelow(folder, name, data, bytes.size()) == WriteResult::Written;
}

}  // namespace platform
