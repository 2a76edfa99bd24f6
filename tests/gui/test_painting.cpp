// What the window really shows on the display: disabled buttons are bare black, enabled ones
// carry the skin and their caption, the labels are plain white text on a near-black box.
#include <cstdio>

#include "gui_checks.h"
#include "resource.h"

namespace gui {
namespace {

constexpr unsigned BLACK = 0x000000;
constexpr unsigned LABEL_BOX = 0x0A0A0A;

unsigned red(unsigned pixel) { return (pixel >> 16) & 0xFF; }
unsigned green(unsigned pixel) { return (pixel >> 8) & 0xFF; }
unsigned blue(unsigned pixel) { return pixel & 0xFF; }
bool is_grey(unsigned pixel) { return red(pixel) == green(pixel) && green(pixel) == blue(pixel); }
bool is_white(unsigned pixel) { return is_grey(pixel) && red(pixel) >= 0xF0; }

// How many pixels of an area satisfy a predicate.
template <class Predicate>
int count(const Capture& capture, const RECT& area, Predicate predicate) {
    int matching = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (predicate(capture.at(x, y))) ++matching;
    return matching;
}

int size_of(const RECT& area) { return (area.right - area.left) * (area.bottom - area.top); }

class PaintingTest : public SetupTest {
protected:
    // Captures the window until a check on it holds (painting under Wine reaches the display a
    // little after the window changes), and reports the last capture's failure at the caller.
    template <class Check>
    void expect_painted(const char* file, int line, const char* what, Check check) {
        Capture capture;
        std::string why;
        const bool ok = wait_until([&] {
            why = "no capture";
            return capture_window(setup.window(), &capture) && check(capture, &why);
        }, 5000);
        if (!ok) ADD_FAILURE_AT(file, line) << what << ": " << why;
    }

    // A control shows as bare black: disabled or hidden, it gets only the background brush.
    auto bare(int id) {
        HWND control = setup.control(id);
        return [control, id](const Capture& capture, std::string* why) {
            const RECT area = control_area(capture, control);
            const int black = count(capture, area, [](unsigned pixel) { return pixel == BLACK; });
            char text[160];
            std::snprintf(text, sizeof text, "control %d: %d of %d pixels black", id, black, size_of(area));
            *why = text;
            return size_of(area) > 0 && black == size_of(area);
        };
    }

    // A skinned button: the skin covers its whole face and its caption is drawn in white.
    auto skinned(int id) {
        HWND control = setup.control(id);
        return [control, id](const Capture& capture, std::string* why) {
            const RECT area = control_area(capture, control);
            const int black = count(capture, area, [](unsigned pixel) { return pixel == BLACK; });
            const int white = count(capture, area, is_white);
            char text[160];
            std::snprintf(text, sizeof text, "control %d: %d black and %d white of %d pixels", id, black, white,
                          size_of(area));
            *why = text;
            return size_of(area) > 0 && black < size_of(area) / 4 && white > 0;
        };
    }

    // A label: only black, the near-black text box, and white (with grey edges) text; no skin.
    auto label(int id) {
        HWND control = setup.control(id);
        return [control, id](const Capture& capture, std::string* why) {
            const RECT area = control_area(capture, control);
            const int grey = count(capture, area, is_grey);
            const int box = count(capture, area, [](unsigned pixel) { return pixel == LABEL_BOX; });
            const int white = count(capture, area, is_white);
            const bool corner_black = size_of(area) > 0 && capture.at(area.left, area.top) == BLACK &&
                                      capture.at(area.right - 1, area.bottom - 1) == BLACK;
            char text[200];
            std::snprintf(text, sizeof text,
                          "control %d: %d grey, %d near-black box and %d white of %d pixels, corners %s", id, grey,
                          box, white, size_of(area), corner_black ? "black" : "not black");
            *why = text;
            return size_of(area) > 0 && grey == size_of(area) && box > 0 && white > 0 && corner_black;
        };
    }
};

#define EXPECT_PAINTED(what, check) expect_painted(__FILE__, __LINE__, what, check)

TEST_F(PaintingTest, NotInstalledMenuShowsNothingWhereSlotOneLies) {
    ASSERT_TRUE(launch(""));
    EXPECT_SCREEN(setup, not_installed_menu());
    EXPECT_PAINTED("disabled slot 1", bare(IDC_SLOT1));
    EXPECT_PAINTED("slot 2", skinned(IDC_SLOT2));
    EXPECT_PAINTED("slot 5", skinned(IDC_SLOT5));
}

TEST_F(PaintingTest, RemoveScreenShowsOnlySlotsTwoAndFive) {
    ASSERT_TRUE(launch("remove"));
    EXPECT_SCREEN(setup, remove_screen());
    EXPECT_PAINTED("slot 1", bare(IDC_SLOT1));
    EXPECT_PAINTED("slot 3", bare(IDC_SLOT3));
    EXPECT_PAINTED("slot 4", bare(IDC_SLOT4));
    EXPECT_PAINTED("slot 2", skinned(IDC_SLOT2));
    EXPECT_PAINTED("slot 5", skinned(IDC_SLOT5));
}

TEST_F(PaintingTest, DirectoryPromptIsAPlainLabel) {
    ASSERT_TRUE(launch(""));
    EXPECT_SCREEN(setup, not_installed_menu());
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    EXPECT_SCREEN(setup, directory_screen(default_directory()));
    EXPECT_PAINTED("prompt label", label(IDC_PROMPT_LABEL));
    EXPECT_PAINTED("Ok", skinned(IDC_DIR_OK));
    EXPECT_PAINTED("Cancel", skinned(IDC_DIR_CANCEL));
}

TEST_F(PaintingTest, TypeScreenShowsDisabledTypesAsBlack) {
    ASSERT_TRUE(launch(""));
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    EXPECT_SCREEN(setup, directory_screen(default_directory()));
    ASSERT_TRUE(setup.click(IDC_DIR_OK));
    EXPECT_SCREEN(setup, type_screen());
    EXPECT_PAINTED("slot 1", bare(IDC_SLOT1));
    EXPECT_PAINTED("slot 3", bare(IDC_SLOT3));
    EXPECT_PAINTED("slot 2", skinned(IDC_SLOT2));
}

}  // namespace
}  // namespace gui
