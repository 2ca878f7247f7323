
#include "package/PackageWriter.h"

#include <memory>

#include "package/FileCodec.h"
#include "package/FileEncoder.h"
#include "package/Package.h"
#include "package/PackagePlan.h"

using namespace packing;

namespace {

std::string utf8(std::u16string_view text) {
    return utf16ToUtf8(text);
}

// Counts every byte and, given a sink, also writes it; measuring and writing share one path.
// Headers and names gather in a small buffer; file contents go to the sink as they are.
struct Sink {
    ByteSink* out = nullptr;
    std::unique_ptr<FileEncoder> encoder;  // for a compressed package, once writing
    std::uint64_t size = 0;
    std::vector<std::uint8_t> pending;
    std::string failure;  // the first thing that could not be written

    ~Sink() { flush(); }
    void flush() {
        if (!out || pending.empty()) return;
        if (!out->append(pending) && failure.empty()) failure = "cannot write the package";
        pending.clear();
    }
    void byte(std::uint8_t b) {
        ++size;
        if (!out) return;
        pending.push_back(b);
        if (pending.size() >= (std::size_t(64) << 10)) flush();
    }
    void u32(std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8) byte(std::uint8_t(v >> shift));
    }
    void text(std::u16string_view s) {
        for (char16_t c : s) {
            byte(std::uint8_t(c & 0xFF));
            byte(std::uint8_t(c >> 8));
        }
        byte(0);
        byte(0);
    }
    void file(const PackageFile& file) {
        std::uint64_t count = file.byteCount();
        size += count;
        if (!out) return;
        flush();
        if (!file.source) {
            if (!out->append(file.contents) && failure.empty())
                failure = "cannot write the package";
            return;
        }
        std::uint64_t before = out->size();
        bool read = file.source(*out);
        if ((!read || out->size() - before != count) && failure.empty()) {
            failure = "cannot read \"" + utf16ToUtf8(file.path) + "\" (" + std::to_string(count) +
                      " bytes) from the payload whole";
        }
    }
    // A compressed file's entry: its stored size is known once its frame is written.
    void compressedFile(const std::u16string& name, const PackageFile& file) {
        std::uint64_t at = size, count = file.byteCount();
        u32(0);
        text(name);
        u32(std::uint32_t(count));
        if (!out) {
            size += count;
            return;
        }
        flush();
        if (!encoder) encoder = std::make_unique<FileEncoder>();
        std::uint64_t before = out->size();
        encoder->begin(*out, count);
        bool read =
            file.source ? file.source(encoder->input()) : encoder->input().append(file.contents);
        bool whole = read && encoder->input().size() == count;
        std::string why;
        if (!encoder->end(why) && failure.empty()) {
            failure = whole ? why
                            : "cannot read \"" + utf16ToUtf8(file.path) + "\" (" +
                                  std::to_string(count) + " bytes) from the payload whole";
        }
        std::uint64_t frame = out->size() - before;
        size += frame;
        patchU32(at, std::uint32_t(kCompressedFileHeader + frame));
    }
    void patchU32(std::uint64_t at, std::uint32_t v) {
        if (!out) return;
        flush();
        std::uint8_t le[4] = {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16),
                              std::uint8_t(v >> 24)};
        if (!out->patch(at, le) && failure.empty()) failure = "cannot write the package";
    }
};

void putRecord(Sink& sink, const ScriptRecord& r) {
    sink.byte(std::uint8_t(r.command));
    sink.byte(0x7E);
    switch (r.command) {
        case ScriptCommand::Company:
        case ScriptCommand::Product:
            sink.text(r.text);
            break;
        case ScriptCommand::StartMenuShortcut:
        case ScriptCommand::DesktopMenuEntry:
        case ScriptCommand::DesktopShortcut:
            sink.text(r.path);
            sink.text(r.name);
            break;
        case ScriptCommand::Service:
            sink.text(r.path);
            if (r.description) {
                sink.byte(0x7E);
                sink.text(*r.description);
            }
            break;
        case ScriptCommand::DriverScripts: {
            bool first = true;
            for (std::uint8_t i = 0; i < 4; ++i) {
                if (!r.driverScripts[i]) continue;
                if (!first) sink.byte(0x7E);
                first = false;
                sink.byte(i);
                sink.text(*r.driverScripts[i]);
            }
            break;
        }
        case ScriptCommand::Licence:
            sink.byte(r.language);
            sink.text(r.path);
            break;
        default:
            sink.text(r.path);
            break;
    }
    sink.byte(0x7F);
}

std::u16string childPath(const std::u16string& folder, const std::u16string& name) {
    return folder.empty() ? name : folder + u"\\" + name;
}

