// The wizard over fakes: a recording drawing, picture resources of the sizes the pages use,
// recorded timers and a scripted folder chooser. The process-wide wizard records start fresh
// for every test and are torn down after it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fake/FakeFolderPicker.h"
#include "platform/fake/FakePictures.h"
#include "platform/fake/FakeWindowHost.h"
#include "platform/fake/FaultPlan.h"
#include "platform/fake/RecordingDrawing.h"

namespace wizfake {

using Bytes = std::vector<std::uint8_t>;

// The header of a PNG file of the size; `tag` makes the bytes distinct.
inline Bytes png(std::uint32_t width, std::uint32_t height, std::uint8_t tag = 0) {
    Bytes b = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
    for (std::uint32_t v : {width, height}) {
        for (int shift = 24; shift >= 0; shift -= 8) b.push_back(std::uint8_t(v >> shift));
    }
    b.push_back(tag);
    return b;
}

// The headers of a bitmap file of the size.
inline Bytes bmp(std::uint32_t width, std::uint32_t height, std::uint8_t tag = 0) {
    Bytes b = {'B', 'M'};
    b.resize(18, 0);
    for (std::uint32_t v : {width, height}) {
        for (int shift = 0; shift < 32; shift += 8) b.push_back(std::uint8_t(v >> shift));
    }
    b.resize(54, tag);
    return b;
}

class WizardTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Every picture resource the pages load, at the sizes of the shipped ones.
    void addPageResources();
    // BuildWindowSurface with the resources, then forgets what the build recorded.
    void build();
    // Only `page` shows, at `alpha`.
    void show(int page, std::uint8_t alpha = 255);

    // The recorded operations of the given kinds, as strings.
    std::vector<std::string> ops(std::initializer_list<fake::DrawOp::Kind> kinds) const {
        return drawing.lines(kinds);
    }

    fake::RecordingDrawing drawing;
    fake::FakePictures pictures;
    fake::FakeWindowHost host;
    fake::FakeFolderPicker picker;

private:
    platform::Platform saved_;
    bool built_ = false;
};

}  // namespace wizfake
