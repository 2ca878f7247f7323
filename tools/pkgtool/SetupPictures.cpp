#include "tools/pkgtool/SetupPictures.h"

#include <map>

#include "common/Text.h"
#include "package/ImageBundleWriter.h"
#include "platform/FileSystem.h"
#include "platform/PictureFormat.h"
#include "tools/pkgtool/ToolText.h"

namespace {

constexpr std::uint16_t kBundleId = 250;
constexpr std::uint32_t kButtonWidth = 60;
constexpr std::uint16_t kDenseButtonOffset = 1000;

bool refuse(std::string& cause, std::string why) {
    cause = std::move(why);
    return false;
}

// File names compared as Windows does, without regard to ASCII letter case.
std::string folded(std::u16string_view name) {
    std::u16string lower;
    for (char16_t c : name) lower.push_back(asciiLower(c));
    return utf16ToUtf8(lower);
}

bool endsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// "slide7.png" gives 7; 0 for anything else (no sign, no leading zero, 1 to 10).
int slideNumberOf(const std::string& name) {
    if (name.rfind("slide", 0) != 0 || !(endsWith(name, ".bmp") || endsWith(name, ".png")))
        return 0;
    std::string digits = name.substr(5, name.size() - 9);
    if (digits.empty() || digits.size() > 2 || digits[0] == '0') return 0;
    int n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n <= 10 ? n : 0;
}

PictureFormat formatOfName(const std::string& name) {
    return endsWith(name, ".png") ? PictureFormat::Png : PictureFormat::Bmp;
}

bool checkPicture(const std::string& name, const std::vector<std::uint8_t>& bytes,
                  std::uint32_t width, std::uint32_t height, std::string& cause) {
    PictureFormat want = formatOfName(name);
    if (pictureFormatOf(bytes.data(), bytes.size()) != want) {
        return refuse(
            cause, name + " is not a " + (want == PictureFormat::Png ? "PNG" : "BMP") + " picture");
    }
    std::uint32_t w = 0, h = 0;
    if (!pictureSizeOf(bytes.data(), bytes.size(), w, h)) {
        return refuse(cause, name + ": the picture's header is incomplete");
    }
    if (w != width || h != height) {
        return refuse(cause, name + " is " + std::to_string(w) + "x" + std::to_string(h) +
                                 ", the wizard draws it at " + std::to_string(width) + "x" +
                                 std::to_string(height));
    }
    return true;
}

const PictureSlot* slotNamed(const std::string& name) {
    for (const PictureSlot& slot : pictureSlots()) {
        if (name == slot.file) return &slot;
    }
    return nullptr;
}

bool readOne(const std::u16string& folder, const platform::DirEntry& entry,
             std::vector<SetupPicture>& pictures, std::map<int, std::vector<std::uint8_t>>& slides,
             std::string& cause) {
    std::string name = folded(entry.name);
    const PictureSlot* slot = slotNamed(name);
    int slide = slideNumberOf(name);
    if (entry.isDirectory || (!slot && slide == 0)) {
        return refuse(cause, "unknown picture \"" + printable(entry.name) +
                                 "\" (see the table of pictures in pkgtool's README)");
    }
    std::vector<std::uint8_t> bytes;
    std::u16string path = folder + u"\\" + entry.name;
    if (!platform::files().readFile(path.c_str(), bytes)) {
        return refuse(cause, "cannot read \"" + printable(path) + "\"");
    }
    if (slot) {
        for (const SetupPicture& p : pictures) {
            if (p.file == name) return refuse(cause, name + " is given twice");
        }
        if (!checkPicture(name, bytes, slot->width, slot->height, cause)) return false;
        pictures.push_back({pe::ResourceId::of(utf8ToUtf16(slot->type)),
                            pe::ResourceId::of(slot->id), std::move(bytes), name});
        return true;
    }
    if (slides.count(slide))
        return refuse(cause, "slide " + std::to_string(slide) + " is given twice");
    if (!checkPicture(name, bytes, kSlideWidth, kSlideHeight, cause)) return false;
    slides[slide] = std::move(bytes);
    return true;
}

bool givenId(const std::vector<SetupPicture>& pictures, std::uint16_t id) {
    for (const SetupPicture& p : pictures) {
        if (pe::sameId(p.name, pe::ResourceId::of(id))) return true;
    }
    return false;
}

// A button picture given without its twice-as-large version must not be shown as the stub's
// own lettering on a dense screen: that version is emptied, and the wizard falls back to the
// picture given.
void clearStaleDenseButtons(std::vector<SetupPicture>& pictures) {
    std::vector<SetupPicture> cleared;
    for (const PictureSlot& slot : pictureSlots()) {
        if (slot.width != kButtonWidth || !givenId(pictures, slot.id) ||
            givenId(pictures, std::uint16_t(slot.id + kDenseButtonOffset))) {
            continue;
        }
        cleared.push_back({pe::ResourceId::of(u"PNG"),
                           pe::ResourceId::of(std::uint16_t(slot.id + kDenseButtonOffset)),
                           {},
                           std::string(slot.file) + " without its -2x"});
    }
    for (SetupPicture& p : cleared) pictures.push_back(std::move(p));
}

bool addBundle(std::map<int, std::vector<std::uint8_t>>& slides,
               std::vector<SetupPicture>& pictures, std::string& cause) {
    if (slides.empty()) return true;
    std::vector<std::vector<std::uint8_t>> ordered;
    for (auto& [number, bytes] : slides) {
        if (number != int(ordered.size()) + 1) {
            return refuse(cause, "slide " + std::to_string(ordered.size() + 1) +
                                     " is missing (slides are numbered from 1 without gaps)");
        }
        ordered.push_back(std::move(bytes));
    }
    std::vector<std::uint8_t> bundle;
    if (!writeImageBundle(ordered, bundle, cause)) return false;
    pictures.push_back({pe::ResourceId::of(u"RES_IMAGE_DATA"), pe::ResourceId::of(kBundleId),
                        std::move(bundle), "slides"});
    return true;
}

}  // namespace

