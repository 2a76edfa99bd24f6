// Copy-list engine: copy lists, path macros, shell folders and the progress pump.
#include "COPYFLST.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

#include "INSTALL.h"
#include "Memory.h"
#include "PathMacros.h"
#include "Strings.h"
#include "copyflst_private.h"
#include "resource.h"

static_assert(COPYFLST_EXPANSION_SIZE == COPYFLST_PATH_SIZE, "expansions fill the engine's path buffers");

namespace {

// Module state. The shell-folder library is loaded at most once per process and never released,
// because the entry point handed out must stay valid for the rest of the run.
struct copyflst_state {
    HMODULE shell_folder_library;
};

copyflst_state copyflst_module = {};

// Tried in this order, each once per '<'; rows 4 to 8 follow csidl_data row for row. The values
// are borrowed from the run for its length only.
COPYFLST_PATH_MACRO path_macro_data[] = {
    {"<DST>", 5, nullptr},
    {"<SRC>", 5, nullptr},
    {"<STARTMENU>", 11, nullptr},
    {"<WINSYSTEM>", 11, nullptr},
    {"<CSIDL_COMMON_APPDATA>", 22, nullptr},
    {"<CSIDL_LOCAL_APPDATA>", 21, nullptr},
    {"<CSIDL_COMMON_DOCUMENTS>", 24, nullptr},
    {"<CSIDL_PERSONAL>", 16, nullptr},
    {"<CSIDL_PROGRAM_FILES>", 21, nullptr},
    {nullptr, 0, nullptr},
};
const std::size_t first_csidl_macro = 4;

// A shell folder of the CSIDL macros and its path: a tracked block of csidl_path_size bytes made
// at the start of each run and given back at the end of a completed one.
struct csidl_folder {
    std::int32_t csidl;
    char* csidl_path;
};

csidl_folder csidl_data[] = {
    {CSIDL_COMMON_APPDATA, nullptr},
    {CSIDL_LOCAL_APPDATA, nullptr},
    {CSIDL_COMMON_DOCUMENTS, nullptr},
    {CSIDL_PERSONAL, nullptr},
    {CSIDL_PROGRAM_FILES, nullptr},
    {-1, nullptr},
};
const std::int32_t csidl_path_size = MAX_PATH;
const int folder_flag_create = 0x8000;  // CSIDL_FLAG_CREATE: make the folder when it is missing

const char allocation_failed_text[] = "Failed to allcoate memory for path";
const char allocation_failed_caption[] = "Error";

// GetSystemDirectoryA's buffer, owned by the run.
const UINT system_dir_size = 256;

// An install run leaves the progress bar alone while i is below this: the compact list's nineteen
// directory creations, which the install sequence leaves out of the bar's range.
const std::int32_t unstepped_install_records = 19;

void release_csidl_paths() {
    for (std::int32_t f = 0; csidl_data[f].csidl != -1; ++f)
        if (csidl_data[f].csidl_path != nullptr) MEMORY_FREE(csidl_data[f].csidl_path);
}

// The operations, indexed by op code. A handler takes its record and answers
//   COPY_CONTINUE   go on with the next record;
//   COPY_STOP       the run fails at once; nothing already done is undone;
//   COPY_SKIP_NEXT  go on past the following record, unless that one is the end record.
// The dispatcher below is the only caller.
const copyflst_handler copy_handlers[COPY_OP_END] = {
    copyflst_create_directory,   // 0
    copyflst_copy_files,         // 1
    copyflst_copy_tree,          // 2
    copyflst_create_folder,      // 3
    copyflst_file_shortcut,      // 4
    copyflst_internet_shortcut,  // 5
    copyflst_write_path_file,    // 6
    copyflst_delete_tree,        // 7
    copyflst_delete_files,       // 8
    copyflst_if_exists,          // 9
    copyflst_copy_file,          // 10
    copyflst_file_association,   // 11
};

// Runs the records up to the end record. TRUE when it was reached.
BOOL8 run_records(const COPY_LIST_ENTRY* list, std::uint8_t install_run) {
    for (std::int32_t i = 0; list[i].op != COPY_OP_END; ++i) {
        std::uint16_t op = list[i].op;
        if (op > COPY_OP_END) return FALSE;
        std::uint16_t result = copy_handlers[op](&list[i]);
        if (result == COPY_STOP) return FALSE;
        if (result == COPY_SKIP_NEXT && list[i + 1].op != COPY_OP_END) ++i;
        if (!(install_run && i < unstepped_install_records)) progress_pump(nullptr);
    }
    return TRUE;
}

}  // namespace

COPYFLST_GET_FOLDER_PATH COPYFLST_get_folder_path_function(void) {
    if (copyflst_module.shell_folder_library == nullptr) {
        HMODULE library = LoadLibraryA("SHFolder.dll");
        if (library == nullptr) {
            // Older systems lack the library; its redistributable installer sits on the disc, next
            // to us in the current directory. "start /w" makes the command wait for it to finish.
            std::system("start /w ShFolder.exe");
            library = LoadLibraryA("SHFolder.dll");
            if (library == nullptr) return nullptr;
        }
        copyflst_module.shell_folder_library = library;
    }
    // Through the generic function pointer type, which converts to any other without complaint.
    FARPROC address = GetProcAddress(copyflst_module.shell_folder_library, "SHGetFolderPathA");
    return reinterpret_cast<COPYFLST_GET_FOLDER_PATH>(reinterpret_cast<void (*)(void)>(address));
}

