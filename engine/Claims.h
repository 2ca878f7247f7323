// The names an installation takes on the machine (services, the Uninstall entry, Run values,
// shortcuts, desktop menu entries, system-folder files, the data folder) and whose each one is.
// Two vendors' products made with the same tools may well share a product, service or shortcut
// name: an installation touches only what is absent or this product's, and meets anything else
// by ending before it changes anything, naming the item and its owner.
//
// An item is this product's when its product identity is recorded where it can be read back
// (the "ProductIdentity" value beside a service or in the Uninstall entry, the marker file in
// the data folder, protected so that only the system's own principals can have written it).
// Items that record none were made by earlier installers: they are this product's when they lead
// into a folder of this product's installations (the new one, or one an earlier installation of
// this product lies in, found by its identity), or when a believed log of such an installation
// lists them. The data folder is the exception: every user can write there, so one without a
// believable marker is taken as it always was (a user's own marker would otherwise let any user
// keep the product from being installed).
#pragma once

#include <string>
#include <vector>

#include "common/Text.h"
#include "package/ProductIdentity.h"
#include "platform/Registry.h"

// What is known of this product on the machine, gathered before anything changes.
struct ClaimEvidence {
    ProductIdentity identity;
    // Product folders of this product: the one being installed into, and those of its earlier
    // installations (found through its settings key, its Uninstall entry or at the new place).
    std::vector<std::u16string> folders;
    // System-folder files the believed logs of earlier installations list.
    std::vector<std::u16string> systemFiles;
};

// A name another product (or someone unknown) holds.
struct TakenName {
    std::u16string item;   // the service's key, the entry's key, the value, the path
    std::u16string owner;  // whose it is, as far as the item tells; empty: it does not tell
};

// The value name that records a product's identity beside a service and in its Uninstall entry,
// and the marker file in its data folder.
inline constexpr char16_t kIdentityValue[] = u"ProductIdentity";
inline constexpr char16_t kIdentityMarker[] = u"ProductIdentity.txt";

// Each is true when nothing stands at the name or what stands there is this product's; false,
// with `taken` filled, otherwise.
bool serviceIsFree(const char16_t* name, const ClaimEvidence& evidence, TakenName& taken);
bool uninstallEntryIsFree(const ClaimEvidence& evidence, TakenName& taken);
// The Run value `name` (a program's file name without extension) of HKLM or HKCU.
bool runValueIsFree(platform::RegistryRoot root, const TextBuffer& name,
                    const ClaimEvidence& evidence, TakenName& taken);
// A shortcut, named by its path without ".lnk".
bool shortcutIsFree(const TextBuffer& link, const ClaimEvidence& evidence, TakenName& taken);
bool desktopMenuIsFree(const TextBuffer& name, const ClaimEvidence& evidence, TakenName& taken);
bool systemFileIsFree(const TextBuffer& path, const ClaimEvidence& evidence, TakenName& taken);
bool dataFolderIsFree(const ClaimEvidence& evidence, TakenName& taken);

// The Uninstall entry's key below HKLM: the list and the product's settings key, never its
// display name (another vendor's product may have the same one). False when it does not fit.
bool uninstallKeyPathOf(const ProductIdentity& identity, std::u16string& path);

// The identity a data folder's marker names; false when there is none, or one that anyone but
// the system's own principals could have written.
bool dataFolderOwner(const ProductIdentity& identity, std::u16string& owner);
// Writes this product's marker into its data folder (through the operations that never follow a
// link).
bool markDataFolder(const ProductIdentity& identity);
