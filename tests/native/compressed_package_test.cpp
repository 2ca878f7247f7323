#include <gtest/gtest.h>

#define ZSTD_STATIC_LINKING_ONLY
#include <zstd.h>

#include <random>

#include "package/PackageWriter.h"
#include "tests/support/CompressedPackage.h"
#include "tests/support/InstallHarness.h"

using namespace testpkg;

namespace {

using ByteVector = std::vector<std::uint8_t>;

ByteVector randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 random(seed);
    ByteVector out(n);
    for (auto& b : out) b = std::uint8_t(random());
    return out;
}

ByteVector wordyText(std::size_t n) {
    static const char* words[] = {"touch ", "frame ", "driver ", "install ", "panel\r\n"};
    ByteVector out;
    for (std::size_t i = 0; out.size() < n; ++i) {
        for (const char* c = words[(i * 7 + i / 3) % 5]; *c && out.size() < n; ++c)
            out.push_back(*c);
    }
    return out;
}

// A file's frame: what a compressed package stores after the file's size.
ByteVector frameOf(const ByteVector& bytes) {
    ByteVector stored = storedCompressed(bytes);
    return ByteVector(stored.begin() + kCompressedFileHeader, stored.end());
}

struct Decoded {
    bool ok = false;
    const char* reason = nullptr;
    ByteVector bytes;
    std::size_t pieces = 0;
};

Decoded decode(const ByteVector& frame, std::uint64_t size) {
    Decoded d;
    d.ok = decodeFile(
        frame, size,
        [&d](const std::uint8_t* p, std::size_t n) {
            EXPECT_LE(n, kDecodedPiece);
            d.bytes.insert(d.bytes.end(), p, p + n);
            ++d.pieces;
            return true;
        },
        &d.reason);
    return d;
}

// A frame made with zstd's own parameters, beyond what pkgtool writes.
ByteVector rawFrame(const ByteVector& bytes, int level, int windowLog, bool pledge) {
    ZSTD_CCtx* c = ZSTD_createCCtx();
    ZSTD_CCtx_setParameter(c, ZSTD_c_compressionLevel, level);
    if (windowLog) ZSTD_CCtx_setParameter(c, ZSTD_c_windowLog, windowLog);
    if (pledge) ZSTD_CCtx_setPledgedSrcSize(c, bytes.size());
    ByteVector out(ZSTD_compressBound(bytes.size()) + 64);
    ZSTD_inBuffer in{bytes.data(), bytes.size(), 0};
    ZSTD_outBuffer o{out.data(), out.size(), 0};
    // Given piece by piece, without a pledge, the size is not in the frame: the frame then
    // names its window.
    while (!pledge && in.pos < in.size) ZSTD_compressStream2(c, &o, &in, ZSTD_e_continue);
    EXPECT_EQ(ZSTD_compressStream2(c, &o, &in, ZSTD_e_end), 0u);
    ZSTD_freeCCtx(c);
    out.resize(o.pos);
    return out;
}

std::uint32_t u32At(const ByteVector& b, std::size_t at) {
    return std::uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24);
}

}  // namespace

TEST(FileCodec, DecodesWhatTheEncoderWroteInBoundedPieces) {
    for (ByteVector bytes : {ByteVector{'x'}, wordyText(kDecodedPiece + 1), randomBytes(3 << 20, 1),
                             wordyText(5 << 20)}) {
        ByteVector frame = frameOf(bytes);
        Decoded d = decode(frame, bytes.size());
        ASSERT_TRUE(d.ok) << d.reason;
        EXPECT_EQ(d.bytes, bytes);
        EXPECT_GE(d.pieces, (bytes.size() + kDecodedPiece - 1) / kDecodedPiece);
        // Each file on its own window, at most 8 MiB; text shrinks, noise barely grows.
        ZSTD_frameHeader header;
        ASSERT_EQ(ZSTD_getFrameHeader(&header, frame.data(), frame.size()), 0u);
        EXPECT_LE(header.windowSize, std::uint64_t(1) << kMaxWindowLog);
        EXPECT_EQ(header.frameContentSize, bytes.size());
        EXPECT_TRUE(header.checksumFlag);
        EXPECT_LE(frame.size(), bytes.size() + bytes.size() / 100 + 64);
    }
    EXPECT_LT(frameOf(wordyText(1 << 20)).size(), std::size_t(1 << 20) / 20);
}

