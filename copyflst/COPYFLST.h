// Copy-list engine: copy lists, path macros, shell folders and the progress pump.
#pragma once

#include <windows.h>

#include "Types.h"

// SHGetFolderPathA as the shell-folder library exports it.
typedef HRESULT(WINAPI* COPYFLST_GET_FOLDER_PATH)(HWND owner, int folder, HANDLE token, DWORD flags, LPSTR path);

// The shell-folder library's SHGetFolderPathA, loading the library on first use (and running its
// redistributable installer once when it is missing); null when it cannot be had.
COPYFLST_GET_FOLDER_PATH COPYFLST_get_folder_path_function(void);
