// The Uninstall entry's DisplayIcon: something that has an icon to show in Add/Remove Programs.
#pragma once

#include "common/Text.h"

struct WorkerRun;

// The installed path of the first of the product's programs (its main program, then those its
// shortcuts, launches and Run values start) whose file carries an icon. Without one, setup's
// own icon is carried along: written as <product>.ico into the product folder (and logged, so
// that it goes with the rest). False when neither can be had.
bool displayIconOf(WorkerRun& run, TextBuffer& icon);
