// The folder of pictures a release engineer gives `make-setup`: the wizard's page pictures and
// language buttons under fixed file names, and the progress page's slides, which become one
// image bundle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "package/ResourceTree.h"

struct SetupPicture {
    pe::ResourceId type;
    pe::ResourceId name;
    std::vector<std::uint8_t> bytes;
    std::string file;  // where it came from, for messages
};

// One row of the table of pictures the folder may hold.
struct PictureSlot {
    const char* file;
    const char* type;  // "BMP" or "PNG"
    std::uint16_t id;
    std::uint32_t width, height;
};

// language.bmp, device.bmp, licence.png, the five flag-xx.png buttons and their lettering at
// twice the size for dense screens (flag-xx-2x.png).
const std::vector<PictureSlot>& pictureSlots();

// Slides are slide1 to slide10, .bmp or .png, numbered from 1 without gaps; they go into
// RES_IMAGE_DATA 250 in number order.
constexpr std::uint32_t kSlideWidth = 536;
constexpr std::uint32_t kSlideHeight = 304;

// Reads every file of `folder`. A button given without its -2x version empties the stub's
// -2x resource, so that a dense screen shows the button given, scaled. Refuses (false, `cause` set)
// an unknown file or a subfolder, a file whose contents are not the picture format of its name, a
// picture of another size than the wizard draws, and slides with a gap or a number given twice.
bool readSetupPictures(const std::u16string& folder, std::vector<SetupPicture>& pictures,
                       std::string& cause);
