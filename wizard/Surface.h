// The layered window's surface: the canvas every widget draws into and the clean background
// it is restored from, the full compose of every visible page, the dirty repaint, the push to
// the window, and the teardown.
#pragma once

#include "platform/Drawing.h"

constexpr int kWindowWidth = 538;
constexpr int kWindowHeight = 375;
constexpr std::uint32_t kBodyColour = 0xFE3B7EC0;
constexpr std::uint32_t kBorderColour = 0xFE969696;
constexpr int kSeparatorY = 305;
// The area page pictures and captions cover, captured into the background by a full compose.
constexpr platform::Rect kPictureArea{1, 1, kWindowWidth - 2, 303};

struct WindowSurface {
    void* window = nullptr;     // the wizard window, set when the run starts the wizard
    platform::Point windowPos;  // destination of every push; moved by dragging
    platform::Size windowSize{kWindowWidth, kWindowHeight};
    platform::Point srcPoint;
    bool open = false;      // the canvases exist
    bool graphics = false;  // the window was shown: canvases, pictures and measures were made
};

extern WindowSurface windowSurface;

// The run's start-up decision, run at the end of the build; none: nothing runs.
extern void (*startupDecision)();

// Selects English, creates every widget and the empty install records, then runs the start-up
// decision. Always true. Nothing is drawn, decoded or measured yet: that waits for the window
// to be shown, so a run that installs without ever showing it makes none of it.
bool BuildWindowSurface();
// Once, before the window is first shown: opens the canvases, paints the background, loads
// the widgets' pictures, measures their texts and decodes the slideshow's pictures if a
// language asked for them.
void makeWindowGraphics();
// makeWindowGraphics, then shows the window.
void showWindowSurface();
// The background into the canvas, the close button, every page above alpha 15 with its
// capture, overlay and separator, then the push. Nothing before the window graphics exist.
void ComposeFullFrame();
// Restores and redraws only the dirty widgets of the visible pages, the close button always,
// then pushes.
void RepaintDirtyWidgets();
// The canvas to the window at its position with the window alpha.
void PushFrame();
// What a timer tick paints after the animations stepped: a full compose when one is pending,
// else a dirty repaint when something changed, else nothing.
void paintTick(bool changed);
// The density changed while the window exists: the window takes its new size at `position`,
// and once its graphics exist, the canvases are made again at that size, the background
// painted, the texts measured anew and a full frame composed and pushed.
void rescaleWindowSurface(unsigned dpi, platform::Point position);
// Stops the timer, frees the widgets and install records, releases the canvases. Always true.
bool DestroyWindowSurface();
