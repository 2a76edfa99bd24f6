// Copy-list engine: copy lists, path macros, shell folders and the progress pump.
//
// A copy list is a static array of COPY_LIST_ENTRY records ended by one whose op is COPY_OP_END.
// COPYFLST_process_list hands each record to the handler of its op; paths in a and b may hold the
// path macros <DST>, <SRC>, <STARTMENU>, <WINSYSTEM> and the <CSIDL_...> shell folders.
#pragma once

#include <windows.h>

#include "Types.h"

// SHGetFolderPathA as the shell-folder library exports it.
typedef HRESULT(WINAPI* COPYFLST_GET_FOLDER_PATH)(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path);

// Operation codes; the operands of each are named on its line.
enum : std::uint16_t {
    COPY_OP_CREATE_DIRECTORY = 0,   // a: -            b: directory to create (shown on the status label)
    COPY_OP_COPY_FILES = 1,         // a: source dir   b: destination dir; plain files lying directly in a
    COPY_OP_COPY_TREE = 2,          // a: source dir   b: destination dir; files and every subdirectory
    COPY_OP_CREATE_FOLDER = 3,      // a: directory    b: -
    COPY_OP_FILE_SHORTCUT = 4,      // a: .lnk file    b: target the shortcut points at
    COPY_OP_INTERNET_SHORTCUT = 5,  // a: file         b: web address
    COPY_OP_WRITE_PATH_FILE = 6,    // a: text file    b: path written into it
    COPY_OP_DELETE_TREE = 7,        // a: -            b: directory deleted with all below it, after a question
    COPY_OP_DELETE_FILES = 8,       // a: directory    b: file name pattern, matched at every depth
    COPY_OP_IF_EXISTS = 9,          // a: file         b: -; skips the next record when a cannot be opened
    COPY_OP_COPY_FILE = 10,         // a: source file  b: destination file or directory
    COPY_OP_FILE_ASSOCIATION = 11,  // a: program      b: "extension:program id:description"
    COPY_OP_END = 12                // a: -            b: -; ends the list
};

// Handler results.
enum : std::uint16_t {
    COPY_CONTINUE = 0,   // go on with the next record
    COPY_STOP = 1,       // stop at once; the run fails
    COPY_SKIP_NEXT = 2   // go on, skipping the following record unless it is the end record
};

#pragma pack(push, 1)
struct COPY_LIST_ENTRY {
    std::uint16_t op;
    const char* a;
    const char* b;
};
#pragma pack(pop)

// The SHGetFolderPathA of the shell-folder library, loading the library on first use (and running
// its redistributable installer once when it is missing); null when it cannot be had.
COPYFLST_GET_FOLDER_PATH COPYFLST_get_folder_path_function(void);

// Runs a list. The directories must live for the whole run; source_dir may be null when no record
// uses <SRC>. install_run (1 or 0) only changes the progress stepping. TRUE when the end record was
// reached; FALSE when a handler stopped the run or an op code was above COPY_OP_END.
BOOL8 COPYFLST_process_list(const COPY_LIST_ENTRY* list, const char* source_dir, const char* install_dir,
                            const char* start_menu_folder, std::uint8_t install_run);

// Number of records before the end record.
std::int32_t COPYFLST_count_entries(const COPY_LIST_ENTRY* list);

// A new 512-byte buffer from the standard allocator (release with free) holding the path with its
// macros replaced; null for a null path. Only valid inside a run, where the macros have values.
// The input is read up to its 511th character. Null too when the result would not fit the buffer
// or uses a macro without a value: such a path is refused, never handed out cut or rootless.
char* COPYFLST_expand_path(const char* path);

// Fills the path of every shell folder of the CSIDL macros; called at the start of every run.
void COPYFLST_resolve_csidl_paths(void);

// With a null text steps the progress bar; then dispatches pending window messages; then, with a
// text, makes it the caption of the (hidden) second status label.
void progress_pump(const char* text);
