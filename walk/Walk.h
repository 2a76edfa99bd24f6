// Directory walk: every entry of a directory reported to a callback, optionally descending into
// each subdirectory, with one abort flag that stops every walk in progress. The copy-list
// engine's copies and removals and the file layer's trees are all filed from this one walk.
#pragma once

#include <cstdint>

#include "Types.h"

// Every path the walk builds, terminator included.
#define WALK_PATH_SIZE 512

// Kinds of report: an entry that is a file, one that is a directory, a tick before each search
// call (with a null path), and a path that would not fit WALK_PATH_SIZE (with as much of it as
// fits, for a message only), after which the walk stops.
enum : std::int32_t { WALK_FILE = 0, WALK_DIRECTORY = 1, WALK_TICK = 2, WALK_TOO_LONG = 3 };
// Walk flags: bit 0 makes the walk descend into every subdirectory itself.
enum : std::uint32_t { WALK_RECURSIVE = 1 };

typedef void (*WALK_CALLBACK)(const char* path, std::int32_t kind);

// Clears the abort flag, then reports every entry of directory matching pattern as directory,
// a backslash and the entry's name (never "." or ".."), in the order the file system gives them.
// A name matches as Windows' own search matches a long name ("*", "?" and "." in their DOS
// sense, letters in either case), on every system and never through a short name. Then,
// with WALK_RECURSIVE, it walks every subdirectory, matching or not, that is a real
// directory: a junction or a directory link is reported but never entered, so nothing it points
// at is reached and a link cycle cannot trap the walk. TRUE when it ran to its end, FALSE when it
// was aborted. A path that would not fit goes to the callback as WALK_TOO_LONG and aborts the
// walk: such a path cannot be used, and skipping it silently would leave a copy incomplete.
// Paths use backslashes on every system; the host build turns them into slashes only where the
// system sees them.
BOOL8 walk_directory(const char* pattern, const char* directory, WALK_CALLBACK callback, std::uint32_t flags);
// Stops every walk in progress, at every level, after the entry at hand.
void abort_walk(void);
