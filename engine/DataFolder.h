// The product's shared data folder below the common documents folder, named by its identity
// (the demo product's is "Vantrel"). Every user can write there, so the installer reaches it
// only through the operations that never follow a link.
#pragma once

#include "common/Text.h"
#include "package/ProductIdentity.h"

// Empties and removes the data folder, without following any link a user put in it; one whose
// marker names another product stays (false).
bool removeDataFolder(const ProductIdentity& identity);

// <data folder>\PanelConfig.ini, relative to the common documents folder.
inline bool panelConfigPathOf(const ProductIdentity& identity, TextBuffer& path) {
    return isDataFolderName(viewOf(identity.dataFolder)) &&
           joinPath(path, viewOf(identity.dataFolder), u"PanelConfig.ini");
}
