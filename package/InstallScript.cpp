#include "package/InstallScript.h"

namespace {

constexpr std::uint8_t kCommandMarker = 0x7E;
constexpr std::uint8_t kEndMarker = 0x7F;
constexpr std::uint8_t kLastCommand = 13;

// Walks the record stream between position 4 and L, never past either L or the blob.
class ScriptReader {
public:
    ScriptReader(const std::uint8_t* bytes, std::size_t end) : bytes_(bytes), end_(end) {}

    bool atEnd() const { return pos_ >= end_; }
    std::size_t position() const { return pos_; }
    void fail(const char* reason) {
        if (!reason_) reason_ = reason;
    }
    const char* reason() const { return reason_; }

    bool byte(std::uint8_t& value) {
        if (pos_ >= end_) return fail("record runs past the end of the script"), false;
        value = bytes_[pos_++];
        return true;
    }
    bool peek(std::uint8_t& value) const {
        if (pos_ >= end_) return false;
        value = bytes_[pos_];
        return true;
    }
    // A NUL-terminated UTF-16LE string of at most 259 units.
    bool text(TextBuffer& out) {
        for (std::size_t n = 0; n < kTextUnits; ++n) {
            if (end_ - pos_ < 2) return fail("string without terminator"), false;
            out[n] = readU16(bytes_ + pos_);
            pos_ += 2;
            if (out[n] == 0) return true;
        }
        out[0] = 0;
        return fail("string longer than 259 units"), false;
    }
    // A string of any length, for service descriptions.
    bool longText(std::u16string& out) {
        out.clear();
        while (end_ - pos_ >= 2) {
            char16_t c = readU16(bytes_ + pos_);
            pos_ += 2;
            if (c == 0) return true;
            out.push_back(c);
        }
        return fail("string without terminator"), false;
    }

private:
    const std::uint8_t* bytes_;
    std::size_t end_;
    std::size_t pos_ = 4;
    const char* reason_ = nullptr;
};

template <typename Node>
void prepend(Node*& list, Node* node) {
    node->next = list;
    list = node;
}

template <typename Node>
void freeList(Node*& list) {
    while (list) {
        Node* next = list->next;
        delete list;
        list = next;
    }
}

FileNode* resolve(const InstallConfig& config, const TextBuffer& path) {
    return findPackageFile(*config.fileTree, viewOf(path));
}

bool readFileRef(ScriptReader& in, const InstallConfig& config, FileNode*& file) {
    TextBuffer path;
    if (!in.text(path)) return false;
    file = resolve(config, path);
    return true;
}

bool addFileRef(ScriptReader& in, InstallConfig& config, FileRef*& list) {
    FileNode* file = nullptr;
    if (!readFileRef(in, config, file)) return false;
    if (file) prepend(list, new FileRef{file, nullptr});
    return true;
}

bool addNamedFile(ScriptReader& in, InstallConfig& config, NamedFile*& list) {
    FileNode* file = nullptr;
    auto entry = new NamedFile;
    if (!readFileRef(in, config, file) || !in.text(entry->name) || !file) {
        delete entry;
        return in.reason() == nullptr;
    }
    entry->file = file;
    prepend(list, entry);
    return true;
}

bool addService(ScriptReader& in, InstallConfig& config) {
    FileNode* file = nullptr;
    std::uint8_t next = 0;
    if (!readFileRef(in, config, file)) return false;
    std::u16string description;
    bool hasDescription = in.peek(next) && next != kEndMarker;
    if (hasDescription && !(in.byte(next) && in.longText(description))) return false;
    if (!file) return true;
    auto entry = new ServiceEntry{file, nullptr, nullptr};
    if (hasDescription) {
        entry->description = new char16_t[description.size() + 1];
        description.copy(entry->description, description.size());
        entry->description[description.size()] = 0;
    }
    prepend(config.services, entry);
    return true;
}

bool addDriverScriptSet(ScriptReader& in, InstallConfig& config) {
    DriverScriptSet set;
    FileNode** slots[] = {&set.installX86, &set.installX64, &set.uninstallX86, &set.uninstallX64};
    for (;;) {
        std::uint8_t index = 0, next = 0;
        FileNode* file = nullptr;
        if (!in.byte(index) || !readFileRef(in, config, file)) return false;
        if (index > 3 || (!file && index >= 2)) {
            in.fail(index > 3 ? "driver script index above 3" : "driver uninstall script missing");
            return false;
        }
        if (file) *slots[index] = file;
        if (!in.peek(next) || next != kCommandMarker) break;
        in.byte(next);
    }
    if (set.installX86 || set.installX64)
        prepend(config.driverScriptSets, new DriverScriptSet(set));
    return true;
}

bool addLicence(ScriptReader& in, InstallConfig& config) {
    std::uint8_t index = 0;
    FileNode* file = nullptr;
    if (!in.byte(index) || !readFileRef(in, config, file)) return false;
    if (file) prepend(config.licenceFiles, new LicenceFile{index, file, nullptr});
    return true;
}

// A bad name record leaves the old name in place rather than a half-read one.
bool readName(ScriptReader& in, TextBuffer& field) {
    TextBuffer name;
    if (!in.text(name)) return false;
    return copyText(field, viewOf(name));
}

bool readOperands(ScriptReader& in, std::uint8_t command, InstallConfig& config) {
    switch (command) {
        case 0:
            return readName(in, config.company);
        case 1:
            return readFileRef(in, config, config.mainApp);
        case 2:
            return readFileRef(in, config, config.uninstaller);
        case 3:
            return addNamedFile(in, config, config.startMenuShortcuts);
        case 4:
            return addNamedFile(in, config, config.desktopMenuEntries);
        case 5:
            return addFileRef(in, config, config.systemFiles);
        case 6:
            return addNamedFile(in, config, config.desktopShortcuts);
        case 7:
            return addService(in, config);
        case 8:
            return addDriverScriptSet(in, config);
        case 9:
            return addLicence(in, config);
        case 10:
            return addFileRef(in, config, config.runEntries);
        case 11:
            return addFileRef(in, config, config.launchAfterInstall);
        case 12:
            return readFileRef(in, config, config.extraProgram);
        default:
            return readName(in, config.product);
    }
}

bool readRecord(ScriptReader& in, InstallConfig& config) {
    std::uint8_t command = 0, marker = 0;
    if (!in.byte(command) || !in.byte(marker)) return false;
    if (marker == kEndMarker) return true;
    if (marker != kCommandMarker) return in.fail("unknown record marker"), false;
    if (command > kLastCommand) return in.fail("unknown command"), false;
    if (!readOperands(in, command, config)) return false;
    std::uint8_t end = 0;
    if (!in.byte(end)) return false;
    if (end != kEndMarker) return in.fail("record without 0x7F terminator"), false;
    return true;
}

}  // namespace

bool parseInstallScript(const std::uint8_t* block, std::size_t available, InstallConfig& config,
                        ScriptStop* stop) {
    if (!config.fileTree) return false;
    clearInstallScript(config);
    if (available < 4) return false;
    std::size_t length = readU32(block);
    ScriptReader in(block, length < available ? length : available);
    while (!in.atEnd()) {
        std::size_t start = in.position();
        if (!readRecord(in, config)) {
            if (stop) *stop = ScriptStop{start, in.reason()};
            return false;
        }
    }
    return true;
}

void clearInstallScript(InstallConfig& config) {
    dropWorkerThread(config);
    for (ServiceEntry* s = config.services; s; s = s->next) delete[] s->description;
    freeList(config.launchAfterInstall);
    freeList(config.runEntries);
    freeList(config.startMenuShortcuts);
    freeList(config.desktopMenuEntries);
    freeList(config.systemFiles);
    freeList(config.desktopShortcuts);
    freeList(config.services);
    freeList(config.driverScriptSets);
    freeList(config.licenceFiles);
    config.mainApp = config.extraProgram = config.uninstaller = nullptr;
}
