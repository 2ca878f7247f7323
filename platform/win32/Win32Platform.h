// Every slot of the platform table filled with the real Windows calls, as setup.exe, the
// uninstaller and pkgtool.exe use them. Pictures and drawing need GDI+ started by the caller.
#pragma once

#include <string>

namespace win32 {

void installWin32Platform();

// The running program's full path, however long (empty when Windows cannot say).
std::u16string executablePath();

}  // namespace win32
