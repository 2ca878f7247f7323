// Decoded pictures: the slideshow's bundle entries and the picture resources of the
// executable. A picture owns its image (and whatever memory the image reads from).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/Platform.h"

namespace platform {

class Picture {
public:
    virtual ~Picture() = default;
    // False for a picture the decoder could not read (it exists, in an error state).
    virtual bool dimensions(unsigned& width, unsigned& height) = 0;
    // The system's image object for drawing (a GpImage* on Windows); none in an error state.
    virtual void* image() = 0;
};

class Pictures {
public:
    virtual ~Pictures() = default;
    // Copies the bytes into a memory stream that the image owns and creates an image from it.
    // None when the copy or the stream cannot be made; bytes that do not decode still give a
    // picture, in an error state.
    virtual std::unique_ptr<Picture> decode(const std::uint8_t* bytes, std::size_t size) = 0;
    // A picture resource of the executable by integer id and type name ("PNG", "BMP"); none
    // when it is missing or cannot be loaded.
    virtual std::unique_ptr<Picture> loadResource(int id, const char16_t* type) = 0;
};

inline Pictures& pictures() {
    return *os().pictures;
}

}  // namespace platform
