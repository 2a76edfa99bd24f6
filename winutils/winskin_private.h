// Inner drawing steps of the skinned buttons, shared with the module's tests only.
#pragma once

#include <windows.h>

#include "Types.h"

// One piece of a skin cell: where it lands in the target and where it comes from in the skin.
struct winskin_piece {
    std::int32_t x, y, width, height;
    std::int32_t source_x, source_y, source_width, source_height;
};

// A piece table ends with a piece of this width.
constexpr std::int32_t winskin_table_end = -1;

// Draws the pieces of a table in order, each tiled from its source origin, up to the end piece.
void winskin_draw_pieces(HDC target, HDC source, const winskin_piece* pieces);

// Lays the nine pieces of the skin cell that starts at source_row over left/top/right/bottom:
// corners first, then edges, then the centre.
void winskin_draw_rectangle(HDC target, HDC source, HBITMAP skin, std::int32_t left, std::int32_t top,
                            std::int32_t right, std::int32_t bottom, std::int32_t source_row, std::int32_t border,
                            std::int32_t inner_width, std::int32_t inner_height);
