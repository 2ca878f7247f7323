#include "platform/fake/FakeRegistry.h"

#include "common/Text.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

using platform::RegistryKey;
using platform::RegistryRoot;

namespace {

constexpr std::size_t kMaxKeyNameUnits = 255;

// Upper-case folding over the scripts whose names an installer is likely to meet; the registry
// folds the whole of Unicode, but the tests need no more than this.
char16_t foldUnit(char16_t c) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
    if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return c - 0x20;  // Greek
    if (c >= 0x430 && c <= 0x44F) return c - 0x20;                // Cyrillic
    if (c >= 0x450 && c <= 0x45F) return c - 0x50;
    return c;
}

std::u16string rootName(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::ClassesRoot:
            return u"HKCR";
        case RegistryRoot::CurrentUser:
            return u"HKCU";
        case RegistryRoot::LocalMachine:
            return u"HKLM";
        case RegistryRoot::Users:
            return u"HKU";
    }
    return u"?";
}

std::string traceOf(RegistryRoot root, const char16_t* path) {
    std::u16string text = rootName(root);
    if (path && *path) text.append(u"\\").append(viewOf(path));
    return utf16ToUtf8(text);
}

}  // namespace

FakeRegistry::FakeRegistry() {
    for (RegistryRoot root : {RegistryRoot::ClassesRoot, RegistryRoot::CurrentUser,
                              RegistryRoot::LocalMachine, RegistryRoot::Users}) {
        auto node = std::make_shared<Node>();
        node->path = rootName(root);
        roots_[root] = node;
    }
    addKey(RegistryRoot::LocalMachine, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
    addKey(RegistryRoot::CurrentUser, u"Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    addKey(RegistryRoot::LocalMachine, u"Software\\Microsoft\\Windows\\CurrentVersion\\Run");
    addKey(RegistryRoot::ClassesRoot, u"DesktopBackground\\Shell");
}

std::u16string FakeRegistry::fold(std::u16string_view name) {
    std::u16string folded(name);
    for (char16_t& c : folded) c = foldUnit(c);
    return folded;
}

bool FakeRegistry::splitPath(std::u16string_view path, std::vector<std::u16string_view>& parts) {
    parts.clear();
    if (path.empty()) return true;
    std::size_t start = 0;
    while (true) {
        std::size_t cut = path.find(u'\\', start);
        std::u16string_view part = path.substr(start, cut - start);
        if (part.empty() || part.size() > kMaxKeyNameUnits) return false;
        parts.push_back(part);
        if (cut == std::u16string_view::npos) return true;
        start = cut + 1;
    }
}

FakeRegistry::NodePtr FakeRegistry::find(const NodePtr& from, std::u16string_view path) const {
    std::vector<std::u16string_view> parts;
    if (!from || !splitPath(path, parts)) return nullptr;
    NodePtr node = from;
    for (std::u16string_view part : parts) {
        auto it = node->subkeys.find(fold(part));
        if (it == node->subkeys.end()) return nullptr;
        node = it->second;
    }
    return node;
}

FakeRegistry::NodePtr FakeRegistry::make(const NodePtr& from, std::u16string_view path,
                                         bool& created) {
    created = false;
    std::vector<std::u16string_view> parts;
    if (!from || !splitPath(path, parts)) return nullptr;
    NodePtr node = from;
    for (std::u16string_view part : parts) {
        NodePtr& child = node->subkeys[fold(part)];
        created = !child;
        if (created) {
            child = std::make_shared<Node>();
            child->path = node->path + u"\\" + std::u16string(part);
            child->parent = node;
        }
        node = child;
    }
    return node;
}

FakeRegistry::NodePtr FakeRegistry::rootNode(RegistryRoot root) const {
    auto it = roots_.find(root);
    return it == roots_.end() ? nullptr : it->second;
}

FakeRegistry::Handle* FakeRegistry::handleOf(RegistryKey key) {
    auto it = handles_.find(key);
    if (it == handles_.end() || it->second.node->deleted) return nullptr;
    return &it->second;
}

RegistryKey FakeRegistry::open(const NodePtr& node, bool writable) {
    RegistryKey key = nextKey_++;
    handles_[key] = Handle{node, writable};
    return key;
}

std::string FakeRegistry::traceOf(RegistryKey key, const char16_t* name) {
    auto it = handles_.find(key);
    std::u16string text = it == handles_.end() ? u"?" : it->second.node->path;
    if (name) text.append(u" ").append(*name ? viewOf(name) : u"(default)");
    return utf16ToUtf8(text);
}

bool FakeRegistry::createKey(RegistryRoot root, const char16_t* path, RegistryKey& key,
                             bool& created) {
    if (faults().shouldFail("createKey", fake::traceOf(root, path))) return false;
    NodePtr node = make(rootNode(root), viewOf(path), created);
    if (!node) return false;
    key = open(node, true);
    return true;
}

bool FakeRegistry::openKey(RegistryRoot root, const char16_t* path, platform::KeyAccess access,
                           RegistryKey& key) {
    std::string detail = fake::traceOf(root, path);
    if (access == platform::KeyAccess::Read) detail += " (read)";
    if (faults().shouldFail("openKey", detail)) return false;
    NodePtr node = find(rootNode(root), viewOf(path));
    if (!node) return false;
    key = open(node, access == platform::KeyAccess::AllAccess);
    return true;
}

bool FakeRegistry::openExistingKey(RegistryRoot root, const char16_t* path, RegistryKey& key) {
    if (faults().shouldFail("openExistingKey", fake::traceOf(root, path))) return false;
    NodePtr node = find(rootNode(root), viewOf(path));
    if (!node) return false;
    key = open(node, true);
    return true;
}

bool FakeRegistry::queryString(RegistryKey key, const char16_t* name, TextBuffer& text) {
    text[0] = 0;
    if (faults().shouldFail("queryString", traceOf(key, name ? name : u""))) return false;
    Handle* handle = handleOf(key);
    if (!handle) return false;
    auto it = handle->node->values.find(fold(viewOf(name)));
    if (it == handle->node->values.end()) return false;
    const Value& stored = it->second.value;
    if (stored.bytes.size() > platform::kRegistryTextBytes) return false;  // ERROR_MORE_DATA
    return platform::registryText(stored.type, stored.bytes.data(), stored.bytes.size(), text);
}

bool FakeRegistry::queryDword(RegistryKey key, const char16_t* name, std::uint32_t& value) {
    if (faults().shouldFail("queryDword", traceOf(key, name ? name : u""))) return false;
    Handle* handle = handleOf(key);
    if (!handle) return false;
    auto it = handle->node->values.find(fold(viewOf(name)));
    if (it == handle->node->values.end()) return false;
    const Value& stored = it->second.value;
    if (stored.type != platform::kRegDword || stored.bytes.size() != 4) return false;
    value = readU32(stored.bytes.data());
    return true;
}

bool FakeRegistry::setValue(RegistryKey key, const char16_t* name, Value value) {
    Handle* handle = handleOf(key);
    if (!handle || !handle->writable) return false;
    std::u16string shown(viewOf(name));
    auto [it, added] = handle->node->values.try_emplace(fold(shown), NamedValue{shown, {}});
    it->second.value = std::move(value);
    return true;
}

bool FakeRegistry::setString(RegistryKey key, const char16_t* name, std::u16string_view text) {
    if (faults().shouldFail("setString", traceOf(key, name ? name : u""))) return false;
    return setValue(key, name, stringValue(text));
}

bool FakeRegistry::setDword(RegistryKey key, const char16_t* name, std::uint32_t value) {
    if (faults().shouldFail("setDword", traceOf(key, name ? name : u""))) return false;
    return setValue(key, name, dwordValue(value));
}

bool FakeRegistry::deleteKey(RegistryKey key, const char16_t* subkey) {
    std::string detail = traceOf(key);
    if (subkey && *subkey) detail += "\\" + utf16ToUtf8(viewOf(subkey));
    if (faults().shouldFail("deleteKey", detail)) return false;
    Handle* handle = handleOf(key);
    if (!handle) return false;
    NodePtr node = find(handle->node, viewOf(subkey));
    NodePtr parent = node ? node->parent.lock() : nullptr;
    if (!parent || !node->subkeys.empty()) return false;  // a root, or a key with subkeys
    for (auto it = parent->subkeys.begin(); it != parent->subkeys.end(); ++it) {
        if (it->second == node) {
            parent->subkeys.erase(it);
            break;
        }
    }
    node->deleted = true;
    return true;
}

bool FakeRegistry::deleteValue(RegistryKey key, const char16_t* name) {
    if (faults().shouldFail("deleteValue", traceOf(key, name ? name : u""))) return false;
    Handle* handle = handleOf(key);
    if (!handle || !handle->writable) return false;
    return handle->node->values.erase(fold(viewOf(name))) != 0;
}

void FakeRegistry::closeKey(RegistryKey key) {
    faults().shouldFail("closeKey", traceOf(key));
    handles_.erase(key);
}

void FakeRegistry::addKey(RegistryRoot root, std::u16string_view path) {
    bool created = false;
    make(rootNode(root), path, created);
}

void FakeRegistry::putValue(RegistryRoot root, std::u16string_view path, std::u16string_view name,
                            Value value) {
    bool created = false;
    NodePtr node = make(rootNode(root), path, created);
    if (!node) return;
    auto [it, added] = node->values.try_emplace(fold(name), NamedValue{std::u16string(name), {}});
    it->second.value = std::move(value);
}

bool FakeRegistry::hasKey(RegistryRoot root, std::u16string_view path) const {
    return find(rootNode(root), path) != nullptr;
}

std::optional<FakeRegistry::Value> FakeRegistry::value(RegistryRoot root, std::u16string_view path,
                                                       std::u16string_view name) const {
    NodePtr node = find(rootNode(root), path);
    if (!node) return std::nullopt;
    auto it = node->values.find(fold(name));
    if (it == node->values.end()) return std::nullopt;
    return it->second.value;
}

FakeRegistry::Snapshot FakeRegistry::snapshot() const {
    Snapshot out;
    std::vector<NodePtr> pending;
    for (const auto& [root, node] : roots_) pending.push_back(node);
    while (!pending.empty()) {
        NodePtr node = pending.back();
        pending.pop_back();
        auto& values = out[node->path];
        for (const auto& [folded, named] : node->values) values[named.name] = named.value;
        for (const auto& [folded, child] : node->subkeys) pending.push_back(child);
    }
    return out;
}

FakeRegistry::Value FakeRegistry::stringValue(std::u16string_view text, bool withTerminator) {
    Value value{platform::kRegSz, {}};
    for (char16_t c : text) {
        value.bytes.push_back(std::uint8_t(c & 0xFF));
        value.bytes.push_back(std::uint8_t(c >> 8));
    }
    if (withTerminator) value.bytes.insert(value.bytes.end(), {0, 0});
    return value;
}

FakeRegistry::Value FakeRegistry::dwordValue(std::uint32_t number) {
    return Value{platform::kRegDword,
                 {std::uint8_t(number), std::uint8_t(number >> 8), std::uint8_t(number >> 16),
                  std::uint8_t(number >> 24)}};
}

}  // namespace fake
