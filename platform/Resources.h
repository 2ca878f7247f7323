// The executable's own resources: a binary resource by integer id and type name, locked in
// place (no copy: the installer package is read straight from the mapped image), and string
// resources.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Platform.h"

namespace platform {

struct ResourceView {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    void* handle = nullptr;  // the loaded resource, for release()
};

class Resources {
public:
    virtual ~Resources() = default;
    // FindResourceW in the own module, LoadResource, LockResource, SizeofResource. False when
    // the resource is missing or cannot be loaded; the view is then empty.
    virtual bool lock(int id, const char16_t* type, ResourceView& view) = 0;
    // FreeResource; the view becomes empty.
    virtual void release(ResourceView& view) = 0;
    // LoadStringW into a buffer of `units` units, always terminated. The number of units
    // copied; 0 when the string is missing.
    virtual int loadString(int id, char16_t* buffer, int units) = 0;
};

inline Resources& resources() {
    return *os().resources;
}

}  // namespace platform
