// Every slot of the platform table filled with the real Windows calls, as setup.exe, the
// uninstaller and pkgtool.exe use them. Pictures and drawing need GDI+ started by the caller.
#pragma once

namespace win32 {

void installWin32Platform();

}  // namespace win32