TEST(FileCodec, RefusesFramesThatAreNotExactlyTheFile) {
    ByteVector bytes = wordyText(300000);
    ByteVector frame = frameOf(bytes);
    struct Case {
        const char* what;
        ByteVector frame;
        std::uint64_t size;
    };
    ByteVector cutShort(frame.begin(), frame.end() - 5);
    ByteVector halved(frame.begin(), frame.begin() + std::ptrdiff_t(frame.size() / 2));
    ByteVector trailing = frame;
    trailing.push_back(0);
    ByteVector twice = frame;
    twice.insert(twice.end(), frame.begin(), frame.end());
    ByteVector flipped = frame;
    flipped[frame.size() / 2] ^= 0x40;
    ByteVector checksumOff = frame;
    checksumOff.back() ^= 1;
    for (const Case& c :
         {Case{"cut short", cutShort, bytes.size()}, Case{"half of it", halved, bytes.size()},
          Case{"a byte after it", trailing, bytes.size()}, Case{"two frames", twice, bytes.size()},
          Case{"a flipped bit", flipped, bytes.size()},
          Case{"a wrong checksum", checksumOff, bytes.size()},
          Case{"a size one too small", frame, bytes.size() - 1},
          Case{"a size one too large", frame, bytes.size() + 1},
          Case{"nothing at all", {}, bytes.size()}, Case{"no frame", wordyText(100), 100}}) {
        Decoded d = decode(c.frame, c.size);
        EXPECT_FALSE(d.ok) << c.what;
        EXPECT_NE(d.reason, nullptr) << c.what;
        EXPECT_LE(d.bytes.size(), c.size) << c.what;
    }
}

TEST(FileCodec, StopsABombAtItsDeclaredSizeAndRefusesLargeWindows) {
    // 256 MiB of zeros in a few kilobytes: decoding stops at the first byte past the size.
    ByteVector zeros(std::size_t(256) << 20);
    ByteVector bomb = rawFrame(zeros, 1, 0, true);
    zeros = {};
    ASSERT_LT(bomb.size(), std::size_t(64) << 10);
    Decoded d = decode(bomb, 1000);
    EXPECT_FALSE(d.ok);
    EXPECT_STREQ(d.reason, "a compressed file decodes to more than its size");
    EXPECT_LE(d.bytes.size(), 1000u);

    // A frame whose size is not known up front asks for its whole window: over 8 MiB is
    // refused before anything is allocated for it.
    ByteVector text = wordyText(1 << 20);
    Decoded wide = decode(rawFrame(text, 3, 27, false), text.size());
    EXPECT_FALSE(wide.ok);
    EXPECT_STREQ(wide.reason, "a compressed file asks for a window over 8 MiB");
    Decoded narrow = decode(rawFrame(text, 3, kMaxWindowLog, false), text.size());
    EXPECT_TRUE(narrow.ok) << narrow.reason;
    EXPECT_EQ(narrow.bytes, text);
}

TEST(FileCodec, AWriterThatRefusesEndsTheDecodingWithoutAReason) {
    ByteVector bytes = wordyText(3 << 20);
    const char* reason = nullptr;
    int calls = 0;
    EXPECT_FALSE(decodeFile(
        frameOf(bytes), bytes.size(),
        [&calls](const std::uint8_t*, std::size_t) { return ++calls < 2; }, &reason));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(reason, nullptr);
}

