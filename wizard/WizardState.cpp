#include "wizard/WizardState.h"

WizardState wizardState;
