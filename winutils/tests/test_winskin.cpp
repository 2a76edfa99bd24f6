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

const std::uint32_t untouched = 0x00ABCDEF;
typedef std::vector<int> axis;

std::uint32_t skin_colour(int x, int y) { return 0x00100000u | static_cast<std::uint32_t>((x + 1) << 8 | (y + 1)); }

// A 32-bit top-down DIB section, so that pixels can be read and written directly.
struct test_bitmap {
    WINUTILS_GDI_OBJECT<HBITMAP> bitmap;
    std::uint32_t* bits = nullptr;
    test_bitmap(int width, int height) {
        BITMAPINFO info = {{sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
        void* pixels = nullptr;
        bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0));
        bits = static_cast<std::uint32_t*>(pixels);
    }
};

// A button of the maps' size (20 x 16 when they are empty) is drawn from the skin into a 40 x 40
// target; the item's rectangle is deliberately wrong, as the drawing must use the control's own
// client area. Its client area must show the skin cell at cell_row through the two maps, or with
// no maps black or nothing, and nothing outside it may be drawn.
::testing::AssertionResult draws(HBITMAP skin, UINT state, const axis& columns, const axis& rows, int cell_row) {
    const int width = columns.empty() ? 20 : static_cast<int>(columns.size());
    const int height = rows.empty() ? 16 : static_cast<int>(rows.size());
    test_bitmap target(40, 40);
    for (int i = 0; i < 40 * 40; ++i) target.bits[i] = untouched;
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    HWND button = CreateWindowExA(0, "BUTTON", "Install", WS_CHILD | BS_OWNERDRAW, 30, 40, width, height, parent,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(1002)), nullptr, nullptr);
    BOOL8 result;
    {
        WINUTILS_MEMORY_DC dc(CreateCompatibleDC(nullptr));
        WINUTILS_SELECTED_OBJECT selection(dc.get(), target.bitmap.get());
        const DRAWITEMSTRUCT item = {ODT_BUTTON, 1002, 0, ODA_DRAWENTIRE, state, button, dc.get(), {3, 3, 9, 9}, 0};
        result = WINSKIN_draw_windows_button(parent, &item, 4, skin);
    }
    DestroyWindow(parent);
    GdiFlush();
    if (result != TRUE) return ::testing::AssertionFailure() << "the draw returned " << int(result);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const std::uint32_t seen = target.bits[y * 40 + x] & 0x00FFFFFFu;
            std::uint32_t expected = untouched;
            if (x < width && y < height) expected = columns.empty() ? (seen == 0 ? 0 : untouched)
                                                                    : skin_colour(columns[x], cell_row + rows[y]);
            if (seen != expected)
                return ::testing::AssertionFailure() << "target pixel (" << x << "," << y << ") is 0x" << std::hex
                                                     << seen << ", expected 0x" << expected;
        }
    return ::testing::AssertionSuccess();
}

// The state picks the cell; corners are copied once, edges and centre tiled from the start of
// their piece, a last tile whole even where it reaches into the far border, and a middle smaller
// than one tile copied once at its own size. A middle of nothing draws nothing over the borders.
// Each draw gives the skin back, or the next one could not select it.
TEST(SkinButton, StateAndSizeChooseTheCellAndTheTiling) {
    test_bitmap skin(12, 36);
    ASSERT_NE(nullptr, skin.bits);
    for (int y = 0; y < 36; ++y)
        for (int x = 0; x < 12; ++x) skin.bits[y * 12 + x] = skin_colour(x, y);
    const axis whole_20 = {0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7, 4, 5, 6, 7, 8, 9, 10, 11};
    const axis whole_16 = {0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7, 8, 9, 10, 11};
    const axis none = {0, 1, 2, 3, 8, 9, 10, 11};
    const axis narrow = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11};
    const axis overhang = {0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7, 10, 11};
    const struct { const char* label; UINT state; int cell_row; axis columns, rows; } cases[] = {
        {"normal", 0, 0, whole_20, whole_16},
        {"focused", ODS_FOCUS, 12, whole_20, whole_16},
        {"pressed", ODS_SELECTED, 24, whole_20, whole_16},
        {"pressed and focused", ODS_SELECTED | ODS_FOCUS, 24, whole_20, whole_16},
        {"no middle column", 0, 0, none, whole_16},
        {"no middle row", 0, 0, whole_16, none},
        {"middle narrower than a tile", ODS_FOCUS, 12, narrow, whole_16},
        {"middle smaller than a tile", 0, 0, narrow, narrow},
        {"last column overhangs", 0, 0, overhang, whole_16},
        {"last row overhangs", 0, 0, whole_16, overhang},
        {"both overhang", ODS_SELECTED, 24, overhang, overhang},
    };
    for (const auto& c : cases) EXPECT_TRUE(draws(skin.bitmap.get(), c.state, c.columns, c.rows, c.cell_row)) << c.label;
    // A skin that failed to load is null and has no size: the tiling must still end, and anything
    // drawn comes from the memory context's own one-pixel black bitmap.
    EXPECT_TRUE(draws(nullptr, ODS_SELECTED, {}, {}, 0)) << "no skin";
}

}  // namespace
