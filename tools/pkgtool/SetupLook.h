// The setup executable's own face: its window title (string 105), its icon (107) and its
// version resource, made from what the manifest gives. What the manifest leaves out stays as
// the stub has it.
#pragma once

#include <string>
#include <vector>

#include "package/IconResource.h"
#include "package/VersionResource.h"
#include "tools/pkgtool/Manifest.h"

constexpr std::uint16_t kTitleString = 105;
constexpr std::uint16_t kSetupIcon = 107;

// The icon file the manifest names, read and checked. False with the cause when it cannot be
// read or is not a usable icon (the manifest's SetupIcon line is to blame).
bool readSetupIcon(const SetupLook& look, std::vector<pe::IconImage>& images, std::string& cause);

// The version resource's strings for the manifest's product: CompanyName, FileDescription,
// FileVersion, LegalCopyright (when given), OriginalFilename, ProductName, ProductVersion.
// A description not given is the title given, else the stub's own (`stub`, which may be
// empty), else "PRODUCT Setup"; the original file name is the stub's, else "setup.exe".
pe::VersionInfo setupVersionOf(const Manifest& manifest, const pe::VersionInfo& stub);

// Puts the title, icon and version resource into the stub's resources. The version resource is
// written when the manifest gives a Version, FileDescription or Copyright. False with the
// manifest line to blame and the cause.
bool applySetupLook(const Manifest& manifest, std::vector<pe::Resource>& resources,
                    ManifestError& error);
