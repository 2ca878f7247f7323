// The wizard's painting on the real GDI+, against the 33 ms timer tick that drives it: a full
// compose (one page, and a cross-fade step drawing two), the dirty repaint after one licence
// scroll step, after a hover change of one button and after one slideshow tick, and an idle
// tick, which must push nothing. Each push goes to a layered window when a display exists.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>

#include "package/ImageBundle.h"
#include "platform/fake/FakeFolderPicker.h"
#include "platform/win32/Win32Drawing.h"
#include "platform/win32/Win32Pictures.h"
#include "platform/win32/Win32WindowHost.h"
#include "text/MessageTable.h"
#include "wizard/Records.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"
#include "wizard/WizardState.h"

namespace {

constexpr double kTickMs = 33.0;

// Counts the pushes on the way to the real drawing.
class CountingDrawing : public platform::Drawing {
public:
    explicit CountingDrawing(platform::Drawing& real) : real_(real) {}
    bool openSurfaces(void* window, int width, int height) override {
        return real_.openSurfaces(window, width, height);
    }
    void closeSurfaces() override { real_.closeSurfaces(); }
    std::unique_ptr<platform::Painter> paint(platform::Surface target) override {
        return real_.paint(target);
    }
    void copyRect(platform::Surface from, platform::Surface to,
                  const platform::Rect& rect) override {
        real_.copyRect(from, to, rect);
    }
    void push(void* window, int x, int y, int width, int height, std::uint8_t alpha) override {
        ++pushes;
        if (pushToWindow) real_.push(window, x, y, width, height, alpha);
    }
    platform::Size measureText(std::u16string_view text, float size, int layoutWidth) override {
        return real_.measureText(text, size, layoutWidth);
    }
    float pathTextWidth(std::u16string_view text, const platform::TextFont& font) override {
        return real_.pathTextWidth(text, font);
    }

    long pushes = 0;
    // Off: what the frame costs to draw, without handing it to the window system.
    bool pushToWindow = true;

private:
    platform::Drawing& real_;
};

// A borderless layered tool window of its own class, shown without taking the focus; none
// without a display.
HWND showLayeredWindow(const wchar_t* className, int x, int y, int width, int height) {
    WNDCLASSEXW type = {};
    type.cbSize = sizeof type;
    type.lpfnWndProc = DefWindowProcW;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = className;
    RegisterClassExW(&type);
    HWND hwnd =
        CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, className, className, WS_POPUP, x, y,
                        width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hwnd) ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    return hwnd;
}

struct Wizard {
    win32::GdiplusSession session;
    win32::Win32Drawing gdiplus;
    CountingDrawing drawing{gdiplus};
    win32::Win32Pictures pictures;
    win32::Win32WindowHost host;
    fake::FakeFolderPicker picker;
    HWND window = nullptr;

    Wizard() {
        platform::os().drawing = &drawing;
        platform::os().pictures = &pictures;
        platform::os().windows = &host;
        platform::os().folders = &picker;
        window = makeWindow();
        windowSurface.window = window;
        windowSurface.windowPos = {40, 40};
        BuildWindowSurface();
        makeWindowGraphics();
        wizardState.windowAlpha = 255;
        loadTexts();
    }
    ~Wizard() {
        DestroyWindowSurface();
        if (window) DestroyWindow(window);
    }

    static HWND makeWindow() {
        return showLayeredWindow(L"BenchWizard", 40, 40, kWindowWidth, kWindowHeight);
    }

    // English texts, a licence of forty paragraphs, the bundle's pictures.
    static void loadTexts() {
        buildMessageTable(1033);
        renewWidgetTexts();
        std::u16string licence;
        for (int i = 0; i < 40; ++i) {
            licence +=
                u"Paragraph of the licence agreement that runs over a whole line of the "
                u"box and wraps onto a second one.\r\n\r\n";
        }
        wizardWidgets.licenceView.setText(licence);
        wizardWidgets.licenceView.scrollOffset = 0;
        wizardWidgets.licenceView.scrolling = true;
        wizardWidgets.pathLabel.setText(u"C:\\Program Files (x86)\\Brenmark\\KorvelServerV6");
        HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(250), L"RES_IMAGE_DATA");
        if (found) {
            auto* bundle =
                static_cast<const std::uint8_t*>(LockResource(LoadResource(nullptr, found)));
            loadImageBundle(bundle, SizeofResource(nullptr, found), *bundlePictures);
        }
        wizardWidgets.progressSlideshow.frames = bundlePictures.get();
    }

    void show(WizardPage page) {
        for (int p = 0; p < kPageCount; ++p) wizardState.pageAlpha[p] = p == page ? 255 : 0;
        wizardState.currentPage = page;
        ComposeFullFrame();
    }
};

