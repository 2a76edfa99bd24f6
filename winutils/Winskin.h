// Skinned owner-drawn buttons: a nine-piece skin with one cell per button state.
#pragma once

#include <windows.h>

#include "Types.h"

// Draws one owner-drawn button of `dialog` from the skin: the pressed cell when the item is
// selected, else the focused cell when it has the focus, else the normal cell. Returns TRUE.
BOOL8 WINSKIN_draw_windows_button(HWND dialog, const DRAWITEMSTRUCT* item, std::int32_t border, HBITMAP skin);
