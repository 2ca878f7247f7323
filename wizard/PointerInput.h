// The mouse on the wizard window: buttons pressed, hovered and released in the layout's
// coordinates, and the window dragged by any other point.
#pragma once

// The mouse; nothing while the folder chooser is open.
void onMouseDown(int x, int y);
void onMouseMove(int x, int y);
void onMouseUp(int x, int y);
// WM_DPICHANGED: the window moved to a screen of another density (or the density changed);
// it takes the new size at the top-left corner the system suggests and is drawn again.
void onDpiChanged(unsigned dpi, int left, int top);
// WM_CAPTURECHANGED (to another window) and WM_CANCELMODE: a drag ends, a press is forgotten.
void onCaptureLost();
