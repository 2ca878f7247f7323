// What the language buttons and Agree do to the wizard: a language puts the installer into it
// and the licence page comes; Agree brings the device page. The close button's action belongs
// to the run (it may cancel an installation).
#pragma once

#include <cstdint>

void languageAction(std::uint32_t langId);
void agreeAction();

// What a language put on the licence page, for the test build's record.
void traceLanguage();
