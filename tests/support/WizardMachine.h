// The whole wizard on a fake machine: the engine's fakes, a recording canvas, a window host that
// only records, resources with the shipped-shape package and a picture bundle, a USB bus to plug
// the touch device into, and a status channel that delivers the worker's messages to the page
// flow as the window would. Ticks are delivered while the timer runs; a posted close destroys
// the window and gives the exit status.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake/FakeCodepage.h"
#include "platform/fake/FakeFolderPicker.h"
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
// worker goes on. With a worker on a real thread, the window side serves them from its loop.
class WindowChannel : public platform::StatusChannel {
public:
    void send(std::uint32_t code, const char16_t* text) override;
    // Runs after the page flow handled a message (a click between two messages, say).
    std::function<void(std::uint32_t code)> afterMessage;
    std::vector<std::uint32_t> codes;
    // Every text the status label showed, in order.
    std::vector<std::u16string> statusLines;
};

class WizardMachine {
public:
    WizardMachine();
    ~WizardMachine();

    // Writes script.ini next to the executable before the start.
    void settingsFile(const std::string& xml);
    // The process entry as far as it is portable: settings, first state, surface, decision.
    void start();

    // One timer tick, if the timer runs; then a posted close destroys the window.
    void tick();
    // Ticks until the window is gone or `limit` ticks passed; the number of ticks taken.
    int runUntilClosed(int limit = 5000);
    // Ticks until `done` holds (checked before each tick) or `limit` ticks passed.
    bool tickUntil(const std::function<bool()>& done, int limit = 500);

    void click(int x, int y);
    void plugTouchDevice();
    void unplug();

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
    WindowChannel window;

private:
    void destroyIfClosePosted();

    int closesHandled_ = 0;
    bool closed_ = false;
    int exitStatus_ = -1;
};

// A PNG file header of the given size: enough for the fake decoder.
std::vector<std::uint8_t> pngOfSize(unsigned width, unsigned height);

}  // namespace testpkg
