// The package writer's first pass: the input checked and its files laid out as the tree the
// file block will hold, siblings in the package's name order.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "common/Text.h"
#include "package/PackageWriter.h"

namespace packing {

constexpr std::size_t kMaxNameUnits = kTextUnits - 1;

struct NameOrder {
    bool operator()(const std::u16string& a, const std::u16string& b) const {
        return packageNameLess(a, b);
    }
};

// The file block's shape: files and subfolders of one folder, keyed by their last component.
struct FolderPlan {
    std::map<std::u16string, const PackageFile*, NameOrder> files;
    std::map<std::u16string, FolderPlan, NameOrder> folders;
};

// Records the reason (and the record at fault) and answers false.
bool fail(PackageFault& fault, std::string reason, std::optional<std::size_t> record = {});
// The folders and files of the input as a tree; false when a path is empty, too long, given
// twice, both a file and a folder, or names a file over the package's limit.
bool planFolders(const PackageInput& input, FolderPlan& root, PackageFault& fault);
// A record's texts: no NUL, and each name or path within 259 units.
bool checkRecord(const ScriptRecord& r, std::size_t index, PackageFault& fault);

}  // namespace packing
