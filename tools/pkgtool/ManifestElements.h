// The manifest reader's parts, shared by the files that read one kind of element each: the
// refusal, the attribute checks every element passes, and the readers of the elements that are
// no install script record.
#pragma once

#include <string>
#include <vector>

#include "tools/pkgtool/Manifest.h"

class TiXmlElement;

namespace manifest {

// Records where and why, and answers false.
bool refuse(ManifestError& error, int line, std::string cause);
// Only the element's known attributes, each required one present: a misspelt one would
// otherwise be ignored silently.
bool checkAttributes(const TiXmlElement& element, const std::vector<const char*>& required,
                     const std::vector<const char*>& optional, ManifestError& error);
// Records hold attributes only; comments may sit anywhere.
bool checkNoContent(const TiXmlElement& element, ManifestError& error);
// The attribute as UTF-16; empty when it is not there.
std::u16string attribute(const TiXmlElement& element, const char* name);
// The payload folder and the setup icon are relative to the manifest's own folder.
std::u16string payloadFolderOf(const std::u16string& manifestPath, std::u16string payload);

// SettingsKey, DataFolder and Version.
bool isIdentityElement(const TiXmlElement& element);
bool readIdentityElement(const TiXmlElement& element, Manifest& manifest, ManifestError& error);

// SetupTitle, SetupIcon, FileDescription and Copyright.
bool isSetupLookElement(const TiXmlElement& element);
bool readSetupLookElement(const TiXmlElement& element, const std::u16string& manifestPath,
                          Manifest& manifest, ManifestError& error);

// TouchDevice.
bool isTouchDeviceElement(const TiXmlElement& element);
bool readTouchDeviceElement(const TiXmlElement& element, Manifest& manifest, ManifestError& error);

}  // namespace manifest
