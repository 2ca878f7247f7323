// The keyboard's focus ring drawn by the real GDI+: absent until a key was used, a bright line
// two pixels outside the focused button's frame afterwards, and wiped by the dirty repaint once
// the focus moved on.
#include "WizardHarness.h"
#include "wizard/KeyboardFocus.h"
#include "wizard/Surface.h"
#include "wizard/Widgets.h"

namespace wiz {
namespace {

constexpr std::uint32_t kBody = 0x3B7EC0;

class FocusRing : public WizardSurface {};

TEST_F(FocusRing, TheFocusedButtonIsRingedOnlyOnceAKeyWasUsed) {
    applyLanguage(1033);
    ImageButton& agree = wizardWidgets.agreeButton;
    agree.focused = true;
    // Agree's frame is (362, 343) 81 x 24: its ring's top line is row 341, from x 360 to 445.
    const platform::Rect ringTop{360, 341, 86, 1};
    const platform::Rect ringLeft{360, 341, 1, 29};
    composePage(LicencePage);
    EXPECT_EQ(pixelsUnlike(ringTop, kBody), 0) << "the mouse alone: no ring";
    EXPECT_EQ(pixelsUnlike(ringLeft, kBody), 0);

    focusRingsShown = true;
    composePage(LicencePage);
    EXPECT_GT(brightest(ringTop), 3 * 240);
    EXPECT_GT(brightest(ringLeft), 3 * 240);
    EXPECT_EQ(pixelsUnlike({360, 339, 86, 1}, kBody), 0) << "nothing beyond the ring";

    // The focus moves on: the dirty repaint restores the ring's area and redraws the button.
    agree.focused = false;
    agree.dirty = true;
    RepaintDirtyWidgets();
    EXPECT_EQ(pixelsUnlike(ringTop, kBody), 0);
    EXPECT_EQ(pixelsUnlike(ringLeft, kBody), 0);
    EXPECT_GT(brightest({362, 343, 81, 1}), 3 * 140) << "the frame itself is back";
}

}  // namespace
}  // namespace wiz
