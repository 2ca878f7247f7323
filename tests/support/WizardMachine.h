// The whole wizard on a fake machine: the engine's fakes, a recording canvas, a window host that
// only records, resources with the shipped-shape package and a picture bundle, a USB bus to plug
// the touch device into, and a status channel that delivers the worker's messages to the page
// flow as the window would. Ticks are delivered while the timer runs; a posted close destroys
// the window and gives the exit status.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/fake/FakeCodepage.h"
#include "platform/fake/FakeFolderPicker.h"
#include "platform/fake/FakeLogFile.h"
#include "platform/fake/FakePictures.h"
#include "platform/fake/FakeResources.h"
#include "platform/fake/FakeUsbBus.h"
#include "platform/fake/FakeWindowHost.h"
#include "platform/fake/FakeXmlFiles.h"
#include "platform/fake/RecordingDrawing.h"
#include "tests/support/FakeMachine.h"

namespace testpkg {

inline const std::u16string kSetupFolder = u"C:\\Downloads";
inline const std::u16string kScriptIni = kSetupFolder + u"\\script.ini";
inline void* const kWizardWindow = reinterpret_cast<void*>(0x5E7);

// The worker's messages as SendMessageW delivers them: handled on the window side before the
// worker goes on. A worker on a real thread waits in send() until the window thread served
// its message from its loop (serve()), as the real window procedure does.
class WindowChannel : public platform::StatusChannel {
public:
    void send(std::uint32_t code, const char16_t* text) override;
    // On the window thread: handles every message waiting now. True when there was one.
    bool serve();
    // Messages are queued for the window thread instead of handled at once.
    bool queued = false;
    // Runs after the page flow handled a message (a click between two messages, say).
    std::function<void(std::uint32_t code)> afterMessage;
    std::vector<std::uint32_t> codes;
    // Every text the status label showed, in order.
    std::vector<std::u16string> statusLines;

private:
    struct Message {
        std::uint32_t code;
        std::vector<std::uint8_t> bytes;
        bool handled = false;
    };
    void deliver(Message& m);
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Message*> waiting_;
};

// Worker threads that are real threads, whose wait on the window thread serves the window's
// sent messages meanwhile.
class ServingThreads : public platform::Threads {
public:
    explicit ServingThreads(WindowChannel& channel) : channel_(channel) {}
    std::unique_ptr<platform::ThreadHandle> start(std::function<void()> body) override;

private:
    WindowChannel& channel_;
};

class WizardMachine {
public:
    // `realThreads`: the worker runs on a thread of its own and talks to the window through
    // the queue; otherwise it runs inside the call that starts it.
    explicit WizardMachine(bool realThreads = false);
    ~WizardMachine();

    // Writes script.ini next to the executable before the start.
    void settingsFile(const std::string& xml);
    // The process entry as far as it is portable: command line, settings, log, first state,
    // surface, decision. When the command line ends the run at once (usage), the machine is
    // closed with that exit status.
    void start(std::u16string_view commandLine = {});

    // One timer tick, if the timer runs (and a second of the silent device wait, if it runs); then
    // a posted close is handled as WM_CLOSE is, which destroys the window unless an installation
    // runs.
    void tick();
    // Ticks until the window is gone or `limit` ticks passed; the number of ticks taken.
    int runUntilClosed(int limit = 5000);
    // Ticks until `done` holds (checked before each tick) or `limit` ticks passed.
    bool tickUntil(const std::function<bool()>& done, int limit = 500);

    // WM_ENDSESSION as the window procedure handles it: the window is destroyed when the page
    // flow says so. True when it was.
    bool endSession(bool ending);

    void click(int x, int y);
    void plugTouchDevice();
    void unplug();

    // The setup log as written so far (empty when none was opened).
    std::string logText() const;

    bool closed() const { return closed_; }
    int exitStatus() const { return exitStatus_; }
    const std::vector<std::u16string>& statusLines() const { return window.statusLines; }

    FakeMachine machine;
    fake::RecordingDrawing drawing;
    fake::FakeWindowHost host;
    fake::FakeResources resources;
    fake::FakePictures pictures;
    fake::FakeUsbBus usb;
    fake::FakeFolderPicker picker;
    fake::FakeCodepage codepage;
    fake::FakeXmlFiles xml;
    fake::FakeLogFile log{machine.files};
    WindowChannel window;
    ServingThreads servingThreads{window};

private:
    void destroyIfClosePosted();

    int closesHandled_ = 0;
    bool closed_ = false;
    int exitStatus_ = -1;
};

// A PNG file header of the given size: enough for the fake decoder.
std::vector<std::uint8_t> pngOfSize(unsigned width, unsigned height);

}  // namespace testpkg
