#include "wizard/ImageButton.h"

#include <algorithm>

#include "package/ResourcePicture.h"

namespace {

constexpr std::uint32_t kDefaultNormal = 0xFE00A0E9;
constexpr std::uint32_t kDefaultPressed = 0xFEFFFFFF;
constexpr std::uint32_t kDefaultHover = 0xFEFFFFFF;

constexpr std::uint32_t kFocusRingColour = 0xFEFFFFFF;

}  // namespace

bool focusRingsShown = false;

void ImageButton::release() {
    normalPicture.reset();
    pressedPicture.reset();
    hoverPicture.reset();
    text.clear();
}

bool ImageButton::createWithPicture(int atX, int atY, int resourceId) {
    release();
    normalPicture = loadResourcePicture(resourceId, kPngResource);
    if (!normalPicture) return false;
    unsigned w = 0, h = 0;
    // A picture GDI+ could not decode has no size, as its image reports none.
    if (!normalPicture->dimensions(w, h)) w = h = 0;
    x = atX;
    y = atY;
    hitLeft = hitTop = 0;
    width = int(w);
    height = int(h);
    hitRight = x + width;
    hitBottom = y + height;
    fontSize = 12;
    normalColour = kDefaultNormal;
    pressedColour = kDefaultPressed;
    hoverColour = kDefaultHover;
    dirty = enabled = true;
    flags = kDrawPicture;
    state = ButtonState::Normal;
    return true;
}

void ImageButton::createWithoutPicture(int atX, int atY) {
    release();
    x = atX;
    y = atY;
    fontSize = 12;
    hitLeft = hitTop = 0;
    dirty = enabled = true;
    state = ButtonState::Normal;
    normalColour = kDefaultNormal;
    pressedColour = kDefaultPressed;
    hoverColour = kDefaultHover;
}

void ImageButton::setText(std::u16string_view caption) {
    text = std::u16string(caption);
    dirty = true;
}

platform::Picture* ImageButton::pictureForState() const {
    platform::Picture* chosen = nullptr;
    if (state == ButtonState::Pressed) chosen = pressedPicture.get();
    if (state == ButtonState::Hover) chosen = hoverPicture.get();
    return chosen ? chosen : normalPicture.get();
}

void ImageButton::draw(std::uint8_t alpha, bool force) {
    if (!dirty && !force) return;
    dirty = false;
    auto painter = canvasPainter();
    if (flags & kDrawPicture) {
        if (platform::Picture* picture = pictureForState()) {
            painter->picture(*picture, {x, y, width, height}, pictureOpacity(alpha));
        }
    }
    if (flags & kDrawFrame) {
        if (hitLeft == 0 && hitTop == 0) {
            hitLeft = x;
            hitTop = y;
        }
        std::uint32_t colour = state == ButtonState::Pressed ? pressedColour
                               : state == ButtonState::Hover ? hoverColour
                                                             : normalColour;
        painter->frameRect({hitLeft, hitTop, width, height}, scaledByAlpha(colour, alpha));
    }
    if (focused && focusRingsShown) {
        painter->frameRect({hitLeft - kFocusRingGap, hitTop - kFocusRingGap,
                            width + 2 * kFocusRingGap, height + 2 * kFocusRingGap},
                           scaledByAlpha(kFocusRingColour, alpha));
    }
    if (!text.empty()) {
        // The caption keeps the hover colour in every state; only the frame tells the state.
        painter->text(text, makeFont(fontSize, false),
                      {float(x), float(y - 1), float(width), float(height)},
                      {platform::Align::Centre, platform::Align::Centre},
                      platform::Brush::solid(scaledByAlpha(hoverColour, alpha)));
    }
}

bool ImageButton::restoreRect(platform::Rect& rect) const {
    rect = {x, y, width, height};
    if (!focusRingsShown) return true;
    // The ring's lines lie at the gap outside the frame, whose own right and bottom lines lie
    // one pixel beyond the width and height.
    int left = std::min(x, hitLeft - kFocusRingGap);
    int top = std::min(y, hitTop - kFocusRingGap);
    int right = std::max(x + width, hitLeft + width + kFocusRingGap + 1);
    int bottom = std::max(y + height, hitTop + height + kFocusRingGap + 1);
    rect = {left, top, right - left, bottom - top};
    return true;
}

bool ImageButton::inside(int px, int py) const {
    return hitLeft <= px && px < hitRight && hitTop <= py && py < hitBottom;
}

void ImageButton::setState(ButtonState next) {
    state = next;
    dirty = true;
}

bool ImageButton::pressTest(int px, int py, bool allow) {
    if (!enabled) return false;
    if (allow && inside(px, py)) {
        setState(ButtonState::Pressed);
        return true;
    }
    if (state != ButtonState::Normal) setState(ButtonState::Normal);
    return false;
}

bool ImageButton::hoverTest(int px, int py, bool allow) {
    if (!enabled) return false;
    if (allow && state == ButtonState::Pressed) return false;
    if (allow && inside(px, py)) {
        if (state == ButtonState::Hover) return false;
        setState(ButtonState::Hover);
        return true;
    }
    if (state != ButtonState::Normal) setState(ButtonState::Normal);
    return false;
}

void ImageButton::releaseTest(int px, int py) {
    if (!enabled) return;
    if (state == ButtonState::Pressed) {
        bool strictlyInside = hitLeft < px && px < hitRight && hitTop < py && py < hitBottom;
        setState(strictlyInside ? ButtonState::Hover : ButtonState::Normal);
        // A copy: the action may set a new action on this very button.
        std::function<void()> action = strictlyInside ? onClick : nullptr;
        if (action) action();
    } else if (state == ButtonState::Hover) {
        setState(ButtonState::Normal);
    }
}
