
#include "platform/fake/FakeFileSystem.h"

#include <algorithm>

#include "common/Names.h"
#include "common/Text.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

namespace {

constexpr int kLinkDepth = 32;  // more links than this on one path is a loop

std::string traceOf(const char16_t* path) {
    return utf16ToUtf8(viewOf(path));
}

std::string traceOf(const char16_t* base, const char16_t* relative) {
    return utf16ToUtf8(viewOf(base)) + "\\" + utf16ToUtf8(viewOf(relative));
}

std::vector<std::u16string> namesOf(std::u16string_view path) {
    std::vector<std::u16string> names;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != u'\\') continue;
        if (i > start) names.emplace_back(path.substr(start, i - start));
        start = i + 1;
    }
    return names;
}

std::u16string joined(const std::vector<std::u16string>& names, std::size_t count) {
    std::u16string out;
    for (std::size_t i = 0; i < count && i < names.size(); ++i) {
        if (i) out += u'\\';
        out += names[i];
    }
    return out;
}

}  // namespace

FakeFileSystem::FakeFileSystem() {
    for (const char16_t* p :
         {u"C:\\", u"C:\\Program Files", u"C:\\Windows", u"C:\\Windows\\System32", u"C:\\Users",
          u"C:\\Users\\Public", u"C:\\Users\\Public\\Documents", u"C:\\Users\\admin",
          u"C:\\Users\\admin\\Desktop", u"C:\\Users\\admin\\Start Menu",
          u"C:\\Users\\admin\\Start Menu\\Programs", u"C:\\Users\\Public\\Desktop",
          u"C:\\ProgramData", u"C:\\ProgramData\\Microsoft", u"C:\\ProgramData\\Microsoft\\Windows",
          u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu",
          u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"}) {
        addFolder(p);
    }
}

std::u16string FakeFileSystem::currentFolder = u"C:\\Windows\\System32";

std::u16string FakeFileSystem::lexical(std::u16string_view path) {
    std::u16string text(path);
    std::replace(text.begin(), text.end(), u'/', u'\\');
    // "C:" and "C:name" start at the current folder when it lies on that drive, else at its root.
    bool driveRelative =
        text.size() >= 2 && text[1] == u':' && (text.size() == 2 || text[2] != u'\\');
    if (driveRelative) {
        bool sameDrive =
            !currentFolder.empty() && asciiLower(currentFolder[0]) == asciiLower(text[0]);
        text = (sameDrive ? currentFolder : text.substr(0, 2)) + u"\\" + text.substr(2);
    }
    std::vector<std::u16string> names = namesOf(text);
    if (!names.empty()) {
        std::u16string& last = names.back();
        while (!last.empty() && (last.back() == u'.' || last.back() == u' ')) last.pop_back();
        if (last.empty()) names.pop_back();
    }
    std::vector<std::u16string> kept;
    for (const std::u16string& name : names) {
        if (name == u".") continue;
        if (name == u"..") {
            if (kept.size() > 1) kept.pop_back();  // never above the drive
            continue;
        }
        kept.push_back(name);
    }
    return joined(kept, kept.size());
}

std::u16string FakeFileSystem::fold(std::u16string_view path) {
    std::u16string k(path);
    std::transform(k.begin(), k.end(), k.begin(), asciiLower);
    return k;
}

bool FakeFileSystem::resolve(std::u16string_view path, bool followLast, std::u16string& out) const {
    std::vector<std::u16string> names = namesOf(lexical(path));
    for (int depth = 0; depth < kLinkDepth; ++depth) {
        bool followed = false;
        for (std::size_t i = 0; i < names.size(); ++i) {
            bool last = i + 1 == names.size();
            const Entry* e = find(joined(names, i + 1));
            if (!e || !e->node.isLink() || (last && !followLast)) continue;
            std::vector<std::u16string> target = namesOf(lexical(e->node.linkTarget));
            target.insert(target.end(), names.begin() + std::ptrdiff_t(i + 1), names.end());
            names = namesOf(lexical(joined(target, target.size())));
            followed = true;
            break;
        }
        if (!followed) {
            out = joined(names, names.size());
            return !out.empty();
        }
    }
    return false;
}

bool FakeFileSystem::strictlyBelow(const char16_t* base, const char16_t* relative,
                                   bool lastMayBeLink, std::u16string& out) const {
    std::u16string_view rel = viewOf(relative);
    if (!isPlainRelativePath(rel) || !resolve(viewOf(base), true, out)) return false;
    const Entry* b = find(out);
    if (!b || !b->node.isDirectory || b->node.isLink()) return false;
    std::vector<std::u16string> names = namesOf(rel);
    for (std::size_t i = 0; i < names.size(); ++i) {
        out += u"\\" + names[i];
        const Entry* e = find(out);
        if (e && e->node.isLink() && !(lastMayBeLink && i + 1 == names.size())) return false;
    }
    return true;
}

const FakeFileSystem::Entry* FakeFileSystem::find(const std::u16string& resolved) const {
    auto it = entries_.find(fold(resolved));
    return it == entries_.end() ? nullptr : &it->second;
}

bool FakeFileSystem::parentIsFolder(const std::u16string& resolved) const {
    std::size_t cut = resolved.rfind(u'\\');
    if (cut == std::u16string::npos) return false;
    const Entry* parent = find(resolved.substr(0, cut));
    return parent && parent->node.isDirectory && !parent->node.isLink();
}

bool FakeFileSystem::hasChildren(const std::u16string& resolved) const {
    std::u16string prefix = fold(resolved) + u"\\";
    auto next = entries_.lower_bound(prefix);
    return next != entries_.end() && next->first.starts_with(prefix);
}

void FakeFileSystem::list(const std::u16string& resolved,
                          std::vector<platform::DirEntry>& out) const {
    out.push_back({u".", true});
    out.push_back({u"..", true});
    std::u16string prefix = fold(resolved) + u"\\";
    for (auto e = entries_.lower_bound(prefix); e != entries_.end(); ++e) {
        if (!e->first.starts_with(prefix)) break;
        if (e->first.find(u'\\', prefix.size()) != std::u16string::npos) continue;
        out.push_back({std::u16string(fileNameOf(e->second.name)), e->second.node.isDirectory});
    }
}

platform::WriteResult FakeFileSystem::write(const std::u16string& resolved,
                                            const std::uint8_t* bytes, std::size_t size) {
    const Entry* existing = find(resolved);
    if ((existing && existing->node.isDirectory) || !parentIsFolder(resolved)) {
        return platform::WriteResult::CannotCreate;
    }
    if (existing && !existing->node.hardLinkOf.empty()) {
        auto other = entries_.find(existing->node.hardLinkOf);
        if (other == entries_.end()) return platform::WriteResult::CannotCreate;
        other->second.node.bytes.assign(bytes, bytes + size);
        return platform::WriteResult::Written;
    }
    std::u16string k = fold(resolved);
    bool isShort = std::find(shortWrites_.begin(), shortWrites_.end(), k) != shortWrites_.end();
    std::size_t kept = isShort && size > 0 ? size - 1 : size;
    Entry entry{existing ? existing->name : resolved, Node{}};
    entry.node.bytes.assign(bytes, bytes + kept);
    if (existing) entry.node.access = existing->node.access;
    entries_[k] = std::move(entry);
    return isShort ? platform::WriteResult::ShortWrite : platform::WriteResult::Written;
}

bool FakeFileSystem::exists(const char16_t* path) {
    if (faults().shouldFail("exists", traceOf(path))) return false;
    std::u16string r;
    return resolve(viewOf(path), false, r) && find(r);
}

bool FakeFileSystem::createFolder(const char16_t* path) {
    if (faults().shouldFail("createFolder", traceOf(path))) return false;
    return makeFolder(std::u16string(viewOf(path)));
}

bool FakeFileSystem::makeFolder(const std::u16string& path) {
    std::u16string r;
    if (!resolve(path, false, r) || find(r) || !parentIsFolder(r)) return false;
    entries_[fold(r)] = Entry{r, Node{true, {}}};
    return true;
}

platform::DeleteResult FakeFileSystem::removeFolder(const char16_t* path) {
    using platform::DeleteResult;
    if (faults().shouldFail("removeFolder", traceOf(path))) return DeleteResult::Failed;
    std::u16string r;
    if (!resolve(viewOf(path), false, r)) return DeleteResult::Failed;
    const Entry* e = find(r);
    // RemoveDirectoryW takes a junction or directory link away itself, never its target.
    if (!e || !e->node.isDirectory || (!e->node.isLink() && hasChildren(r))) {
        return DeleteResult::Failed;
    }
    if (held_.count(fold(r))) return DeleteResult::Failed;
    if (inUse && inUse(std::u16string(viewOf(path)))) return DeleteResult::InUse;
    entries_.erase(fold(r));
    return DeleteResult::Deleted;
}

platform::DeleteResult FakeFileSystem::deleteFile(const char16_t* path) {
    using platform::DeleteResult;
    if (faults().shouldFail("deleteFile", traceOf(path))) return DeleteResult::Failed;
    std::u16string r;
    if (!resolve(viewOf(path), false, r)) return DeleteResult::Failed;
    const Entry* e = find(r);
    if (!e || e->node.isDirectory || held_.count(fold(r))) return DeleteResult::Failed;
    if (inUse && inUse(std::u16string(viewOf(path)))) return DeleteResult::InUse;
    entries_.erase(fold(r));
    return DeleteResult::Deleted;
}

bool FakeFileSystem::listFolder(const char16_t* path, std::vector<platform::DirEntry>& out) {
    out.clear();
    if (faults().shouldFail("listFolder", traceOf(path))) return false;
    std::u16string r;
    if (!resolve(viewOf(path), false, r)) return false;
    const Entry* e = find(r);
    if (!e || !e->node.isDirectory || e->node.isLink()) return false;
    list(r, out);
    return true;
}

platform::WriteResult FakeFileSystem::writeFile(const char16_t* path, const std::uint8_t* bytes,
                                                std::size_t size) {
    if (faults().shouldFail("writeFile", traceOf(path))) {
        return platform::WriteResult::CannotCreate;
    }
    std::u16string r;
    if (!resolve(viewOf(path), true, r)) return platform::WriteResult::CannotCreate;
    return write(r, bytes, size);
}

bool FakeFileSystem::readFile(const char16_t* path, std::vector<std::uint8_t>& bytes,
                              std::size_t limit) {
    if (faults().shouldFail("readFile", traceOf(path))) return false;
    std::u16string r;
    if (!resolve(viewOf(path), true, r)) return false;
    const Entry* e = find(r);
    if (e && !e->node.hardLinkOf.empty()) {
        auto other = entries_.find(e->node.hardLinkOf);
        e = other == entries_.end() ? nullptr : &other->second;
    }
    if (!e || e->node.isDirectory || e->node.bytes.size() > limit) return false;
    bytes = e->node.bytes;
    bytesRead_ += bytes.size();
    return true;
}

bool FakeFileSystem::specialFolder(platform::SpecialFolder which, std::u16string& path) {
    if (faults().shouldFail("specialFolder")) return false;
    switch (which) {
        case platform::SpecialFolder::ProgramFiles:
            path = u"C:\\Program Files";
            break;
        case platform::SpecialFolder::Programs:
            path = profile + u"\\Start Menu\\Programs";
            break;
        case platform::SpecialFolder::Desktop:
            path = profile + u"\\Desktop";
            break;
        case platform::SpecialFolder::System:
            path = u"C:\\Windows\\System32";
            break;
        case platform::SpecialFolder::CommonDocuments:
            path = u"C:\\Users\\Public\\Documents";
            break;
        case platform::SpecialFolder::CommonPrograms:
            path = u"C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs";
            break;
        case platform::SpecialFolder::CommonDesktop:
            path = u"C:\\Users\\Public\\Desktop";
            break;
    }
    return true;
}

bool FakeFileSystem::listBelow(const char16_t* base, const char16_t* relative,
                               std::vector<platform::DirEntry>& out) {
    out.clear();
    if (faults().shouldFail("listBelow", traceOf(base, relative))) return false;
    std::u16string r;
    if (!strictlyBelow(base, relative, false, r)) return false;
    const Entry* e = find(r);
    if (!e || !e->node.isDirectory) return false;
    list(r, out);
    return true;
}

platform::DeleteResult FakeFileSystem::removeBelow(const char16_t* base, const char16_t* relative) {
    using platform::DeleteResult;
    if (faults().shouldFail("removeBelow", traceOf(base, relative))) return DeleteResult::Failed;
    std::u16string r;
    if (!strictlyBelow(base, relative, true, r)) return DeleteResult::Failed;
    const Entry* e = find(r);
    if (!e || (e->node.isDirectory && !e->node.isLink() && hasChildren(r))) {
        return DeleteResult::Failed;
    }
    if (held_.count(fold(r))) return DeleteResult::Failed;
    if (inUse && inUse(std::u16string(viewOf(base)) + u"\\" + std::u16string(viewOf(relative)))) {
        return DeleteResult::InUse;
    }
    entries_.erase(fold(r));
    return DeleteResult::Deleted;
}

bool FakeFileSystem::readFileBelow(const char16_t* base, const char16_t* relative,
                                   std::vector<std::uint8_t>& bytes, std::size_t limit) {
    bytes.clear();
    if (faults().shouldFail("readFileBelow", traceOf(base, relative))) return false;
    std::u16string r;
    if (!strictlyBelow(base, relative, false, r)) return false;
    const Entry* e = find(r);
    if (e && !e->node.hardLinkOf.empty()) {
        auto other = entries_.find(e->node.hardLinkOf);
        e = other == entries_.end() ? nullptr : &other->second;
    }
    if (!e || e->node.isDirectory || e->node.isLink() || e->node.bytes.size() > limit) return false;
    bytes = e->node.bytes;
    bytesRead_ += bytes.size();
    return true;
}

bool FakeFileSystem::createFolderBelow(const char16_t* base, const char16_t* relative) {
    if (faults().shouldFail("createFolderBelow", traceOf(base, relative))) return false;
    std::u16string r;
    if (!strictlyBelow(base, relative, false, r) || find(r) || !parentIsFolder(r)) return false;
    entries_[fold(r)] = Entry{r, Node{true, {}}};
    return true;
}

platform::WriteResult FakeFileSystem::writeFileBelow(const char16_t* base, const char16_t* relative,
                                                     const std::uint8_t* bytes, std::size_t size) {
    if (faults().shouldFail("writeFileBelow", traceOf(base, relative))) {
        return platform::WriteResult::CannotCreate;
    }
    std::u16string r;
    if (!strictlyBelow(base, relative, false, r) || linkCount(r) > 1) {
        return platform::WriteResult::CannotCreate;
    }
    return write(r, bytes, size);
}

Access FakeFileSystem::effectiveAccess(const std::u16string& path) const {
    std::u16string r;
    if (!resolve(path, false, r)) return Access::OnlyTrusted;
    bool itself = true;
    for (std::vector<std::u16string> names = namesOf(r); !names.empty(); names.pop_back()) {
        const Entry* e = find(joined(names, names.size()));
        if (e && e->node.access != Access::Inherited) {
            // What is made in a folder users may add to is theirs to change.
            return e->node.access == Access::UsersMayAdd && !itself ? Access::OpenToUsers
                                                                    : e->node.access;
        }
        itself = false;
    }
    return Access::OnlyTrusted;
}

}  // namespace fake
