#include "engine/TrustPolicy.h"

#include "common/Names.h"
#include "engine/CommandLine.h"
#include "engine/LogIdentity.h"
#include "engine/RegistryPaths.h"
#include "engine/RegistryProductKey.h"
#include "engine/RegistryRunEntry.h"
#include "engine/Services.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Security.h"
#include "platform/ServiceManager.h"
#include "platform/Shell.h"

namespace {

using platform::RegistryRoot;

bool textOf(const LogRecord& record, TextBuffer& text) {
    return recordText(record, text);
}

bool inProduct(std::u16string_view path, const FoundLogTrust& trust) {
    return isInsideFolder(path, viewOf(trust.productFolder));
}

bool ofThisProduct(std::u16string_view identity, const FoundLogTrust& t) {
    return sameIgnoringAsciiCase(identity, viewOf(t.identity.settingsKey));
}

// The shortcut's link file leads into the product folder.
bool linkLeadsIntoProduct(const TextBuffer& path, const FoundLogTrust& t) {
    TextBuffer link;
    if (!copyText(link, viewOf(path)) || !appendText(link, u".lnk")) return false;
    auto& shell = platform::shell();
    if (!shell.initializeCom()) return false;
    std::u16string target;
    int show = 0;
    bool loaded = shell.loadLink(link, target, show);
    shell.uninitializeCom();
    return loaded && inProduct(target, t);
}

// A folder path ending in "\Programs\<company>" or "\Programs\<company>\<product>" of the
// log's header: another account's start-menu folders (an installation made per user by another
// administrator), removed only once empty.
bool endsAsMenuFolder(std::u16string_view path, const FoundLogTrust& t) {
    std::u16string company = u"\\Programs\\" + std::u16string(viewOf(t.company));
    std::u16string product = company + u"\\" + std::u16string(viewOf(t.productName));
    auto endsWith = [path](const std::u16string& tail) {
        return path.size() > tail.size() &&
               sameIgnoringAsciiCase(path.substr(path.size() - tail.size()), tail);
    };
    return endsWith(company) || endsWith(product);
}

// --- The checks, one per row ---------------------------------------------------------------

bool fileInProduct(const LogRecord& r, const FoundLogTrust& t) {
    TextBuffer path;
    return textOf(r, path) && inProduct(viewOf(path), t);
}

// The empty command line starts nothing, as it always has.
bool scriptInProduct(const LogRecord& r, const FoundLogTrust& t) {
    TextBuffer path;
    return textOf(r, path) && (path[0] == 0 || inProduct(viewOf(path), t));
}

// A service is named after its program's file name, and any service may carry that name; it is
// ours only when the program it is registered to run is ours too.
bool serviceOfProduct(const LogRecord& r, const FoundLogTrust& t) {
    TextBuffer path, name;
    std::u16string binary, owner;
    if (!textOf(r, path) || !inProduct(viewOf(path), t) || !serviceNameOf(viewOf(path), name) ||
        !serviceBinaryPath(name, binary) || !inProduct(programOf(binary), t)) {
        return false;
    }
    // One that says whose it is must say it is this product's.
    return !platform::services().queryOwner(name, owner) || ofThisProduct(owner, t);
}

bool systemFile(const LogRecord& r, const FoundLogTrust& t) {
    TextBuffer path;
    return textOf(r, path) && !t.systemFolder.empty() &&
           isDirectlyInFolder(viewOf(path), t.systemFolder);
}

bool productKey(const LogRecord& r, const FoundLogTrust& t) {
    std::uint32_t root = 0;
    TextBuffer path;
    return recordRegistryKey(r, root, path) && root == std::uint32_t(RegistryRoot::LocalMachine) &&
           t.productKeyPath[0] && sameIgnoringAsciiCase(viewOf(path), viewOf(t.productKeyPath));
}

bool menuFolder(const LogRecord& r, const FoundLogTrust& t) {
    TextBuffer path;
    if (!textOf(r, path)) return false;
    for (const std::u16string& known :
         {t.menuProduct, t.menuCompany, t.commonMenuProduct, t.commonMenuCompany}) {
        if (!known.empty() && sameIgnoringAsciiCase(viewOf(path), known)) return true;
    }
    return endsAsMenuFolder(viewOf(path), t);
}

// In the product's own start-menu folder (the account's or every user's), or, anywhere else (a
// per-user installation of another account), a link that leads to our program.
bool startMenuShortcut(const LogRecord& r, const FoundLogTrust& t) {
    TextBuffer path;
    if (!textOf(r, path) || !isPlainName(fileNameOf(viewOf(path)))) return false;
    for (const std::u16string& folder : {t.menuProduct, t.commonMenuProduct}) {
        if (!folder.empty() && isDirectlyInFolder(viewOf(path), folder)) return true;
    }
    return linkLeadsIntoProduct(path, t);
}

// Anything may lie on a desktop (the account's, every user's, another account's); a shortcut
// there is ours when it leads to our program.
bool desktopShortcut(const LogRecord& r, const FoundLogTrust& t) {
    TextBuffer path;
    return textOf(r, path) && isPlainName(fileNameOf(viewOf(path))) &&
           linkLeadsIntoProduct(path, t);
}

// The entry is removed by the stem of its name; it is ours when its icon is our program.
bool menuEntry(const LogRecord& r, const FoundLogTrust& t) {
    TextBuffer text, key, icon;
    if (!textOf(r, text) || !isPlainName(stemOf(viewOf(text))) ||
        !joinPath(key, kDesktopShellPath, stemOf(viewOf(text)))) {
        return false;
    }
    auto& registry = platform::registry();
    platform::RegistryKey open = 0;
    if (!registry.openKey(RegistryRoot::ClassesRoot, key, platform::KeyAccess::Read, open)) {
        return false;
    }
    bool read = registry.queryString(open, u"Icon", icon);
    registry.closeKey(open);
    return read && inProduct(viewOf(icon), t);
}

// Another vendor's product may carry the same name; the entry is ours when no place it names
// lies outside the product folder: the program UninstallString starts, DisplayIcon, and
// InstallLocation (the folder itself). A value that is missing names no place: a half-written
// entry of the installation is removed with the rest.
bool namesOnlyProductPlaces(platform::RegistryKey key, const FoundLogTrust& t) {
    auto& registry = platform::registry();
    TextBuffer command, icon, location;
    bool ok = true;
    if (registry.queryString(key, u"UninstallString", command)) {
        ok = ok && inProduct(programOf(viewOf(command)), t);
    }
    if (registry.queryString(key, u"DisplayIcon", icon)) ok = ok && inProduct(viewOf(icon), t);
    if (registry.queryString(key, u"InstallLocation", location)) {
        ok = ok && sameIgnoringAsciiCase(viewOf(location), viewOf(t.productFolder));
    }
    TextBuffer identity;
    if (registry.queryString(key, u"ProductIdentity", identity)) {
        ok = ok && ofThisProduct(viewOf(identity), t);
    }
    return ok;
}

// Named after the identity, or (earlier installers) after the product.
bool uninstallEntry(const LogRecord& r, const FoundLogTrust& t) {
    TextBuffer name, key;
    if (!textOf(r, name) || !isPlainName(viewOf(name)) ||
        !(sameIgnoringAsciiCase(viewOf(name), viewOf(t.productName)) ||
          ofThisProduct(viewOf(name), t)) ||
        !joinPath(key, kUninstallListPath, viewOf(name))) {
        return false;
    }
    platform::RegistryKey open = 0;
    if (!platform::registry().openKey(RegistryRoot::LocalMachine, key, platform::KeyAccess::Read,
                                      open)) {
        return false;
    }
    bool ours = namesOnlyProductPlaces(open, t);
    platform::registry().closeKey(open);
    return ours;
}

// A Run value is named after its program's file name; it is ours when it starts our program
// with exactly the command the log recorded.
bool runValueOfProduct(RegistryRoot root, const LogRecord& r, const FoundLogTrust& t) {
    TextBuffer command, name, stored;
    if (!textOf(r, command) || !inProduct(programOf(viewOf(command)), t) ||
        !runValueNameOf(viewOf(command), name)) {
        return false;
    }
    auto& registry = platform::registry();
    platform::RegistryKey open = 0;
    if (!registry.openKey(root, kRunKeyPath, platform::KeyAccess::Read, open)) return false;
    bool read = registry.queryString(open, name, stored);
    registry.closeKey(open);
    return read && viewOf(stored) == viewOf(command);
}

bool runEntry(const LogRecord& r, const FoundLogTrust& t) {
    return runValueOfProduct(RegistryRoot::CurrentUser, r, t);
}

bool machineRunEntry(const LogRecord& r, const FoundLogTrust& t) {
    return runValueOfProduct(RegistryRoot::LocalMachine, r, t);
}

bool nothingToDo(const LogRecord&, const FoundLogTrust&) {
    return true;
}

std::u16string special(platform::SpecialFolder which) {
    std::u16string path;
    if (!platform::files().specialFolder(which, path) || path.size() >= kTextUnits) path.clear();
    return path;
}

}  // namespace

