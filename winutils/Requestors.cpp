// Modal questions (one line of text, open and save dialogs, the folder browser) and the message
// pump that follows them.
#define EBUG_MODULE "WINUTILS"

#include "WINUTILS.h"

#include <commdlg.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>

#include "EBUG.h"
#include "Handles.h"
#include "requestors_private.h"

namespace {

// Resource and control ids of the text-entry template the program's resources supply.
const WORD text_entry_dialog = 900;
const int text_entry_prompt = 910;
const int text_entry_edit = 911;

// Set by no operation here: while null, the executable's own resources hold the template.
HINSTANCE winutils_instance = nullptr;

// The open text-entry request, read by the dialog procedure while the dialog is up.
struct text_request {
    const char* title;
    const char* prompt;
    char* buffer;
    std::int32_t size;
};
text_request winutils_text_request = {};

// The file-dialog request, filled anew by every call; with its filter, it has to outlive the
// dialog, so it is kept beside the other module state.
OPENFILENAMEA winutils_file_request = {};
char winutils_filter[winutils_filter_size];

// Flags of the checked modes (OFN_NOLONGNAMES | OFN_FILEMUSTEXIST | OFN_OVERWRITEPROMPT) and of the
// plain save.
const DWORD checked_flags = 0x41002;
const DWORD plain_save_flags = OFN_OVERWRITEPROMPT;
// Size the custom-filter field carries although no custom filter is given.
const DWORD custom_filter_size = 40;
// The current directory kept across the file dialogs, terminator included.
const DWORD saved_directory_size = 256;

const char default_folder_title[] = "Choose a folder";
// Image index passed to the folder browser.
const int folder_image = 1;

// Cancelling or closing the question is not an answer the caller can handle: the program ends.
[[noreturn]] void text_entry_abandon(HWND dialog) {
    EndDialog(dialog, IDCANCEL);
    std::exit(-1);
}

INT_PTR CALLBACK text_entry_procedure(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, text_entry_prompt, WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(winutils_text_request.prompt));
        SendDlgItemMessageA(dialog, text_entry_edit, WM_SETTEXT, 0,
                            reinterpret_cast<LPARAM>(winutils_text_request.buffer));
        SetFocus(GetDlgItem(dialog, text_entry_edit));
        SetWindowTextA(dialog, winutils_text_request.title);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wparam) == IDOK) {
            // GetDlgItemTextA keeps within the count it is given, terminator included.
            if (winutils_text_request.buffer != nullptr && winutils_text_request.size > 0)
                GetDlgItemTextA(dialog, text_entry_edit, winutils_text_request.buffer, winutils_text_request.size);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wparam) == IDCANCEL) text_entry_abandon(dialog);
        return FALSE;
    case WM_CLOSE:
        PostQuitMessage(0);
        text_entry_abandon(dialog);
    default:
        return FALSE;
    }
}

// Puts back the current directory on every way out of the file requestor. A directory too long
// to keep was not saved, and is then left as the dialogs leave it.
class saved_directory {
public:
    saved_directory() {
        DWORD length = GetCurrentDirectoryA(saved_directory_size, path_);
        saved_ = length > 0 && length < saved_directory_size;
    }
    ~saved_directory() {
        if (saved_) SetCurrentDirectoryA(path_);
    }
    saved_directory(const saved_directory&) = delete;
    saved_directory& operator=(const saved_directory&) = delete;

private:
    char path_[saved_directory_size];
    bool saved_ = false;
};

}  // namespace

BOOL8 winutils_build_filter(char* filter, std::size_t size, const char* description, const char* pattern) {
    if (description == nullptr) description = "";
    if (pattern == nullptr) pattern = "";
    std::size_t description_length = std::strlen(description);
    std::size_t pattern_length = std::strlen(pattern);
    // description, NUL, pattern, three NULs
    if (filter == nullptr || description_length >= size || pattern_length >= size ||
        description_length + pattern_length + 4 > size)
        return FALSE;
    std::memcpy(filter, description, description_length);
    filter[description_length] = '\0';
    std::memcpy(filter + description_length + 1, pattern, pattern_length);
    std::memset(filter + description_length + 1 + pattern_length, 0, 3);
    return TRUE;
}