TEST(CompressedPackage, LoadsTheTreeOfTheStoredOneAndExtractsTheSameBytes) {
    LoadedConfig stored, compressed;
    ASSERT_TRUE(stored.load(shippedPackage()));
    ASSERT_TRUE(compressed.load(shippedCompressedPackage())) << lastPackageRejection;
    EXPECT_FALSE(stored.tree().compressed);
    EXPECT_TRUE(compressed.tree().compressed);
    EXPECT_EQ(allFilePaths(compressed.tree()), allFilePaths(stored.tree()));
    for (FileNode *a = stored.tree().allFiles, *b = compressed.tree().allFiles; a && b;
         a = a->nextInAll, b = b->nextInAll) {
        EXPECT_EQ(b->size, a->size);
        EXPECT_TRUE(b->compressed);
        ByteVector bytes;
        ASSERT_TRUE(readPackageFile(*b, bytes, b->size));
        EXPECT_EQ(bytes, ByteVector(a->contents, a->contents + a->size));
        // Over the limit: refused before anything is decoded.
        EXPECT_FALSE(readPackageFile(*b, bytes, b->size - 1));
    }
    EXPECT_EQ(compressed.config.licenceFiles != nullptr, stored.config.licenceFiles != nullptr);
}

TEST(CompressedPackage, TheFlagIsWhatEveryEarlierLoaderRejects) {
    ByteVector blob = shippedCompressedPackage();
    std::uint32_t total = u32At(blob, 0), scriptSize = u32At(blob, 4);
    std::uint32_t fileBlockSize = u32At(blob, 4 + scriptSize);
    EXPECT_EQ(total & kCompressedPackage, kCompressedPackage);
    EXPECT_EQ(total & ~kCompressedPackage, scriptSize + fileBlockSize + 4);
    EXPECT_EQ(blob.size(), std::size_t(scriptSize) + fileBlockSize + 4);
    // The one test every loader before compression made, and the first thing it checked.
    EXPECT_NE(total, std::uint32_t(scriptSize + fileBlockSize + 4));

    // The files' entries hold frames, which read as stored bytes would install as garbage:
    // that is why the flag must be what an old loader stops at.
    LoadedConfig asStored;
    ByteVector unflagged = blob;
    unflagged[3] &= 0x7F;
    ASSERT_TRUE(asStored.load(unflagged));
    EXPECT_NE(asStored.tree().allFiles->size, std::uint32_t(sizeof("contents of devcon.exe") - 1));
}

TEST(CompressedPackage, ABlockWhoseFilesCannotHoldTheirSizeIsRejectedAtLoad) {
    for (ByteVector stored :
         {ByteVector{1, 0, 0}, ByteVector{0, 0, 0, 0, 0x28}, ByteVector{5, 0, 0, 0}}) {
        ByteVector blob =
            flaggedCompressed(package(Script{}, fileBlock(u"r", {File{u"a.exe", stored}}, {})));
        LoadedConfig c;
        EXPECT_FALSE(c.load(blob));
        EXPECT_EQ(c.config.fileTree, nullptr);
    }
}

TEST(CompressedPackage, WriterCompressesEachFileAndStoreKeepsTheStoredBytes) {
    ByteVector text = wordyText(2 << 20), noise = randomBytes(1 << 20, 2);
    PackageInput input;
    input.rootName = u"R";
    input.files.push_back(PackageFile{u"empty.dat", {}});
    input.files.push_back(PackageFile{u"a\\text.txt", text});
    // A payload file read piece by piece, as pkgtool reads one.
    PackageFile streamed{u"a\\b\\noise.bin", {}, noise.size(), nullptr};
    streamed.source = [&noise](ByteSink& sink) {
        for (std::size_t at = 0; at < noise.size(); at += 100000) {
            std::size_t n = std::min<std::size_t>(100000, noise.size() - at);
            if (!sink.append({noise.data() + at, n})) return false;
        }
        return true;
    };
    input.files.push_back(streamed);
    ByteVector stored, compressed, again;
    PackageFault fault;
    ASSERT_TRUE(writePackage(input, stored, fault)) << fault.reason;
    input.compress = true;
    ASSERT_TRUE(writePackage(input, compressed, fault)) << fault.reason;
    ASSERT_TRUE(writePackage(input, again, fault)) << fault.reason;
    EXPECT_EQ(compressed, again);
    EXPECT_EQ(u32At(stored, 0) & kCompressedPackage, 0u);
    EXPECT_EQ(u32At(compressed, 0) & kCompressedPackage, kCompressedPackage);
    EXPECT_LT(compressed.size(), noise.size() + text.size() / 20);

    LoadedConfig a, b;
    ASSERT_TRUE(a.load(stored));
    ASSERT_TRUE(b.load(compressed)) << lastPackageRejection;
    EXPECT_EQ(allFilePaths(b.tree()), allFilePaths(a.tree()));
    for (FileNode *x = a.tree().allFiles, *y = b.tree().allFiles; x && y;
         x = x->nextInAll, y = y->nextInAll) {
        ByteVector bytes;
        ASSERT_TRUE(readPackageFile(*y, bytes, SIZE_MAX));
        EXPECT_EQ(bytes, ByteVector(x->contents, x->contents + x->size));
        EXPECT_EQ(y->compressed, y->size > 0);
    }
}

