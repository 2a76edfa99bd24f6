// The file access layer's module state and its doors to the operating system, shared by the
// layer, the tree and the two system back ends.
#pragma once

#include <sys/stat.h>

#include "EFILE.h"
#include "Walk.h"


struct efile_module_state {
    BOOL8 initialised;
    BOOL8 use_tree;
    char extension[EFILE_PATH_SIZE];
    EFILE_TREE_DETAILS* search_paths;
    std::uint32_t num_search_paths;
    std::uint32_t initial_tree_size;
    std::uint32_t tree_size_increment;
    std::uint32_t chunk_size;
    EFILE_PROCESS_FUNCTION process_function;
    std::uint32_t reserved_value;
    std::uint8_t reserved_bytes[2];
    std::uint8_t crc_state;
    std::uint8_t* chunck_buffer;
    std::uint32_t crc_total;
    char reserved_text_a[EFILE_PATH_SIZE];
    char reserved_text_b[EFILE_PATH_SIZE];
    std::uint32_t reserved_value_b;
    char full_path[EFILE_PATH_SIZE];
    char search_buffer[EFILE_PATH_SIZE];
    struct stat last_status;
};

extern efile_module_state local_efile_details;

// TRUE for a name tried as it stands rather than below each slot: a leading full stop, a run of
// two backslashes, or a drive colon.
BOOL8 efile_is_rooted(const char* name);

// Drops a slot's name index (a tracked block), if it has one.
void efile_free_tree_index(EFILE_TREE_DETAILS* tree_details);

// Status query of a layer path; TRUE when it exists. Fills *status.
BOOL8 efile_system_status(const char* path, struct stat* status);
// Opens a layer path with the runtime; null when it cannot be opened (or cannot be expressed).
std::FILE* efile_system_open(const char* path, const char* mode);
// The trees are filed from the shared directory walk; this is its name in the layer's tests.
inline void efile_walk_directory(const char* pattern, const char* directory, WALK_CALLBACK callback,
                                 std::uint32_t flags) {
    walk_directory(pattern, directory, callback, flags);
}