void putFiles(Sink& sink, const FolderPlan& folder, bool compress) {
    for (const auto& [name, file] : folder.files) {
        if (compress && file->byteCount() > 0) {
            sink.compressedFile(name, *file);
            continue;
        }
        sink.u32(std::uint32_t(file->byteCount()));
        sink.text(name);
        sink.file(*file);
    }
}

// Writes the folder entries with their content offsets still open; returns where each is.
std::vector<std::uint64_t> putFolderEntries(Sink& sink, const FolderPlan& folder,
                                            const std::u16string& path) {
    std::vector<std::uint64_t> offsetFields;
    for (const auto& [name, sub] : folder.folders) {
        offsetFields.push_back(sink.size);
        sink.u32(0);
        sink.u32(std::uint32_t(sub.files.size()));
        sink.u32(std::uint32_t(sub.folders.size()));
        sink.text(childPath(path, name));
    }
    return offsetFields;
}

void putContentAreas(Sink& sink, const FolderPlan& folder, const std::u16string& path,
                     const std::vector<std::uint64_t>& offsetFields, std::uint64_t blockStart,
                     bool compress) {
    std::size_t i = 0;
    for (const auto& [name, sub] : folder.folders) {
        sink.patchU32(offsetFields[i++], std::uint32_t(sink.size - blockStart));
        std::u16string subPath = childPath(path, name);
        putFiles(sink, sub, compress);
        auto subFields = putFolderEntries(sink, sub, subPath);
        putContentAreas(sink, sub, subPath, subFields, blockStart, compress);
    }
}

void putPackage(Sink& sink, const PackageInput& input, const FolderPlan& root) {
    sink.u32(0);  // totalSize

    std::uint64_t scriptStart = sink.size;
    sink.u32(0);
    for (const ScriptRecord& r : input.records) putRecord(sink, r);
    sink.patchU32(scriptStart, std::uint32_t(sink.size - scriptStart));

    std::uint64_t blockStart = sink.size;
    sink.u32(0);
    sink.u32(std::uint32_t(root.files.size()));
    sink.u32(std::uint32_t(root.folders.size()));
    sink.text(input.rootName);
    putFiles(sink, root, input.compress);
    auto fields = putFolderEntries(sink, root, u"");
    putContentAreas(sink, root, u"", fields, blockStart, input.compress);
    sink.patchU32(blockStart, std::uint32_t(sink.size - blockStart));

    std::uint32_t total = std::uint32_t(sink.size);
    sink.patchU32(0, input.compress ? total | kCompressedPackage : total);
}

// Checks the input and lays out its tree; `size` is what the package will take.
bool planPackage(const PackageInput& input, FolderPlan& root, std::uint64_t& size,
                 PackageFault& fault) {
    if (input.rootName.find(u'\\') != std::u16string::npos ||
        input.rootName.find(u'\0') != std::u16string::npos) {
        return fail(fault, "the root name \"" + utf8(input.rootName) + "\" is not a plain name");
    }
    if (input.rootName.size() > kMaxNameUnits) {
        return fail(fault, "the root name is longer than 259 UTF-16 units");
    }
    for (std::size_t i = 0; i < input.records.size(); ++i) {
        if (!checkRecord(input.records[i], i, fault)) return false;
    }
    if (!planFolders(input, root, fault)) return false;
    Sink counter;
    putPackage(counter, input, root);
    size = counter.size;
    if (size > kMaxPackageSize && !input.compress) {
        return fail(fault, "the package would be " + std::to_string(size) + " bytes, over " +
                               kMaxPackageReason);
    }
    return true;
}

}  // namespace

std::uint64_t measurePackage(const PackageInput& input) {
    FolderPlan root;
    PackageFault ignored;
    planFolders(input, root, ignored);
    Sink counter;
    putPackage(counter, input, root);
    return counter.size;
}

bool checkPackageInput(const PackageInput& input, PackageFault& fault) {
    FolderPlan root;
    std::uint64_t size = 0;
    return planPackage(input, root, size, fault);
}

bool writePackage(const PackageInput& input, std::vector<std::uint8_t>& out, PackageFault& fault) {
    out.clear();
    FolderPlan root;
    std::uint64_t size = 0;
    if (!planPackage(input, root, size, fault)) return false;
    if (!input.compress) out.reserve(size);
    VectorSink sink(out);
    if (writePackage(input, sink, fault)) return true;
    out.clear();
    return false;
}

bool writePackage(const PackageInput& input, ByteSink& out, PackageFault& fault) {
    FolderPlan root;
    std::uint64_t size = 0;
    if (!planPackage(input, root, size, fault)) return false;
    Sink sink{&out};
    putPackage(sink, input, root);
    sink.flush();
    if (!sink.failure.empty()) return fail(fault, sink.failure);
    if (sink.size > kMaxPackageSize) {
        return fail(fault, "the package is " + std::to_string(sink.size) +
                               " bytes compressed, over " + kMaxPackageReason);
    }
    return true;
}
