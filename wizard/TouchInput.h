// A finger on the wizard. On the licence text it scrolls the text as it moves (a drag or a
// swipe), and the automatic scroll waits for the reader; everywhere else the touch reaches the
// window as the mouse does, and a tap leaves no button lit as if a pointer still hovered it.
#pragma once

// A finger came down at (x, y) in window pixels. True when it took the licence text to scroll
// it; false: the touch is the system's to turn into mouse input.
bool onTouchDown(int x, int y);
// The finger that took the licence text moved; nothing for any other touch.
void onTouchMove(int x, int y);
// The finger that took the licence text lifted. Lifted while still moving (a swipe), the text
// glides on and slows down over the next ticks.
void onTouchUp();
// One tick of a swipe's glide; true while the text still moved.
bool stepTouchFling();
// After a release that came from a finger: no button keeps the hover state, as nothing is left
// over it.
void endTouchTap();
// True while a finger scrolls the licence text.
bool touchScrolling();
// No finger and no glide: the window is built anew.
void resetTouchInput();
