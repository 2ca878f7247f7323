#include "package/ProductIdentity.h"

#include <algorithm>
#include <cstring>

#include "common/Names.h"

namespace {

bool refuse(const char** reason, const char* why) {
    if (reason) *reason = why;
    return false;
}

std::uint16_t readU16At(const std::uint8_t* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}

// A field's UTF-16LE text; false when its size is odd or it would not fit `limit` units.
bool fieldText(const std::uint8_t* data, std::size_t size, std::size_t limit, TextBuffer& out) {
    if (size % 2 != 0 || size / 2 > limit) return false;
    std::u16string text;
    for (std::size_t i = 0; i < size; i += 2) text.push_back(readU16(data + i));
    return copyText(out, text);
}

struct FieldsSeen {
    bool key = false, folder = false, version = false, touch = false;
};

bool fieldTouchDevices(const std::uint8_t* data, std::size_t size, TouchDeviceIds& out) {
    if (size < 4) return false;
    std::size_t count = readU16At(data + 2);
    if (count > kMaxTouchProducts || size != 4 + 2 * count) return false;
    TouchDeviceIds ids;
    ids.vendor = readU16At(data);
    ids.productCount = std::uint8_t(count);
    for (std::size_t i = 0; i < count; ++i) ids.products[i] = readU16At(data + 4 + 2 * i);
    if (!areSoundTouchIds(ids)) return false;
    out = ids;
    return true;
}

bool takeField(std::uint16_t tag, const std::uint8_t* data, std::size_t size, FieldsSeen& seen,
               ProductIdentity& out, const char** reason) {
    bool* flag = tag == IDENTITY_SETTINGS_KEY    ? &seen.key
                 : tag == IDENTITY_DATA_FOLDER   ? &seen.folder
                 : tag == IDENTITY_VERSION       ? &seen.version
                 : tag == IDENTITY_TOUCH_DEVICES ? &seen.touch
                                                 : nullptr;
    if (!flag) return true;  // a later field this reader does not know
    if (*flag) return refuse(reason, "an identity field appears twice");
    *flag = true;
    if (tag == IDENTITY_SETTINGS_KEY) {
        if (!fieldText(data, size, kMaxSettingsKeyUnits, out.settingsKey) ||
            !isSettingsKeyName(viewOf(out.settingsKey))) {
            return refuse(reason, "the settings key is not a plain name without \".\"");
        }
    } else if (tag == IDENTITY_DATA_FOLDER) {
        if (!fieldText(data, size, kTextUnits - 1, out.dataFolder) ||
            !isDataFolderName(viewOf(out.dataFolder))) {
            return refuse(reason, "the data folder is not a plain name");
        }
    } else if (tag == IDENTITY_TOUCH_DEVICES) {
        if (!fieldTouchDevices(data, size, out.touch)) {
            return refuse(reason, "the touch devices are not a vendor id and distinct product ids");
        }
    } else if (!fieldText(data, size, kMaxVersionUnits, out.version) ||
               !isVersionText(viewOf(out.version))) {
        return refuse(reason, "the version is not one to four numbers separated by dots");
    }
    return true;
}

void putU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t(v >> 8));
}

void putField(std::vector<std::uint8_t>& out, std::uint16_t tag, std::u16string_view text) {
    putU16(out, tag);
    putU16(out, std::uint16_t(text.size() * 2));
    for (char16_t c : text) putU16(out, std::uint16_t(c));
}

// The count is bounded by the record, whatever a caller left in it.
void putTouchDevices(std::vector<std::uint8_t>& out, const TouchDeviceIds& ids) {
    auto count = std::uint16_t(std::min<std::size_t>(ids.productCount, kMaxTouchProducts));
    putU16(out, IDENTITY_TOUCH_DEVICES);
    putU16(out, std::uint16_t(4 + 2 * count));
    putU16(out, ids.vendor);
    putU16(out, count);
    for (std::size_t i = 0; i < count; ++i) putU16(out, ids.products[i]);
}

}  // namespace

ProductIdentity demoIdentity() {
    ProductIdentity identity;
    copyText(identity.settingsKey, u"KorvelServerV5");
    copyText(identity.dataFolder, u"Vantrel");
    return identity;
}

bool isSettingsKeyName(std::u16string_view name) {
    return name.size() <= kMaxSettingsKeyUnits && isPlainName(name) &&
           name.find(u'.') == std::u16string_view::npos;
}

bool isDataFolderName(std::u16string_view name) {
    return isPlainName(name);
}

bool isVersionText(std::u16string_view text) {
    int parts = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'.') {
            if (text[i] < u'0' || text[i] > u'9') return false;
            continue;
        }
        std::u16string_view part = text.substr(start, i - start);
        if (part.empty() || part.size() > 5 || ++parts > 4) return false;
        unsigned value = 0;
        for (char16_t c : part) value = value * 10 + unsigned(c - u'0');
        if (value > 0xFFFF) return false;
        start = i + 1;
    }
    return true;
}

bool sameProduct(const ProductIdentity& a, const ProductIdentity& b) {
    return sameIgnoringAsciiCase(viewOf(a.settingsKey), viewOf(b.settingsKey));
}

bool readIdentityBlock(const std::uint8_t* bytes, std::size_t size, ProductIdentity& identity,
                       const char** reason) {
    if (!bytes || size < kIdentityHeaderSize || std::memcmp(bytes, kIdentityMagic, 4) != 0) {
        return refuse(reason, "no product identity block");
    }
    if (readU16At(bytes + 4) != kIdentityFormat) {
        return refuse(reason, "a product identity block of another format");
    }
    std::uint32_t blockSize = readU32(bytes + 6);
    if (blockSize != size || size > kMaxIdentityBlock) {
        return refuse(reason, "the product identity block's size is not what follows the package");
    }
    ProductIdentity read;
    FieldsSeen seen;
    for (std::size_t at = kIdentityHeaderSize; at < size;) {
        if (size - at < 4) return refuse(reason, "an identity field runs past the block");
        std::uint16_t tag = readU16At(bytes + at), fieldSize = readU16At(bytes + at + 2);
        if (fieldSize > size - at - 4)
            return refuse(reason, "an identity field runs past the block");
        if (!takeField(tag, bytes + at + 4, fieldSize, seen, read, reason)) return false;
        at += 4 + std::size_t(fieldSize);
    }
    if (!seen.key || !seen.folder) {
        return refuse(reason, "the product identity block lacks its settings key or data folder");
    }
    identity = read;
    return true;
}

bool readPackageIdentity(const std::uint8_t* blob, std::size_t size, std::size_t packageSize,
                         ProductIdentity& identity, const char** reason) {
    if (packageSize == size) {
        identity = demoIdentity();
        return true;
    }
    return readIdentityBlock(blob + packageSize, size - packageSize, identity, reason);
}

std::vector<std::uint8_t> identityBlockOf(const ProductIdentity& identity) {
    std::vector<std::uint8_t> out(kIdentityMagic, kIdentityMagic + 4);
    putU16(out, kIdentityFormat);
    out.resize(kIdentityHeaderSize);  // the size, filled in below
    putField(out, IDENTITY_SETTINGS_KEY, viewOf(identity.settingsKey));
    putField(out, IDENTITY_DATA_FOLDER, viewOf(identity.dataFolder));
    if (identity.version[0]) putField(out, IDENTITY_VERSION, viewOf(identity.version));
    if (!(identity.touch == TouchDeviceIds{})) putTouchDevices(out, identity.touch);
    auto size = std::uint32_t(out.size());
    for (int i = 0; i < 4; ++i) out[6 + i] = std::uint8_t(size >> (8 * i));
    return out;
}
