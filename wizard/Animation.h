// The wizard's animation: the fades of the pages and the window and the widgets' steps on every
// timer tick, and the frame each tick paints. What a fully shown page or a missing timer means
// for the run is not decided here: the run sets the hooks.
#pragma once

#include "wizard/WizardState.h"

constexpr int kWizardTimer = 1;
constexpr unsigned kTickMs = 33;
// The window alpha at which a fading window counts as hidden.
constexpr std::uint8_t kWindowHidden = 15;

// Run once a page has faded fully in; none: nothing.
extern void (*pageShown)(WizardPage page);
// Run after the window was hidden because its timer could not be made; none: nothing.
extern void (*timerMissing)();

// Before a run: no status line shown yet.
void resetAnimation();

// Starts the animation timer unless it runs. Without it the wizard can neither fade in nor
// fade out: the window is hidden, input ends, timerMissing runs, and the answer is false.
bool startTimer();
// The window fades in from where it is, shown once its graphics exist.
void fadeInWindow();

// One step of every fade and widget animation; true when something visible changed.
bool stepAnimations();
// WM_TIMER: steps, then paints a full compose, a dirty repaint, or nothing.
void onTimer();
