// An in-memory registry with Windows' rules: key and value names compare without regard to case,
// a key with subkeys cannot be deleted, a key opened for reading cannot be written, and a handle
// to a deleted key stops working. Every call goes through the fault plan.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/Registry.h"

namespace fake {

class FakeRegistry : public platform::Registry {
public:
    struct Value {
        std::uint32_t type = 0;
        std::vector<std::uint8_t> bytes;
        bool operator==(const Value&) const = default;
    };
    // Every key by its full path as first written ("HKLM\SOFTWARE\Name"), with its values by
    // name as first written; the default value is under "".
    using Snapshot = std::map<std::u16string, std::map<std::u16string, Value>>;

    // Starts with the keys the records expect on any Windows: HKLM\SOFTWARE with the Uninstall
    // list, HKCU's Run key and HKCR\DesktopBackground\Shell.
    FakeRegistry();

    bool createKey(platform::RegistryRoot root, const char16_t* path, platform::RegistryKey& key,
                   bool& created) override;
    bool openKey(platform::RegistryRoot root, const char16_t* path, platform::KeyAccess access,
                 platform::RegistryKey& key) override;
    bool openExistingKey(platform::RegistryRoot root, const char16_t* path,
                         platform::RegistryKey& key) override;
    bool queryString(platform::RegistryKey key, const char16_t* name, TextBuffer& text) override;
    bool queryDword(platform::RegistryKey key, const char16_t* name, std::uint32_t& value) override;
    bool setString(platform::RegistryKey key, const char16_t* name,
                   std::u16string_view text) override;
    bool setDword(platform::RegistryKey key, const char16_t* name, std::uint32_t value) override;
    bool deleteKey(platform::RegistryKey key, const char16_t* subkey) override;
    bool deleteValue(platform::RegistryKey key, const char16_t* name) override;
    // Traced like every call; an injected failure still closes the key, as nothing can be
    // done with a handle whose close failed.
    void closeKey(platform::RegistryKey key) override;

    // Direct access for tests (no fault plan, no trace).
    void addKey(platform::RegistryRoot root, std::u16string_view path);
    void putValue(platform::RegistryRoot root, std::u16string_view path, std::u16string_view name,
                  Value value);
    bool hasKey(platform::RegistryRoot root, std::u16string_view path) const;
    std::optional<Value> value(platform::RegistryRoot root, std::u16string_view path,
                               std::u16string_view name) const;
    Snapshot snapshot() const;
    // Handles not yet closed.
    std::size_t openKeys() const { return handles_.size(); }

    // REG_SZ data as it would be stored: 2 bytes a unit, with or without a terminator.
    static Value stringValue(std::u16string_view text, bool withTerminator = false);
    static Value dwordValue(std::uint32_t value);

private:
    struct NamedValue {
        std::u16string name;
        Value value;
    };
    struct Node {
        std::u16string path;  // full path as first written
        std::weak_ptr<Node> parent;
        std::map<std::u16string, std::shared_ptr<Node>> subkeys;  // by folded name
        std::map<std::u16string, NamedValue> values;              // by folded name
        bool deleted = false;
    };
    struct Handle {
        std::shared_ptr<Node> node;
        bool writable = false;
    };
    using NodePtr = std::shared_ptr<Node>;

    static std::u16string fold(std::u16string_view name);
    static bool splitPath(std::u16string_view path, std::vector<std::u16string_view>& parts);
    NodePtr find(const NodePtr& from, std::u16string_view path) const;
    NodePtr make(const NodePtr& from, std::u16string_view path, bool& created);
    NodePtr rootNode(platform::RegistryRoot root) const;
    Handle* handleOf(platform::RegistryKey key);
    platform::RegistryKey open(const NodePtr& node, bool writable);
    std::string traceOf(platform::RegistryKey key, const char16_t* name = nullptr);
    bool setValue(platform::RegistryKey key, const char16_t* name, Value value);

    std::map<platform::RegistryRoot, NodePtr> roots_;
    std::map<platform::RegistryKey, Handle> handles_;
    platform::RegistryKey nextKey_ = 0x100;
};

}  // namespace fake