// clang-format off
const TrustRule kTrustPolicy[] = {
    {LOG_FILE, "a file inside the product folder",
     "product folder, backslash, plain names", fileInProduct},
    {LOG_DRIVER_SCRIPT, "a script inside the product folder, run",
     "as LOG_FILE; the empty command starts nothing", scriptInProduct},
    {LOG_SERVICE, "the service named after the program, stopped and deleted",
     "the program and the service's registered program both inside the product folder; the "
     "ProductIdentity beside the service, where present, the log's identity",
     serviceOfProduct},
    {LOG_SYSTEM_FILE, "a file directly in the system folder",
     "system folder, backslash, one plain name", systemFile},
    {LOG_REGISTRY_KEY, "the product key HKLM\\SOFTWARE\\<settings key of the log's identity>",
     "root and path are that key", productKey},
    {LOG_FOLDER, "Programs\\company\\product and Programs\\company, if empty",
     "equal to one of the two of the account's or every user's Programs, composed from the "
     "header's names; or a path ending in \\Programs\\company[\\product] (another account's)",
     menuFolder},
    {LOG_START_MENU_SHORTCUT, "a shortcut in Programs\\company\\product",
     "that folder (the account's or every user's), backslash, one plain name; anywhere else, "
     "the link's target inside the product folder", startMenuShortcut},
    {LOG_DESKTOP_SHORTCUT, "a desktop shortcut to a product program",
     "one plain name; the link's target inside the product folder", desktopShortcut},
    {LOG_DESKTOP_MENU, "a desktop menu entry of a product program",
     "a plain name whose entry's Icon lies inside the product folder", menuEntry},
    {LOG_UNINSTALL_ENTRY, "the Uninstall entry of the product, with every value in it",
     "the log identity's settings key or the header's product name; UninstallString's program, "
     "DisplayIcon and InstallLocation, where present, inside the product folder (the last: the "
     "folder itself); ProductIdentity, where present, the log's identity", uninstallEntry},
    {LOG_RUN_ENTRY, "a Run value of HKCU starting a product program",
     "the command's program inside the product folder, the value holding that command",
     runEntry},
    {LOG_MACHINE_RUN_ENTRY, "a Run value of HKLM starting a product program",
     "as LOG_RUN_ENTRY", machineRunEntry},
    {LOG_SERVICE_STARTED, "nothing", "-", nothingToDo},
    {LOG_PRODUCT_IDENTITY, "nothing (names the product the log belongs to)", "-", nothingToDo},
    {LOG_INSTALL_SCOPE, "nothing (per-machine or per-user, and whose)", "-", nothingToDo},
};
// clang-format on
const std::size_t kTrustPolicySize = sizeof kTrustPolicy / sizeof kTrustPolicy[0];

