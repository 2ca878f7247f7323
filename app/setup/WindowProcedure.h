// The wizard window's procedure: decodes the messages it handles and hands them to the page
// flow; everything else goes to DefWindowProcW (so WM_CLOSE destroys the window).
#pragma once

#include <windows.h>

LRESULT CALLBACK wizardWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Called at WM_DESTROY after the run's teardown: GdiplusShutdown with the start-up token.
extern void (*shutDownGraphics)();
