// A button of a picture and/or a caption, with a frame whose colour follows the pointer state.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/Pictures.h"
#include "wizard/Widget.h"

enum class ButtonState : std::uint8_t { Normal = 0, Pressed = 1, Hover = 2 };

constexpr std::uint8_t kDrawPicture = 1;
constexpr std::uint8_t kDrawFrame = 2;

// The ring around the focused button stands this far outside its frame.
constexpr int kFocusRingGap = 2;

// Set once the keyboard was used: from then on the focused button draws its ring, and every
// button restores the ring's area with its own. Until then a button paints exactly as it always
// did.
extern bool focusRingsShown;

class ImageButton : public Widget {
public:
    // Loads "PNG" resource `resourceId` as the picture of every state and sizes the button and
    // its hit rectangle to it; false (nothing else changed) when it cannot be loaded.
    bool createWithPicture(int x, int y, int resourceId);
    // A button for a caption; its size, flags and hit corner are the builder's to set.
    void createWithoutPicture(int x, int y);
    void setText(std::u16string_view text);

    void draw(std::uint8_t alpha, bool force) override;
    bool restoreRect(platform::Rect& rect) const override;

    // Pointer tests: press and hover count the left and top edges as inside, the release only
    // what lies strictly inside. `allow` is false once another button took the pointer.
    bool pressTest(int px, int py, bool allow);
    bool hoverTest(int px, int py, bool allow);
    void releaseTest(int px, int py);

    int x = 0, y = 0;
    int hitLeft = 0, hitTop = 0;
    int width = 0, height = 0;
    int hitRight = 0, hitBottom = 0;  // exclusive
    bool enabled = false;
    std::uint8_t flags = 0;
    ButtonState state = ButtonState::Normal;
    std::u16string text;  // empty: no caption
    float fontSize = 0;
    std::uint32_t normalColour = 0, pressedColour = 0, hoverColour = 0;
    std::unique_ptr<platform::Picture> normalPicture, pressedPicture, hoverPicture;
    std::function<void()> onClick;
    bool focused = false;  // the keyboard's focus is on it

private:
    void release();
    bool inside(int px, int py) const;
    void setState(ButtonState next);
    platform::Picture* pictureForState() const;
};
