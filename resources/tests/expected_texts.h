// The string table as the program must carry it, written out here independently of the resource
// script, so that a slip in either shows. Shared by every test that reads texts back.
#pragma once

#include <span>
#include <string>

struct EXPECTED_TEXT {
    unsigned id;
    const char* text;
};

// The English block (ids 1 to 15 and 20 to 46) and the group that has no per-language copies.
extern const std::span<const EXPECTED_TEXT> EXPECTED_english;
extern const std::span<const EXPECTED_TEXT> EXPECTED_single_copy;

// The row of `english_id` in the block of `language` (0 English, 1 French, 2 German, 3 Italian,
// 4 Spanish): the mark, a blank, and the English text with the demo renamed, but for six ids.
std::string EXPECTED_text(int language, const EXPECTED_TEXT& english_row);