void copyflst_set_macro_values(const char* source_dir, const char* install_dir, const char* start_menu_folder,
                               const char* system_dir) {
    path_macro_data[0].value = install_dir;
    path_macro_data[1].value = source_dir;
    path_macro_data[2].value = start_menu_folder;
    path_macro_data[3].value = system_dir;
    for (std::size_t k = 0; csidl_data[k].csidl != -1; ++k)
        path_macro_data[first_csidl_macro + k].value = csidl_data[k].csidl_path;
}

BOOL8 COPYFLST_process_list(const COPY_LIST_ENTRY* list, const char* source_dir, const char* install_dir,
                            const char* start_menu_folder, std::uint8_t install_run) {
    if (list == nullptr) return FALSE;
    char system_dir[system_dir_size];
    UINT length = GetSystemDirectoryA(system_dir, system_dir_size);
    // An empty value makes <WINSYSTEM> refuse to expand, rather than name the drive's root.
    if (length == 0 || length >= system_dir_size) system_dir[0] = '\0';

    COPYFLST_resolve_csidl_paths();
    copyflst_set_macro_values(source_dir, install_dir, start_menu_folder, system_dir);

    BOOL8 completed = run_records(list, install_run);
    // A stopped run keeps its folder paths; the next run's allocation reports them as not freed.
    if (completed) release_csidl_paths();
    // The borrowed strings (and the system directory on this stack) end with the run; an
    // expansion made after it refuses the macros instead of reading them.
    copyflst_set_macro_values(nullptr, nullptr, nullptr, nullptr);
    return completed;
}

std::int32_t COPYFLST_count_entries(const COPY_LIST_ENTRY* list) {
    std::int32_t count = 0;
    if (list == nullptr) return 0;
    while (list[count].op != COPY_OP_END) ++count;
    return count;
}

char* COPYFLST_expand_path(const char* path) { return copyflst_expand_macros(path, path_macro_data); }

bool copyflst_expand(const char* path, copyflst_expansion& expansion, bool* refused) {
    expansion.reset(copyflst_expand_macros(path, path_macro_data, refused));
    return static_cast<bool>(expansion);
}

// Without the folder function nothing is resolved: rows without a path leave their macros
// without a value, and an expansion that uses one is refused. A query that fails for another
// reason than E_INVALIDARG leaves the cleared buffer, so the path is empty and refused alike.
// When an allocation fails the row stays without a path (after the message) and the run goes on.
void COPYFLST_resolve_csidl_paths(void) {
    COPYFLST_GET_FOLDER_PATH get_folder_path = COPYFLST_get_folder_path_function();
    if (get_folder_path == nullptr) return;
    for (std::int32_t f = 0; csidl_data[f].csidl != -1; ++f) {
        char folder[MAX_PATH] = {};
        HRESULT result = get_folder_path(nullptr, csidl_data[f].csidl | folder_flag_create, nullptr,
                                         SHGFP_TYPE_CURRENT, folder);
        folder[MAX_PATH - 1] = '\0';
        MEMORY_ALLOCATE(csidl_data[f].csidl_path, csidl_path_size, 0, "csidl_data[f].csidl_path");
        if (csidl_data[f].csidl_path == nullptr)
            MessageBoxA(nullptr, allocation_failed_text, allocation_failed_caption, MB_OK);
        else
            STRINGS_copy(csidl_data[f].csidl_path, csidl_path_size, folder);
        if (result == E_INVALIDARG) ExitProcess(0);
    }
}

namespace {

// The pump's two controls, looked up once per main window: under Wine each GetDlgItem is a round
// trip to the window server, and the pump runs for every file and directory a run touches. A
// control is taken from the cache only while it is still the window's child of that id.
struct pump_controls {
    HWND window;
    HWND bar;
    HWND label;
};
pump_controls pump_cache = {};

HWND pump_control(HWND window, int id, HWND& cached) {
    if (cached == nullptr || GetParent(cached) != window || GetDlgCtrlID(cached) != id)
        cached = GetDlgItem(window, id);
    return cached;
}

}  // namespace

void progress_pump(const char* text) {
    HWND window = local_install_details.main_window;
    if (pump_cache.window != window) pump_cache = {window, nullptr, nullptr};
    if (text == nullptr) SendMessageA(pump_control(window, IDC_PROGRESS, pump_cache.bar), PBM_STEPIT, 0, 0);

    // The main loop's own record. A quit message taken here is consumed: a close request made
    // during a run does not end the program. GetMessageA's -1 (an error) ends the pump as well,
    // rather than dispatching a record it did not fill.
    MSG& message = local_install_details.message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }

    if (text != nullptr)
        SendMessageA(pump_control(window, IDC_SECOND_STATUS, pump_cache.label), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(text));
}

void copyflst_report(std::int32_t text_id, copyflst_report_form form, const char* path) {
    char text[COPYFLST_TEXT_SIZE];
    char caption[COPYFLST_TEXT_SIZE];
    INSTALL_load_text(text_id, text, sizeof text);
    INSTALL_load_text(MSG_ERROR, caption, sizeof caption);
    // A message cut to the buffer still says what went wrong; it is only shown.
    char message[COPYFLST_MESSAGE_SIZE];
    switch (form) {
        case REPORT_TEXT_ALONE:
            STRINGS_copy(message, text);
            break;
        case REPORT_TEXT_PATH:
            STRINGS_format(message, sizeof message, "%s %s", text, path);
            break;
        case REPORT_TEXT_PATH_LINE:
            STRINGS_format(message, sizeof message, "%s, %s\n", text, path);
            break;
    }
    MessageBoxA(nullptr, message, caption, MB_OK);
}
