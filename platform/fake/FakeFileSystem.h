// An in-memory file system that resolves paths the way Windows does: names compare without
// regard to ASCII case, "/" separates like "\", repeated separators count once, "." and ".."
// are taken out before anything is looked up, trailing dots and spaces of the last name are
// dropped, and a drive-relative path ("C:", "C:name") starts at the current folder. Links
// (junctions and symbolic links) are followed on the way to a name, and at the name itself only by
// the calls that follow them on Windows (writing and reading). Every operation goes through the
// fault plan, so any call can be made to fail.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace fake {

// Who may write an object, as the access-list check of the security fake sees it: inherited
// from the nearest folder above that says, and writable only by trusted principals when nothing
// above says anything. OpenToUsers: every user may write, rename and remove it (Everyone:
// Full control, or Modify). UsersMayAdd: every user may make files and folders in it but not
// rename or remove it, and what is made in it is OpenToUsers, as with a drive's root.
enum class Access { Inherited, OnlyTrusted, OpenToUsers, UsersMayAdd };

class FakeFileSystem : public platform::FileSystem {
public:
    struct Node {
        bool isDirectory = false;  // a folder, or a link to one
        std::vector<std::uint8_t> bytes;
        std::u16string linkTarget;  // a link when not empty
        Access access = Access::Inherited;
        std::u16string hardLinkOf;  // a second name of that file: its bytes live there
        bool isLink() const { return !linkTarget.empty(); }
        bool operator==(const Node&) const = default;
    };

    FakeFileSystem();

    bool exists(const char16_t* path) override;
    bool createFolder(const char16_t* path) override;
    platform::DeleteResult removeFolder(const char16_t* path) override;
    platform::DeleteResult deleteFile(const char16_t* path) override;
    bool listFolder(const char16_t* path, std::vector<platform::DirEntry>& entries) override;
    platform::WriteResult writeFile(const char16_t* path, const std::uint8_t* bytes,
                                    std::size_t size) override;
    bool readFile(const char16_t* path, std::vector<std::uint8_t>& bytes,
                  std::size_t limit = SIZE_MAX) override;
    bool specialFolder(platform::SpecialFolder which, std::u16string& path) override;
    bool listBelow(const char16_t* base, const char16_t* relative,
                   std::vector<platform::DirEntry>& entries) override;
    platform::DeleteResult removeBelow(const char16_t* base, const char16_t* relative) override;
    bool createFolderBelow(const char16_t* base, const char16_t* relative) override;
    bool readFileBelow(const char16_t* base, const char16_t* relative,
                       std::vector<std::uint8_t>& bytes, std::size_t limit) override;
    platform::WriteResult writeFileBelow(const char16_t* base, const char16_t* relative,
                                         const std::uint8_t* bytes, std::size_t size) override;

    // Direct access for tests and the other fakes (no fault plan, no trace). Paths resolve as
    // above; the added object itself replaces whatever stood at its name.
    void addFolder(const std::u16string& path);
    void addFile(const std::u16string& path, std::vector<std::uint8_t> bytes = {});
    // A junction or directory symbolic link (`toFolder`), or a file symbolic link.
    void addLink(const std::u16string& path, const std::u16string& target, bool toFolder = true);
    // Removes the object at the name and everything below it (a link: only the link).
    void removeTree(const std::u16string& path);
    bool hasFile(const std::u16string& path) const;
    bool hasFolder(const std::u16string& path) const;
    bool hasLink(const std::u16string& path) const;
    std::vector<std::uint8_t> contents(const std::u16string& path) const;
    // CreateDirectoryW without the fault plan: one level below an existing folder.
    bool makeFolder(const std::u16string& path);
    // The access mark of the object at the name (a link is never followed); false when there is
    // none. `effectiveAccess` walks up to the nearest folder that says.
    bool setAccess(const std::u16string& path, Access access);
    Access effectiveAccess(const std::u16string& path) const;
    Access accessMark(const std::u16string& path) const;
    bool isLinkAt(const std::u16string& path) const;
    // Every object with its kind and bytes, keyed by the name as first written: a snapshot to
    // compare the machine before and after.
    std::map<std::u16string, Node> snapshot() const;
    // Whether a file or folder cannot be removed yet because it is in use (the path as given);
    // none: never.
    std::function<bool(const std::u16string& path)> inUse;
    // Makes writes of this path (case-insensitive) come up short.
    void makeWritesShort(const std::u16string& path);
    // Open handles that share no deletion, as Security::holdFolderChain keeps them: a held
    // object cannot be removed or renamed (removeFolder, deleteFile, removeBelow and moveByUser
    // fail on it). Counted: an object held twice is free once both have let go.
    void hold(const std::u16string& path);
    void release(const std::u16string& path);
    bool isHeld(const std::u16string& path) const;
    std::size_t heldCount() const { return held_.size(); }
    // Another user's rename, for tests: the object at `from` (a link is moved itself) and all
    // below it go to `to`, which must not exist. False when either is missing, `to` exists, or
    // `from` is held.
    bool moveByUser(const std::u16string& from, const std::u16string& to);
    // A second name for the file at `existing`: writing through either changes both.
    void addHardLink(const std::u16string& path, const std::u16string& existing);
    std::size_t linkCount(const std::u16string& path) const;

    // The account's own profile, where its Start menu and desktop lie.
    std::u16string profile = u"C:\\Users\\admin";

    // Where a drive-relative path starts; "C:\Windows\System32" unless a test says otherwise.
    static std::u16string currentFolder;
    // Bytes handed out by readFile so far.
    std::size_t bytesRead() const { return bytesRead_; }

    // The path as Windows spells it before looking anything up ("/", "\\", ".", "..",
    // trailing dots and spaces of the last name), letter case kept.
    static std::u16string lexical(std::u16string_view path);

private:
    struct Entry {
        std::u16string name;  // as first created
        Node node;
    };
    static std::u16string fold(std::u16string_view path);
    // The lexical path with every link on the way followed, and the last one when
    // `followLast`; false for a loop of links.
    bool resolve(std::u16string_view path, bool followLast, std::u16string& out) const;
    // base\relative without following any link below `base`; the last name may be a link only
    // when `lastMayBeLink`. False for a relative path that is not plain names.
    bool strictlyBelow(const char16_t* base, const char16_t* relative, bool lastMayBeLink,
                       std::u16string& out) const;
    const Entry* find(const std::u16string& resolved) const;
    bool parentIsFolder(const std::u16string& resolved) const;
    bool hasChildren(const std::u16string& resolved) const;
    void list(const std::u16string& resolved, std::vector<platform::DirEntry>& out) const;
    platform::WriteResult write(const std::u16string& resolved, const std::uint8_t* bytes,
                                std::size_t size);

    std::map<std::u16string, Entry> entries_;  // by folded resolved path
    std::vector<std::u16string> shortWrites_;
    std::multiset<std::u16string> held_;  // folded resolved paths
    std::size_t bytesRead_ = 0;
};

}  // namespace fake
