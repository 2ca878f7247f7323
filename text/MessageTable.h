// Every text the wizard shows, in the language chosen: 24 slots addressed by message identifier,
// each an owned copy that stays valid until the table is rebuilt.
#pragma once

#include <cstdint>
#include <memory>

enum MessageId : int {
    MSG_SELECT_LANGUAGE = 0,
    MSG_LICENSE_TITLE = 1,
    MSG_INSTALL_PATH = 2,
    MSG_BROWSE = 3,
    MSG_AGREE = 4,
    MSG_DISAGREE = 5,
    MSG_PLUG_DEVICE = 6,
    MSG_PREPARING = 7,
    MSG_INSTALL_COMPLETE = 8,
    MSG_INSTALL_CANCELLED = 9,
    MSG_COPYING_FILE = 10,
    MSG_DELETING_FILE = 11,
    MSG_INSTALLING_DRIVERS = 12,
    MSG_UNINSTALLING_DRIVER = 13,
    MSG_INSTALLING_SERVICE = 14,
    MSG_UNINSTALLING_SERVICE = 15,
    MSG_ERROR_CREATING_FILES = 16,
    MSG_ERROR_DRIVERS = 17,
    MSG_ERROR_SERVICE = 18,
    MSG_CONFIGURING_SERVICE = 19,
    MSG_STOPPING_SERVICE = 20,
    MSG_CANCELLING_SETUP = 21,
    MSG_CONFIRM_CANCEL = 22,
    MSG_PREVIOUS_VERSION = 23,
};

constexpr int kMessageCount = 24;

struct MessageTable {
    std::unique_ptr<char16_t[]> slots[kMessageCount];  // none before the first build
};

extern MessageTable messageTable;

// Replaces every slot with the texts of the language a LANGID selects: 2052 Simplified Chinese,
// 1031 German, 1040 Italian, 1042 Korean, anything else English.
void buildMessageTable(std::uint32_t langId);

// Frees every slot.
void clearMessageTable();

// The text of a slot; none before the first build.
const char16_t* messageText(MessageId id);

// The identifier's own name ("MSG_AGREE"), for tools; none outside 0 to 23.
const char* messageIdentifier(int slot);

// The licence-text index of a LANGID: 0 Chinese, 1 English (every unlisted value), 2 Italian,
// 3 German, 4 Korean.
std::uint8_t languageIndex(std::uint32_t langId);
