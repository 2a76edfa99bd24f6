// Skinned owner-drawn buttons: nine pieces of a skin cell tiled over the button's rectangle.
#define EBUG_MODULE "Winskin"

#include "Winskin.h"

#include "EBUG.h"
#include "Handles.h"
#include "winskin_private.h"

namespace {

void winskin_copy(HDC target, HDC source, const winskin_piece& piece, std::int32_t x_offset,
                  std::int32_t y_offset, std::int32_t width, std::int32_t height) {
    BitBlt(target, piece.x + x_offset, piece.y + y_offset, width, height, source, piece.source_x, piece.source_y,
           SRCCOPY);
}

// Tiles are never cut: the last one of a row or column is copied whole and may reach past the
// piece, onto whatever neighbour was drawn before it. A piece no wider (higher) than its source
// is copied once at its own size instead. Every tile starts again at the source origin.
void winskin_draw_piece(HDC target, HDC source, const winskin_piece& piece) {
    const std::int32_t w = piece.width;
    const std::int32_t h = piece.height;
    const std::int32_t sw = piece.source_width;
    const std::int32_t sh = piece.source_height;

    // A skin too small for its border (or no skin at all) has empty sources; stepping by them
    // would never end.
    if (w > sw) {
        if (sw <= 0) return;
        if (h <= sh) {
            for (std::int32_t x = 0; x < w; x += sw) winskin_copy(target, source, piece, x, 0, sw, h);
            return;
        }
        if (sh <= 0 || w <= 0 || h <= 0) return;
        for (std::int32_t y = 0; y < h; y += sh)
            for (std::int32_t x = 0; x < w; x += sw) winskin_copy(target, source, piece, x, y, sw, sh);
        return;
    }
    if (h <= sh) {
        winskin_copy(target, source, piece, 0, 0, w, h);
        return;
    }
    if (sh <= 0 || h <= 0) return;
    for (std::int32_t y = 0; y < h; y += sh) winskin_copy(target, source, piece, 0, y, w, sh);
}

}  // namespace

void winskin_draw_pieces(HDC target, HDC source, const winskin_piece* pieces) {
    for (const winskin_piece* piece = pieces; piece->width != winskin_table_end; ++piece)
        winskin_draw_piece(target, source, *piece);
}

void winskin_draw_rectangle(HDC target, HDC source, HBITMAP skin, std::int32_t left, std::int32_t top,
                            std::int32_t right, std::int32_t bottom, std::int32_t source_row, std::int32_t border,
                            std::int32_t inner_width, std::int32_t inner_height) {
    ENTER();
    (void)skin;  // already selected into the source context by the caller

    const std::int32_t b = border;
    const std::int32_t middle_width = right - left - 2 * b;
    const std::int32_t middle_height = bottom - top - 2 * b;
    const std::int32_t right_column = b + inner_width;           // of the skin cell
    const std::int32_t bottom_row = source_row + b + inner_height;  // of the skin

    // Drawn in this order so that overhanging edge tiles cover corners and centre tiles cover edges.
    const winskin_piece pieces[] = {
        {left, top, b, b, 0, source_row, b, b},                                   // top-left corner
        {right - b, top, b, b, right_column, source_row, b, b},                   // top-right corner
        {left, bottom - b, b, b, 0, bottom_row, b, b},                            // bottom-left corner
        {right - b, bottom - b, b, b, right_column, bottom_row, b, b},            // bottom-right corner
        {left + b, top, middle_width, b, b, source_row, inner_width, b},          // top edge
        {left + b, bottom - b, middle_width, b, b, bottom_row, inner_width, b},   // bottom edge
        {left, top + b, b, middle_height, 0, source_row + b, b, inner_height},    // left edge
        {right - b, top + b, b, middle_height, right_column, source_row + b, b, inner_height},  // right edge
        {left + b, top + b, middle_width, middle_height, b, source_row + b, inner_width, inner_height},  // centre
        {0, 0, winskin_table_end, 0, 0, 0, 0, 0},
    };
    winskin_draw_pieces(target, source, pieces);
    LEAVE();
}

BOOL8 WINSKIN_draw_windows_button(HWND dialog, const DRAWITEMSTRUCT* item, std::int32_t border, HBITMAP skin) {
    ENTER();
    // A skin that failed to load is null: its sizes stay zero and the button draws nothing.
    BITMAP description = {};
    GetObjectA(skin, sizeof description, &description);
    const std::int32_t cell_height = static_cast<std::int32_t>(description.bmHeight) / 3;
    const std::int32_t inner_width = static_cast<std::int32_t>(description.bmWidth) - 2 * border;
    const std::int32_t inner_height = cell_height - 2 * border;

    // The control's own client area, not the item rectangle the system passes.
    RECT client = {};
    GetClientRect(GetDlgItem(dialog, static_cast<int>(item->CtlID)), &client);

    WINUTILS_MEMORY_DC memory(CreateCompatibleDC(item->hDC));
    if (!memory) EBUG_MESSAGE("CreateCompatibleDC FAILED");
    WINUTILS_SELECTED_OBJECT selected(memory.get(), skin);

    std::int32_t source_row = 0;
    if (item->itemState & ODS_SELECTED)
        source_row = 2 * cell_height;
    else if (item->itemState & ODS_FOCUS)
        source_row = cell_height;

    winskin_draw_rectangle(item->hDC, memory.get(), skin, static_cast<std::int32_t>(client.left),
                           static_cast<std::int32_t>(client.top), static_cast<std::int32_t>(client.right),
                           static_cast<std::int32_t>(client.bottom), source_row, border, inner_width, inner_height);
    EBUG_RETURN(TRUE);
}
