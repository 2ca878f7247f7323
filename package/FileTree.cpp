#include "package/FileTree.h"

#include <map>
#include <new>

#include "common/Names.h"
#include "package/FileCodec.h"
#include "package/FileRemoval.h"
#include "platform/FileSystem.h"

namespace {

// Reads the file block. Every entry claims the bytes it occupies; an entry that runs outside
// the block or into bytes another entry claimed is a damaged block. This bounds the tree by
// the block's size, so a looping directory offset cannot build an endless tree.
class BlockReader {
public:
    BlockReader(const std::uint8_t* bytes, std::size_t size, bool compressed)
        : bytes_(bytes), size_(size), compressed_(compressed) {}
    bool compressed() const { return compressed_; }

    bool u32(std::size_t pos, std::uint32_t& value) const {
        if (pos > size_ || size_ - pos < 4) return false;
        value = readU32(bytes_ + pos);
        return true;
    }

    // A NUL-terminated UTF-16LE name of at most 259 units; `end` is set past its terminator.
    bool name(std::size_t pos, TextBuffer& out, std::size_t& end) const {
        for (std::size_t n = 0; n < kTextUnits; ++n) {
            std::size_t at = pos + 2 * n;
            if (at > size_ || size_ - at < 2) return false;
            out[n] = readU16(bytes_ + at);
            if (out[n] == 0) {
                end = at + 2;
                return true;
            }
        }
        out[0] = 0;
        return false;
    }

    bool claim(std::size_t begin, std::size_t end) {
        if (end <= begin) return true;
        auto next = claims_.lower_bound(begin);
        if (next != claims_.end() && next->first < end) return false;
        if (next != claims_.begin() && std::prev(next)->second > begin) return false;
        claims_.emplace(begin, end);
        return true;
    }

    // A name the target path is built from must name exactly one thing below the target folder.
    bool refuseName() {
        badName_ = true;
        return false;
    }
    bool badName() const { return badName_; }

    bool fits(std::size_t pos, std::size_t count) const {
        return pos <= size_ && size_ - pos >= count;
    }
    const std::uint8_t* at(std::size_t pos) const { return bytes_ + pos; }

private:
    const std::uint8_t* bytes_;
    std::size_t size_;
    std::map<std::size_t, std::size_t> claims_;
    bool badName_ = false;
    bool compressed_;
};

// Where a file's bytes lie: `stored` bytes after its name, which in a compressed block begin
// with the file's own size.
bool placeContents(const BlockReader& in, std::size_t at, std::uint32_t stored, FileNode& node) {
    node.size = stored;
    node.storedSize = stored;
    if (stored > 0) node.contents = in.at(at);
    if (!in.compressed() || stored == 0) return true;
    node.compressed = true;
    if (stored <= kCompressedFileHeader || !in.u32(at, node.size) || node.size == 0) return false;
    node.contents = in.at(at + kCompressedFileHeader);
    node.storedSize = std::uint32_t(stored - kCompressedFileHeader);
    return true;
}

// Reads `count` file entries from `pos`, prepending each to `list` and to allFiles.
bool readFiles(BlockReader& in, std::size_t& pos, std::uint32_t count, DirNode* parent,
               PackageRoot& root, FileNode*& list) {
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t size = 0;
        std::size_t afterName = 0;
        auto node = new FileNode;
        node->parent = parent;
        node->root = &root;
        node->next = list;
        list = node;
        node->nextInAll = root.allFiles;
        root.allFiles = node;
        if (!in.u32(pos, size) || !in.name(pos + 4, node->name, afterName)) return false;
        if (!isPlainName(viewOf(node->name))) return in.refuseName();
        if (!in.fits(afterName, size) || !in.claim(pos, afterName + size) ||
            !placeContents(in, afterName, size, *node)) {
            return false;
        }
        pos = afterName + size;
    }
    return true;
}

// Reads `count` directory entries from `pos`, prepending each to `list`.
bool readDirectories(BlockReader& in, std::size_t& pos, std::uint32_t count, DirNode*& list) {
    for (std::uint32_t i = 0; i < count; ++i) {
        auto dir = new DirNode;
        dir->next = list;
        list = dir;
        std::size_t afterName = 0;
        if (!in.u32(pos, dir->contentOffset) || !in.u32(pos + 4, dir->fileCount) ||
            !in.u32(pos + 8, dir->dirCount) || !in.name(pos + 12, dir->name, afterName) ||
            !in.claim(pos, afterName)) {
            return false;
        }
        if (!isPlainRelativePath(viewOf(dir->name))) return in.refuseName();
        pos = afterName;
    }
    return true;
}

bool readTree(BlockReader& in, PackageRoot& root) {
    std::size_t pos = 0;
    if (!in.u32(4, root.fileCount) || !in.u32(8, root.dirCount) || !in.name(12, root.name, pos) ||
        !in.claim(0, pos)) {
        return false;
    }
    // The root's name is replaced by the product's before anything is written; an empty one
    // names nothing, any other must be plain all the same.
    if (root.name[0] != 0 && !isPlainName(viewOf(root.name))) return in.refuseName();
    if (!readFiles(in, pos, root.fileCount, nullptr, root, root.files) ||
        !readDirectories(in, pos, root.dirCount, root.dirs)) {
        return false;
    }
    bool ok = true;
    forEachDirectory(root, [&](DirNode& dir) {
        std::size_t at = dir.contentOffset;
        ok = ok && readFiles(in, at, dir.fileCount, &dir, root, dir.files) &&
             readDirectories(in, at, dir.dirCount, dir.subdirs);
    });
    return ok;
}

