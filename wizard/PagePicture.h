// One opaque page picture from a "BMP" resource, drawn whole at (1, 1).
#pragma once

#include <memory>

#include "platform/Pictures.h"
#include "wizard/Widget.h"

class PagePicture : public Widget {
public:
    // False (and no picture) when the resource cannot be loaded.
    bool load(int resourceId);
    // Draws whenever it is called, dirty or not.
    void draw(std::uint8_t alpha);
    void draw(std::uint8_t alpha, bool) override { draw(alpha); }

    int x = 0, y = 0;
    int width = 0, height = 0;
    std::unique_ptr<platform::Picture> picture;
};
