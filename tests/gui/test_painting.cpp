// What the window shows on the display: the background picture and the skinned buttons are
// painted, and a disabled button looks unlike an enabled one.
#include <set>

#include "gui_checks.h"

namespace gui {
namespace {

using PaintingTest = SetupTest;

TEST_F(PaintingTest, BackgroundAndSkinArePaintedAndDisabledLooksDifferent) {
    ASSERT_TRUE(launch());
    EXPECT_SCREEN(setup, NOT_INSTALLED_MENU);
    RECT above{}, slot1{}, slot2{};
    GetClientRect(setup.window(), &above);
    MapWindowPoints(setup.window(), nullptr, reinterpret_cast<POINT*>(&above), 2);
    GetWindowRect(setup.control(IDC_SLOT1), &slot1);
    GetWindowRect(setup.control(IDC_SLOT2), &slot2);
    above.bottom = slot1.top;
    auto colours = [](const RECT& area) {
        const std::vector<unsigned> pixels = screen_pixels(area);
        return std::set<unsigned>(pixels.begin(), pixels.end()).size();
    };
    size_t background = 0, skin = 0;
    bool different = false;
    // Painting under Wine reaches the display a little after the window changes.
    EXPECT_TRUE(wait_until([&] {
        background = colours(above);
        skin = colours(slot2);
        different = screen_pixels(slot1) != screen_pixels(slot2);
        return background > 1 && skin > 1 && different;
    })) << background << " colours in the picture above the buttons, " << skin << " on the enabled slot 2, "
        << (different ? "" : "no ") << "difference between disabled slot 1 and slot 2";
}

}  // namespace
}  // namespace gui
