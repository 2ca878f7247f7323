// Single pictures stored as resources of the executable, typed "PNG" or "BMP".
#pragma once

#include <memory>

#include "platform/Pictures.h"

constexpr char16_t kPngResource[] = u"PNG";
constexpr char16_t kBmpResource[] = u"BMP";

// A new image of the resource, or none when it is missing or cannot be loaded.
std::unique_ptr<platform::Picture> loadResourcePicture(int id, const char16_t* type);
