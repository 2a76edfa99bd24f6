// Inner steps of the requestor helpers, shared with the module's tests only.
#pragma once

#include <cstddef>

#include "Types.h"

// The widest filter the file requestor builds, its NULs included.
constexpr std::size_t winutils_filter_size = 512;

// Builds the one-pair filter the file dialogs take: description, NUL, pattern, then three NULs.
// A null text counts as empty. FALSE, with nothing promised about the buffer, when the pair does
// not fit: a cut filter would lose the terminating NULs the dialog searches for.
BOOL8 winutils_build_filter(char* filter, std::size_t size, const char* description, const char* pattern);
