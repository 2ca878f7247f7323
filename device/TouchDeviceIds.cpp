#include "device/TouchDeviceIds.h"

#include <algorithm>

namespace {

char16_t foldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + 0x20) : c;
}

// The value of a lower- or upper-case hexadecimal digit, or -1.
int hexValue(char16_t c) {
    c = foldAscii(c);
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

// Whether `text` at `at` holds `word` (lower case), A-Z in the text folded.
bool holdsAt(std::u16string_view text, std::size_t at, std::u16string_view word) {
    if (text.size() - at < word.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (foldAscii(text[at + i]) != word[i]) return false;
    }
    return true;
}

// Exactly four hexadecimal digits at `at`, not followed by a fifth.
bool readId(std::u16string_view text, std::size_t at, std::uint16_t& id) {
    if (text.size() - at < 4) return false;
    unsigned value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        int digit = hexValue(text[at + i]);
        if (digit < 0) return false;
        value = value << 4 | unsigned(digit);
    }
    if (text.size() - at > 4 && hexValue(text[at + 4]) >= 0) return false;
    id = std::uint16_t(value);
    return true;
}

bool listsProduct(const TouchDeviceIds& ids, std::uint16_t product) {
    const std::uint16_t* end =
        ids.products + std::min<std::size_t>(ids.productCount, kMaxTouchProducts);
    return std::find(ids.products, end, product) != end;
}

void putHex(char16_t* out, std::uint16_t value) {
    static const char16_t digits[] = u"0123456789abcdef";
    for (int i = 3; i >= 0; --i, value >>= 4) out[i] = digits[value & 0xF];
}

// After the vendor mark that ends at `at`: "&pid_" and a listed product.
bool namesListedProduct(std::u16string_view name, std::size_t at, const TouchDeviceIds& ids) {
    std::uint16_t product = 0;
    return holdsAt(name, at, u"&pid_") && readId(name, at + 5, product) &&
           listsProduct(ids, product);
}

}  // namespace

bool operator==(const TouchDeviceIds& a, const TouchDeviceIds& b) {
    return a.vendor == b.vendor && a.productCount == b.productCount &&
           std::equal(a.products,
                      a.products + std::min<std::size_t>(a.productCount, kMaxTouchProducts),
                      b.products);
}

bool areSoundTouchIds(const TouchDeviceIds& ids) {
    if (ids.vendor == 0 || ids.productCount > kMaxTouchProducts) return false;
    for (std::size_t i = 0; i < ids.productCount; ++i) {
        if (std::find(ids.products, ids.products + i, ids.products[i]) != ids.products + i) {
            return false;
        }
    }
    return true;
}

bool isTouchDevice(const TouchDeviceIds& ids, std::uint16_t vendor, std::uint16_t product) {
    if (vendor != ids.vendor) return false;
    return ids.productCount == 0 || listsProduct(ids, product);
}

bool isTouchDeviceName(std::u16string_view name, const TouchDeviceIds& ids) {
    char16_t mark[] = u"vid_0000";
    putHex(mark + 4, ids.vendor);
    std::u16string_view markView(mark, 8);
    for (std::size_t at = 0; at < name.size(); ++at) {
        if (!holdsAt(name, at, markView)) continue;
        if (ids.productCount == 0 || namesListedProduct(name, at + 8, ids)) return true;
    }
    return false;
}
