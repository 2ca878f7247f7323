#include <tinyxml.h>

#include <string_view>

#include "tools/pkgtool/ManifestElements.h"

namespace manifest {

namespace {

bool hasControlCharacter(std::u16string_view text) {
    for (char16_t c : text) {
        if (c < 0x20 || c == 0x7F) return true;
    }
    return false;
}

// A text shown by Windows as it is given: not empty, one line, short enough for its buffer.
bool checkLookText(const TiXmlElement& element, const std::u16string& text, std::size_t limit,
                   ManifestError& error) {
    std::string name = element.Value();
    if (hasControlCharacter(text)) {
        // Not echoed: the refusal stays one line.
        return refuse(error, element.Row(),
                      name +
                          ": text holds a line break or another control character (give "
                          "one line of text)");
    }
    if (!text.empty() && text.size() <= limit) return true;
    return refuse(error, element.Row(),
                  name + ": text \"" + element.Attribute("text") + "\" is not 1 to " +
                      std::to_string(limit) + " characters");
}

}  // namespace

bool isSetupLookElement(const TiXmlElement& element) {
    std::string_view name = element.Value();
    return name == "SetupTitle" || name == "SetupIcon" || name == "FileDescription" ||
           name == "Copyright";
}

bool readSetupLookElement(const TiXmlElement& element, const std::u16string& manifestPath,
                          Manifest& manifest, ManifestError& error) {
    SetupLook& look = manifest.look;
    std::string name = element.Value();
    bool icon = name == "SetupIcon";
    const char* attributeName = icon ? "path" : "text";
    if (!checkAttributes(element, {attributeName}, {}, error) || !checkNoContent(element, error)) {
        return false;
    }
    int& line = name == "SetupTitle"  ? look.titleLine
                : icon                ? look.iconLine
                : name == "Copyright" ? look.copyrightLine
                                      : look.descriptionLine;
    if (line) {
        return refuse(error, element.Row(),
                      name + ": given twice (first on line " + std::to_string(line) + ")");
    }
    line = element.Row();
    std::u16string value = attribute(element, attributeName);
    if (icon) {
        if (value.empty()) {
            return refuse(error, element.Row(),
                          "SetupIcon: path is empty (name an .ico file, relative to the manifest)");
        }
        look.icon = payloadFolderOf(manifestPath, value);
        return true;
    }
    std::u16string& into = name == "SetupTitle"  ? look.title
                           : name == "Copyright" ? look.copyright
                                                 : look.description;
    into = value;
    return checkLookText(element, value, name == "SetupTitle" ? kMaxSetupTitle : kMaxSetupText,
                         error);
}

}  // namespace manifest
