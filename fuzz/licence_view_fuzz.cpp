// The licence text split into paragraphs, measured, scrolled and drawn, on arbitrary UTF-16:
// the paragraphs give back the text exactly, each ends where the rule says, and drawing at any
// scroll position stays inside the paragraphs.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/fake/RecordingDrawing.h"
#include "wizard/LicenceView.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fake::RecordingDrawing drawing;
    platform::os().drawing = &drawing;
    drawing.clear();

    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2)
        text.push_back(char16_t(data[i] | data[i + 1] << 8));

    LicenceView view;
    view.x = 42;
    view.y = 76;
    view.width = 450;
    view.height = 190;
    view.colour = 0xFEFFFFFF;
    view.scrollOffset = -95;
    view.setText(text);

    std::u16string joined;
    int total = kLicenceGap;
    for (std::size_t i = 0; i < view.paragraphs.size(); ++i) {
        const std::u16string& p = view.paragraphs[i].text;
        if (p.empty()) __builtin_trap();
        // Every paragraph but the last ends with a line feed that follows text and is not
        // followed by a carriage return.
        if (i + 1 < view.paragraphs.size()) {
            if (p.back() != u'\n') __builtin_trap();
            std::size_t next = joined.size() + p.size();
            if (next < text.size() && text[next] == u'\r') __builtin_trap();
            if (p.find_first_not_of(u"\r\n") == std::u16string::npos) __builtin_trap();
        }
        joined += p;
        total += view.paragraphs[i].height;
    }
    if (joined != text || total != view.totalHeight) __builtin_trap();

    view.scrolling = true;
    for (int step = 0; step < 64; ++step) {
        view.scrollStep();
        // Once it has moved, the offset stays within one text length of 0.
        bool moved = view.scrollOffset != -95;
        if (moved &&
            (view.scrollOffset <= -view.totalHeight || view.scrollOffset >= view.totalHeight)) {
            __builtin_trap();
        }
    }
    for (int offset : {-95, 0, view.totalHeight / 2, view.totalHeight - 1}) {
        view.scrollOffset = offset;
        view.draw(255, true);
    }
    return 0;
}
