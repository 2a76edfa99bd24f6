// Shell shortcuts through the shell's link object.
#define EBUG_MODULE "WINUTILS"

#include "WINUTILS.h"

#include <shlobj.h>

#include "EBUG.h"
#include "Handles.h"

namespace {

// The widest link file name the save accepts, terminator included.
const int link_name_size = MAX_PATH;

}  // namespace

BOOL8 WINUTILS_create_file_link(const char* target, const char* link_file, const char* description,
                                const char* working_dir, const char* arguments) {
    ENTER();
    IShellLinkA* created = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&created))))
        EBUG_RETURN(FALSE);
    WINUTILS_COM<IShellLinkA> link(created);

    // The setters' results are not looked at: whatever the object makes of a text (a web address
    // as a path, say), the link is saved with it.
    link.get()->SetPath(target);
    link.get()->SetDescription(description);
    // No arguments is the empty argument text; a null pointer is not something every shell takes.
    link.get()->SetArguments(arguments != nullptr ? arguments : "");
    link.get()->SetWorkingDirectory(working_dir);

    IPersistFile* persisted = nullptr;
    if (SUCCEEDED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persisted)))) {
        WINUTILS_COM<IPersistFile> file(persisted);
        // The whole name with its terminator. A name that does not fit converts to nothing, and
        // saving under whatever the buffer then holds would write some other file: no save.
        WCHAR wide_name[link_name_size];
        if (MultiByteToWideChar(CP_ACP, 0, link_file, -1, wide_name, link_name_size) > 0)
            file.get()->Save(wide_name, TRUE);
    }
    EBUG_RETURN(TRUE);
}
