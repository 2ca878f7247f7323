// The product's shared data folder below the common documents folder. Every user can write
// there, so the installer reaches it only through the operations that never follow a link.
#pragma once

inline constexpr char16_t kDataFolderName[] = u"Vantrel";
inline constexpr char16_t kPanelConfigPath[] = u"Vantrel\\PanelConfig.ini";
