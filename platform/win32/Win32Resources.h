// Resources of the executable's own module through FindResourceW and LoadStringW.
#pragma once

#include "platform/Resources.h"

namespace win32 {

class Win32Resources : public platform::Resources {
public:
    bool lock(int id, const char16_t* type, platform::ResourceView& view) override;
    void release(platform::ResourceView& view) override;
    int loadString(int id, char16_t* buffer, int units) override;
};

}  // namespace win32
