#include "engine/Claims.h"

#include "common/Names.h"
#include "engine/CommandLine.h"
#include "engine/RegistryPaths.h"
#include "engine/Services.h"
#include "platform/FileSystem.h"
#include "platform/Security.h"
#include "platform/ServiceManager.h"
#include "platform/Shell.h"

using platform::KeyAccess;
using platform::RegistryKey;
using platform::RegistryRoot;

namespace {

// A marker is a settings key name: anything longer is no marker of a product.
constexpr std::size_t kLongestMarker = 1024;

bool ours(std::u16string_view recorded, const ClaimEvidence& e) {
    return sameIgnoringAsciiCase(recorded, viewOf(e.identity.settingsKey));
}

bool leadsIntoOurs(std::u16string_view path, const ClaimEvidence& e) {
    for (const std::u16string& folder : e.folders) {
        if (isInsideFolder(path, folder)) return true;
    }
    return false;
}

bool isOneOf(std::u16string_view path, const std::vector<std::u16string>& list) {
    for (const std::u16string& known : list) {
        if (sameIgnoringAsciiCase(path, known)) return true;
    }
    return false;
}

bool refuse(TakenName& taken, std::u16string item, std::u16string owner) {
    taken.item = std::move(item);
    taken.owner = std::move(owner);
    return false;
}

const char16_t* rootName(RegistryRoot root) {
    switch (root) {
        case RegistryRoot::LocalMachine:
            return u"HKLM\\";
        case RegistryRoot::CurrentUser:
            return u"HKCU\\";
        case RegistryRoot::ClassesRoot:
            return u"HKCR\\";
        default:
            return u"HKU\\";
    }
}

// A text value of an existing key; false when the key or the value is not there.
bool readValue(RegistryRoot root, const std::u16string& key, const char16_t* name,
               TextBuffer& value) {
    TextBuffer path;
    RegistryKey open = 0;
    if (!copyText(path, key) || !platform::registry().openKey(root, path, KeyAccess::Read, open)) {
        return false;
    }
    bool read = platform::registry().queryString(open, name, value);
    platform::registry().closeKey(open);
    return read;
}

bool keyExists(RegistryRoot root, const std::u16string& key) {
    TextBuffer path;
    RegistryKey open = 0;
    if (!copyText(path, key) || !platform::registry().openKey(root, path, KeyAccess::Read, open)) {
        return false;
    }
    platform::registry().closeKey(open);
    return true;
}

// Who an Uninstall entry says it is: its display name and publisher.
std::u16string entryOwner(const std::u16string& key) {
    TextBuffer name, publisher;
    std::u16string owner;
    if (readValue(RegistryRoot::LocalMachine, key, u"DisplayName", name)) owner = viewOf(name);
    if (readValue(RegistryRoot::LocalMachine, key, u"Publisher", publisher) && publisher[0]) {
        owner += (owner.empty() ? u"" : u", ") + std::u16string(viewOf(publisher));
    }
    return owner;
}

bool markerPathOf(const ProductIdentity& identity, TextBuffer& relative) {
    return isDataFolderName(viewOf(identity.dataFolder)) &&
           joinPath(relative, viewOf(identity.dataFolder), kIdentityMarker);
}

}  // namespace

bool uninstallKeyPathOf(const ProductIdentity& identity, std::u16string& path) {
    if (!isSettingsKeyName(viewOf(identity.settingsKey))) return false;
    path =
        std::u16string(kUninstallListPath) + u"\\" + std::u16string(viewOf(identity.settingsKey));
    return path.size() < kTextUnits;
}

bool serviceIsFree(const char16_t* name, const ClaimEvidence& e, TakenName& taken) {
    if (!serviceExists(name)) return true;
    std::u16string item =
        u"HKLM\\SYSTEM\\CurrentControlSet\\Services\\" + std::u16string(viewOf(name));
    std::u16string owner, binary;
    if (platform::services().queryOwner(name, owner)) {
        return ours(owner, e) || refuse(taken, item, owner);
    }
    // Registered by an installer that recorded no identity: ours when it runs our program.
    if (serviceBinaryPath(name, binary) && leadsIntoOurs(programOf(binary), e)) return true;
    return refuse(taken, item, binary);
}

bool uninstallEntryIsFree(const ClaimEvidence& e, TakenName& taken) {
    std::u16string key;
    if (!uninstallKeyPathOf(e.identity, key) || !keyExists(RegistryRoot::LocalMachine, key)) {
        return true;
    }
    std::u16string item = rootName(RegistryRoot::LocalMachine) + key;
    TextBuffer recorded, location, command;
    if (readValue(RegistryRoot::LocalMachine, key, kIdentityValue, recorded)) {
        return ours(viewOf(recorded), e) || refuse(taken, item, std::u16string(viewOf(recorded)));
    }
    bool located = readValue(RegistryRoot::LocalMachine, key, u"InstallLocation", location) &&
                   isOneOf(viewOf(location), e.folders);
    bool launches = readValue(RegistryRoot::LocalMachine, key, u"UninstallString", command) &&
                    leadsIntoOurs(programOf(viewOf(command)), e);
    return located || launches || refuse(taken, item, entryOwner(key));
}

