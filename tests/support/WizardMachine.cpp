#include "tests/support/WizardMachine.h"

#include "engine/SetupLog.h"

#include <thread>

#include "run/DeviceWait.h"
#include "run/RunEnd.h"
#include "run/RunStart.h"
#include "run/SessionEnd.h"
#include "run/WorkerLife.h"
#include "startup/Settings.h"
#include "tests/support/ShippedPackage.h"
#include "text/MessageTable.h"
#include "wizard/Animation.h"
#include "wizard/PointerInput.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"

namespace testpkg {

namespace {

std::vector<std::uint8_t> bytesWithTerminator(const char16_t* text) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; text[i]; ++i) {
        out.push_back(std::uint8_t(text[i] & 0xFF));
        out.push_back(std::uint8_t(text[i] >> 8));
    }
    out.insert(out.end(), {0, 0});
    return out;
}

void put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(std::uint8_t(x >> (8 * i)));
}

std::vector<std::uint8_t> bmpOfSize(unsigned width, unsigned height) {
    std::vector<std::uint8_t> b = {'B', 'M'};
    b.resize(18, 0);
    put32(b, width);
    put32(b, height);
    return b;
}

std::vector<std::uint8_t> bundleOf(int pictures) {
    std::vector<std::uint8_t> bundle;
    put32(bundle, std::uint32_t(pictures));
    for (int i = 0; i < pictures; ++i) {
        std::vector<std::uint8_t> picture = pngOfSize(536, 304);
        put32(bundle, std::uint32_t(picture.size()));
        bundle.insert(bundle.end(), picture.begin(), picture.end());
    }
    return bundle;
}

}  // namespace

std::vector<std::uint8_t> pngOfSize(unsigned width, unsigned height) {
    std::vector<std::uint8_t> b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A,
                                   0,    0,   0,   13,  'I',  'H',  'D',  'R'};
    for (unsigned v : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back(std::uint8_t(v >> shift));
    }
    return b;
}

void WindowChannel::send(std::uint32_t code, const char16_t* text) {
    Message m{code, text ? bytesWithTerminator(text) : std::vector<std::uint8_t>{}};
    if (!queued) {
        deliver(m);
        return;
    }
    std::unique_lock<std::mutex> lock(mutex_);
    waiting_.push_back(&m);
    changed_.notify_all();
    changed_.wait(lock, [&m] { return m.handled; });
}

bool WindowChannel::serve() {
    // Only what waits now: a worker that queues its next message while this one is handled
    // would otherwise run its whole installation inside one call, however busy the machine is,
    // and a test could never act between two of its messages.
    std::size_t now = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        now = waiting_.size();
    }
    bool any = false;
    for (; now > 0; --now) {
        Message* m = nullptr;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (waiting_.empty()) return any;
            m = waiting_.front();
            waiting_.pop_front();
        }
        deliver(*m);
        any = true;
        std::lock_guard<std::mutex> lock(mutex_);
        m->handled = true;
        changed_.notify_all();
    }
    return any;
}

void WindowChannel::deliver(Message& m) {
    codes.push_back(m.code);
    onWorkerStatus(m.code, m.bytes.empty() ? nullptr : m.bytes.data(), m.bytes.size());
    const std::u16string& status = wizardWidgets.statusLabel.text;
    if (statusLines.empty() || statusLines.back() != status) statusLines.push_back(status);
    if (afterMessage) afterMessage(m.code);
}

