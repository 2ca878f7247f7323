#include "platform/XmlText.h"

#include "platform/XmlFiles.h"

namespace platform {

namespace {

bool readAll(std::FILE* stream, std::string& text) {
    text.clear();
    char chunk[4096];
    while (std::size_t got = std::fread(chunk, 1, sizeof chunk, stream)) text.append(chunk, got);
    return std::ferror(stream) == 0;
}

}  // namespace

bool printOnStream(std::FILE* scratch, const TiXmlDocument& doc, std::string& text) {
    if (!scratch) return false;
    bool printed = doc.SaveFile(scratch) && std::fflush(scratch) == 0 &&
                   std::fseek(scratch, 0, SEEK_SET) == 0 && readAll(scratch, text);
    std::fclose(scratch);
    return printed;
}

bool parseFromStream(std::FILE* scratch, const std::string& text, TiXmlDocument& doc) {
    if (!scratch) return false;
    // An empty file stays empty, which the library refuses as such.
    const char slack[kXmlParseSlack] = {};
    bool loaded =
        (text.empty() || (std::fwrite(text.data(), 1, text.size(), scratch) == text.size() &&
                          std::fwrite(slack, 1, sizeof slack, scratch) == sizeof slack)) &&
        std::fflush(scratch) == 0 && doc.LoadFile(scratch);
    std::fclose(scratch);
    return loaded;
}

bool loadFromStream(std::FILE* file, std::FILE* scratch, TiXmlDocument& doc) {
    std::string text;
    if (!readAll(file, text)) {
        if (scratch) std::fclose(scratch);
        return false;
    }
    return parseFromStream(scratch, text, doc);
}

bool printXml(const TiXmlDocument& doc, std::string& text) {
    return printOnStream(xmlFiles().scratchStream(), doc, text);
}

bool parseXml(const std::string& text, TiXmlDocument& doc) {
    return parseFromStream(xmlFiles().scratchStream(), text, doc);
}

bool parseXmlText(const std::string& text, TiXmlEncoding encoding, TiXmlDocument& doc) {
    std::string padded = text;
    padded.append(kXmlParseSlack, '\0');
    doc.Parse(padded.c_str(), nullptr, encoding);
    return !doc.Error();
}

}  // namespace platform
