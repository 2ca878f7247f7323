// What a screen reader is told about the wizard window: one item per part of the page shown
// now (its name, role, place and focus), and the events that tell it something changed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Drawing.h"

namespace platform {

enum class AccessRole : std::uint8_t {
    PushButton,  // ROLE_SYSTEM_PUSHBUTTON
    StaticText,  // ROLE_SYSTEM_STATICTEXT: a caption, the folder, the status line
    Document,    // ROLE_SYSTEM_TEXT, read-only: the licence text, whole
};

struct AccessItem {
    std::u16string name;
    AccessRole role = AccessRole::StaticText;
    Rect rect;  // window pixels
    bool focusable = false;
    bool focused = false;
    bool enabled = true;
};

enum class AccessEvent : std::uint8_t {
    Focus,       // EVENT_OBJECT_FOCUS
    NameChange,  // EVENT_OBJECT_NAMECHANGE
};

// The child id of the window itself; its items are numbered from 1.
constexpr int kAccessSelf = 0;

}  // namespace platform
