#include "engine/DataFolder.h"

#include <string>

#include "package/FileTree.h"
#include "platform/FileSystem.h"

bool removeDataFolder(const ProductIdentity& identity) {
    std::u16string documents;
    return isDataFolderName(viewOf(identity.dataFolder)) &&
           platform::files().specialFolder(platform::SpecialFolder::CommonDocuments, documents) &&
           deleteTreeBelow(documents.c_str(), viewOf(identity.dataFolder));
}
