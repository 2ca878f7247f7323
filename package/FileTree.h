// The package's file block as an in-memory tree: every file's name and contents, with lookup by
// package-relative path, target paths under the installation folder, and extraction.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/Text.h"
#include "platform/FileSystem.h"

struct DirNode;
struct PackageRoot;

struct FileNode {
    TextBuffer name{};
    std::uint32_t size = 0;  // the file's own size, as it is written
    // Inside the package the tree was built from, which must outlive the tree: the bytes are
    // written from where they lie (the executable's mapped resource), never copied. None when
    // size is 0. In a compressed package they are the file's zstd frame (package/FileCodec.h),
    // of storedSize bytes, decoded as the file is written; otherwise the file's own bytes, and
    // storedSize is size.
    const std::uint8_t* contents = nullptr;
    std::uint32_t storedSize = 0;
    bool compressed = false;
    DirNode* parent = nullptr;  // none for files directly under the root
    PackageRoot* root = nullptr;
    FileNode* next = nullptr;       // next sibling in its folder's file list
    FileNode* nextInAll = nullptr;  // next file in allFiles
};

struct DirNode {
    TextBuffer name{};  // the whole path relative to the root, e.g. "driver\USB"
    std::uint32_t fileCount = 0;
    std::uint32_t dirCount = 0;
    FileNode* files = nullptr;
    DirNode* subdirs = nullptr;
    std::uint32_t contentOffset = 0;
    DirNode* next = nullptr;
};

struct PackageRoot {
    TextBuffer name{};
    TextBuffer targetPath{};
    std::uint32_t fileCount = 0;
    std::uint32_t dirCount = 0;
    FileNode* files = nullptr;
    DirNode* dirs = nullptr;
    FileNode* allFiles = nullptr;  // every file, the last one read first
    bool compressed = false;       // the file block's contents are compressed
};

// Builds the tree from the file block at `block` (its size field), of `available` bytes that
// may be read. The tree refers to the block's bytes for the file contents: the block must stay
// in place until the tree is freed. False when the block is damaged: a count, offset, size or name
// that points outside it, a name over 259 units, or a name that is not plain (a file name, or a
// root name other than the empty one, that is not one plain name, a directory path that is not
// plain names joined by backslashes: "..",
// ".", "/", ":", a control character or a trailing dot would name a file outside the target
// folder); the root is then left empty. `badName` tells the last case apart. In a `compressed`
// block every non-empty file's bytes are its size and its frame (package/FileCodec.h); a file
// whose stored bytes cannot hold the size, or an empty file that stores any, is damage. The
// frames themselves are only read as the files are written.
bool buildFileTree(const std::uint8_t* block, std::size_t available, PackageRoot& root,
                   bool* badName = nullptr, bool compressed = false);
void freeFileTree(PackageRoot& root);

// Exact, case-sensitive lookup; a leading ".\" or "\" is ignored.
FileNode* findPackageFile(const PackageRoot& root, std::u16string_view path);

// root target\dir\name or root target\name; false when it does not fit 260 units.
bool targetPathOf(const FileNode& file, TextBuffer& path);

// The root's target folder and every directory beneath it, parents first, each only when
// missing. Results are not checked: a folder that cannot be made shows up as a failed write.
void createTargetFolders(const PackageRoot& root);

// Creates or overwrites the file with the node's contents: a stored file in one write, a
// compressed one decoded a piece at a time as it is written. False when the file cannot be
// created, the write comes up short, or the compressed file is damaged (it decodes to other
// bytes than its size, or not at all): what was written of it is removed, since a truncated
// program must not count as installed.
bool writePackageFile(const FileNode& file, const char16_t* path);

// The node's contents as they are written, a piece at a time (for writers of their own, such as
// pkgtool's extraction); false when a compressed file is damaged, with the reason.
platform::FileFiller fileContentsOf(const FileNode& file, const char** reason = nullptr);

// The whole of a file into memory, for the few the installer reads itself (the licence text):
// false when it is over `limit` bytes (found out before anything is decoded) or damaged.
bool readPackageFile(const FileNode& file, std::vector<std::uint8_t>& bytes, std::size_t limit);

// Both skip (neither enter nor remove) subfolders whose names begin with "."; both end with
// removing the folder itself and return whether that worked.
bool deleteFolderTree(const char16_t* folder);
bool removeEmptyFolders(const char16_t* folder);

// deleteFolderTree for a folder below `base` that other users can write: the same walk, through
// the file-system operations that never follow a link below `base` (a link found on the way is
// removed itself, what it leads to is never touched), except that every subfolder is entered,
// a name beginning with "." too: a subfolder a user keeps there would keep the folder, and the
// folder theirs. What is in use for a moment is tried again as deleteFileWhenFree does.
bool deleteTreeBelow(const char16_t* base, std::u16string_view relative);

// Directories of the tree in creation order: each root directory in list order, followed by
// its subtree, depth first. Iterative, so a deeply nested package cannot exhaust a stack.
template <typename Visit>
void forEachDirectory(const PackageRoot& root, Visit visit);

#include <algorithm>
#include <vector>

template <typename Visit>
void forEachDirectory(const PackageRoot& root, Visit visit) {
    std::vector<DirNode*> pending;
    auto pushChildren = [&pending](DirNode* first) {
        std::size_t at = pending.size();
        for (DirNode* d = first; d; d = d->next) pending.push_back(d);
        std::reverse(pending.begin() + std::ptrdiff_t(at), pending.end());
    };
    pushChildren(root.dirs);
    while (!pending.empty()) {
        DirNode* dir = pending.back();
        pending.pop_back();
        visit(*dir);  // may read the directory's own entries, so children come after
        pushChildren(dir->subdirs);
    }
}
