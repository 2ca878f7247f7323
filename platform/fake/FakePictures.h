// Pictures without a decoder: a "decoded" picture keeps a copy of its bytes and reads its size
// from the BMP or PNG header; anything else is a picture in an error state, as GDI+ leaves it.
// Resources are registered by id and type. Every call goes through the fault plan.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/Pictures.h"

namespace fake {

class FakePicture : public platform::Picture {
public:
    explicit FakePicture(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
    bool dimensions(unsigned& width, unsigned& height) override;
    void* image() override;
    const std::vector<std::uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<std::uint8_t> bytes_;
};

class FakePictures : public platform::Pictures {
public:
    std::unique_ptr<platform::Picture> decode(const std::uint8_t* bytes, std::size_t size) override;
    std::unique_ptr<platform::Picture> loadResource(int id, const char16_t* type) override;

    void addResource(int id, const std::u16string& type, std::vector<std::uint8_t> bytes);
    // The byte size of every decode asked for, in order (failed ones included).
    const std::vector<std::size_t>& decodedSizes() const { return decodedSizes_; }

private:
    std::map<std::pair<int, std::u16string>, std::vector<std::uint8_t>> resources_;
    std::vector<std::size_t> decodedSizes_;
};

}  // namespace fake
