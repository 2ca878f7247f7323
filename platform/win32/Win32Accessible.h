// The wizard window for screen readers through Active Accessibility: an IAccessible for the
// window's client area with one simple child per item the wizard describes, read afresh at
// every question so it always tells the page shown now.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "platform/Accessibility.h"

namespace win32 {

struct AccessSource {
    std::function<std::vector<platform::AccessItem>()> describe;
    // The default action of a child (a button's press); false when it has none now.
    std::function<bool(int child)> press;
};

// The answer to WM_GETOBJECT: for OBJID_CLIENT, the window's object marshalled through
// oleacc's LresultFromObject (oleacc is taken from the system folder when first needed); 0
// for every other object id, or when oleacc cannot be loaded, so DefWindowProcW answers.
LRESULT answerGetObject(HWND window, WPARAM wParam, LPARAM lParam, const AccessSource& source);

}  // namespace win32
