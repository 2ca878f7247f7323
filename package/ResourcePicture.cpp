#include "package/ResourcePicture.h"

std::unique_ptr<platform::Picture> loadResourcePicture(int id, const char16_t* type) {
    if (!type) return nullptr;
    return platform::pictures().loadResource(id, type);
}