namespace {

class ServingHandle : public platform::ThreadHandle {
public:
    ServingHandle(std::function<void()> body, WindowChannel& channel) : channel_(channel) {
        thread_ = std::thread([this, body = std::move(body)] {
            body();
            ended_ = true;
        });
    }
    ~ServingHandle() override {
        if (thread_.joinable()) thread_.detach();
    }
    void wait() override {
        if (thread_.joinable()) thread_.join();
    }
    void waitServingMessages() override {
        while (!ended_.load()) {
            if (!channel_.serve()) std::this_thread::yield();
        }
        wait();
    }

private:
    WindowChannel& channel_;
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

}  // namespace

std::unique_ptr<platform::ThreadHandle> ServingThreads::start(std::function<void()> body) {
    return std::make_unique<ServingHandle>(std::move(body), channel_);
}

WizardMachine::WizardMachine(bool realThreads) {
    platform::Platform& os = platform::os();
    if (realThreads) {
        os.threads = &servingThreads;
        window.queued = true;
    }
    os.drawing = &drawing;
    os.windows = &host;
    os.resources = &resources;
    os.pictures = &pictures;
    os.usb = &usb;
    os.folders = &picker;
    os.codepage = &codepage;
    os.xml = &xml;
    os.log = &log;
    resources.add(199, u"RES_DATA", shippedPackage());
    resources.add(250, u"RES_IMAGE_DATA", bundleOf(5));
    for (int id : {200, 207, 210, 226, 229, 239}) {
        pictures.addResource(id, u"PNG", id == 200 ? pngOfSize(536, 304) : pngOfSize(60, 16));
    }
    pictures.addResource(204, u"BMP", bmpOfSize(536, 304));
    pictures.addResource(236, u"BMP", bmpOfSize(536, 304));
    usb.addController(0, u"ROOT_HUB_0");
    machine.files.addFolder(kSetupFolder);
    // The setup log's default folder.
    std::u16string folder;
    for (std::u16string_view part :
         {u"C:\\Users", u"\\Admin", u"\\AppData", u"\\Local", u"\\Temp"}) {
        folder += part;
        machine.files.addFolder(folder);
    }
    // The product's panel keeps running once launched and closes on request.
    fake::FakeProcesses::Behaviour panel;
    panel.runsForMs = fake::FakeProcesses::kHangs;
    panel.windows = 1;
    machine.processes.program(u"C:\\Program Files\\Brenmark\\KorvelServerV6\\KorvelPanel.exe",
                              panel);
    fake::faults().clear();
}

WizardMachine::~WizardMachine() {
    if (windowSurface.open && !closed_) onDestroy();
    settings.reset();
    clearMessageTable();
    closeSetupLog();
}

std::string WizardMachine::logText() const {
    auto it = log.written.find(u"C:\\Users\\Admin\\AppData\\Local\\Temp\\KorvelServerV6-setup.log");
    return it == log.written.end() ? std::string() : it->second;
}

void WizardMachine::settingsFile(const std::string& xmlText) {
    machine.files.addFile(kScriptIni, std::vector<std::uint8_t>(xmlText.begin(), xmlText.end()));
}

void WizardMachine::start(std::u16string_view commandLine) {
    int early = prepareWizard(kSetupFolder + u"\\setup.exe", commandLine);
    if (early != kRunGoesOn) {
        exitStatus_ = early;
        closed_ = true;
        return;
    }
    startWizard(kWizardWindow, &window);
    destroyIfClosePosted();
}

void WizardMachine::destroyIfClosePosted() {
    while (!closed_ && host.closesPosted > closesHandled_) {
        ++closesHandled_;
        // WM_CLOSE reaches the window procedure, which destroys the window only when allowed.
        if (!onCloseRequest()) continue;
        exitStatus_ = onDestroy();
        closed_ = true;
    }
}

void WizardMachine::tick() {
    if (closed_) return;
    window.serve();
    if (host.timers.count(kWizardTimer)) onTimer();
    if (host.timers.count(kDeviceWaitTimer)) {
        machine.clock.advance(kDeviceWaitTickMs);
        onDeviceWaitTimer();
    }
    window.serve();
    destroyIfClosePosted();
}

int WizardMachine::runUntilClosed(int limit) {
    int ticks = 0;
    while (!closed_ && ticks < limit) {
        tick();
        ++ticks;
    }
    return ticks;
}

bool WizardMachine::tickUntil(const std::function<bool()>& done, int limit) {
    for (int i = 0; i < limit; ++i) {
        if (done()) return true;
        tick();
    }
    return done();
}

bool WizardMachine::endSession(bool ending) {
    if (closed_ || !onEndSession(ending)) return false;
    exitStatus_ = onDestroy();
    closed_ = true;
    return true;
}

void WizardMachine::click(int x, int y) {
    onMouseDown(x, y);
    onMouseUp(x, y);
    destroyIfClosePosted();
}

void WizardMachine::plugTouchDevice() {
    usb.addController(0, u"ROOT_HUB_0").device(1, 0xAAEC, 0x0001);
}

void WizardMachine::unplug() {
    usb.addHub(u"ROOT_HUB_0").ports.erase(1);
}

}  // namespace testpkg
