#include "wizard/StatusLines.h"

#include <algorithm>

#include "common/Text.h"
#include "engine/StatusCode.h"
#include "text/MessageTable.h"
#include "text/RemovalMessages.h"

namespace {

// A sender can claim any size; more than a path and a message never reaches the label.
constexpr std::size_t kMaxWorkerUnits = 32768;

std::u16string message(MessageId id) {
    const char16_t* text = messageText(id);
    return text ? std::u16string(text) : std::u16string();
}

StatusEffect line(MessageId id, const std::u16string& text, const char16_t* separator) {
    return {StatusEffect::StatusLine, message(id) + separator + text, u""};
}

StatusEffect box(MessageId caption, const std::u16string& text) {
    const char16_t* title = messageText(caption);
    return {StatusEffect::ErrorBox, text, title ? title : u""};
}

}  // namespace

std::u16string workerText(const std::uint8_t* bytes, std::size_t size) {
    std::u16string text;
    if (!bytes) return text;
    std::size_t units = std::min(size / 2, kMaxWorkerUnits);
    for (std::size_t i = 0; i < units; ++i) {
        char16_t c = readU16(bytes + 2 * i);
        if (c == u'\0') break;
        text.push_back(c);
    }
    return text;
}

StatusEffect statusEffect(std::uint32_t code, const std::u16string& text, std::uint32_t langId) {
    switch (code) {
        case ST_COPYING_FILE:
            return line(MSG_COPYING_FILE, text, u"\r\n");
        case ST_DELETING_FILE:
            return line(MSG_DELETING_FILE, text, u"\r\n");
        case ST_INSTALLING_DRIVER:
            return line(MSG_INSTALLING_DRIVERS, text, u"\r\n");
        case ST_INSTALLING_SERVICE:
            return line(MSG_INSTALLING_SERVICE, text, u" \r\n");
        case ST_UNINSTALLING_DRIVER:
            return line(MSG_UNINSTALLING_DRIVER, text, u"\r\n");
        case ST_REMOVING_SERVICE:
            return line(MSG_UNINSTALLING_SERVICE, text, u"\r\n");
        case ST_FILE_ERROR:
            return box(MSG_ERROR_CREATING_FILES, text);
        case ST_DRIVER_ERROR:
            return box(MSG_ERROR_DRIVERS, text);
        case ST_SERVICE_ERROR:
            return box(MSG_ERROR_SERVICE, text);
        case ST_CANCELLED:
            return {StatusEffect::StatusLine, message(MSG_INSTALL_CANCELLED), u""};
        case ST_COMPLETE:
            return {StatusEffect::StatusLine, message(MSG_INSTALL_COMPLETE), u""};
        case ST_STARTING_SERVICE:
            return line(MSG_CONFIGURING_SERVICE, text, u"\r\n");
        case ST_STOPPING_SERVICE:
            return line(MSG_STOPPING_SERVICE, text, u"\r\n");
        case ST_WORKER_DONE:
            return {StatusEffect::WorkerDone, {}, u""};
        case ST_PREVIOUS_VERSION:
            return line(MSG_PREVIOUS_VERSION, text, u"\r\n");
        case ST_PREVIOUS_VERSION_LEFT:
            return box(MSG_PREVIOUS_VERSION, removalIncomplete(langId, text));
        case ST_NAME_TAKEN:
        case ST_NEWER_VERSION:
            return box(MSG_INSTALL_CANCELLED, text);
        default:
            return {};
    }
}
