#include "common/Names.h"

#include "common/Text.h"

bool isPlainName(std::u16string_view name) {
    if (name.empty() || name == u"." || name == u"..") return false;
    for (char16_t c : name) {
        if (c < 0x20 || c == 0x7F) return false;
        switch (c) {
            case u'\\':
            case u'/':
            case u':':
            case u'*':
            case u'?':
            case u'"':
            case u'<':
            case u'>':
            case u'|':
                return false;
            default:
                break;
        }
    }
    return name.back() != u'.' && name.back() != u' ';
}

bool isPlainRelativePath(std::u16string_view path) {
    if (path.empty()) return false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != u'\\') continue;
        if (!isPlainName(path.substr(start, i - start))) return false;
        start = i + 1;
    }
    return true;
}

bool sameIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
}

bool isInsideFolder(std::u16string_view path, std::u16string_view folder) {
    if (folder.empty() || path.size() <= folder.size() + 1 || path[folder.size()] != u'\\') {
        return false;
    }
    return sameIgnoringAsciiCase(path.substr(0, folder.size()), folder) &&
           isPlainRelativePath(path.substr(folder.size() + 1));
}

bool isDirectlyInFolder(std::u16string_view path, std::u16string_view folder) {
    return isInsideFolder(path, folder) &&
           path.find(u'\\', folder.size() + 1) == std::u16string_view::npos;
}

bool folderChainOf(std::u16string_view path, std::vector<std::u16string>& chain) {
    chain.clear();
    char16_t drive = path.empty() ? u'\0' : char16_t(path[0] | 0x20);
    if (path.size() < 2 || drive < u'a' || drive > u'z' || path[1] != u':') return false;
    std::u16string folder(path.substr(0, 2));
    folder += u'\\';
    std::u16string_view rest = path.substr(2);
    if (rest == u"\\") rest = {};
    if (!rest.empty() && (rest[0] != u'\\' || !isPlainRelativePath(rest.substr(1)))) return false;
    chain.push_back(folder);
    std::size_t start = 1;
    for (std::size_t i = 1; i <= rest.size(); ++i) {
        if (i < rest.size() && rest[i] != u'\\') continue;
        if (chain.size() > 1) folder += u'\\';
        folder += rest.substr(start, i - start);
        chain.push_back(folder);
        start = i + 1;
    }
    return true;
}
