// What the window shows on the display: the background picture and the skinned buttons are
// painted, and a disabled button looks unlike an enabled one.
#include <set>

#include "gui_checks.h"

namespace gui {
namespace {

class PaintingTest : public SetupTest {};

std::set<unsigned> colours(const std::vector<unsigned>& pixels) { return {pixels.begin(), pixels.end()}; }

TEST_F(PaintingTest, BackgroundAndSkinArePaintedAndDisabledLooksDifferent) {
    ASSERT_TRUE(launch());
    EXPECT_SCREEN(setup, NOT_INSTALLED_MENU);
    RECT client{}, slot1{}, slot2{};
    GetClientRect(setup.window(), &client);
    MapWindowPoints(setup.window(), nullptr, reinterpret_cast<POINT*>(&client), 2);
    GetWindowRect(setup.control(IDC_SLOT1), &slot1);
    GetWindowRect(setup.control(IDC_SLOT2), &slot2);
    client.bottom = slot1.top;

    Capture capture;
    size_t background = 0, skin = 0;
    bool different = false;
    // Painting under Wine reaches the display a little after the window changes.
    EXPECT_TRUE(wait_until([&] {
        if (!setup.painted() || !capture_window(setup.window(), &capture)) return false;
        background = colours(pixels_in(capture, client)).size();
        skin = colours(pixels_in(capture, slot2)).size();
        different = pixels_in(capture, slot1) != pixels_in(capture, slot2);
        return background > 1 && skin > 1 && different;
    })) << background << " colours in the picture above the buttons, " << skin << " on the enabled slot 2, "
        << (different ? "" : "no ") << "difference between disabled slot 1 and slot 2";
}

}  // namespace
}  // namespace gui
