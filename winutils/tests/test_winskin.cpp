// Skinned buttons, drawn into a memory bitmap and checked pixel by pixel.
//
// Every pixel of the 12 x 36 test skin has its own colour, so each target pixel tells exactly which
// skin pixel was copied onto it. A case's expectation is one column map and one row map: target
// column x shows skin column columns[x], target row y skin row cell_row + rows[y].
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "Handles.h"
#include "Winskin.h"

namespace {

const int cell_height = 12;
const int border = 4;
const std::uint32_t untouched_colour = 0x00ABCDEF;
typedef std::vector<int> axis;

std::uint32_t skin_colour(int x, int y) {
    return 0x00100000u | static_cast<std::uint32_t>(x + 1) << 8 | static_cast<std::uint32_t>(y + 1);
}

// A 32-bit top-down DIB section, so that pixels can be read and written directly.
struct test_bitmap {
    WINUTILS_GDI_OBJECT<HBITMAP> bitmap;
    std::uint32_t* bits = nullptr;
    int width, height;

    test_bitmap(int w, int h) : width(w), height(h) {
        BITMAPINFO info = {};
        info.bmiHeader = {sizeof info.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* pixels = nullptr;
        bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
        if (bitmap) bits = static_cast<std::uint32_t*>(pixels);
    }
    std::uint32_t at(int x, int y) const {
        GdiFlush();
        return bits[y * width + x] & 0x00FFFFFFu;
    }
};

// The button's client area shows the skin cell at cell_row through the two maps, and nothing
// outside it was drawn. With no maps, every drawn pixel is black.
::testing::AssertionResult shows_cell(const test_bitmap& target, const axis& columns, const axis& rows, int cell_row) {
    const int width = static_cast<int>(columns.size());
    const int height = static_cast<int>(rows.size());
    for (int y = 0; y < target.height; ++y)
        for (int x = 0; x < target.width; ++x) {
            std::uint32_t expected = untouched_colour;
            if (x < width && y < height) expected = skin_colour(columns[x], cell_row + rows[y]);
            if (width == 0 && target.at(x, y) == 0) expected = 0;
            if (target.at(x, y) != expected)
                return ::testing::AssertionFailure() << "target pixel (" << x << "," << y << ") is 0x" << std::hex
                                                     << target.at(x, y) << ", expected 0x" << expected;
        }
    return ::testing::AssertionSuccess();
}

const UINT button_id = 1002;

class SkinButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, skin.bits);
        ASSERT_NE(nullptr, target.bits);
        for (int y = 0; y < skin.height; ++y)
            for (int x = 0; x < skin.width; ++x) skin.bits[y * skin.width + x] = skin_colour(x, y);
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        button = CreateWindowExA(0, "BUTTON", "Install", WS_CHILD | BS_OWNERDRAW, 30, 40, 20, 16, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(button_id)), nullptr, nullptr);
        ASSERT_NE(nullptr, button);
    }
    void TearDown() override { DestroyWindow(parent); }

    // The item the system would pass for a button of this size, drawing into the target. Its
    // rectangle is deliberately wrong: the drawing must use the control's own client area.
    BOOL8 draw_button(int width, int height, UINT state, HBITMAP with_skin) {
        MoveWindow(button, 30, 40, width, height, FALSE);
        GdiFlush();
        for (int i = 0; i < target.width * target.height; ++i) target.bits[i] = untouched_colour;
        WINUTILS_MEMORY_DC dc(CreateCompatibleDC(nullptr));
        WINUTILS_SELECTED_OBJECT selection(dc.get(), target.bitmap.get());
        const DRAWITEMSTRUCT item = {ODT_BUTTON, button_id, 0, ODA_DRAWENTIRE, state, button, dc.get(), {3, 3, 9, 9}, 0};
        return WINSKIN_draw_windows_button(parent, &item, border, with_skin);
    }

    test_bitmap skin{12, 36};
    test_bitmap target{40, 40};
    HWND parent = nullptr;
    HWND button = nullptr;
};

// The state picks the cell; corners are copied once, edges and centre tiled from the start of
// their piece, a last tile whole even where it reaches into the far border, and a middle smaller
// than one tile copied once at its own size. A middle of nothing draws nothing over the borders.
TEST_F(SkinButtonTest, StateAndSizeChooseTheCellAndTheTiling) {
    const axis whole_20 = {0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7, 4, 5, 6, 7, 8, 9, 10, 11};
    const axis whole_16 = {0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7, 8, 9, 10, 11};
    const axis none = {0, 1, 2, 3, 8, 9, 10, 11};
    const axis narrow = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11};
    const axis overhang = {0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7, 10, 11};
    const struct {
        const char* label;
        UINT state;
        int cell_row;
        axis columns, rows;  // their lengths give the button's size
    } cases[] = {
        {"normal", 0, 0, whole_20, whole_16},
        {"focused", ODS_FOCUS, cell_height, whole_20, whole_16},
        {"pressed", ODS_SELECTED, 2 * cell_height, whole_20, whole_16},
        {"pressed and focused", ODS_SELECTED | ODS_FOCUS, 2 * cell_height, whole_20, whole_16},
        {"no middle column", 0, 0, none, whole_16},
        {"no middle row", 0, 0, whole_16, none},
        {"middle narrower than a tile", ODS_FOCUS, cell_height, narrow, whole_16},
        {"middle smaller than a tile", 0, 0, narrow, narrow},
        {"last column overhangs", 0, 0, overhang, whole_16},
        {"last row overhangs", 0, 0, whole_16, overhang},
        {"both overhang", ODS_SELECTED, 2 * cell_height, overhang, overhang},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(TRUE, draw_button(static_cast<int>(c.columns.size()), static_cast<int>(c.rows.size()), c.state,
                                    skin.bitmap.get()));
        EXPECT_TRUE(shows_cell(target, c.columns, c.rows, c.cell_row));
        // The skin was given back, or the next draw could not select it.
        WINUTILS_MEMORY_DC dc(CreateCompatibleDC(nullptr));
        EXPECT_TRUE(WINUTILS_SELECTED_OBJECT(dc.get(), skin.bitmap.get()).selected());
    }
}

// A skin that failed to load is null and has no size: the tiling must still end, and anything
// drawn comes from the memory context's own one-pixel black bitmap.
TEST_F(SkinButtonTest, WithoutASkinTheButtonStaysBlack) {
    EXPECT_EQ(TRUE, draw_button(20, 16, ODS_SELECTED, nullptr));
    EXPECT_TRUE(shows_cell(target, {}, {}, 0));
}

}  // namespace
