// Builds installer-package bytes for tests, including damaged ones: a file tree laid out as the
// shipped packages are (content areas depth first after the entries), script records, and the
// outer container.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace testpkg {

struct Bytes {
    std::vector<std::uint8_t> v;
    void u8(std::uint8_t b) { v.push_back(b); }
    void u32(std::uint32_t x) {
        for (int i = 0; i < 4; ++i) v.push_back(std::uint8_t(x >> (8 * i)));
    }
    void text(const std::u16string& s) {
        for (char16_t c : s) {
            v.push_back(std::uint8_t(c));
            v.push_back(std::uint8_t(c >> 8));
        }
        v.push_back(0);
        v.push_back(0);
    }
    void patch32(std::size_t at, std::uint32_t x) {
        for (int i = 0; i < 4; ++i) v[at + i] = std::uint8_t(x >> (8 * i));
    }
    std::size_t size() const { return v.size(); }
};

struct File {
    std::u16string name;
    std::vector<std::uint8_t> bytes;
};

struct Dir {
    std::u16string name;  // whole relative path
    std::vector<File> files;
    std::vector<Dir> subdirs;
};

inline std::vector<std::uint8_t> bytesOf(const std::string& s) {
    return std::vector<std::uint8_t>(s.begin(), s.end());
}

namespace detail {
inline void putFiles(Bytes& b, const std::vector<File>& files) {
    for (const File& f : files) {
        b.u32(std::uint32_t(f.bytes.size()));
        b.text(f.name);
        b.v.insert(b.v.end(), f.bytes.begin(), f.bytes.end());
    }
}
// Writes directory entries with offset placeholders and returns where each offset goes.
inline std::vector<std::size_t> putDirEntries(Bytes& b, const std::vector<Dir>& dirs) {
    std::vector<std::size_t> slots;
    for (const Dir& d : dirs) {
        slots.push_back(b.size());
        b.u32(0);
        b.u32(std::uint32_t(d.files.size()));
        b.u32(std::uint32_t(d.subdirs.size()));
        b.text(d.name);
    }
    return slots;
}
inline void putAreas(Bytes& b, const std::vector<Dir>& dirs,
                     const std::vector<std::size_t>& slots) {
    for (std::size_t i = 0; i < dirs.size(); ++i) {
        b.patch32(slots[i], std::uint32_t(b.size()));
        putFiles(b, dirs[i].files);
        auto sub = putDirEntries(b, dirs[i].subdirs);
        putAreas(b, dirs[i].subdirs, sub);
    }
}
}  // namespace detail

inline Bytes fileBlock(const std::u16string& rootName, const std::vector<File>& files,
                       const std::vector<Dir>& dirs) {
    Bytes b;
    b.u32(0);
    b.u32(std::uint32_t(files.size()));
    b.u32(std::uint32_t(dirs.size()));
    b.text(rootName);
    detail::putFiles(b, files);
    auto slots = detail::putDirEntries(b, dirs);
    detail::putAreas(b, dirs, slots);
    b.patch32(0, std::uint32_t(b.size()));
    return b;
}

// Script records; each helper appends one whole record.
struct Script {
    Bytes b;
    void text(std::uint8_t cmd, const std::u16string& s) { head(cmd), b.text(s), b.u8(0x7F); }
    void path(std::uint8_t cmd, const std::u16string& p) { text(cmd, p); }
    void named(std::uint8_t cmd, const std::u16string& p, const std::u16string& name) {
        head(cmd), b.text(p), b.text(name), b.u8(0x7F);
    }
    void service(const std::u16string& p, const std::u16string* description,
                 std::uint8_t separator = 0x7E) {
        head(7), b.text(p);
        if (description) b.u8(separator), b.text(*description);
        b.u8(0x7F);
    }
    void drivers(const std::vector<std::pair<std::uint8_t, std::u16string>>& items) {
        head(8);
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (i) b.u8(0x7E);
            b.u8(items[i].first), b.text(items[i].second);
        }
        b.u8(0x7F);
    }
    void licence(std::uint8_t index, const std::u16string& p) {
        head(9), b.u8(index), b.text(p), b.u8(0x7F);
    }
    void empty(std::uint8_t cmd = 5) { b.u8(cmd), b.u8(0x7F); }
    void raw(std::initializer_list<std::uint8_t> bytes) { b.v.insert(b.v.end(), bytes); }
    void head(std::uint8_t cmd) { b.u8(cmd), b.u8(0x7E); }
};

// totalSize, L, records, then the file block.
inline std::vector<std::uint8_t> package(const Script& script, const Bytes& files) {
    Bytes out;
    std::uint32_t L = std::uint32_t(script.b.size() + 4);
    out.u32(L + std::uint32_t(files.size()) + 4);
    out.u32(L);
    out.v.insert(out.v.end(), script.b.v.begin(), script.b.v.end());
    out.v.insert(out.v.end(), files.v.begin(), files.v.end());
    return out.v;
}

}  // namespace testpkg
