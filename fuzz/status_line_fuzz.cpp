// Any WM_COPYDATA a window can receive, in any language: the text is read inside its bytes, and
// a status line always starts with the message of its code and ends with the whole text, and
// an error box shows the whole text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "engine/StatusCode.h"
#include "text/MessageTable.h"
#include "wizard/StatusLines.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    static const std::uint32_t languages[] = {1033, 2052, 1040, 1031, 1042};
    buildMessageTable(languages[data[0] % 5]);
    std::uint32_t code = std::uint32_t(data[1]) | std::uint32_t(data[2]) << 8 |
                         std::uint32_t(data[3]) << 16 | std::uint32_t(data[4]) << 24;
    std::u16string text = workerText(data + 5, size - 5);
    if (text.size() > (size - 5) / 2) std::abort();
    StatusEffect effect = statusEffect(code, text);
    if (effect.kind == StatusEffect::StatusLine && code != 14 && code != 15) {
        if (effect.text.size() < text.size() ||
            effect.text.compare(effect.text.size() - text.size(), text.size(), text) != 0) {
            std::abort();
        }
    }
    if (effect.kind == StatusEffect::ErrorBox) {
        // An earlier installation that stayed in part is told in a sentence naming what stayed;
        // every other box shows the worker's text as it is.
        bool shown = code == ST_PREVIOUS_VERSION_LEFT
                         ? effect.text.find(text) != std::u16string::npos
                         : effect.text == text;
        if (!shown || !effect.caption) std::abort();
    }
    return 0;
}
