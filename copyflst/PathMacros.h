// Path macro expansion of the copy-list engine, portable on its own: the engine gives it the
// macro table of the run in progress.
#pragma once

#include <cstddef>

// The buffer an expansion lands in, terminator included.
#define COPYFLST_EXPANSION_SIZE 512

// A path macro: its text with the angle brackets, that text's length, and the replacement (null
// or empty when it has none). A row with a null name ends a table.
struct COPYFLST_PATH_MACRO {
    const char* name;
    std::size_t length;
    const char* value;
};

// A new COPYFLST_EXPANSION_SIZE-byte buffer from the standard allocator (release with free)
// holding path with the table's macros replaced; null for a null path, when the result would not
// fit, or when it uses a macro without a value. When refused is given it is set on every call:
// true for those last two, false for a path expanded, a null path or a buffer not had.
char* copyflst_expand_macros(const char* path, const COPYFLST_PATH_MACRO* macros, bool* refused = nullptr);
