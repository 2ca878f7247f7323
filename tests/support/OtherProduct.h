// A second vendor's product beside the demo one: its own company, product, programs and
// identity (settings key and data folder), as make-setup would package it.
#pragma once

#include "package/ProductIdentity.h"
#include "tests/support/PackageBytes.h"

namespace testpkg {

inline ProductIdentity identityOf(const char16_t* settingsKey, const char16_t* dataFolder,
                                  const char16_t* version = u"2.1") {
    ProductIdentity identity;
    copyText(identity.settingsKey, settingsKey);
    copyText(identity.dataFolder, dataFolder);
    copyText(identity.version, version);
    return identity;
}

inline ProductIdentity orbisIdentity() {
    return identityOf(u"Orbis OrbisTouch", u"Orbis OrbisTouch");
}

// The package with the identity block after it, as pkgtool build writes it.
inline std::vector<std::uint8_t> withIdentity(std::vector<std::uint8_t> package,
                                              const ProductIdentity& identity) {
    std::vector<std::uint8_t> block = identityBlockOf(identity);
    package.insert(package.end(), block.begin(), block.end());
    return package;
}

// Orbis's OrbisTouch: a service, an uninstaller, a program run at logon and a licence.
inline std::vector<std::uint8_t> orbisPackage(const ProductIdentity& identity = orbisIdentity(),
                                              const std::u16string& company = u"Orbis",
                                              const std::u16string& product = u"OrbisTouch") {
    Script s;
    s.text(0, company);
    s.text(13, product);
    s.path(1, u"OrbisHost.exe");
    s.path(2, u"Uninstall.exe");
    s.path(10, u"OrbisPanel.exe");
    s.named(3, u"OrbisPanel.exe", u"Orbis Panel");
    static const std::u16string description = u"Orbis touch host";
    s.service(u"OrbisHost.exe", &description);
    s.licence(1, u"Licence.txt");
    Bytes files = fileBlock(product,
                            {{u"OrbisHost.exe", bytesOf("orbis host")},
                             {u"OrbisPanel.exe", bytesOf("orbis panel")},
                             {u"Uninstall.exe", bytesOf("uninstaller")},
                             {u"Licence.txt", {0xFF, 0xFE, 'O', 0}}},
                            {});
    return withIdentity(package(s, files), identity);
}

}  // namespace testpkg

namespace testpkg {

// A vendor's "TouchSuite": the product name, program names, shortcut and menu names every
// vendor that packages the same kind of product might choose, under the vendor's own company
// and identity. Every name the installer claims on the machine is in it: a service, a Run
// value, start-menu and desktop shortcuts, a desktop menu entry, a system-folder file, the
// Uninstall entry and the data folder.
inline std::vector<std::uint8_t> touchSuitePackage(const std::u16string& company,
                                                   const ProductIdentity& identity) {
    Script s;
    s.text(0, company);
    s.text(13, u"TouchSuite");
    s.path(1, u"TouchHost.exe");
    s.path(2, u"Uninstall.exe");
    s.path(10, u"TouchPanel.exe");
    s.named(3, u"TouchPanel.exe", u"Touch Panel");
    s.named(6, u"TouchPanel.exe", u"Touch Panel");
    s.named(4, u"TouchPanel.exe", u"Touch Panel");
    s.path(5, u"touchhid.dll");
    static const std::u16string description = u"Touch host";
    s.service(u"TouchHost.exe", &description);
    s.licence(1, u"Licence.txt");
    Bytes files = fileBlock(u"TouchSuite",
                            {{u"TouchHost.exe", bytesOf("host of " + utf16ToUtf8(company))},
                             {u"TouchPanel.exe", bytesOf("panel of " + utf16ToUtf8(company))},
                             {u"touchhid.dll", bytesOf("hid of " + utf16ToUtf8(company))},
                             {u"Uninstall.exe", bytesOf("uninstaller")},
                             {u"Licence.txt", {0xFF, 0xFE, 'T', 0}}},
                            {});
    return withIdentity(package(s, files), identity);
}

}  // namespace testpkg
