// Inside the copy-list engine: the operation handlers, the walk callbacks they share, and the
// helpers the engine's source files have in common. Nothing outside copyflst/ and its tests.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "COPYFLST.h"
#include "Handles.h"
#include "Heap.h"
#include "Walk.h"

// Every path the engine builds: expansions, walk paths, destinations, directory-list slots.
#define COPYFLST_PATH_SIZE 512
// Message box texts and captions as loaded from the string table.
#define COPYFLST_TEXT_SIZE 256
// A message formed from a text and a path.
#define COPYFLST_MESSAGE_SIZE 1024

// An operation: takes its record, returns COPY_CONTINUE, COPY_STOP or COPY_SKIP_NEXT.
typedef std::uint16_t (*copyflst_handler)(const COPY_LIST_ENTRY* entry);

std::uint16_t copyflst_create_directory(const COPY_LIST_ENTRY* entry);     // op 0
std::uint16_t copyflst_copy_files(const COPY_LIST_ENTRY* entry);           // op 1
std::uint16_t copyflst_copy_tree(const COPY_LIST_ENTRY* entry);            // op 2
std::uint16_t copyflst_create_folder(const COPY_LIST_ENTRY* entry);        // op 3
std::uint16_t copyflst_file_shortcut(const COPY_LIST_ENTRY* entry);        // op 4
std::uint16_t copyflst_internet_shortcut(const COPY_LIST_ENTRY* entry);    // op 5
std::uint16_t copyflst_write_path_file(const COPY_LIST_ENTRY* entry);      // op 6
std::uint16_t copyflst_delete_tree(const COPY_LIST_ENTRY* entry);          // op 7
std::uint16_t copyflst_delete_files(const COPY_LIST_ENTRY* entry);         // op 8
std::uint16_t copyflst_if_exists(const COPY_LIST_ENTRY* entry);            // op 9
std::uint16_t copyflst_copy_file(const COPY_LIST_ENTRY* entry);            // op 10
std::uint16_t copyflst_file_association(const COPY_LIST_ENTRY* entry);     // op 11

// The engine's walks are the shared directory walk (walk_directory, abort_walk, the WALK_ kinds).
typedef WALK_CALLBACK copyflst_walk_callback;

// Walk callbacks of the copies (Files.cpp) and of the removals (Removal.cpp).
void copy_file_callback(const char* path, std::int32_t kind);
void copy_tree_callback(const char* path, std::int32_t kind);
void delete_file_callback(const char* path, std::int32_t kind);
void record_directory_callback(const char* path, std::int32_t kind);

// A block from the foundation's heap door (HEAP_allocate), given back through it.
struct copyflst_heap_traits {
    typedef char* handle_type;
    static bool is_valid(char* block) { return block != nullptr; }
    static void close(char* block) { HEAP_release(block); }
};
typedef WINUTILS_OWNED<copyflst_heap_traits> copyflst_heap_block;
// An expansion from COPYFLST_expand_path: the runtime's block, given back with free.
struct copyflst_runtime_traits {
    typedef char* handle_type;
    static bool is_valid(char* block) { return block != nullptr; }
    static void close(char* block) { std::free(block); }
};
typedef WINUTILS_OWNED<copyflst_runtime_traits> copyflst_expansion;

// A standard file stream, closed once when the holder goes (or at reset).
struct copyflst_stream_traits {
    typedef std::FILE* handle_type;
    static bool is_valid(std::FILE* stream) { return stream != nullptr; }
    static void close(std::FILE* stream) { std::fclose(stream); }
};
typedef WINUTILS_OWNED<copyflst_stream_traits> copyflst_stream;


// Expands a record's path into the holder. FALSE when there is no path to use: the record has
// none, its expansion was refused (too long, or a macro without a value), or no buffer could be
// had. refused, when given, is set on every call: true only for a refusal.
bool copyflst_expand(const char* path, copyflst_expansion& expansion, bool* refused = nullptr);

// How a reported text is joined with its path.
enum copyflst_report_form : std::uint8_t {
    REPORT_TEXT_ALONE,      // the text, no path
    REPORT_TEXT_PATH,       // "%s %s": text, blank, path
    REPORT_TEXT_PATH_LINE   // "%s, %s\n": text, comma, blank, path, line end
};
// The engine's error box: no owner, OK only, caption text 26 ("Error!"), text text_id joined
// with path as form says.
void copyflst_report(std::int32_t text_id, copyflst_report_form form, const char* path);

// Gives the path macros their values. COPYFLST_process_list does this at the start of every run
// and clears them at its end; tests use it to expand paths outside a run.
void copyflst_set_macro_values(const char* source_dir, const char* install_dir, const char* start_menu_folder,
                               const char* system_dir);

// Fault injection for tests only; nothing else ever sets it. When above zero it counts the byte
// copy's writes down, and the write that brings it to zero puts out nothing.
extern std::int32_t copyflst_failing_write;
