#include "text/MessageTable.h"

#include <algorithm>

#include "common/Text.h"
#include "text/MessageTableTexts.h"

MessageTable messageTable;

namespace {

constexpr const char* kIdentifiers[kMessageCount] = {
    "MSG_SELECT_LANGUAGE",
    "MSG_LICENSE_TITLE",
    "MSG_INSTALL_PATH",
    "MSG_BROWSE",
    "MSG_AGREE",
    "MSG_DISAGREE",
    "MSG_PLUG_DEVICE",
    "MSG_PREPARING",
    "MSG_INSTALL_COMPLETE",
    "MSG_INSTALL_CANCELLED",
    "MSG_COPYING_FILE",
    "MSG_DELETING_FILE",
    "MSG_INSTALLING_DRIVERS",
    "MSG_UNINSTALLING_DRIVER",
    "MSG_INSTALLING_SERVICE",
    "MSG_UNINSTALLING_SERVICE",
    "MSG_ERROR_CREATING_FILES",
    "MSG_ERROR_DRIVERS",
    "MSG_ERROR_SERVICE",
    "MSG_CONFIGURING_SERVICE",
    "MSG_STOPPING_SERVICE",
    "MSG_CANCELLING_SETUP",
    "MSG_CONFIRM_CANCEL",
    "MSG_PREVIOUS_VERSION",
};

std::unique_ptr<char16_t[]> ownedCopy(const char16_t* text) {
    std::size_t length = textLength(text);
    auto copy = std::make_unique<char16_t[]>(length + 1);
    std::copy(text, text + length + 1, copy.get());
    return copy;
}

}  // namespace

void clearMessageTable() {
    for (auto& slot : messageTable.slots) slot.reset();
}

void buildMessageTable(std::uint32_t langId) {
    clearMessageTable();
    messageTable.slots[MSG_SELECT_LANGUAGE] = ownedCopy(u"Select Language:");
    const char16_t* const* texts = languageTexts(langId);
    for (int i = 0; i < kLanguageTexts; ++i) messageTable.slots[i + 1] = ownedCopy(texts[i]);
}

const char16_t* messageText(MessageId id) {
    return id >= 0 && id < kMessageCount ? messageTable.slots[id].get() : nullptr;
}

const char* messageIdentifier(int slot) {
    return slot >= 0 && slot < kMessageCount ? kIdentifiers[slot] : nullptr;
}

std::uint8_t languageIndex(std::uint32_t langId) {
    switch (langId) {
        case 2052:
            return 0;
        case 1040:
            return 2;
        case 1031:
            return 3;
        case 1042:
            return 4;
        default:
            return 1;
    }
}
