#include "package/VersionResource.h"

#include <algorithm>

#include "package/PeImage.h"

namespace pe {

namespace {

constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::uint32_t kFixedStructVersion = 0x00010000;
constexpr std::uint32_t kFixedFlagsMask = 0x3F;
constexpr std::uint32_t kOsNtWindows32 = 0x00040004;
constexpr std::uint32_t kFileTypeApp = 1;
constexpr std::size_t kFixedSize = 52;
constexpr std::size_t kNodeHeader = 6;  // wLength, wValueLength, wType
constexpr std::uint16_t kBinary = 0;
constexpr std::uint16_t kText = 1;

// One block of the tree: a key, a value and the blocks inside it.
struct Node {
    std::u16string key;
    std::uint16_t type = kText;
    std::vector<std::uint8_t> value;
    std::uint16_t valueLength = 0;  // in characters for text, in bytes for binary values
    std::vector<Node> children;
};

void padTo4(std::vector<std::uint8_t>& out) {
    while (out.size() % 4) out.push_back(0);
}

void appendText(std::vector<std::uint8_t>& out, std::u16string_view text) {
    for (char16_t c : text) appendU16(out, std::uint16_t(c));
    appendU16(out, 0);
}

// Every block starts on a 4-byte boundary of the resource; its length leaves out the padding
// after its last child, as the resource compiler writes it. False when the block is longer
// than its 16-bit length can say: a reader would take a part of it for the whole.
bool writeNode(std::vector<std::uint8_t>& out, const Node& node) {
    std::size_t start = out.size();
    appendU16(out, 0);
    appendU16(out, node.valueLength);
    appendU16(out, node.type);
    appendText(out, node.key);
    padTo4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const Node& child : node.children) {
        padTo4(out);
        if (!writeNode(out, child)) return false;
    }
    if (out.size() - start > 0xFFFF) return false;
    putU16(out, start, std::uint16_t(out.size() - start));
    return true;
}

std::uint32_t high(const std::array<std::uint16_t, 4>& v) {
    return std::uint32_t(v[0]) << 16 | v[1];
}

std::uint32_t low(const std::array<std::uint16_t, 4>& v) {
    return std::uint32_t(v[2]) << 16 | v[3];
}

std::vector<std::uint8_t> fixedInfo(const VersionInfo& info) {
    std::vector<std::uint8_t> out;
    for (std::uint32_t v :
         {kFixedSignature, kFixedStructVersion, high(info.fileVersion), low(info.fileVersion),
          high(info.productVersion), low(info.productVersion), kFixedFlagsMask, 0u, kOsNtWindows32,
          kFileTypeApp, 0u, 0u, 0u}) {
        appendU32(out, v);
    }
    return out;
}

Node stringNode(const std::u16string& key, const std::u16string& value) {
    Node n;
    n.key = key;
    appendText(n.value, value);
    n.valueLength = std::uint16_t(value.size() + 1);
    return n;
}

// Bounds of one block inside the resource, as read.
struct NodeView {
    std::u16string key;
    std::size_t value = 0;     // where the value starts
    std::size_t children = 0;  // where the first child may start
    std::size_t end = 0;       // of the block
};

std::size_t alignUp4(std::size_t at) {
    return (at + 3) & ~std::size_t(3);
}

// The block at `at`, which must end by `limit`.
bool readNode(std::span<const std::uint8_t> data, std::size_t at, std::size_t limit,
              NodeView& node) {
    if (at > limit || limit - at < kNodeHeader) return false;
    std::size_t length = getU16(data, at);
    if (length < kNodeHeader || length > limit - at) return false;
    node.end = at + length;
    node.key.clear();
    std::size_t pos = at + kNodeHeader;
    for (;; pos += 2) {
        if (pos + 2 > node.end) return false;  // the key runs out of the block
        char16_t c = char16_t(getU16(data, pos));
        if (c == 0) break;
        node.key.push_back(c);
    }
    node.value = std::min(alignUp4(pos + 2), node.end);
    std::size_t valueBytes = getU16(data, at + 2);
    if (getU16(data, at + 4) == kText) valueBytes *= 2;
    // Writers disagree on whether a text length counts characters or bytes: a value is never
    // taken to run past its own block, whichever they meant.
    valueBytes = std::min(valueBytes, node.end - node.value);
    node.children = std::min(alignUp4(node.value + valueBytes), node.end);
    return true;
}

// The blocks inside `parent`, in order.
bool readChildren(std::span<const std::uint8_t> data, const NodeView& parent,
                  std::vector<NodeView>& children) {
    children.clear();
    for (std::size_t at = parent.children; at < parent.end;) {
        NodeView child;
        if (!readNode(data, at, parent.end, child)) return false;
        children.push_back(child);
        at = alignUp4(child.end);
    }
    return true;
}

// A text value up to its terminator or the end of its block.
std::u16string textAt(std::span<const std::uint8_t> data, const NodeView& node) {
    std::u16string text;
    for (std::size_t pos = node.value; pos + 2 <= node.end; pos += 2) {
        char16_t c = char16_t(getU16(data, pos));
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

bool refuse(std::string& reason, const char* why) {
    reason = why;
    return false;
}

bool readFixed(std::span<const std::uint8_t> data, const NodeView& root, VersionInfo& info) {
    if (root.key != u"VS_VERSION_INFO" || root.end - root.value < kFixedSize) return false;
    if (getU32(data, root.value) != kFixedSignature) return false;
    auto numbers = [&](std::size_t at, std::array<std::uint16_t, 4>& v) {
        std::uint32_t hi = getU32(data, root.value + at);
        std::uint32_t lo = getU32(data, root.value + at + 4);
        v = {std::uint16_t(hi >> 16), std::uint16_t(hi), std::uint16_t(lo >> 16),
             std::uint16_t(lo)};
    };
    numbers(8, info.fileVersion);
    numbers(16, info.productVersion);
    return true;
}

}  // namespace

bool versionNumbers(std::u16string_view text, std::array<std::uint16_t, 4>& numbers) {
    numbers = {};
    std::size_t count = 0;
    std::uint32_t value = 0;
    std::size_t digits = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'.') {
            if (digits == 0 || count == 4) return false;
            numbers[count++] = std::uint16_t(value);
            value = 0;
            digits = 0;
            continue;
        }
        if (text[i] < u'0' || text[i] > u'9' || ++digits > 5) return false;
        value = value * 10 + std::uint32_t(text[i] - u'0');
        if (value > 0xFFFF) return false;
    }
    return true;
}

