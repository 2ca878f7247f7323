#include "platform/fake/FakePictures.h"

#include <cstdlib>

#include "common/Text.h"
#include "platform/PictureFormat.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

namespace {

std::uint32_t bigEndian32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

}  // namespace

bool FakePicture::dimensions(unsigned& width, unsigned& height) {
    const std::uint8_t* b = bytes_.data();
    switch (pictureFormatOf(b, bytes_.size())) {
        case PictureFormat::Bmp:
            if (bytes_.size() < 26) return false;
            // BITMAPINFOHEADER: a negative height marks a top-down bitmap.
            width = unsigned(std::abs(std::int32_t(readU32(b + 18))));
            height = unsigned(std::abs(std::int32_t(readU32(b + 22))));
            return true;
        case PictureFormat::Png:
            if (bytes_.size() < 24) return false;
            width = bigEndian32(b + 16);
            height = bigEndian32(b + 20);
            return true;
        case PictureFormat::Unknown:
            break;
    }
    return false;
}

void* FakePicture::image() {
    unsigned w = 0, h = 0;
    return dimensions(w, h) ? static_cast<void*>(bytes_.data()) : nullptr;
}

std::unique_ptr<platform::Picture> FakePictures::decode(const std::uint8_t* bytes,
                                                        std::size_t size) {
    decodedSizes_.push_back(size);
    if (faults().shouldFail("pictures.decode", std::to_string(size))) return nullptr;
    return std::make_unique<FakePicture>(std::vector<std::uint8_t>(bytes, bytes + size));
}

std::unique_ptr<platform::Picture> FakePictures::loadResource(int id, const char16_t* type) {
    std::u16string typeName(viewOf(type));
    if (faults().shouldFail("pictures.loadResource",
                            std::to_string(id) + " " + utf16ToUtf8(typeName))) {
        return nullptr;
    }
    auto it = resources_.find({id, typeName});
    if (it == resources_.end()) return nullptr;
    return std::make_unique<FakePicture>(it->second);
}

void FakePictures::addResource(int id, const std::u16string& type,
                               std::vector<std::uint8_t> bytes) {
    resources_[{id, type}] = std::move(bytes);
}

}  // namespace fake
