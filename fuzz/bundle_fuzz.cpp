// The image bundle reader on arbitrary bytes: every picture it hands to the decoder lies
// inside the input, there are never more than ten, and nothing leaks.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "package/ImageBundle.h"
#include "platform/fake/FakePictures.h"
#include "platform/fake/FaultPlan.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fake::FakePictures pictures;
    platform::os().pictures = &pictures;
    fake::faults().clear();

    // Exact-size copy so that any read past the end is caught.
    std::vector<std::uint8_t> bundle(data, data + size);
    BundleContents contents = readBundle(bundle.data(), bundle.size());
    if (contents.entries.size() > std::size_t(kPictureSlots)) __builtin_trap();
    for (const BundleEntry& e : contents.entries) {
        if (e.size == 0 || e.offset > size || e.size > size - e.offset) __builtin_trap();
    }
    PictureTable table;
    loadImageBundle(bundle.data(), bundle.size(), table);
    for (int i = 0; i < kPictureSlots; ++i) {
        if ((table.slots[i] != nullptr) != (std::size_t(i) < contents.entries.size())) {
            __builtin_trap();
        }
    }
    return 0;
}