void ensureFolder(std::u16string_view path) {
    TextBuffer buf;
    if (!copyText(buf, path)) return;
    auto& fs = platform::files();
    if (!fs.exists(buf)) fs.createFolder(buf);
}

bool clearFolder(const char16_t* folder, bool deleteFiles) {
    auto& fs = platform::files();
    std::vector<platform::DirEntry> entries;
    if (fs.listFolder(folder, entries)) {
        for (const auto& e : entries) {
            TextBuffer child;
            if (e.name.empty() || !joinPath(child, viewOf(folder), e.name)) continue;
            if (e.isDirectory) {
                if (e.name[0] != u'.') clearFolder(child, deleteFiles);
            } else if (deleteFiles) {
                deleteFileWhenFree(child);
            }
        }
    }
    return removeFolderWhenFree(folder);
}

}  // namespace

bool buildFileTree(const std::uint8_t* block, std::size_t available, PackageRoot& root,
                   bool* badName, bool compressed) {
    freeFileTree(root);
    root.compressed = compressed;
    BlockReader in(block, available, compressed);
    bool read = readTree(in, root);
    if (badName) *badName = in.badName();
    if (read) return true;
    freeFileTree(root);
    root.name[0] = 0;
    return false;
}

void freeFileTree(PackageRoot& root) {
    for (FileNode* f = root.allFiles; f;) {
        FileNode* next = f->nextInAll;
        delete f;
        f = next;
    }
    std::vector<DirNode*> dirs;
    forEachDirectory(root, [&dirs](DirNode& d) { dirs.push_back(&d); });
    for (DirNode* d : dirs) delete d;
    root.fileCount = root.dirCount = 0;
    root.files = nullptr;
    root.dirs = nullptr;
    root.allFiles = nullptr;
}

FileNode* findPackageFile(const PackageRoot& root, std::u16string_view path) {
    if (!path.empty() && path[0] == u'.') {
        path.remove_prefix(path.size() < 2 ? path.size() : 2);
    } else if (!path.empty() && path[0] == u'\\') {
        path.remove_prefix(1);
    }
    if (path.size() >= kTextUnits) return nullptr;
    std::size_t cut = path.rfind(u'\\');
    if (cut != std::u16string_view::npos && cut >= 1) {
        std::u16string_view folder = path.substr(0, cut), name = path.substr(cut + 1);
        for (FileNode* f = root.allFiles; f; f = f->nextInAll) {
            if (f->parent && viewOf(f->parent->name) == folder && viewOf(f->name) == name) return f;
        }
        return nullptr;
    }
    for (FileNode* f = root.files; f; f = f->next) {
        if (!f->parent && viewOf(f->name) == path) return f;
    }
    return nullptr;
}

bool targetPathOf(const FileNode& file, TextBuffer& path) {
    if (file.parent) {
        return joinPath(path, viewOf(file.root->targetPath), viewOf(file.parent->name),
                        viewOf(file.name));
    }
    return joinPath(path, viewOf(file.root->targetPath), viewOf(file.name));
}

void createTargetFolders(const PackageRoot& root) {
    ensureFolder(viewOf(root.targetPath));
    forEachDirectory(root, [&root](DirNode& dir) {
        TextBuffer path;
        if (joinPath(path, viewOf(root.targetPath), viewOf(dir.name))) ensureFolder(viewOf(path));
    });
}

platform::FileFiller fileContentsOf(const FileNode& file, const char** reason) {
    return [&file, reason](const platform::PieceWriter& put) {
        if (file.size == 0) return true;
        if (!file.compressed) return put(file.contents, file.size);
        return decodeFile({file.contents, file.storedSize}, file.size, put, reason);
    };
}

bool readPackageFile(const FileNode& file, std::vector<std::uint8_t>& bytes, std::size_t limit) {
    bytes.clear();
    if (file.size > limit) return false;
    bytes.reserve(file.size);
    return fileContentsOf(file)([&bytes](const std::uint8_t* piece, std::size_t size) {
        bytes.insert(bytes.end(), piece, piece + size);
        return true;
    });
}

bool writePackageFile(const FileNode& file, const char16_t* path) {
    auto result = file.compressed ? platform::files().writeFileFrom(path, fileContentsOf(file))
                                  : platform::files().writeFile(path, file.contents, file.size);
    // A truncated program left behind would never be logged, so nothing would remove it.
    if (result == platform::WriteResult::ShortWrite) platform::files().deleteFile(path);
    return result == platform::WriteResult::Written;
}

bool deleteFolderTree(const char16_t* folder) {
    return clearFolder(folder, true);
}

bool removeEmptyFolders(const char16_t* folder) {
    return clearFolder(folder, false);
}

bool deleteTreeBelow(const char16_t* base, std::u16string_view relative) {
    auto& fs = platform::files();
    TextBuffer folder;
    if (!copyText(folder, relative)) return false;
    std::vector<platform::DirEntry> entries;
    if (fs.listBelow(base, folder, entries)) {
        for (const auto& e : entries) {
            TextBuffer child;
            if (e.name.empty() || e.name == u"." || e.name == u".." ||
                !joinPath(child, relative, e.name)) {
                continue;
            }
            if (e.isDirectory) {
                deleteTreeBelow(base, viewOf(child));
            } else {
                removeBelowWhenFree(base, child);
            }
        }
    }
    return removeBelowWhenFree(base, folder);
}
