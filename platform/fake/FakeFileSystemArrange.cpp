// What a test arranges in the fake file system and what it looks at afterwards: files, folders
// and links put in place, access marks, held files, moves made by a user, and the snapshot.
#include <algorithm>

#include "common/Text.h"
#include "platform/fake/FakeFileSystem.h"

namespace fake {

void FakeFileSystem::addFolder(const std::u16string& path) {
    std::u16string r;
    if (!resolve(path, false, r)) return;
    entries_[fold(r)] = Entry{r, Node{true, {}}};
}

void FakeFileSystem::addFile(const std::u16string& path, std::vector<std::uint8_t> bytes) {
    std::u16string r;
    if (!resolve(path, false, r)) return;
    entries_[fold(r)] = Entry{r, Node{false, std::move(bytes)}};
}

void FakeFileSystem::addLink(const std::u16string& path, const std::u16string& target,
                             bool toFolder) {
    std::u16string r;
    if (!resolve(path, false, r)) return;
    entries_[fold(r)] = Entry{r, Node{toFolder, {}, lexical(target)}};
}

void FakeFileSystem::removeTree(const std::u16string& path) {
    std::u16string r;
    if (!resolve(path, false, r)) return;
    std::u16string k = fold(r);
    const Entry* e = find(r);
    bool descend = e && e->node.isDirectory && !e->node.isLink();
    entries_.erase(k);
    if (!descend) return;
    std::u16string prefix = k + u"\\";
    for (auto it = entries_.lower_bound(prefix);
         it != entries_.end() && it->first.starts_with(prefix);) {
        it = entries_.erase(it);
    }
}

bool FakeFileSystem::hasFile(const std::u16string& path) const {
    std::u16string r;
    const Entry* e = resolve(path, false, r) ? find(r) : nullptr;
    return e && !e->node.isDirectory && !e->node.isLink();
}

bool FakeFileSystem::hasFolder(const std::u16string& path) const {
    std::u16string r;
    const Entry* e = resolve(path, false, r) ? find(r) : nullptr;
    return e && e->node.isDirectory && !e->node.isLink();
}

bool FakeFileSystem::hasLink(const std::u16string& path) const {
    return isLinkAt(path);
}

bool FakeFileSystem::isLinkAt(const std::u16string& path) const {
    std::u16string r;
    const Entry* e = resolve(path, false, r) ? find(r) : nullptr;
    return e && e->node.isLink();
}

std::vector<std::uint8_t> FakeFileSystem::contents(const std::u16string& path) const {
    std::u16string r;
    const Entry* e = resolve(path, true, r) ? find(r) : nullptr;
    if (e && !e->node.hardLinkOf.empty()) {
        auto other = entries_.find(e->node.hardLinkOf);
        return other == entries_.end() ? std::vector<std::uint8_t>{} : other->second.node.bytes;
    }
    return e ? e->node.bytes : std::vector<std::uint8_t>{};
}

bool FakeFileSystem::setAccess(const std::u16string& path, Access access) {
    std::u16string r;
    if (!resolve(path, false, r)) return false;
    auto it = entries_.find(fold(r));
    if (it == entries_.end()) return false;
    it->second.node.access = access;
    return true;
}

Access FakeFileSystem::accessMark(const std::u16string& path) const {
    std::u16string r;
    const Entry* e = resolve(path, false, r) ? find(r) : nullptr;
    return e ? e->node.access : Access::Inherited;
}

std::map<std::u16string, FakeFileSystem::Node> FakeFileSystem::snapshot() const {
    std::map<std::u16string, Node> out;
    for (const auto& [k, e] : entries_) out[e.name] = e.node;
    return out;
}

void FakeFileSystem::makeWritesShort(const std::u16string& path) {
    shortWrites_.push_back(fold(lexical(path)));
}

void FakeFileSystem::hold(const std::u16string& path) {
    std::u16string r;
    if (resolve(path, false, r)) held_.insert(fold(r));
}

void FakeFileSystem::release(const std::u16string& path) {
    std::u16string r;
    if (!resolve(path, false, r)) return;
    auto it = held_.find(fold(r));
    if (it != held_.end()) held_.erase(it);
}

bool FakeFileSystem::isHeld(const std::u16string& path) const {
    std::u16string r;
    return resolve(path, false, r) && held_.count(fold(r));
}

bool FakeFileSystem::moveByUser(const std::u16string& from, const std::u16string& to) {
    std::u16string f, t;
    if (!resolve(from, false, f) || !resolve(to, false, t) || !find(f) || find(t) ||
        !parentIsFolder(t) || held_.count(fold(f))) {
        return false;
    }
    std::u16string prefix = fold(f) + u"\\";
    std::vector<std::pair<std::u16string, Entry>> moved;
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->first != fold(f) && !it->first.starts_with(prefix)) {
            ++it;
            continue;
        }
        Entry e = it->second;
        e.name = t + e.name.substr(f.size());
        moved.emplace_back(fold(e.name), std::move(e));
        it = entries_.erase(it);
    }
    for (auto& [key, entry] : moved) entries_[key] = std::move(entry);
    return true;
}

void FakeFileSystem::addHardLink(const std::u16string& path, const std::u16string& existing) {
    std::u16string r, target;
    if (!resolve(path, false, r) || !resolve(existing, true, target) || !find(target)) return;
    Entry entry{r, Node{}};
    entry.node.hardLinkOf = fold(target);
    entries_[fold(r)] = std::move(entry);
}

std::size_t FakeFileSystem::linkCount(const std::u16string& path) const {
    std::u16string r;
    const Entry* e = resolve(path, false, r) ? find(r) : nullptr;
    if (!e) return 0;
    if (!e->node.hardLinkOf.empty()) return 2;
    std::size_t count = 1;
    for (const auto& [k, other] : entries_) count += other.node.hardLinkOf == fold(r);
    return count;
}

}  // namespace fake
