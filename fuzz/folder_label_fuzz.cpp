// The folder chooser's answer, whatever path it holds, becomes the installation root and the
// path label: the root is the path without a trailing backslash, and the label is one of its
// three forms.
#include <cstddef>
#include <cstdint>
#include <string>

#include "package/FileTree.h"
#include "platform/fake/FakeFolderPicker.h"
#include "platform/fake/RecordingDrawing.h"
#include "wizard/FolderBrowser.h"
#include "wizard/Records.h"
#include "wizard/Widgets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fake::RecordingDrawing drawing;
    static fake::FakeFolderPicker picker;
    platform::os().drawing = &drawing;
    platform::os().folders = &picker;
    drawing.clear();
    picker.titles.clear();
    if (!installConfig) createInstallRecords();
    if (size < 1) return 0;

    // First byte: the choice, whether a file tree is loaded, the company name's length; then
    // the path.
    static PackageRoot tree;
    auto choice = platform::FolderChoice(data[0] % 3);
    installConfig->fileTree = data[0] & 0x80 ? &tree : nullptr;
    std::u16string path;
    for (std::size_t i = 1; i + 1 < size; i += 2)
        path.push_back(char16_t(data[i] | data[i + 1] << 8));
    copyText(installConfig->company, std::u16string(data[0] / 3 % 64, u'c'));
    copyText(installConfig->product, u"KorvelServerV6");
    copyText(workerParameter.installRoot, u"C:\\before");
    wizardWidgets.pathWidthLimit = 480;
    wizardWidgets.pathLabel.setText(u"before");

    picker.answer(choice, path);
    browseForInstallRoot();

    std::u16string root(viewOf(workerParameter.installRoot));
    const std::u16string& label = wizardWidgets.pathLabel.text;
    if (choice != platform::FolderChoice::Chosen) {
        if (root != u"C:\\before" || label != u"before") __builtin_trap();
        return 0;
    }
    // What the chooser's 260-unit buffer held, up to its first NUL, less a trailing backslash.
    std::u16string expected = path.substr(0, kTextUnits - 1);
    expected = expected.substr(0, expected.find(u'\0'));
    if (!expected.empty() && expected.back() == u'\\') expected.pop_back();
    if (root != expected) __builtin_trap();
    std::u16string company =
        installConfig->fileTree ? std::u16string(viewOf(installConfig->company)) : u"";
    std::u16string tail = u"\\" + company + u"\\KorvelServerV6";
    if (label != root + tail && label != u".." + tail && label != u"..\\..\\KorvelServerV6") {
        __builtin_trap();
    }
    return 0;
}
