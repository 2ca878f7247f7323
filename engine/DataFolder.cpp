#include "engine/DataFolder.h"

#include <string>

#include "common/Names.h"
#include "engine/Claims.h"
#include "package/FileTree.h"
#include "platform/FileSystem.h"

bool removeDataFolder(const ProductIdentity& identity) {
    std::u16string documents, owner;
    // A folder of that name another product marked as its own is that product's.
    if (dataFolderOwner(identity, owner) &&
        !sameIgnoringAsciiCase(owner, viewOf(identity.settingsKey))) {
        return false;
    }
    return isDataFolderName(viewOf(identity.dataFolder)) &&
           platform::files().specialFolder(platform::SpecialFolder::CommonDocuments, documents) &&
           deleteTreeBelow(documents.c_str(), viewOf(identity.dataFolder));
}
