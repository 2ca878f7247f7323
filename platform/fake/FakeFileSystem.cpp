#include "platform/fake/FakeFileSystem.h"

#include <algorithm>

#include "common/Text.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

namespace {
std::string traceOf(const char16_t* path) {
    return utf16ToUtf8(viewOf(path));
}
}  // namespace

FakeFileSystem::FakeFileSystem() {
    for (const char16_t* p :
         {u"C:", u"C:\\Program Files", u"C:\\Windows", u"C:\\Windows\\System32", u"C:\\Users",
          u"C:\\Users\\Public", u"C:\\Users\\Public\\Documents", u"C:\\Users\\admin",
          u"C:\\Users\\admin\\Desktop", u"C:\\Users\\admin\\Start Menu",
          u"C:\\Users\\admin\\Start Menu\\Programs"}) {
        addFolder(p);
    }
}

std::u16string FakeFileSystem::key(std::u16string_view path) {
    std::u16string k(path);
    while (!k.empty() && k.back() == u'\\') k.pop_back();
    std::transform(k.begin(), k.end(), k.begin(), asciiLower);
    return k;
}

bool FakeFileSystem::parentIsFolder(const std::u16string& k) const {
    std::size_t cut = k.rfind(u'\\');
    if (cut == std::u16string::npos) return false;
    auto it = entries_.find(k.substr(0, cut));
    return it != entries_.end() && it->second.node.isDirectory;
}

bool FakeFileSystem::exists(const char16_t* path) {
    if (faults().shouldFail("exists", traceOf(path))) return false;
    return entries_.count(key(viewOf(path))) != 0;
}

bool FakeFileSystem::createFolder(const char16_t* path) {
    if (faults().shouldFail("createFolder", traceOf(path))) return false;
    std::u16string k = key(viewOf(path));
    if (k.empty() || entries_.count(k) || !parentIsFolder(k)) return false;
    entries_[k] = Entry{std::u16string(viewOf(path)), Node{true, {}}};
    return true;
}

bool FakeFileSystem::removeFolder(const char16_t* path) {
    if (faults().shouldFail("removeFolder", traceOf(path))) return false;
    std::u16string k = key(viewOf(path));
    auto it = entries_.find(k);
    if (it == entries_.end() || !it->second.node.isDirectory) return false;
    auto next = std::next(it);
    if (next != entries_.end() && next->first.starts_with(k + u"\\")) return false;
    entries_.erase(it);
    return true;
}

bool FakeFileSystem::deleteFile(const char16_t* path) {
    if (faults().shouldFail("deleteFile", traceOf(path))) return false;
    auto it = entries_.find(key(viewOf(path)));
    if (it == entries_.end() || it->second.node.isDirectory) return false;
    entries_.erase(it);
    return true;
}

bool FakeFileSystem::listFolder(const char16_t* path, std::vector<platform::DirEntry>& out) {
    out.clear();
    if (faults().shouldFail("listFolder", traceOf(path))) return false;
    std::u16string k = key(viewOf(path));
    auto it = entries_.find(k);
    if (it == entries_.end() || !it->second.node.isDirectory) return false;
    out.push_back({u".", true});
    out.push_back({u"..", true});
    std::u16string prefix = k + u"\\";
    for (auto e = entries_.lower_bound(prefix); e != entries_.end(); ++e) {
        if (!e->first.starts_with(prefix)) break;
        if (e->first.find(u'\\', prefix.size()) != std::u16string::npos) continue;
        out.push_back({std::u16string(fileNameOf(e->second.name)), e->second.node.isDirectory});
    }
    return true;
}

platform::WriteResult FakeFileSystem::writeFile(const char16_t* path, const std::uint8_t* bytes,
                                                std::size_t size) {
    if (faults().shouldFail("writeFile", traceOf(path))) {
        return platform::WriteResult::CannotCreate;
    }
    std::u16string k = key(viewOf(path));
    auto it = entries_.find(k);
    if ((it != entries_.end() && it->second.node.isDirectory) || !parentIsFolder(k)) {
        return platform::WriteResult::CannotCreate;
    }
    std::u16string name = it != entries_.end() ? it->second.name : std::u16string(viewOf(path));
    bool isShort = std::find(shortWrites_.begin(), shortWrites_.end(), k) != shortWrites_.end();
    std::size_t kept = isShort && size > 0 ? size - 1 : size;
    entries_[k] = Entry{name, Node{false, std::vector<std::uint8_t>(bytes, bytes + kept)}};
    return isShort ? platform::WriteResult::ShortWrite : platform::WriteResult::Written;
}

bool FakeFileSystem::readFile(const char16_t* path, std::vector<std::uint8_t>& bytes) {
    if (faults().shouldFail("readFile", traceOf(path))) return false;
    auto it = entries_.find(key(viewOf(path)));
    if (it == entries_.end() || it->second.node.isDirectory) return false;
    bytes = it->second.node.bytes;
    return true;
}

bool FakeFileSystem::specialFolder(platform::SpecialFolder which, std::u16string& path) {
    if (faults().shouldFail("specialFolder")) return false;
    switch (which) {
        case platform::SpecialFolder::ProgramFiles:
            path = u"C:\\Program Files";
            break;
        case platform::SpecialFolder::Programs:
            path = u"C:\\Users\\admin\\Start Menu\\Programs";
            break;
        case platform::SpecialFolder::Desktop:
            path = u"C:\\Users\\admin\\Desktop";
            break;
        case platform::SpecialFolder::System:
            path = u"C:\\Windows\\System32";
            break;
        case platform::SpecialFolder::CommonDocuments:
            path = u"C:\\Users\\Public\\Documents";
            break;
    }
    return true;
}

void FakeFileSystem::addFolder(const std::u16string& path) {
    entries_[key(path)] = Entry{path, Node{true, {}}};
}

void FakeFileSystem::addFile(const std::u16string& path, std::vector<std::uint8_t> bytes) {
    entries_[key(path)] = Entry{path, Node{false, std::move(bytes)}};
}

bool FakeFileSystem::hasFile(const std::u16string& path) const {
    auto it = entries_.find(key(path));
    return it != entries_.end() && !it->second.node.isDirectory;
}

bool FakeFileSystem::hasFolder(const std::u16string& path) const {
    auto it = entries_.find(key(path));
    return it != entries_.end() && it->second.node.isDirectory;
}

std::vector<std::uint8_t> FakeFileSystem::contents(const std::u16string& path) const {
    auto it = entries_.find(key(path));
    return it == entries_.end() ? std::vector<std::uint8_t>{} : it->second.node.bytes;
}

std::map<std::u16string, FakeFileSystem::Node> FakeFileSystem::snapshot() const {
    std::map<std::u16string, Node> out;
    for (const auto& [k, e] : entries_) out[e.name] = e.node;
    return out;
}

}  // namespace fake
