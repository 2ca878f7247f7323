// An in-memory file system with Windows' case-insensitive names. Every operation goes through
// the fault plan, so any call can be made to fail.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace fake {

class FakeFileSystem : public platform::FileSystem {
public:
    struct Node {
        bool isDirectory = false;
        std::vector<std::uint8_t> bytes;
        bool operator==(const Node&) const = default;
    };

    FakeFileSystem();

    bool exists(const char16_t* path) override;
    bool createFolder(const char16_t* path) override;
    bool removeFolder(const char16_t* path) override;
    bool deleteFile(const char16_t* path) override;
    bool listFolder(const char16_t* path, std::vector<platform::DirEntry>& entries) override;
    platform::WriteResult writeFile(const char16_t* path, const std::uint8_t* bytes,
                                    std::size_t size) override;
    bool readFile(const char16_t* path, std::vector<std::uint8_t>& bytes) override;
    bool specialFolder(platform::SpecialFolder which, std::u16string& path) override;

    // Direct access for tests (no fault plan, no trace).
    void addFolder(const std::u16string& path);
    void addFile(const std::u16string& path, std::vector<std::uint8_t> bytes = {});
    bool hasFile(const std::u16string& path) const;
    bool hasFolder(const std::u16string& path) const;
    std::vector<std::uint8_t> contents(const std::u16string& path) const;
    // Every path with its kind and bytes, keyed by the name as first written: a snapshot to
    // compare the machine before and after.
    std::map<std::u16string, Node> snapshot() const;
    // Makes writes of this path (case-insensitive) come up short.
    void makeWritesShort(const std::u16string& path) { shortWrites_.push_back(key(path)); }

private:
    struct Entry {
        std::u16string name;  // as first created
        Node node;
    };
    static std::u16string key(std::u16string_view path);
    bool parentIsFolder(const std::u16string& k) const;

    std::map<std::u16string, Entry> entries_;
    std::vector<std::u16string> shortWrites_;
};

}  // namespace fake