const std::vector<PictureSlot>& pictureSlots() {
    static const std::vector<PictureSlot> slots = {
        {"language.bmp", "BMP", 204, 536, 304},   {"device.bmp", "BMP", 236, 536, 304},
        {"licence.png", "PNG", 200, 536, 304},    {"flag-zh.png", "PNG", 207, 60, 16},
        {"flag-en.png", "PNG", 210, 60, 16},      {"flag-it.png", "PNG", 229, 60, 16},
        {"flag-de.png", "PNG", 226, 60, 16},      {"flag-ko.png", "PNG", 239, 60, 16},
        {"flag-zh-2x.png", "PNG", 1207, 120, 32}, {"flag-en-2x.png", "PNG", 1210, 120, 32},
        {"flag-it-2x.png", "PNG", 1229, 120, 32}, {"flag-de-2x.png", "PNG", 1226, 120, 32},
        {"flag-ko-2x.png", "PNG", 1239, 120, 32},
    };
    return slots;
}

bool readSetupPictures(const std::u16string& folder, std::vector<SetupPicture>& pictures,
                       std::string& cause) {
    pictures.clear();
    std::vector<platform::DirEntry> entries;
    if (!platform::files().listFolder(folder.c_str(), entries)) {
        return refuse(cause, "cannot list the pictures folder \"" + printable(folder) + "\"");
    }
    std::map<int, std::vector<std::uint8_t>> slides;
    for (const platform::DirEntry& entry : entries) {
        if (entry.name == u"." || entry.name == u"..") continue;
        if (!readOne(folder, entry, pictures, slides, cause)) return false;
    }
    clearStaleDenseButtons(pictures);
    return addBundle(slides, pictures, cause);
}
