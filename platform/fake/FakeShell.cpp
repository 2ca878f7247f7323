#include "platform/fake/FakeShell.h"

#include <cstdlib>

#include "common/Text.h"
#include "platform/fake/FakeFileSystem.h"
#include "platform/fake/FaultPlan.h"

namespace fake {

namespace {
constexpr std::string_view kMagic = "fake-shell-link\n";

bool validFileName(std::u16string_view name) {
    if (name.empty()) return false;
    for (char16_t c : name) {
        if (c < 32 || std::u16string_view(u"<>:\"/|?*").find(c) != std::u16string_view::npos) {
            return false;
        }
    }
    return true;
}
}  // namespace

bool FakeShell::initializeCom() {
    if (faults().shouldFail("coInitialize")) return false;
    ++comDepth_;
    return true;
}

void FakeShell::uninitializeCom() {
    faults().shouldFail("coUninitialize");
    --comDepth_;
}

platform::LinkSave FakeShell::saveLink(const char16_t* target, const char16_t* fileName) {
    if (comDepth_ <= 0) ++savesWithoutCom_;
    if (faults().shouldFail("createShellLink")) return platform::LinkSave::NoLinkObject;
    if (faults().shouldFail("queryPersistFile")) return platform::LinkSave::NoPersistFile;
    std::u16string_view file = viewOf(fileName);
    if (faults().shouldFail("saveLink", utf16ToUtf8(file)) || !validFileName(fileNameOf(file))) {
        return platform::LinkSave::SaveFailed;
    }
    std::string text = std::string(kMagic) + utf16ToUtf8(viewOf(target)) + "\n5\n";
    auto result =
        files_.writeFile(fileName, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    return result == platform::WriteResult::Written ? platform::LinkSave::Saved
                                                    : platform::LinkSave::SaveFailed;
}

bool FakeShell::loadLink(const char16_t* fileName, std::u16string& target, int& showCmd) {
    if (faults().shouldFail("loadLink", utf16ToUtf8(viewOf(fileName)))) return false;
    std::vector<std::uint8_t> bytes = files_.contents(std::u16string(viewOf(fileName)));
    std::string text(bytes.begin(), bytes.end());
    if (!files_.hasFile(std::u16string(viewOf(fileName))) || !text.starts_with(kMagic)) {
        return false;
    }
    std::size_t end = text.find('\n', kMagic.size());
    if (end == std::string::npos) return false;
    target = utf8ToUtf16(text.substr(kMagic.size(), end - kMagic.size()));
    showCmd = std::atoi(text.c_str() + end + 1);
    return true;
}

}  // namespace fake