TEST(CompressedPackage, ASourceThatComesUpShortFailsTheWrite) {
    PackageInput input;
    input.rootName = u"R";
    input.compress = true;
    PackageFile file{u"x.bin", {}, 5000, nullptr};
    file.source = [](ByteSink& sink) {
        ByteVector half(2500, 7);
        return sink.append(half);
    };
    input.files.push_back(file);
    ByteVector out;
    PackageFault fault;
    EXPECT_FALSE(writePackage(input, out, fault));
    EXPECT_NE(fault.reason.find("x.bin"), std::string::npos) << fault.reason;
}

TEST(CompressedPackage, InstallsWhatTheStoredPackageInstalls) {
    InstallHarness stored;
    ASSERT_TRUE(stored.install());
    InstallHarness compressed(shippedCompressedPackage());
    ASSERT_TRUE(compressed.install());
    EXPECT_EQ(compressed.machine.snapshot(), stored.machine.snapshot())
        << describeDifference(stored.machine.snapshot(), compressed.machine.snapshot());
    EXPECT_EQ(compressed.window.codes(), stored.window.codes());
}

// Every kind of damage to one file's frame: the file error names it, and everything written
// before it is taken back.
TEST(CompressedPackage, ADamagedFileEndsTheInstallationWithTheFileErrorAndARollback) {
    using Damage = void (*)(ByteVector & stored);
    struct Case {
        const char* what;
        Damage damage;
    };
    const Case cases[] = {
        {"cut short", [](ByteVector& s) { s.resize(s.size() - 3); }},
        {"a flipped byte", [](ByteVector& s) { s[s.size() / 2 + 2] ^= 0x55; }},
        {"a size one too large", [](ByteVector& s) { s[0] += 1; }},
        {"a size one too small", [](ByteVector& s) { s[0] -= 1; }},
        {"a bomb",
         [](ByteVector& s) {
             ByteVector zeros(std::size_t(64) << 20);
             ByteVector frame = rawFrame(zeros, 1, 0, true);
             s.resize(kCompressedFileHeader);
             s.insert(s.end(), frame.begin(), frame.end());
         }},
    };
    for (const Case& c : cases) {
        std::vector<File> root;
        std::vector<Dir> dirs;
        shippedTree(root, dirs);
        compressTree(root, dirs);
        for (File& f : root) {
            if (f.name == u"VantrelService.exe") c.damage(f.bytes);
        }
        InstallHarness h(
            flaggedCompressed(package(shippedScript(), fileBlock(u"KorvelServerV6", root, dirs))));
        MachineSnapshot before = h.machine.snapshot();
        EXPECT_FALSE(h.install()) << c.what;
        EXPECT_EQ(h.window.count(ST_FILE_ERROR), 1) << c.what;
        bool named = false;
        for (const auto& m : h.window.messages) {
            if (m.code == ST_FILE_ERROR) named = m.text == kProductFolder + u"\\VantrelService.exe";
        }
        EXPECT_TRUE(named) << c.what;
        EXPECT_GT(h.window.count(ST_DELETING_FILE), 0) << c.what;
        EXPECT_EQ(h.machine.snapshot(), before)
            << c.what << ": " << describeDifference(before, h.machine.snapshot());
    }
}
