
#include "wizard/InstallerInit.h"

#include <new>
#include <vector>

#include "common/Text.h"
#include "package/ImageBundle.h"
#include "package/Package.h"
#include "platform/FileSystem.h"
#include "platform/Resources.h"
#include "startup/PackageFacts.h"
#include "startup/Settings.h"
#include "text/MessageTable.h"
#include "wizard/Records.h"
#include "wizard/Widgets.h"

namespace {

// Far more text than anyone reads in the licence view; a larger file is not shown.
constexpr std::size_t kMaxLicenceBytes = std::size_t(64) << 20;

// A worker still running reads the configuration: it must end before the package goes.
void waitForWorker(InstallConfig& config) {
    if (!config.workerThread) return;
    config.running = false;
    config.workerThread->waitServingMessages();
    config.workerThread.reset();
}

void loadPackageResource(InstallConfig& config) {
    waitForWorker(config);
    platform::ResourceView view;
    // A missing package loads as a rejected one: nothing, not the previous language's.
    platform::resources().lock(kPackageResource, u"RES_DATA", view);
    loadPackage(view.data, view.size, config);
    platform::resources().release(view);
}

void decodeBundle() {
    platform::ResourceView view;
    if (platform::resources().lock(kImageBundleResource, u"RES_IMAGE_DATA", view)) {
        loadImageBundle(view.data, view.size, *bundlePictures);
        platform::resources().release(view);
    }
}

void loadPicturesResource() {
    wizardWidgets.progressSlideshow.frames = bundlePictures.get();
    bundleWaiting = !widgetGraphics;
    if (!bundleWaiting) decodeBundle();
}

const LicenceFile* chooseLicence(const LicenceFile* head, std::uint8_t index) {
    for (const LicenceFile* l = head; l; l = l->next) {
        if (l->languageIndex == index) return l;
    }
    for (const LicenceFile* l = head; l; l = l->next) {
        if (l->languageIndex == 1) return l;
    }
    return head;
}

void setLicenceText(const InstallConfig& config, std::uint32_t langId) {
    const LicenceFile* licence = chooseLicence(config.licenceFiles, languageIndex(langId));
    if (!licence || !licence->file) return;
    // A licence too large for memory (a package can carry up to 1600 MiB), or a compressed one
    // that does not decode, is not shown; the installation itself writes the file from the
    // package and needs no copy of it.
    try {
        std::vector<std::uint8_t> bytes;
        bool read = readPackageFile(*licence->file, bytes, kMaxLicenceBytes);
        wizardWidgets.licenceView.setText(read ? licenceTextOf(bytes.data(), bytes.size()) : u"");
    } catch (const std::bad_alloc&) {
        wizardWidgets.licenceView.setText(u"");
    }
}

void setDefaultRoot(TextBuffer& root) {
    if (settings) {
        std::u16string_view base = viewOf(settings->installBase);
        if (!copyText(root, base.substr(0, kTextUnits - 1))) root[0] = u'\0';
        return;
    }
    std::u16string folder;
    root[0] = u'\0';
    if (platform::files().specialFolder(platform::SpecialFolder::ProgramFiles, folder)) {
        copyText(root, folder);
    }
}

void setFolderLabel(const InstallConfig& config, const TextBuffer& root) {
    std::u16string_view company = config.fileTree ? viewOf(config.company) : std::u16string_view();
    // Shown whole: the label clips what does not fit, a cut text would name another folder.
    std::u16string label = std::u16string(viewOf(root)) + u"\\" + std::u16string(company) + u"\\" +
                           std::u16string(viewOf(config.product));
    wizardWidgets.pathLabel.setText(label);
}

}  // namespace

std::u16string licenceTextOf(const std::uint8_t* contents, std::size_t size) {
    std::u16string text;
    if (!contents) return text;
    for (std::size_t at = 2; at + 1 < size; at += 2) {
        char16_t c = readU16(contents + at);
        if (c == u'\0') break;
        text.push_back(c);
    }
    return text;
}

void decodeWaitingPictures() {
    if (!bundleWaiting || !bundlePictures) return;
    bundleWaiting = false;
    decodeBundle();
}

void initInstaller(std::uint32_t langId) {
    buildMessageTable(langId);
    renewWidgetTexts();
    loadPackageResource(*installConfig);
    loadPicturesResource();
    workerParameter.language = langId;
    setLicenceText(*installConfig, langId);
    setDefaultRoot(workerParameter.installRoot);
    setFolderLabel(*installConfig, workerParameter.installRoot);
}
