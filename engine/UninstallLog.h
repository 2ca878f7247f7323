// The record of everything an installation changed, kept in memory while it runs and saved as
// uninstall.log, so that a cancel, a failure or a later installation can undo it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/Text.h"

// Stored in files: the numbers must never change.
enum LogRecordType : std::uint8_t {
    LOG_FILE = 0,
    LOG_REGISTRY_KEY = 2,
    LOG_DRIVER_SCRIPT = 3,
    LOG_SERVICE = 4,
    LOG_DESKTOP_SHORTCUT = 7,
    LOG_START_MENU_SHORTCUT = 8,
    LOG_DESKTOP_MENU = 9,
    LOG_SYSTEM_FILE = 10,
    LOG_SERVICE_STARTED = 16,
    LOG_FOLDER = 19,
    LOG_UNINSTALL_ENTRY = 20,
    LOG_RUN_ENTRY = 22,
    // The product the installation belongs to: the package's identity block
    // (package/ProductIdentity.h), written first. Earlier installers wrote none and skip it;
    // a log without one is the demo product's. Undoing it does nothing.
    LOG_PRODUCT_IDENTITY = 24,
    // For whom the installation was made, written right after the identity: "per-machine " or
    // "per-user " and the account that ran it ("DOMAIN\name"). Per-machine, its shortcuts lie
    // in every user's folders and its Run values in HKLM, so any account's removal finds them;
    // per-user, they belong to that account's profile and HKCU. Undoing it does nothing.
    LOG_INSTALL_SCOPE = 25,
    // A Run value of HKLM (a per-machine installation): the command, as LOG_RUN_ENTRY.
    LOG_MACHINE_RUN_ENTRY = 26,
};

struct LogRecord {
    std::uint8_t type = 0;
    std::vector<std::uint8_t> data;  // exactly `length` bytes
    LogRecord* prev = nullptr;
    LogRecord* next = nullptr;
};

struct UninstallLog {
    TextBuffer root{};
    TextBuffer company{};
    TextBuffer product{};
    LogRecord* first = nullptr;
    LogRecord* last = nullptr;
    LogRecord* cursor = nullptr;

    UninstallLog() = default;
    UninstallLog(const UninstallLog&) = delete;
    UninstallLog& operator=(const UninstallLog&) = delete;
    ~UninstallLog();
};

// Copies the bytes into a new last record. Always true.
bool appendRecord(UninstallLog& log, std::uint8_t type, const void* data, std::size_t length);
// Takes back the last record: a step records what it is about to change before it changes it
// (memory may run out in between) and drops the record when the change did not happen.
void dropLastRecord(UninstallLog& log);
// A text record: the UTF-16 units and their terminator.
bool appendText(UninstallLog& log, std::uint8_t type, std::u16string_view text);
// LOG_REGISTRY_KEY: the root's 32-bit value, then the key path.
bool appendRegistryKey(UninstallLog& log, std::uint32_t root, std::u16string_view path);

// Appends LOG_FILE for the log file itself, then writes the whole log in one write.
bool saveLog(UninstallLog& log, const char16_t* path);

// Where a damaged log stopped being read; offset in the file.
struct LogDamage {
    bool truncated = false;
    std::size_t offset = 0;
};

// The largest uninstall.log read: 16 MiB. The longest record is 525 bytes, so this holds some
// 32,000 records of the longest paths, hundreds of times what any installation writes; a file
// found on disk that is larger is refused by its size before anything is read, instead of
// becoming one heap record per five bytes.
constexpr std::size_t kMaxLogBytes = 16u * 1024 * 1024;

// Replaces the records with the file's. False when the file cannot be read, is larger than
// kMaxLogBytes, or a header text
// is damaged (unterminated or over 259 units). A record that runs past the end of the file
// ends the load there: the records before it are kept and `damage` tells where.
bool loadLog(UninstallLog& log, const char16_t* path, LogDamage* damage = nullptr);
bool parseLog(UninstallLog& log, const std::uint8_t* bytes, std::size_t size,
              LogDamage* damage = nullptr);

void freeLog(UninstallLog& log);

// A record's data as a text: even length, terminated, at most 259 units before the terminator.
// False for anything else, so a damaged record is never acted on as a different path.
bool recordText(const LogRecord& record, TextBuffer& text, std::size_t skip = 0);
// LOG_REGISTRY_KEY data.
bool recordRegistryKey(const LogRecord& record, std::uint32_t& root, TextBuffer& path);

// The type's name (LOG_FILE ...), or none for a type the log never writes.
const char* logRecordTypeName(std::uint8_t type);
