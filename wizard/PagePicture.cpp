#include "wizard/PagePicture.h"

#include "package/ResourcePicture.h"

bool PagePicture::load(int resourceId) {
    picture = loadResourcePicture(resourceId, kBmpResource);
    if (!picture) return false;
    unsigned w = 0, h = 0;
    if (!picture->dimensions(w, h)) w = h = 0;
    dirty = true;
    x = y = 1;
    width = int(w);
    height = int(h);
    return true;
}

void PagePicture::draw(std::uint8_t alpha) {
    dirty = false;
    if (!picture) return;
    canvasPainter()->picture(*picture, {x, y, width, height}, pictureOpacity(alpha));
}
