// File access layer: search-path slots, name resolution, whole-file and chunked reads with a
// running block checksum, the per-slot 8.3 file tree, and logged wrappers of the stream calls.
#pragma once

#include <cstdio>

#include "Types.h"

#define EFILE_PATH_SIZE 256        // every path, name and extension, terminator included
#define EFILE_TREE_NAME_SIZE 13    // an 8.3 name and its terminator
#define EFILE_TREE_NONE 0xFFFFFFFFu

#define EFILE_DEFAULT_NUM_SEARCH_PATHS 4u
#define EFILE_DEFAULT_INITIAL_TREE_SIZE 5000u
#define EFILE_DEFAULT_TREE_SIZE_INCREMENT 1000u
#define EFILE_DEFAULT_CHUNK_SIZE 200000u

typedef void (*EFILE_PROCESS_FUNCTION)(void);

// One node of a slot's first-child / next-sibling tree.
struct EFILE_TREE_ENTRY {
    std::uint32_t next;   // next node on the same level, EFILE_TREE_NONE = none
    std::uint32_t child;  // first node one level down, EFILE_TREE_NONE = none
    char name[EFILE_TREE_NAME_SIZE];
};

// A built tree's names by level, so that a lookup is one probe per name component.
struct EFILE_TREE_INDEX;

// One search-path slot; an empty path marks a free slot.
struct EFILE_TREE_DETAILS {
    char path[EFILE_PATH_SIZE];
    EFILE_TREE_ENTRY* file_tree;
    std::uint32_t tree_size;    // capacity of file_tree in nodes
    std::uint32_t num_entries;  // nodes in use
    EFILE_TREE_INDEX* index;    // made by a build, dropped when a node is added or the tree goes
};

// Settings for EFILE_initialise; the reserved fields are kept but drive nothing.
struct EFILE_DETAILS {
    std::uint32_t num_search_paths;
    std::uint32_t initial_tree_size;
    char extension[EFILE_PATH_SIZE];
    std::uint32_t tree_size_increment;
    std::uint32_t chunk_size;
    EFILE_PROCESS_FUNCTION process_function;
    std::uint32_t reserved_value;
    std::uint8_t reserved_bytes[2];
    std::uint8_t crc_state;
    char reserved_text_a[EFILE_PATH_SIZE];
    char reserved_text_b[EFILE_PATH_SIZE];
    std::uint32_t reserved_value_b;
};

BOOL8 EFILE_initialise(const EFILE_DETAILS* details);
BOOL8 EFILE_deinitialise(void);

char* EFILE_make_full_path(const char* name);
std::uint8_t EFILE_read_file(const char* name, void* destination, std::uint32_t byte_count);
void* EFILE_allocate_and_read_file(const char* name, void* previous, std::uint32_t* bytes_read);

BOOL8 EFILE_set_use_tree_to_find_files(std::uint8_t value);
std::uint8_t EFILE_get_use_tree_to_find_files(void);
BOOL8 EFILE_set_extension(const char* extension);
const char* EFILE_get_extension(void);

// Clears every slot, then places each of the count path arguments (const char*) and builds its tree.
std::int32_t EFILE_set_search_paths(std::int32_t count, ...);
const char* EFILE_get_search_path(std::int32_t index);
std::int32_t EFILE_add_search_path(const char* path);
void efile_clear_search_path(std::int32_t index);

std::size_t EFILE_fread(void* buffer, std::size_t element_size, std::size_t element_count, std::FILE* stream);
std::size_t EFILE_fwrite(const void* buffer, std::size_t element_size, std::size_t element_count,
                         std::FILE* stream);
int EFILE_fseek(std::FILE* stream, long offset, int origin);

std::uint8_t EFILE_set_crc_state(std::uint8_t state);
void EFILE_set_crc_total(std::uint32_t total);
std::uint32_t EFILE_get_crc_total(void);

std::FILE* efile_fopen(const char* name, const char* mode, std::uint8_t use_search_paths, const char* file,
                       std::int32_t line);
std::uint8_t efile_fclose(std::FILE* stream, const char* file, std::int32_t line);
// The wrappers with the caller's own source name and line.
#define EFILE_FOPEN(name, mode, use_search_paths) efile_fopen((name), (mode), (use_search_paths), EBUG_SOURCE, __LINE__)
#define EFILE_FCLOSE(stream) efile_fclose((stream), EBUG_SOURCE, __LINE__)

BOOL8 efile_copy_string(char* destination, const char* source, std::uint32_t size);
std::uint32_t efile_chunk_fread(void* destination, std::size_t element_size, std::size_t element_count,
                                std::FILE* stream, std::uint32_t chunk_bytes, EFILE_PROCESS_FUNCTION per_chunk);
void efile_process(void);
std::uint32_t CRC_calc_block(const void* bytes, std::uint32_t length);

// The file tree.
BOOL8 EFILE_build_file_tree(std::int32_t index);
void efile_file_tree_callback_function(const char* path, std::int32_t kind);
std::int32_t efile_add_entry_to_file_tree(EFILE_TREE_DETAILS* tree_details, const char* name);
BOOL8 efile_allocate_file_tree(EFILE_TREE_DETAILS* tree_details);
BOOL8 efile_reallocate_file_tree(EFILE_TREE_DETAILS* tree_details);
BOOL8 efile_find_full_path(const char* name, char* out, const EFILE_TREE_ENTRY* file_tree, std::uint32_t start);
void efile_dump_structured_directory(std::FILE* output, const EFILE_TREE_ENTRY* file_tree, std::uint32_t index,
                                     std::int32_t depth);
