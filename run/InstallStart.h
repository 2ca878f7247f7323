// When the installation starts. At the surface's build the settings decide: the window fades
// in on the language page (no settings), on the licence page (licence not agreed) or on the
// device page (the device not there), a silent run waits for the device hidden, and a run
// whose settings leave nothing open installs at once without showing the window. Later the
// device page's arrival starts it.
#pragma once

#include "wizard/WizardState.h"

// The surface build's start-up decision.
void runStartupDecision();

// The device is there: interactively the progress page comes; unattended the window fades
// away and the installation runs without questions.
void beginInstallation();

// A page faded fully in: on the device page the installation begins once the device is there.
void onPageShown(WizardPage page);
