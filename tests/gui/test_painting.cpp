// What the window shows on the display: the background picture exactly as the program holds it,
// every enabled button skinned with its caption over the skin, and a disabled one as bare
// background.
#include <algorithm>

#include "gui_checks.h"

namespace gui {
namespace {

using PaintingTest = SetupTest;

// The background picture as setup.exe holds it, converted for the display as the program's own
// copy is; empty when it cannot be read.
std::vector<unsigned> picture_pixels(const std::string& program, int* width) {
    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HBITMAP picture = static_cast<HBITMAP>(LoadImageA(module, MAKEINTRESOURCEA(IDB_BACKGROUND), IMAGE_BITMAP, 0, 0, 0));
    BITMAP size{};
    GetObjectA(picture, sizeof size, &size);
    *width = size.bmWidth;
    std::vector<unsigned> pixels;
    if (picture != nullptr) pixels = bitmap_pixels(picture, size.bmWidth, size.bmHeight);
    DeleteObject(picture);
    FreeLibrary(module);
    return pixels;
}

RECT window_rect(HWND control) {
    RECT area{};
    GetWindowRect(control, &area);
    return area;
}

// Over the buttons the picture is cut from the top of the window down to the first slot. An
// enabled button is mostly skin, which is nowhere the background's black, and its caption is
// white strokes, which the skin nowhere is, drawn straight on the skin rather than on a light box
// of their own; a disabled one is nothing but the background. A held button shows its caption
// near-black.
TEST_F(PaintingTest, PictureSkinAndCaptionsAreWhereTheyBelong) {
    ASSERT_TRUE(launch());
    EXPECT_SCREEN(setup, NOT_INSTALLED_MENU);
    int picture_width = 0;
    const std::vector<unsigned> picture = picture_pixels(join(disc_dir(), "setup.exe"), &picture_width);
    ASSERT_FALSE(picture.empty()) << "the background picture cannot be read from setup.exe";
    RECT above{};
    GetClientRect(setup.window(), &above);
    MapWindowPoints(setup.window(), nullptr, reinterpret_cast<POINT*>(&above), 2);
    above.right = std::min(above.right, above.left + picture_width);
    above.bottom = window_rect(setup.control(IDC_SLOT1)).top;
    const int width = above.right - above.left;

    const auto faults = [&] {
        std::string found;
        const std::vector<unsigned> shown = screen_pixels(above);
        for (size_t i = 0; i < shown.size() && found.empty(); ++i)
            if (shown[i] != picture[i / width * picture_width + i % width])
                found = "the picture differs first at (" + std::to_string(i % width) + "," +
                        std::to_string(i / width) + ");";
        for (int slot : {IDC_SLOT1, IDC_SLOT2, IDC_SLOT4, IDC_SLOT5}) {
            const std::vector<unsigned> face = screen_pixels(window_rect(setup.control(slot)));
            const auto black = static_cast<size_t>(std::count(face.begin(), face.end(), 0u));
            const bool white = std::count(face.begin(), face.end(), 0xFFFFFFu) > 0;
            const auto light = static_cast<size_t>(std::count_if(face.begin(), face.end(), [](unsigned c) {
                return (c & 0xE0E0E0u) == 0xE0E0E0u;
            }));
            if (face.empty() || (slot != IDC_SLOT1 ? black * 2 > face.size() || !white || light * 8 > face.size()
                                                   : black != face.size()))
                found += " slot " + std::to_string(slot) + ": " + std::to_string(black) + " of " +
                         std::to_string(face.size()) + " pixels black, " + std::to_string(light) + " light, " +
                         (white ? "" : "no ") + "white caption;";
        }
        return found;
    };
    // Painting under Wine reaches the display a little after the window changes.
    std::string found;
    wait_until([&] { return (found = faults()).empty(); });
    EXPECT_EQ("", found);

    // A held button shows its pressed skin with a near-black caption: no white stroke is left.
    ASSERT_TRUE(PostMessageA(setup.control(IDC_SLOT2), BM_SETSTATE, TRUE, 0));
    const auto pressed = [&] {
        const std::vector<unsigned> face = screen_pixels(window_rect(setup.control(IDC_SLOT2)));
        return std::count(face.begin(), face.end(), 0x0A0A0Au) > 0 && std::count(face.begin(), face.end(), 0xFFFFFFu) == 0;
    };
    EXPECT_TRUE(wait_until(pressed)) << "no near-black caption on the pressed skin";
}

}  // namespace
}  // namespace gui
