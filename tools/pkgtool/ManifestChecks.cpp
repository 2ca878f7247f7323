#include <tinyxml.h>

#include <cstring>

#include "common/Text.h"
#include "tools/pkgtool/ManifestElements.h"

namespace manifest {

namespace {

bool listed(const std::vector<const char*>& names, const char* name) {
    for (const char* n : names) {
        if (std::strcmp(n, name) == 0) return true;
    }
    return false;
}

}  // namespace

bool refuse(ManifestError& error, int line, std::string cause) {
    error.line = line;
    error.cause = std::move(cause);
    return false;
}

// Only the element's known attributes, each required one present: a misspelt one would
// otherwise be ignored silently.
bool checkAttributes(const TiXmlElement& element, const std::vector<const char*>& required,
                     const std::vector<const char*>& optional, ManifestError& error) {
    for (const TiXmlAttribute* a = element.FirstAttribute(); a; a = a->Next()) {
        if (!listed(required, a->Name()) && !listed(optional, a->Name())) {
            return refuse(
                error, a->Row(),
                std::string(element.Value()) + ": unknown attribute \"" + a->Name() + "\"");
        }
    }
    for (const char* name : required) {
        if (!element.Attribute(name)) {
            return refuse(error, element.Row(),
                          std::string(element.Value()) + ": missing attribute \"" + name + "\"");
        }
    }
    return true;
}

// Records hold attributes only; comments may sit anywhere.
bool checkNoContent(const TiXmlElement& element, ManifestError& error) {
    for (const TiXmlNode* child = element.FirstChild(); child; child = child->NextSibling()) {
        if (child->ToComment()) continue;
        if (const TiXmlElement* inner = child->ToElement()) {
            return refuse(error, inner->Row(),
                          std::string("unknown element \"") + inner->Value() + "\" inside " +
                              element.Value());
        }
        return refuse(error, child->Row(),
                      std::string(element.Value()) + ": unexpected text inside the element");
    }
    return true;
}

std::u16string attribute(const TiXmlElement& element, const char* name) {
    const char* value = element.Attribute(name);
    return value ? utf8ToUtf16(value) : std::u16string();
}

namespace {

bool isAbsolute(std::u16string_view path) {
    return (!path.empty() && path[0] == u'\\') || (path.size() >= 2 && path[1] == u':');
}

}  // namespace

// The payload folder is relative to the manifest's own folder.
std::u16string payloadFolderOf(const std::u16string& manifestPath, std::u16string payload) {
    for (char16_t& c : payload) {
        if (c == u'/') c = u'\\';
    }
    if (isAbsolute(payload)) return payload;
    std::size_t cut = manifestPath.rfind(u'\\');
    if (cut == std::u16string::npos) return payload;
    return manifestPath.substr(0, cut + 1) + payload;
}

}  // namespace manifest
