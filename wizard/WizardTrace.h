// Where the test build of setup.exe records what the wizard showed and did ("window shown",
// "page 2", "install", "status ..." when a status line is set and "shown ..." once it is on the
// screen with its page fully shown, "box CAPTION|TEXT", "no box CAPTION|TEXT" for an error of a run
// without a window, "close asked", "shutdown held", "session ends", "drag started", "drag ended",
// "exit 0"); none in the shipped setup.exe.
#pragma once

#include <string_view>

extern void (*wizardTrace)(const char* event, std::u16string_view text);

// One event into the record, when there is one.
void traceWizard(const char* event, std::u16string_view text = {});