bool buildVersionResource(const VersionInfo& info, std::vector<std::uint8_t>& out,
                          std::string& reason) {
    out.clear();
    Node table;
    table.key = u"040904b0";
    for (const auto& [key, value] : info.strings) table.children.push_back(stringNode(key, value));
    Node strings;
    strings.key = u"StringFileInfo";
    strings.children.push_back(std::move(table));

    Node translation;
    translation.key = u"Translation";
    translation.type = kBinary;
    appendU16(translation.value, 0x0409);  // US English
    appendU16(translation.value, 1200);    // Unicode
    translation.valueLength = 4;
    Node variables;
    variables.key = u"VarFileInfo";
    variables.children.push_back(std::move(translation));

    Node root;
    root.key = u"VS_VERSION_INFO";
    root.type = kBinary;
    root.value = fixedInfo(info);
    root.valueLength = std::uint16_t(kFixedSize);
    root.children.push_back(std::move(strings));
    root.children.push_back(std::move(variables));
    if (!writeNode(out, root)) {
        out.clear();
        reason = "the version resource's texts do not fit its 16-bit lengths (64 KiB in all)";
        return false;
    }
    return true;
}

bool readVersionResource(std::span<const std::uint8_t> data, VersionInfo& info,
                         std::string& reason) {
    info = VersionInfo{};
    NodeView root;
    if (!readNode(data, 0, data.size(), root)) {
        return refuse(reason, "the version resource's length runs outside its data");
    }
    if (!readFixed(data, root, info)) {
        return refuse(reason, "the version resource has no fixed file information");
    }
    std::vector<NodeView> blocks, tables, strings;
    if (!readChildren(data, root, blocks)) {
        return refuse(reason, "a block of the version resource runs outside its parent");
    }
    for (const NodeView& block : blocks) {
        if (block.key != u"StringFileInfo") continue;
        if (!readChildren(data, block, tables) ||
            (!tables.empty() && !readChildren(data, tables.front(), strings))) {
            return refuse(reason, "a block of the version resource runs outside its parent");
        }
        for (const NodeView& s : strings) info.strings.emplace_back(s.key, textAt(data, s));
        break;
    }
    return true;
}

std::u16string versionString(const VersionInfo& info, std::u16string_view key) {
    for (const auto& [name, value] : info.strings) {
        if (name == key) return value;
    }
    return {};
}

}  // namespace pe
