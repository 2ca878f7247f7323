// Writing an installer package: the install script from a list of records and the file block
// from a list of files. The output is the same bytes for the same input whatever order the
// files come in: siblings are sorted by the bytes of their UTF-16LE names, and every
// directory's content area follows the entries before it, depth first.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "package/ByteSink.h"

// The record commands of the install script.
enum class ScriptCommand : std::uint8_t {
    Company = 0,
    MainApp = 1,
    Uninstaller = 2,
    StartMenuShortcut = 3,
    DesktopMenuEntry = 4,
    SystemFile = 5,
    DesktopShortcut = 6,
    Service = 7,
    DriverScripts = 8,
    Licence = 9,
    RunEntry = 10,
    LaunchAfterInstall = 11,
    ExtraProgram = 12,
    Product = 13,
};

// One record; only the fields its command uses are written.
struct ScriptRecord {
    ScriptCommand command = ScriptCommand::Company;
    std::u16string text;                                         // Company, Product
    std::u16string path;                                         // every file record
    std::u16string name;                                         // shortcuts and menu entries
    std::optional<std::u16string> description;                   // Service
    std::array<std::optional<std::u16string>, 4> driverScripts;  // installX86 .. uninstallX64
    std::uint8_t language = 0;                                   // Licence
};

struct PackageFile {
    std::u16string path;  // package-relative, components joined by "\"
    std::span<const std::uint8_t> contents;
    // Or bytes that are not in memory: when `source` is set, the file has `size` bytes, which
    // `source` appends to the sink as the package is written (a payload file read piece by
    // piece). It returns false when they cannot be read.
    std::uint64_t size = 0;
    std::function<bool(ByteSink&)> source;

    std::uint64_t byteCount() const { return source ? size : contents.size(); }
};

struct PackageInput {
    std::u16string rootName;
    std::vector<PackageFile> files;
    // Folders to carry even when they hold no file; the folders of the files are implied.
    std::vector<std::u16string> folders;
    std::vector<ScriptRecord> records;
    // Each file's bytes compressed on its own (package/FileCodec.h), totalSize flagged
    // (kCompressedPackage); otherwise stored as they are.
    bool compress = false;
};

// The largest package setup.exe can carry. The format's 32-bit sizes would allow 4 GiB - 1, but
// setup.exe is a 32-bit program whose image, package included, is mapped in one piece from
// its load address up to the system's libraries: 1600 MiB leaves room for the program itself
// below the 1.7 GB a 32-bit process has there (under Wine and on 64-bit Windows alike).
constexpr std::uint64_t kMaxPackageSize = std::uint64_t(1600) << 20;
// Why, in a refusal.
constexpr const char* kMaxPackageReason =
    "the limit of 1677721600 bytes (1600 MiB) that the 32-bit setup.exe can carry: its image, "
    "package included, must fit in one piece in a 32-bit address space";

// Why the input cannot be written; `record` is the index of the record at fault, if any.
struct PackageFault {
    std::optional<std::size_t> record;
    std::string reason;
};

// The size the package would have, computed without touching any file contents (for a
// compressed one: the size it would have stored, as no size is known before compressing).
// Meaningful only for an input that checkPackageInput accepts.
std::uint64_t measurePackage(const PackageInput& input);

// Everything the format cannot carry: a name over 259 units (a folder's whole path included,
// and a file's package path, which no record could name and no installation could write), an
// empty path component, a duplicate file, a NUL inside a text, a driver set without an install
// script, a package over kMaxPackageSize (a compressed one only once written: its size is known
// then). Does not check that record paths name package files.
bool checkPackageInput(const PackageInput& input, PackageFault& fault);

// Checks the input, then writes the whole package into `out` (replaced). On a refusal `out`
// is left empty.
bool writePackage(const PackageInput& input, std::vector<std::uint8_t>& out, PackageFault& fault);
// The same into a sink; false also when a file's source or the sink fails (with the reason).
// Nothing is appended on a refusal of the input.
bool writePackage(const PackageInput& input, ByteSink& out, PackageFault& fault);

// The order of siblings in the file block: the UTF-16LE bytes of the names compared one by one,
// a name before any longer name it begins.
bool packageNameLess(std::u16string_view a, std::u16string_view b);
