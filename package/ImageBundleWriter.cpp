#include "package/ImageBundleWriter.h"

#include "package/ImageBundle.h"

namespace {

bool fitsU32(std::uint64_t v) {
    return v <= UINT32_MAX;
}

void putU32(std::vector<std::uint8_t>& out, std::uint64_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(std::uint8_t(v >> (8 * i)));
}

}  // namespace

bool writeImageBundle(const std::vector<std::vector<std::uint8_t>>& pictures,
                      std::vector<std::uint8_t>& bundle, std::string& reason) {
    bundle.clear();
    if (pictures.empty() || pictures.size() > std::size_t(kPictureSlots)) {
        reason = std::to_string(pictures.size()) + " pictures given, a bundle holds 1 to " +
                 std::to_string(kPictureSlots);
        return false;
    }
    for (const auto& picture : pictures) {
        if (picture.empty() || !fitsU32(picture.size())) {
            reason = "a picture is empty or too large";
            return false;
        }
    }
    putU32(bundle, pictures.size());
    for (const auto& picture : pictures) {
        putU32(bundle, picture.size());
        bundle.insert(bundle.end(), picture.begin(), picture.end());
    }
    return true;
}
