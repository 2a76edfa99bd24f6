// The copy-list operations that delete what an installation left: a whole tree after asking
// (op 7), and every file matching a pattern at any depth (op 8).
#include <cstring>

#include "INSTALL.h"
#include "Strings.h"
#include "copyflst_private.h"
#include "resource.h"

namespace {

// Subdirectories met by op 7's deleting walk, and the paths of those met by its recording walk:
// directory_slots consecutive slots of COPYFLST_PATH_SIZE bytes, recorded_count of them filled.
std::int32_t directory_counter = 0;
char* directory_list = nullptr;
std::int32_t directory_slots = 0;
std::int32_t recorded_count = 0;

// Only a Yes deletes: a box that could not be shown is no consent.
bool delete_confirmed(const char* directory) {
    char text[COPYFLST_TEXT_SIZE];
    char caption[COPYFLST_TEXT_SIZE];
    INSTALL_load_text(MSG_DELDIR, text, sizeof text);
    INSTALL_load_text(MSG_QUESTION, caption, sizeof caption);
    char question[COPYFLST_MESSAGE_SIZE];
    STRINGS_format(question, sizeof question, "%s :%s", text, directory);
    return MessageBoxA(nullptr, question, caption, MB_YESNO | MB_ICONINFORMATION) == IDYES;
}

}  // namespace

// Ticks come with a null path and are ignored with the empty one.
void delete_file_callback(const char* path, std::int32_t kind) {
    if (path == nullptr || path[0] == '\0') return;
    if (kind == WALK_FILE) {
        progress_pump(path);
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path);
    } else if (kind == WALK_DIRECTORY) {
        ++directory_counter;
    }
}

// Directories that appeared after the count find no slot and are not recorded: they stay, with
// the directories above them, as they would around a file that cannot be deleted.
void record_directory_callback(const char* path, std::int32_t kind) {
    if (kind != WALK_DIRECTORY || path == nullptr || recorded_count >= directory_slots) return;
    char* slot = directory_list + static_cast<std::size_t>(recorded_count) * COPYFLST_PATH_SIZE;
    // Walk paths always fit a slot; one that did not would be left out, not recorded cut.
    if (STRINGS_copy(slot, COPYFLST_PATH_SIZE, path)) ++recorded_count;
}

// Deletes every file below the directory, then its subdirectories children first, then the
// directory itself. Nothing stops the run; a path that cannot be expanded deletes nothing and
// asks nothing. When the directory list cannot be had, only the files go.
std::uint16_t copyflst_delete_tree(const COPY_LIST_ENTRY* entry) {
    copyflst_expansion directory;
    if (!copyflst_expand(entry->b, directory)) return COPY_CONTINUE;
    directory_counter = 0;
    recorded_count = 0;
    if (!delete_confirmed(directory.get())) return COPY_CONTINUE;

    walk_directory("*.*", directory.get(), delete_file_callback, WALK_RECURSIVE);

    const std::size_t slots = static_cast<std::size_t>(directory_counter);
    copyflst_heap_block list;
    if (slots > 0 && slots <= SIZE_MAX / COPYFLST_PATH_SIZE)
        list.reset(static_cast<char*>(std::malloc(slots * COPYFLST_PATH_SIZE)));
    directory_list = list.get();
    directory_slots = list ? directory_counter : 0;
    walk_directory("*.*", directory.get(), record_directory_callback, WALK_RECURSIVE);

    for (std::int32_t k = recorded_count - 1; k >= 0; --k) {
        const char* slot = directory_list + static_cast<std::size_t>(k) * COPYFLST_PATH_SIZE;
        progress_pump(slot);
        RemoveDirectoryA(slot);
    }
    directory_list = nullptr;
    directory_slots = 0;
    list.reset();

    RemoveDirectoryA(directory.get());
    return COPY_CONTINUE;
}

// Matching subdirectories are only counted, never deleted; no question is asked.
std::uint16_t copyflst_delete_files(const COPY_LIST_ENTRY* entry) {
    copyflst_expansion pattern;
    copyflst_expansion directory;
    if (copyflst_expand(entry->b, pattern) && copyflst_expand(entry->a, directory))
        walk_directory(pattern.get(), directory.get(), delete_file_callback, WALK_RECURSIVE);
    return COPY_CONTINUE;
}
