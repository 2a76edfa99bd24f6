// Copy-list engine: copy lists, path macros, shell folders and the progress pump.
#include "COPYFLST.h"

#include <cstdlib>

namespace {

// Module state. The shell-folder library is loaded at most once per process and never released,
// because the entry point handed out must stay valid for the rest of the run.
struct copyflst_state {
    HMODULE shell_folder_library;
};

copyflst_state copyflst_module = {};

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
