// The registry keys the installation writes to and removes from.
#pragma once

// HKEY_LOCAL_MACHINE: settings read by the product and by later installers, "SOFTWARE\" and
// the product identity's settings key (engine/RegistryProductKey.h). The demo product's:
inline constexpr char16_t kSettingsKeyParent[] = u"SOFTWARE";
inline constexpr char16_t kDemoProductKeyPath[] = u"SOFTWARE\\KorvelServerV5";
// HKEY_LOCAL_MACHINE: the system's list of installed programs.
inline constexpr char16_t kUninstallListPath[] =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
// HKEY_CURRENT_USER: programs started at log-on.
inline constexpr char16_t kRunKeyPath[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
// HKEY_CLASSES_ROOT: the desktop's context menu.
inline constexpr char16_t kDesktopShellPath[] = u"DesktopBackground\\Shell";
