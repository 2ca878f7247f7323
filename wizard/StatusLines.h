// What the window makes of an install worker's status message (the WM_COPYDATA it receives):
// a new status line, an error box, the end of the worker, or nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

struct StatusEffect {
    enum Kind { Ignore, StatusLine, ErrorBox, WorkerDone };
    Kind kind = Ignore;
    std::u16string text;            // the status line, or the box's text
    const char16_t* caption = u"";  // the box's caption
};

// The worker's text as it arrives: `bytes` bytes of UTF-16, read up to the first NUL and never
// past the end, whoever sent them.
std::u16string workerText(const std::uint8_t* bytes, std::size_t size);

// Composes the effect of status `code` with the worker's text in the language loaded now
// (`langId`): message, CR LF, text (code 4 puts a blank before the line break); 14 and 15 show
// their message alone; 11 to 13 are error boxes; 24 is an error box saying that what the text
// names could not be removed; 18 ends the worker; every other code is ignored. The line is
// kept whole however long the text: the label wraps and clips it.
StatusEffect statusEffect(std::uint32_t code, const std::u16string& text,
                          std::uint32_t langId = 1033);
