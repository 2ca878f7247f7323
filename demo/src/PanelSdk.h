// The panel's SDK library: the few calls the panel makes into PanelSdk.dll. The panel loads
// the library itself (by full path, from its own folder) and looks the calls up by name.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// The library's name and version, e.g. L"PanelSdk 1.0".
typedef const wchar_t* (*PanelSdkVersionCall)(void);
// Writes the endpoint as the SDK addresses it ("tcp://127.0.0.1:6550") into `out` (`units`
// UTF-16 units with the terminator); returns its length, or -1 when it does not fit.
typedef int (*PanelSdkEndpointCall)(const wchar_t* address, int port, wchar_t* out, int units);

#ifdef __cplusplus
}
#endif
