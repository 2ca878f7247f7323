// The release engineer's description of a package: the root name, the payload folder, and one
// XML element per install script record, in document order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/PackageWriter.h"
#include "package/ProductIdentity.h"

struct Manifest {
    std::u16string rootName;
    std::u16string payloadFolder;  // as the file-system layer takes it
    int rootLine = 0;
    std::vector<ScriptRecord> records;
    std::vector<int> recordLines;             // one per record
    std::vector<std::string> recordElements;  // one per record
    // SettingsKey, DataFolder and Version as given, then completed (completeIdentity).
    ProductIdentity identity;
    struct IdentityLines {
        int settingsKey = 0, dataFolder = 0, version = 0;  // 0: not given
        int touchDevice = 0;
    } identityLines;
    // What make-setup writes into the setup executable's own resources: the window title, the
    // icon file (as the file-system layer takes it, relative to the manifest's folder), the
    // version resource's description and copyright. Empty: not given, the stub's stays.
    struct SetupLook {
        std::u16string title, icon, description, copyright;
        int titleLine = 0, iconLine = 0, descriptionLine = 0, copyrightLine = 0;
    } look;
};
using IdentityLines = Manifest::IdentityLines;
using SetupLook = Manifest::SetupLook;

// The longest window title: the title and its window class name (the title and "Class") are
// read into 100-unit buffers.
constexpr std::size_t kMaxSetupTitle = 94;
// The longest description or copyright text.
constexpr std::size_t kMaxSetupText = 259;

// Where and why a manifest was refused; line 0 when no line is to blame.
struct ManifestError {
    int line = 0;
    std::string cause;
};

// Reads and checks the manifest at `path`: well-formed XML, known elements and attributes
// only, the required attributes present, licence languages 0 to 4. The product's identity
// comes from the SettingsKey, DataFolder and Version elements, each at most once, checked as
// package/ProductIdentity.h says; the setup's look from SetupTitle, SetupIcon, FileDescription
// and Copyright, each at most once. At most one TouchDevice element names the product's touch
// devices: vendor="0xVVVV" and optionally products="0xPPPP 0xPPPP ..." (device/TouchDeviceIds.h);
// without it the defaults stand.
bool readManifest(const std::u16string& path, Manifest& manifest, ManifestError& error);
// The same checks on a manifest's bytes; `path` is where it lies, which the payload folder is
// relative to.
bool parseManifest(const std::vector<std::uint8_t>& bytes, const std::u16string& path,
                   Manifest& manifest, ManifestError& error);

// Fills in what the manifest did not give, once its records are known to fit the package: a
// settings key or data folder is named after the Company record in force and the Product (the
// root name), "Company Product", or the Product alone without a Company, each "." made "_"; a
// version is "1.0". Refused when that name is too long for a settings key.
bool completeIdentity(Manifest& manifest, ManifestError& error);