namespace {

// The log's product, and whether it is the one asked for.
bool judgeIdentity(const UninstallLog& log, const ProductIdentity* product, FoundLogTrust& t) {
    if (!identityOfLog(log, t.identity) || !productKeyPathOf(t.identity, t.productKeyPath)) {
        return false;
    }
    t.otherProduct = product && !sameProduct(*product, t.identity);
    return !t.otherProduct;
}

}  // namespace

FoundLogTrust judgeFoundLog(const UninstallLog& log, const char16_t* logPath,
                            const ProductIdentity* product) {
    FoundLogTrust t;
    std::u16string_view folder = parentOf(viewOf(logPath));
    if (!isPlainName(viewOf(log.company)) || !isPlainName(viewOf(log.product)) ||
        !joinPath(t.productFolder, viewOf(log.root), viewOf(log.company), viewOf(log.product)) ||
        !sameIgnoringAsciiCase(viewOf(t.productFolder), folder) ||
        !copyText(t.productName, viewOf(log.product))) {
        t.productFolder[0] = 0;
        t.doubt = "its header does not name the folder it lies in";
        return t;
    }
    auto& security = platform::security();
    bool written = security.isWritableOnlyByTrusted(t.productFolder) &&
                   security.isWritableOnlyByTrusted(logPath);
    bool ours = judgeIdentity(log, product, t);
    t.believed = ours && written;
    if (!written) {
        t.doubt = "the product folder or the log could have been written by others";
    } else if (t.otherProduct) {
        t.doubt = "it belongs to another product";
    } else if (!ours) {
        t.doubt = "its product identity cannot be read";
    }
    t.otherProduct = t.otherProduct && written;
    t.systemFolder = special(platform::SpecialFolder::System);
    t.desktopFolder = special(platform::SpecialFolder::Desktop);
    copyText(t.company, viewOf(log.company));
    std::u16string programs = special(platform::SpecialFolder::Programs);
    if (!programs.empty()) {
        t.menuCompany = programs + u"\\" + std::u16string(viewOf(log.company));
        t.menuProduct = t.menuCompany + u"\\" + std::u16string(viewOf(log.product));
    }
    std::u16string common = special(platform::SpecialFolder::CommonPrograms);
    if (!common.empty()) {
        t.commonMenuCompany = common + u"\\" + std::u16string(viewOf(log.company));
        t.commonMenuProduct = t.commonMenuCompany + u"\\" + std::u16string(viewOf(log.product));
    }
    return t;
}

bool mayUndo(const LogRecord& record, const FoundLogTrust& trust) {
    if (!trust.believed) return false;
    for (const TrustRule& rule : kTrustPolicy) {
        if (rule.type == record.type) return rule.allows(record, trust);
    }
    return false;
}
