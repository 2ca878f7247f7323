#include "engine/UninstallLog.h"

#include <cstring>
#include <memory>

#include "platform/FileSystem.h"

UninstallLog::~UninstallLog() {
    freeLog(*this);
}

bool appendRecord(UninstallLog& log, std::uint8_t type, const void* data, std::size_t length) {
    auto owned = std::make_unique<LogRecord>();
    owned->type = type;
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    if (length) owned->data.assign(bytes, bytes + length);
    LogRecord* record = owned.release();
    record->prev = log.last;
    if (log.last) {
        log.last->next = record;
    } else {
        log.first = record;
    }
    log.last = record;
    if (!log.cursor) log.cursor = record;
    return true;
}

void dropLastRecord(UninstallLog& log) {
    LogRecord* record = log.last;
    if (!record) return;
    log.last = record->prev;
    if (log.last) {
        log.last->next = nullptr;
    } else {
        log.first = nullptr;
    }
    if (log.cursor == record) log.cursor = log.last;
    delete record;
}

namespace {

void putText(std::vector<std::uint8_t>& out, std::u16string_view text) {
    for (char16_t c : text) {
        out.push_back(std::uint8_t(c));
        out.push_back(std::uint8_t(c >> 8));
    }
    out.push_back(0);
    out.push_back(0);
}

// A header text: at most 259 units and a terminator inside the file.
bool readHeaderText(const std::uint8_t* bytes, std::size_t size, std::size_t& pos,
                    TextBuffer& out) {
    for (std::size_t n = 0; n < kTextUnits; ++n) {
        if (size - pos < 2) return false;
        out[n] = readU16(bytes + pos);
        pos += 2;
        if (out[n] == 0) return true;
    }
    out[0] = 0;
    return false;
}

}  // namespace

bool appendText(UninstallLog& log, std::uint8_t type, std::u16string_view text) {
    std::vector<std::uint8_t> data;
    putText(data, text);
    return appendRecord(log, type, data.data(), data.size());
}

bool appendRegistryKey(UninstallLog& log, std::uint32_t root, std::u16string_view path) {
    std::vector<std::uint8_t> data;
    for (int i = 0; i < 4; ++i) data.push_back(std::uint8_t(root >> (8 * i)));
    putText(data, path);
    return appendRecord(log, LOG_REGISTRY_KEY, data.data(), data.size());
}

bool saveLog(UninstallLog& log, const char16_t* path) {
    appendText(log, LOG_FILE, viewOf(path));
    std::vector<std::uint8_t> file;
    putText(file, viewOf(log.root));
    putText(file, viewOf(log.company));
    putText(file, viewOf(log.product));
    for (const LogRecord* r = log.first; r; r = r->next) {
        auto length = std::uint32_t(r->data.size());
        file.push_back(r->type);
        for (int i = 0; i < 4; ++i) file.push_back(std::uint8_t(length >> (8 * i)));
        file.insert(file.end(), r->data.begin(), r->data.end());
    }
    // A short write leaves a log that would undo only part of the installation: say so.
    return platform::files().writeFile(path, file.data(), file.size()) ==
           platform::WriteResult::Written;
}

bool parseLog(UninstallLog& log, const std::uint8_t* bytes, std::size_t size, LogDamage* damage) {
    freeLog(log);
    std::size_t pos = 0;
    if (!readHeaderText(bytes, size, pos, log.root) ||
        !readHeaderText(bytes, size, pos, log.company) ||
        !readHeaderText(bytes, size, pos, log.product)) {
        return false;
    }
    while (pos < size) {
        std::uint32_t length = 0;
        if (size - pos < 5 || (length = readU32(bytes + pos + 1), size - pos - 5 < length)) {
            if (damage) *damage = LogDamage{true, pos};
            break;
        }
        appendRecord(log, bytes[pos], bytes + pos + 5, length);
        pos += 5 + std::size_t(length);
    }
    log.cursor = log.first;
    return true;
}

bool loadLog(UninstallLog& log, const char16_t* path, LogDamage* damage) {
    freeLog(log);
    std::vector<std::uint8_t> bytes;
    if (!platform::files().readFile(path, bytes, kMaxLogBytes)) return false;
    return parseLog(log, bytes.data(), bytes.size(), damage);
}

void freeLog(UninstallLog& log) {
    for (LogRecord* r = log.first; r;) {
        LogRecord* next = r->next;
        delete r;
        r = next;
    }
    log.first = log.last = log.cursor = nullptr;
}

bool recordText(const LogRecord& record, TextBuffer& text, std::size_t skip) {
    text[0] = 0;
    if (record.data.size() < skip) return false;
    std::size_t bytes = record.data.size() - skip;
    std::size_t units = bytes / 2;
    if (bytes % 2 != 0 || units == 0 || units > kTextUnits) return false;
    const std::uint8_t* p = record.data.data() + skip;
    for (std::size_t i = 0; i < units; ++i) text[i] = readU16(p + 2 * i);
    if (text[units - 1] != 0 || textLength(text, units) != units - 1) {
        text[0] = 0;
        return false;
    }
    return true;
}

bool recordRegistryKey(const LogRecord& record, std::uint32_t& root, TextBuffer& path) {
    if (record.data.size() < 4) return false;
    root = readU32(record.data.data());
    return recordText(record, path, 4);
}

const char* logRecordTypeName(std::uint8_t type) {
    switch (type) {
        case LOG_FILE:
            return "LOG_FILE";
        case LOG_REGISTRY_KEY:
            return "LOG_REGISTRY_KEY";
        case LOG_DRIVER_SCRIPT:
            return "LOG_DRIVER_SCRIPT";
        case LOG_SERVICE:
            return "LOG_SERVICE";
        case LOG_DESKTOP_SHORTCUT:
            return "LOG_DESKTOP_SHORTCUT";
        case LOG_START_MENU_SHORTCUT:
            return "LOG_START_MENU_SHORTCUT";
        case LOG_DESKTOP_MENU:
            return "LOG_DESKTOP_MENU";
        case LOG_SYSTEM_FILE:
            return "LOG_SYSTEM_FILE";
        case LOG_SERVICE_STARTED:
            return "LOG_SERVICE_STARTED";
        case LOG_FOLDER:
            return "LOG_FOLDER";
        case LOG_UNINSTALL_ENTRY:
            return "LOG_UNINSTALL_ENTRY";
        case LOG_RUN_ENTRY:
            return "LOG_RUN_ENTRY";
        case LOG_PRODUCT_IDENTITY:
            return "LOG_PRODUCT_IDENTITY";
        case LOG_INSTALL_SCOPE:
            return "LOG_INSTALL_SCOPE";
        case LOG_MACHINE_RUN_ENTRY:
            return "LOG_MACHINE_RUN_ENTRY";
        default:
            return nullptr;
    }
}
