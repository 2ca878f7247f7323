#include "wizard/WizardTrace.h"

void (*wizardTrace)(const char* event, std::u16string_view text) = nullptr;

void traceWizard(const char* event, std::u16string_view text) {
    if (wizardTrace) wizardTrace(event, text);
}
