// Uninstall.exe of the demo payload until the project's own uninstaller takes its place: it
// removes nothing and says so (quietly with /S), ending with status 1 so that nobody mistakes
// it for a finished uninstall. `pkgtool uninstall <folder>\uninstall.log` removes the demo.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    bool quiet = commandLine && lstrcmpiW(commandLine, L"/S") == 0;
    if (!quiet) {
        MessageBoxW(nullptr,
                    L"This demo build has no uninstaller yet. Remove the demo with "
                    L"\"pkgtool uninstall <installation folder>\\uninstall.log\".",
                    L"Uninstall", MB_OK | MB_ICONINFORMATION);
    }
    return 1;
}
