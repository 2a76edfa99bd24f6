// Skinned buttons, checked pixel by pixel in memory bitmaps.
//
// Every pixel of the 12 x 36 test skin has its own colour, so each target pixel tells exactly which
// skin pixel was copied onto it. Expectations are one column map and one row map per rectangle:
// target column x shows skin column columns[x], target row y skin row cell_row + rows[y].
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "Handles.h"
#include "Winskin.h"
#include "winskin_private.h"

namespace {

const int skin_width = 12;
const int skin_height = 36;
const int cell_height = 12;
const int border = 4;
const int inner = 4;  // inner width and height of a cell
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
    void fill(std::uint32_t colour) {
        GdiFlush();
        for (int i = 0; i < width * height; ++i) bits[i] = colour;
    }
};

// A memory context with a bitmap selected for the holder's lifetime.
struct selected_context {
    WINUTILS_MEMORY_DC dc;
    WINUTILS_SELECTED_OBJECT selection;
    explicit selected_context(HBITMAP bitmap) : dc(CreateCompatibleDC(nullptr)), selection(dc.get(), bitmap) {}
};

// The map of a length whose middle is a whole number of tiles: border, tiles, border.
axis tiled(int length) {
    axis map;
    for (int i = 0; i < length; ++i) {
        if (i < border)
            map.push_back(i);
        else if (i >= length - border)
            map.push_back(border + inner + i - (length - border));
        else
            map.push_back(border + (i - border) % inner);
    }
    return map;
}

// The rectangle at left/top shows the skin cell at cell_row through the two maps, and nothing
// outside the rectangle was drawn.
::testing::AssertionResult shows_cell(const test_bitmap& target, int left, int top, const axis& columns,
                                      const axis& rows, int cell_row) {
    const int width = static_cast<int>(columns.size());
    const int height = static_cast<int>(rows.size());
    for (int y = 0; y < target.height; ++y)
        for (int x = 0; x < target.width; ++x) {
            bool inside = x >= left && x < left + width && y >= top && y < top + height;
            std::uint32_t expected =
                inside ? skin_colour(columns[x - left], cell_row + rows[y - top]) : untouched_colour;
            if (target.at(x, y) != expected)
                return ::testing::AssertionFailure() << "target pixel (" << x << "," << y << ") is 0x" << std::hex
                                                     << target.at(x, y) << ", expected 0x" << expected;
        }
    return ::testing::AssertionSuccess();
}

class SkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, skin.bits);
        ASSERT_NE(nullptr, target.bits);
        for (int y = 0; y < skin_height; ++y)
            for (int x = 0; x < skin_width; ++x) skin.bits[y * skin_width + x] = skin_colour(x, y);
        target.fill(untouched_colour);
    }

    // winskin_draw_rectangle straight into the target, the skin in a source context of its own.
    void draw_rectangle(int left, int top, int width, int height, int cell_row) {
        target.fill(untouched_colour);
        selected_context source(skin.bitmap.get());
        selected_context drawn(target.bitmap.get());
        ASSERT_TRUE(source.selection.selected() && drawn.selection.selected());
        winskin_draw_rectangle(drawn.dc.get(), source.dc.get(), skin.bitmap.get(), left, top, left + width,
                               top + height, cell_row, border, inner, inner);
    }

    test_bitmap skin{skin_width, skin_height};
    test_bitmap target{40, 40};
};

TEST_F(SkinTest, RectangleLaysCornersEdgesAndTiledCentreFromItsCell) {
    for (int cell_row : {0, cell_height, 2 * cell_height}) {
        SCOPED_TRACE(cell_row);
        draw_rectangle(5, 7, 20, 16, cell_row);
        EXPECT_TRUE(shows_cell(target, 5, 7, tiled(20), tiled(16), cell_row));
    }
}

TEST_F(SkinTest, MiddlesThatAreNotWholeTiles) {
    // Middle 0: top, bottom and centre draw nothing, or they would cover the far corners and edge.
    const axis none = {0, 1, 2, 3, 8, 9, 10, 11};
    // Middle 2: one copy cut to the piece's own size.
    const axis narrow = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11};
    // Middle 6: tiles at 0 and 4, the second whole, reaching two pixels into the far border drawn before it.
    const axis overhang = {0, 1, 2, 3, 4, 5, 6, 7, 4, 5, 6, 7, 10, 11};
    struct {
        axis columns, rows;
    } const cases[] = {{none, tiled(16)},   {tiled(16), none},     {narrow, tiled(16)}, {narrow, narrow},
                       {overhang, tiled(16)}, {tiled(16), overhang}, {overhang, overhang}};
    for (const auto& c : cases) {
        const int width = static_cast<int>(c.columns.size());
        const int height = static_cast<int>(c.rows.size());
        SCOPED_TRACE(::testing::Message() << width << " x " << height);
        draw_rectangle(5, 7, width, height, cell_height);
        EXPECT_TRUE(shows_cell(target, 5, 7, c.columns, c.rows, cell_height));
    }
}