std::int32_t WINUTILS_get_text_string(const char* title, const char* prompt, char* buffer, std::int32_t size) {
    ENTER();
    winutils_text_request = {title, prompt, buffer, size};
    HINSTANCE instance = winutils_instance != nullptr ? winutils_instance : GetModuleHandleA(nullptr);
    DialogBoxParamA(instance, MAKEINTRESOURCEA(text_entry_dialog), GetDesktopWindow(), text_entry_procedure, 0);
    winutils_text_request = {};
    WINUTILS_process_messages();
    EBUG_RETURN(0);
}

BOOL8 WINUTILS_file_requestor(const char* title, char* file_name, const char* default_extension,
                              const char* filter_description, const char* filter_pattern,
                              const char* initial_dir, std::uint32_t mode) {
    ENTER();
    saved_directory directory;
    if (file_name == nullptr) {
        EBUG_MESSAGE("WINUTILS_file_requestor failed: no file name buffer");
        EBUG_RETURN(FALSE);
    }
    if (!winutils_build_filter(winutils_filter, sizeof winutils_filter, filter_description, filter_pattern)) {
        EBUG_MESSAGE("WINUTILS_file_requestor failed: filter too long");
        EBUG_RETURN(FALSE);
    }

    winutils_file_request = {};
    winutils_file_request.lStructSize = sizeof winutils_file_request;
    winutils_file_request.hwndOwner = GetDesktopWindow();
    winutils_file_request.lpstrFilter = winutils_filter;
    winutils_file_request.lpstrCustomFilter = nullptr;
    winutils_file_request.nMaxCustFilter = custom_filter_size;
    winutils_file_request.nFilterIndex = 0;
    winutils_file_request.lpstrFile = file_name;
    winutils_file_request.nMaxFile = WINUTILS_FILE_NAME_SIZE;
    winutils_file_request.lpstrFileTitle = nullptr;
    winutils_file_request.nMaxFileTitle = 0;
    winutils_file_request.lpstrInitialDir = initial_dir;
    winutils_file_request.lpstrTitle = title;
    winutils_file_request.lpstrDefExt = default_extension;
    if (initial_dir != nullptr) SetCurrentDirectoryA(initial_dir);

    if (mode & WINUTILS_REQUEST_OPEN) {
        winutils_file_request.Flags = checked_flags;
        if (GetOpenFileNameA(&winutils_file_request)) EBUG_RETURN(TRUE);
    }
    if (mode & WINUTILS_REQUEST_SAVE_CHECKED) {
        winutils_file_request.Flags = checked_flags;
        if (GetSaveFileNameA(&winutils_file_request)) EBUG_RETURN(TRUE);
    }
    if (mode & WINUTILS_REQUEST_SAVE) {
        winutils_file_request.Flags = plain_save_flags;
        if (GetSaveFileNameA(&winutils_file_request)) EBUG_RETURN(TRUE);
    }
    EBUG_RETURN(FALSE);
}

BOOL8 WINUTILS_folder_requestor(const char* title, char* path) {
    ENTER();
    if (path == nullptr) {
        EBUG_MESSAGE("Passed NULL folder path buffer");
        EBUG_RETURN(FALSE);
    }
    BROWSEINFOA browse = {};
    browse.hwndOwner = GetDesktopWindow();
    browse.pidlRoot = nullptr;
    browse.pszDisplayName = path;
    browse.lpszTitle = title != nullptr ? title : default_folder_title;
    browse.ulFlags = BIF_RETURNONLYFSDIRS;
    browse.lpfn = nullptr;
    browse.lParam = 0;
    browse.iImage = folder_image;

    LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
    if (chosen == nullptr) EBUG_RETURN(FALSE);
    SHGetPathFromIDListA(chosen, path);
    // The item list belongs to the shell's allocator and goes back through it.
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator))) {
        WINUTILS_COM<IMalloc> shell_allocator(allocator);
        shell_allocator.get()->Free(chosen);
    }
    EBUG_RETURN(TRUE);
}

void WINUTILS_process_messages(void) {
    ENTER();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        // 0 is the quit message, now taken; -1 a failure, which another round would only repeat.
        if (GetMessageA(&message, nullptr, 0, 0) <= 0) break;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    LEAVE();
}
