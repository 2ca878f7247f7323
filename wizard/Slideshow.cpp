#include "wizard/Slideshow.h"

namespace {

// The picture at its own size; nothing for a picture without one.
void drawWhole(platform::Picture& picture, int x, int y, float opacity) {
    unsigned w = 0, h = 0;
    if (!picture.dimensions(w, h)) return;
    canvasPainter()->picture(picture, {x, y, int(w), int(h)}, opacity);
}

}  // namespace

void Slideshow::advance() {
    if (!frames) return;
    int next = frames->current + 1;
    if (next >= kPictureSlots || !frames->slots[next]) next = 0;
    frames->current = next;
}

void Slideshow::draw(std::uint8_t alpha, bool force) {
    if (!dirty && !force) return;
    dirty = false;
    bool advancing = drawCount > kSlideshowAdvanceAfter;
    drawCount = advancing ? 0 : drawCount + 1;
    if (singlePicture) {
        drawWhole(*singlePicture, x, y, pictureOpacity(alpha));
        return;
    }
    if (advancing) advance();
    if (!frames || frames->current < 0 || frames->current >= kPictureSlots) return;
    if (platform::Picture* picture = frames->slots[frames->current].get()) {
        drawWhole(*picture, x, y, pictureOpacity(alpha) / 5.0f);
    }
}
