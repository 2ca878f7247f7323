// The record that carries the wizard window's flow: which page is shown, how opaque each page
// and the window are, and what the mouse and the timer are doing. Owned by the window thread.
#pragma once

#include <cstdint>

enum WizardPage : std::uint8_t {
    LanguagePage = 0,
    LicencePage = 1,
    DevicePage = 2,
    ProgressPage = 3,
};

constexpr int kPageCount = 4;

enum FadeMode : std::uint8_t {
    FadeIn = 0,
    FadeOutHide = 1,
    FadeOutClose = 2,
};

struct WizardState {
    WizardPage currentPage = LanguagePage;
    std::uint8_t pageAlpha[kPageCount] = {255, 0, 0, 0};  // indexed by page
    std::uint8_t windowAlpha = 15;                        // the constant alpha of every push
    std::uint8_t fadeMode = FadeOutHide;
    bool inputEnabled = false;
    bool fullComposePending = true;
    bool dragging = false;
    std::int32_t dragOffset[2] = {0, 0};
    std::int32_t timerRunning = 0;  // 1 while timer 1 runs (also its id), else 0
};

extern WizardState wizardState;
