// A package with the shape of the one the product ships: the same root files, the driver tree
// (52 files in 14 directories, allFiles headed by driver\USB\V6PDrv\i386\devcon.exe) and the
// fourteen-record install script. Contents are small stand-ins.
#pragma once

#include "tests/support/PackageBytes.h"

namespace testpkg {

inline std::vector<File> filesNamed(std::initializer_list<const char16_t*> names) {
    std::vector<File> out;
    for (const char16_t* n : names) {
        std::u16string s(n);
        out.push_back({s, bytesOf("contents of " + std::string(s.begin(), s.end()))});
    }
    return out;
}

inline Dir dir(const std::u16string& name, std::vector<File> files, std::vector<Dir> subdirs = {}) {
    return Dir{name, std::move(files), std::move(subdirs)};
}

// The shipped block's root files and its one root directory, "driver", with all below it.
inline void shippedTree(std::vector<File>& root, std::vector<Dir>& dirs) {
    root = filesNamed(
        {u"KorvelPanel.exe", u"Uninstall.exe", u"SdkClientModule.dll", u"VantrelService.exe"});
    root.push_back({u"License.txt", {0xFF, 0xFE, 'L', 0, 'i', 0, 'c', 0}});
    Dir hid = dir(
        u"driver\\HID", filesNamed({u"KorvelHid.inf", u"readme.txt"}),
        {dir(u"driver\\HID\\x86",
             filesNamed({u"hidkmdf.sys", u"KorvelHid.sys", u"KorvelHid.cat", u"KorvelHid.inf"})),
         dir(u"driver\\HID\\amd64",
             filesNamed({u"hidkmdf.sys", u"KorvelHid.sys", u"KorvelHid.cat", u"KorvelHid.inf"})),
         dir(u"driver\\HID\\tools", filesNamed({u"hidtool.exe", u"hidtool.ini"}),
             {dir(u"driver\\HID\\tools\\x86", filesNamed({u"devcon.exe"})),
              dir(u"driver\\HID\\tools\\amd64", filesNamed({u"devcon.exe"}))})});
    Dir usb =
        dir(u"driver\\USB", filesNamed({u"V6PDrv.inf", u"V6PDrv.cat"}),
            {dir(u"driver\\USB\\V6PDrv", filesNamed({u"V6PDrv.inf", u"V6PDrv.cat"}),
                 {dir(u"driver\\USB\\V6PDrv\\i386",
                      filesNamed({u"V6PDrv.sys", u"V6PDrv.pdb", u"WdfCoInstaller.inf",
                                  u"WUDFUpdate.dll", u"WdfCoInstaller01009.dll", u"devcon.exe"})),
                  dir(u"driver\\USB\\V6PDrv\\amd64",
                      filesNamed({u"V6PDrv.sys", u"V6PDrv.pdb", u"WdfCoInstaller.inf",
                                  u"WUDFUpdate.dll", u"WdfCoInstaller01009.dll", u"devcon.exe"}))}),
             dir(u"driver\\USB\\Docs", filesNamed({u"notes.txt", u"history.txt", u"legal.txt"}),
                 {dir(u"driver\\USB\\Docs\\en", filesNamed({u"guide.txt"})),
                  dir(u"driver\\USB\\Docs\\zh", filesNamed({u"guide.txt"}))})});
    // Lists are built by prepending, so the first entry (USB, V6PDrv, i386) is read last.
    Dir driver =
        dir(u"driver",
            filesNamed({u"InstallUsbDriverX86.bat", u"InstallUsbDriverX64.bat",
                        u"UninstallUsbDriverX86.bat", u"UninstallUsbDriverx64.bat",
                        u"InstallHIDDriverX86.bat", u"InstallHIDDriverX64.bat",
                        u"UninstallHIDDriverX86.bat", u"UninstallHIDDriverX64.bat", u"devcon.exe",
                        u"DriverSetup.ini", u"InstallLog.txt", u"README.txt"}),
            {usb, hid});
    dirs = {driver};
}

inline Bytes shippedFileBlock() {
    std::vector<File> root;
    std::vector<Dir> dirs;
    shippedTree(root, dirs);
    return fileBlock(u"KorvelServerV6", root, dirs);
}

inline Script shippedScript() {
    static const std::u16string description =
        u"Servicing interface for Brenmark Korvel Multitouch Device";
    Script s;
    s.text(0, u"Brenmark");
    s.text(13, u"KorvelServerV6");
    s.path(1, u"VantrelService.exe");
    s.path(12, u"VantrelService.exe");
    s.path(2, u"Uninstall.exe");
    s.path(11, u"KorvelPanel.exe");
    s.path(10, u"KorvelPanel.exe");
    s.named(3, u"KorvelPanel.exe", u"KorvelPanel");
    s.named(3, u"Uninstall.exe", u"Uninstall");
    s.named(6, u"KorvelPanel.exe", u"KorvelPanel");
    s.service(u"VantrelService.exe", &description);
    s.drivers({{0, u"driver\\InstallUsbDriverX86.bat"},
               {1, u"driver\\InstallUsbDriverX64.bat"},
               {2, u"driver\\UninstallUsbDriverX86.bat"},
               {3, u"driver\\UninstallUsbDriverx64.bat"}});
    s.drivers({{0, u"driver\\InstallHIDDriverX86.bat"},
               {1, u"driver\\InstallHIDDriverX64.bat"},
               {2, u"driver\\UninstallHIDDriverX86.bat"},
               {3, u"driver\\UninstallHIDDriverX64.bat"}});
    s.licence(0, u"License.txt");
    return s;
}

inline std::vector<std::uint8_t> shippedPackage() {
    return package(shippedScript(), shippedFileBlock());
}

}  // namespace testpkg