bool runValueIsFree(RegistryRoot root, const TextBuffer& name, const ClaimEvidence& e,
                    TakenName& taken) {
    TextBuffer value;
    if (!readValue(root, kRunKeyPath, name, value)) return true;
    if (leadsIntoOurs(programOf(viewOf(value)), e)) return true;
    return refuse(
        taken, rootName(root) + std::u16string(kRunKeyPath) + u"\\" + std::u16string(viewOf(name)),
        std::u16string(viewOf(value)));
}

bool shortcutIsFree(const TextBuffer& link, const ClaimEvidence& e, TakenName& taken) {
    TextBuffer file;
    if (!copyText(file, viewOf(link)) || !appendText(file, u".lnk") ||
        !platform::files().exists(file)) {
        return true;
    }
    auto& shell = platform::shell();
    std::u16string target;
    int show = 0;
    bool loaded = shell.initializeCom() && shell.loadLink(file, target, show);
    shell.uninitializeCom();
    if (loaded && leadsIntoOurs(target, e)) return true;
    return refuse(taken, std::u16string(viewOf(file)), loaded ? target : std::u16string());
}

bool desktopMenuIsFree(const TextBuffer& name, const ClaimEvidence& e, TakenName& taken) {
    std::u16string key = std::u16string(kDesktopShellPath) + u"\\" + std::u16string(viewOf(name));
    if (!keyExists(RegistryRoot::ClassesRoot, key)) return true;
    TextBuffer icon, command;
    bool hasIcon = readValue(RegistryRoot::ClassesRoot, key, u"Icon", icon);
    bool hasCommand = readValue(RegistryRoot::ClassesRoot, key + u"\\command", nullptr, command);
    if ((hasIcon && leadsIntoOurs(viewOf(icon), e)) ||
        (hasCommand && leadsIntoOurs(programOf(viewOf(command)), e))) {
        return true;
    }
    return refuse(taken, rootName(RegistryRoot::ClassesRoot) + key,
                  std::u16string(viewOf(hasCommand ? command : icon)));
}

bool systemFileIsFree(const TextBuffer& path, const ClaimEvidence& e, TakenName& taken) {
    if (!platform::files().exists(path)) return true;
    // A file says nothing of its maker: only the log of an earlier installation of ours can.
    return isOneOf(viewOf(path), e.systemFiles) || refuse(taken, std::u16string(viewOf(path)), u"");
}

// The marker is believed only when nobody but the system's own principals can have written
// it: every user can write the data folder, and a marker of theirs proves nothing.
bool dataFolderOwner(const ProductIdentity& identity, std::u16string& owner) {
    std::u16string documents;
    TextBuffer relative, path;
    std::vector<std::uint8_t> bytes;
    if (!markerPathOf(identity, relative) ||
        !platform::files().specialFolder(platform::SpecialFolder::CommonDocuments, documents) ||
        !joinPath(path, documents, viewOf(relative)) ||
        !platform::files().readFileBelow(documents.c_str(), relative, bytes, kLongestMarker) ||
        !platform::security().isWritableOnlyByTrusted(path)) {
        return false;
    }
    std::string text(bytes.begin(), bytes.end());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    owner = utf8ToUtf16(text);
    return true;
}

bool markDataFolder(const ProductIdentity& identity) {
    std::u16string documents;
    TextBuffer relative;
    if (!markerPathOf(identity, relative) ||
        !platform::files().specialFolder(platform::SpecialFolder::CommonDocuments, documents)) {
        return false;
    }
    std::string text = utf16ToUtf8(viewOf(identity.settingsKey)) + "\r\n";
    return platform::files().writeFileBelow(documents.c_str(), relative,
                                            reinterpret_cast<const std::uint8_t*>(text.data()),
                                            text.size()) == platform::WriteResult::Written &&
           platform::security().protectFileBelow(documents.c_str(), relative);
}

bool dataFolderIsFree(const ClaimEvidence& e, TakenName& taken) {
    std::u16string documents;
    TextBuffer folder;
    if (!isDataFolderName(viewOf(e.identity.dataFolder)) ||
        !platform::files().specialFolder(platform::SpecialFolder::CommonDocuments, documents) ||
        !joinPath(folder, documents, viewOf(e.identity.dataFolder)) ||
        !platform::files().exists(folder)) {
        return true;
    }
    // Without a marker nobody else could have written, nothing in a folder every user can
    // write says whose it is: it is taken as it always was.
    std::u16string owner;
    return !dataFolderOwner(e.identity, owner) || ours(owner, e) ||
           refuse(taken, std::u16string(viewOf(folder)), owner);
}
