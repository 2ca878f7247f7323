// Compressed packages for tests: any tree of PackageBytes.h with each file in its stored form
// (its size and its zstd frame, as pkgtool writes it) and totalSize flagged.
#pragma once

#include <gtest/gtest.h>

#include "package/FileCodec.h"
#include "package/FileEncoder.h"
#include "package/Package.h"
#include "tests/support/ShippedPackage.h"

namespace testpkg {

// What a compressed package stores for a file of these bytes (nothing for an empty one).
inline std::vector<std::uint8_t> storedCompressed(const std::vector<std::uint8_t>& bytes) {
    std::vector<std::uint8_t> stored;
    if (bytes.empty()) return stored;
    Bytes header;
    header.u32(std::uint32_t(bytes.size()));
    std::vector<std::uint8_t> frame;
    VectorSink sink(frame);
    FileEncoder encoder;
    encoder.begin(sink, bytes.size());
    encoder.input().append(bytes);
    std::string failure;
    if (!encoder.end(failure)) ADD_FAILURE() << failure;
    stored = header.v;
    stored.insert(stored.end(), frame.begin(), frame.end());
    return stored;
}

inline void compressTree(std::vector<File>& files, std::vector<Dir>& dirs) {
    for (File& f : files) f.bytes = storedCompressed(f.bytes);
    for (Dir& d : dirs) compressTree(d.files, d.subdirs);
}

// The package with the compressed flag set in totalSize.
inline std::vector<std::uint8_t> flaggedCompressed(std::vector<std::uint8_t> blob) {
    blob[3] |= 0x80;
    return blob;
}

inline std::vector<std::uint8_t> compressedPackage(const Script& script,
                                                   const std::u16string& rootName,
                                                   std::vector<File> files, std::vector<Dir> dirs) {
    compressTree(files, dirs);
    return flaggedCompressed(package(script, fileBlock(rootName, files, dirs)));
}

inline std::vector<std::uint8_t> shippedCompressedPackage() {
    std::vector<File> root;
    std::vector<Dir> dirs;
    shippedTree(root, dirs);
    return compressedPackage(shippedScript(), u"KorvelServerV6", root, dirs);
}

}  // namespace testpkg
