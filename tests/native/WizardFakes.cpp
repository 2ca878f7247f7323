#include "WizardFakes.h"

#include "text/MessageTable.h"
#include "wizard/Animation.h"
#include "wizard/DisplayScale.h"
#include "wizard/Records.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"

namespace wizfake {

void WizardTest::SetUp() {
    fake::faults().clear();
    saved_ = platform::os();
    platform::os().drawing = &drawing;
    platform::os().pictures = &pictures;
    platform::os().windows = &host;
    platform::os().folders = &picker;
    wizardState = WizardState{};
    windowSurface = WindowSurface{};
    clickActions = ClickActions{};
    startupDecision = nullptr;
    pageShown = nullptr;
    timerMissing = nullptr;
    workerParameter = WorkerParameter{};
    setDisplayDpi(kDesignDpi);
}

void WizardTest::TearDown() {
    if (built_) DestroyWindowSurface();
    releaseWidgets();
    releaseInstallRecords();
    clearMessageTable();
    wizardState = WizardState{};
    windowSurface = WindowSurface{};
    clickActions = ClickActions{};
    startupDecision = nullptr;
    pageShown = nullptr;
    timerMissing = nullptr;
    setDisplayDpi(kDesignDpi);
    platform::os() = saved_;
    fake::faults().clear();
}

void WizardTest::addPageResources() {
    pictures.addResource(204, u"BMP", bmp(536, 304, 1));
    pictures.addResource(236, u"BMP", bmp(536, 304, 2));
    pictures.addResource(200, u"PNG", png(536, 304, 3));
    for (int id : {207, 210, 229, 226, 239}) pictures.addResource(id, u"PNG", png(60, 16, id));
}

void WizardTest::build() {
    addPageResources();
    windowSurface.window = reinterpret_cast<void*>(0x5EED);
    windowSurface.windowPos = {100, 50};
    ASSERT_TRUE(BuildWindowSurface());
    // As the window is shown.
    makeWindowGraphics();
    built_ = true;
    drawing.clear();
}

void WizardTest::show(int page, std::uint8_t alpha) {
    for (int p = 0; p < kPageCount; ++p) wizardState.pageAlpha[p] = p == page ? alpha : 0;
    wizardState.currentPage = WizardPage(page);
}

}  // namespace wizfake