TEST_F(SkinTest, PieceTableEndsAtWidthMinusOne) {
    const winskin_piece end = {0, 0, winskin_table_end, 0, 0, 0, 0, 0};
    const winskin_piece piece = {2, 2, 4, 4, 0, 0, 4, 4};
    const winskin_piece later = {20, 20, 4, 4, 0, 0, 4, 4};
    const winskin_piece empty[] = {end, piece, end};
    const winskin_piece one[] = {piece, end, later, end};
    selected_context source(skin.bitmap.get());
    selected_context drawn(target.bitmap.get());

    winskin_draw_pieces(drawn.dc.get(), source.dc.get(), empty);
    EXPECT_TRUE(shows_cell(target, 0, 0, {}, {}, 0));
    winskin_draw_pieces(drawn.dc.get(), source.dc.get(), one);
    EXPECT_TRUE(shows_cell(target, 2, 2, {0, 1, 2, 3}, {0, 1, 2, 3}, 0));
}

// WINSKIN_draw_windows_button with real owner-drawn buttons of a hidden window.
struct window_traits {
    typedef HWND handle_type;
    static bool is_valid(HWND window) { return window != nullptr; }
    static void close(HWND window) { DestroyWindow(window); }
};

const UINT install_id = 1002;  // 20 x 16
const UINT remove_id = 1003;   // 28 x 12

class SkinButtonTest : public SkinTest {
protected:
    void SetUp() override {
        SkinTest::SetUp();
        parent.reset(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(static_cast<bool>(parent));
        ASSERT_NE(nullptr, make_button(install_id, 30, 40, 20, 16));
        ASSERT_NE(nullptr, make_button(remove_id, 60, 40, 28, 12));
    }
    void TearDown() override { parent.reset(); }

    HWND make_button(UINT id, int x, int y, int width, int height) {
        return CreateWindowExA(0, "BUTTON", "Install", WS_CHILD | BS_OWNERDRAW, x, y, width, height, parent.get(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

    // The item the system would pass, drawing into the target. Its rectangle is deliberately wrong:
    // the drawing must use the control's own client area.
    BOOL8 draw_button(UINT id, UINT state, HBITMAP with_skin) {
        target.fill(untouched_colour);
        selected_context drawn(target.bitmap.get());
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = id;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = GetDlgItem(parent.get(), static_cast<int>(id));
        item.hDC = drawn.dc.get();
        item.rcItem = {3, 3, 9, 9};
        return WINSKIN_draw_windows_button(parent.get(), &item, border, with_skin);
    }

    WINUTILS_OWNED<window_traits> parent;
};

TEST_F(SkinButtonTest, StateChoosesTheCellAndPressedWins) {
    struct {
        UINT state;
        int cell_row;
    } const cases[] = {{0, 0},
                       {ODS_FOCUS, cell_height},
                       {ODS_SELECTED, 2 * cell_height},
                       {ODS_SELECTED | ODS_FOCUS, 2 * cell_height}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.state);
        EXPECT_EQ(TRUE, draw_button(install_id, c.state, skin.bitmap.get()));
        EXPECT_TRUE(shows_cell(target, 0, 0, tiled(20), tiled(16), c.cell_row));
    }
    // Each draw gives the skin back, or the next one could not select it.
    selected_context source(skin.bitmap.get());
    EXPECT_TRUE(source.selection.selected());
}

TEST_F(SkinButtonTest, DrawsTheClientAreaOfTheControlWithTheItemsId) {
    EXPECT_EQ(TRUE, draw_button(remove_id, 0, skin.bitmap.get()));
    EXPECT_TRUE(shows_cell(target, 0, 0, tiled(28), tiled(12), 0));
}

TEST_F(SkinButtonTest, WithoutASkinTheButtonStaysBlack) {
    // A null skin has no size: the tiling must still end, and the copies come from the memory
    // context's own one-pixel black bitmap.
    EXPECT_EQ(TRUE, draw_button(install_id, ODS_SELECTED, nullptr));
    for (int y = 0; y < target.height; ++y)
        for (int x = 0; x < target.width; ++x)
            if (target.at(x, y) != untouched_colour) {
                ASSERT_EQ(0u, target.at(x, y)) << x << "," << y;
            }
}

}  // namespace