Wizard& wizard() {
    static Wizard w;
    return w;
}

void reportPushes(benchmark::State& state, long before) {
    state.counters["pushes/tick"] = double(wizard().drawing.pushes - before) /
                                    double(std::max<std::int64_t>(1, state.iterations()));
}

// One page's full frame; every page is measured (its index is the argument).
void BM_FullComposePage(benchmark::State& state) {
    Wizard& w = wizard();
    w.show(WizardPage(state.range(0)));
    long before = w.drawing.pushes;
    for (auto _ : state) ComposeFullFrame();
    reportPushes(state, before);
}
BENCHMARK(BM_FullComposePage)
    ->Arg(LanguagePage)
    ->Arg(LicencePage)
    ->Arg(DevicePage)
    ->Arg(ProgressPage)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_FullComposeCrossFade(benchmark::State& state) {
    Wizard& w = wizard();
    w.show(LicencePage);
    wizardState.pageAlpha[LicencePage] = 120;
    wizardState.pageAlpha[DevicePage] = 135;
    long before = w.drawing.pushes;
    for (auto _ : state) ComposeFullFrame();
    reportPushes(state, before);
}
BENCHMARK(BM_FullComposeCrossFade)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same step drawn but not pushed: what composing two pages costs on its own.
void BM_CrossFadeDrawingOnly(benchmark::State& state) {
    Wizard& w = wizard();
    w.show(LicencePage);
    wizardState.pageAlpha[LicencePage] = 120;
    wizardState.pageAlpha[DevicePage] = 135;
    w.drawing.pushToWindow = false;
    for (auto _ : state) ComposeFullFrame();
    w.drawing.pushToWindow = true;
}
BENCHMARK(BM_CrossFadeDrawingOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ScrollStepRepaint(benchmark::State& state) {
    Wizard& w = wizard();
    w.show(LicencePage);
    LicenceView& view = wizardWidgets.licenceView;
    long before = w.drawing.pushes;
    for (auto _ : state) {
        // The stepper moves the text one pixel every second tick; each move is one repaint.
        view.scrollStep();
        view.scrollStep();
        RepaintDirtyWidgets();
    }
    reportPushes(state, before);
}
BENCHMARK(BM_ScrollStepRepaint)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same two repaints drawn but not pushed: the share of the window system in the above.
void BM_ScrollStepDrawingOnly(benchmark::State& state) {
    Wizard& w = wizard();
    w.show(LicencePage);
    w.drawing.pushToWindow = false;
    LicenceView& view = wizardWidgets.licenceView;
    for (auto _ : state) {
        view.scrollStep();
        view.scrollStep();
        RepaintDirtyWidgets();
    }
    w.drawing.pushToWindow = true;
}
BENCHMARK(BM_ScrollStepDrawingOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SlideshowTickDrawingOnly(benchmark::State& state) {
    Wizard& w = wizard();
    w.show(ProgressPage);
    w.drawing.pushToWindow = false;
    for (auto _ : state) {
        wizardWidgets.progressSlideshow.dirty = true;
        RepaintDirtyWidgets();
    }
    w.drawing.pushToWindow = true;
}
BENCHMARK(BM_SlideshowTickDrawingOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HoverRepaint(benchmark::State& state) {
    Wizard& w = wizard();
    w.show(LanguagePage);
    ImageButton& english = wizardWidgets.languageButtons[1];
    bool inside = false;
    long before = w.drawing.pushes;
    for (auto _ : state) {
        inside = !inside;
        english.hoverTest(inside ? 240 : 10, inside ? 335 : 10, true);
        RepaintDirtyWidgets();
    }
    reportPushes(state, before);
}
BENCHMARK(BM_HoverRepaint)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_SlideshowTickRepaint(benchmark::State& state) {
    Wizard& w = wizard();
    w.show(ProgressPage);
    long before = w.drawing.pushes;
    for (auto _ : state) {
        wizardWidgets.progressSlideshow.dirty = true;
        RepaintDirtyWidgets();
    }
    reportPushes(state, before);
}
BENCHMARK(BM_SlideshowTickRepaint)->Unit(benchmark::kMillisecond)->UseRealTime();

// The push alone: the whole window, and only a changed 16 x 16 rectangle (what a hover of the
// close button changes).
void BM_PushWhole(benchmark::State& state) {
    Wizard& w = wizard();
    w.show(LanguagePage);
    w.gdiplus.drawDirectly(true);
    long before = w.drawing.pushes;
    for (auto _ : state) PushFrame();
    reportPushes(state, before);
    w.gdiplus.drawDirectly(false);
}
BENCHMARK(BM_PushWhole)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PushSmallChange(benchmark::State& state) {
    Wizard& w = wizard();
    w.show(LanguagePage);
    bool light = false;
    long before = w.drawing.pushes;
    for (auto _ : state) {
        light = !light;
        canvasPainter()->fillRect({512, 7, 16, 16}, light ? 0x40FFFFFF : 0x40000000);
        PushFrame();
    }
    reportPushes(state, before);
}
BENCHMARK(BM_PushSmallChange)->Unit(benchmark::kMillisecond)->UseRealTime();

// A square layered window of its own with a canvas of 32-bit pixels, shown at (x, y), for
// measuring the window system's push apart from the wizard.
class SquareLayeredWindow {
public:
    SquareLayeredWindow(int side, int x, int y) : side_(side), at_{x, y}, size_{side, side} {
        hwnd_ = showLayeredWindow(L"BenchSquare", x, y, side, side);
        if (!hwnd_) return;
        screen_ = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen_);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
        info.bmiHeader.biWidth = side;
        info.bmiHeader.biHeight = -side;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(screen_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        saved_ = SelectObject(dc_, bitmap_);
        pixels_ = static_cast<std::uint32_t*>(bits);
    }
    ~SquareLayeredWindow() {
        if (!hwnd_) return;
        SelectObject(dc_, saved_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
        ReleaseDC(nullptr, screen_);
        DestroyWindow(hwnd_);
    }
    SquareLayeredWindow(const SquareLayeredWindow&) = delete;
    SquareLayeredWindow& operator=(const SquareLayeredWindow&) = delete;

    bool made() const { return hwnd_ && pixels_; }
    HDC screen() const { return screen_; }
    // The square from (x, y) to (x + side, y + side) in one colour.
    void paint(int x, int y, int side, std::uint32_t argb) {
        for (int row = y; row < y + side; ++row) {
            for (int column = x; column < x + side; ++column) pixels_[row * side_ + column] = argb;
        }
    }
    // The canvas to the window; only `dirty` counts as changed when given.
    BOOL push(const RECT* dirty) {
        POINT origin = {0, 0};
        BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        UPDATELAYEREDWINDOWINFO u = {};
        u.cbSize = sizeof u;
        u.hdcDst = screen_;
        u.pptDst = &at_;
        u.psize = &size_;
        u.hdcSrc = dc_;
        u.pptSrc = &origin;
        u.pblend = &blend;
        u.dwFlags = ULW_ALPHA;
        u.prcDirty = dirty;
        return UpdateLayeredWindowIndirect(hwnd_, &u);
    }

private:
    int side_;
    POINT at_;
    SIZE size_;
    HWND hwnd_ = nullptr;
    HDC screen_ = nullptr, dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ saved_ = nullptr;
    std::uint32_t* pixels_ = nullptr;
};

// A push of a 16 x 16 change to a layered window of `side` x `side` pixels: if the cost grows
// with the window while the change stays the same, the window system copies the whole window
// on every push, whatever the dirty rectangle says.
void BM_PushToWindowOfSide(benchmark::State& state) {
    const int side = int(state.range(0));
    SquareLayeredWindow window(side, 0, 0);
    if (!window.made()) {
        state.SkipWithError("no window (no display)");
        return;
    }
    window.paint(0, 0, side, 0xFF202020);
    window.push(nullptr);
    RECT dirty = {0, 0, 16, 16};
    std::uint32_t shade = 0xFF404040;
    for (auto _ : state) {
        shade ^= 0x00202020;
        window.paint(0, 0, 16, shade);
        window.push(&dirty);
    }
}
BENCHMARK(BM_PushToWindowOfSide)
    ->Arg(64)
    ->Arg(256)
    ->Arg(538)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Whether the window system takes only the dirty rectangle of UpdateLayeredWindowIndirect: a
// layered window shows red, its whole canvas turns blue, and only a corner is pushed as dirty.
// Honoured: the screen shows blue in the corner and red elsewhere.
const char* dirtyRectangleHonoured() {
    SquareLayeredWindow window(64, 600, 400);
    if (!window.made()) return "not measured (no display)";
    window.paint(0, 0, 64, 0xFFFF0000);
    window.push(nullptr);
    window.paint(0, 0, 64, 0xFF0000FF);
    RECT corner = {0, 0, 8, 8};
    BOOL pushed = window.push(&corner);
    GdiFlush();
    Sleep(200);
    COLORREF inside = GetPixel(window.screen(), 602, 402);
    COLORREF outside = GetPixel(window.screen(), 640, 440);
    static char answer[160];
    bool blueInside = inside == RGB(0, 0, 255), redOutside = outside == RGB(255, 0, 0);
    std::snprintf(answer, sizeof answer, "%s (call %s; screen inside %06lx, outside %06lx)",
                  !pushed                    ? "unknown"
                  : blueInside && redOutside ? "yes"
                  : blueInside               ? "no: the whole canvas went to the screen"
                                             : "unclear",
                  pushed ? "succeeded" : "failed", static_cast<unsigned long>(inside),
                  static_cast<unsigned long>(outside));
    return answer;
}

void BM_IdleTick(benchmark::State& state) {
    Wizard& w = wizard();
    w.show(LanguagePage);
    wizardState.fullComposePending = false;
    long before = w.drawing.pushes;
    // Nothing moved: the stepper reports no change and no compose is pending.
    for (auto _ : state) paintTick(false);
    reportPushes(state, before);
}
BENCHMARK(BM_IdleTick)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Prints each benchmark's time as a share of the tick after the table.
class TickReporter : public benchmark::ConsoleReporter {
public:
    TickReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            double ms = run.GetAdjustedRealTime(), cpu = run.GetAdjustedCPUTime();
            if (run.time_unit == benchmark::kMicrosecond) {
                ms /= 1000;
                cpu /= 1000;
            }
            double pushes = 0;
            auto it = run.counters.find("pushes/tick");
            if (it != run.counters.end()) pushes = it->second;
            results_[run.benchmark_name()] = {ms, cpu, pushes};
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void printRatio(const char* label, const char* name, const char* goal) const {
        auto it = results_.find(name);
        if (it == results_.end()) return;
        // Wall time counts what a busy machine takes away; CPU time is the program's own.
        const Result& r = it->second;
        std::printf(
            "%-44s %6.3f of the tick wall (%.2f ms), %5.3f cpu (%.2f ms), %.0f push%s%s%s\n", label,
            r.ms / kTickMs, r.ms, r.cpu / kTickMs, r.cpu, r.pushes, r.pushes == 1 ? "" : "es",
            goal[0] ? "; goal " : "", goal);
    }

private:
    struct Result {
        double ms = 0, cpu = 0, pushes = 0;
    };
    std::map<std::string, Result> results_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    std::printf("wizard painting under GDI+, pushes %s\n",
                wizard().window ? "to a layered window" : "without a window (no display)");
    TickReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatio("full compose, language page:", "BM_FullComposePage/0/real_time", "< 0.25");
    reporter.printRatio("full compose, licence page:", "BM_FullComposePage/1/real_time", "< 0.25");
    reporter.printRatio("full compose, device page:", "BM_FullComposePage/2/real_time", "< 0.25");
    reporter.printRatio("full compose, progress page:", "BM_FullComposePage/3/real_time", "< 0.25");
    reporter.printRatio(
        "full compose, cross-fade of two pages:", "BM_FullComposeCrossFade/real_time", "< 0.25");
    reporter.printRatio("  the same, drawn but not pushed:", "BM_CrossFadeDrawingOnly/real_time",
                        "");
    reporter.printRatio(
        "dirty repaint after a licence scroll step:", "BM_ScrollStepRepaint/real_time", "< 0.05");
    reporter.printRatio("  the same, drawn but not pushed:", "BM_ScrollStepDrawingOnly/real_time",
                        "");
    reporter.printRatio("dirty repaint after a hover change:", "BM_HoverRepaint/real_time",
                        "< 0.25");
    reporter.printRatio(
        "dirty repaint after a slideshow tick:", "BM_SlideshowTickRepaint/real_time", "< 0.10");
    reporter.printRatio(
        "  the same, drawn but not pushed:", "BM_SlideshowTickDrawingOnly/real_time", "");
    reporter.printRatio("idle tick:", "BM_IdleTick/real_time", "no push");
    reporter.printRatio("push of the whole window:", "BM_PushWhole/real_time", "");
    reporter.printRatio("push after a 16 x 16 change:", "BM_PushSmallChange/real_time", "");
    reporter.printRatio("16 x 16 change, window of 64 x 64:", "BM_PushToWindowOfSide/64/real_time",
                        "");
    reporter.printRatio(
        "16 x 16 change, window of 256 x 256:", "BM_PushToWindowOfSide/256/real_time", "");
    reporter.printRatio(
        "16 x 16 change, window of 538 x 538:", "BM_PushToWindowOfSide/538/real_time", "");
    std::printf("UpdateLayeredWindowIndirect's dirty rectangle honoured: %s\n",
                dirtyRectangleHonoured());
    benchmark::Shutdown();
    return 0;
}
