// DLL planting: an elevated setup.exe started from a Downloads folder must never load a DLL
// that someone saved beside it. Windows looks for a DLL that is not a KnownDLL in the
// program's own folder first, so every program of the product calls this before anything
// else, and imports such DLLs (GDI+, common controls) only through delay loading
// (cmake/DllImports.cmake), so that none is loaded before this call.
#pragma once

namespace win32 {

// SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32): from now on every DLL loaded by name
// (delay-loaded ones, those GDI+ or COM load in turn, LoadLibrary calls) is looked for in
// System32 only; the program's folder and the current folder are out. The System32 copies of
// GDI+ and of what it loads later are then loaded at once, so that no later lookup by name,
// whatever route it takes, can find another copy. False when the system
// lacks the call (Windows 7 without update KB2533623): then only the current folder is taken
// out of the search (SetDllDirectoryW("")) and the program's own folder stays in it.
bool restrictDllSearchToSystem();

}  // namespace win32
