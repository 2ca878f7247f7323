// One picture, or up to ten shown in turn: the next one on every 122nd draw. The frames are
// drawn at a fifth of the opacity over what the canvas holds, so a picture builds up over about
// twenty draws and dissolves into the next the same way.
#pragma once

#include <memory>

#include "package/ImageBundle.h"
#include "wizard/Widget.h"

constexpr int kSlideshowAdvanceAfter = 120;  // draws counted before the next picture comes

class Slideshow : public Widget {
public:
    void draw(std::uint8_t alpha, bool force) override;

    bool running = false;
    int x = 0, y = 0;
    int drawCount = 0;
    PictureTable* frames = nullptr;  // not owned
    std::unique_ptr<platform::Picture> singlePicture;

private:
    void advance();
};
