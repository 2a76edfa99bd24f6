// The yardstick for setup.exe's start-up time: the least a Win32 program must do to put a dialog
// on the screen. One modal dialog of setup.exe's size and font, built in memory, with nothing in
// it; it stays until it is closed.
#include <windows.h>

#include <cstring>

namespace {

// A DLGTEMPLATE followed by its variable-length parts, all WORD-aligned.
struct Template {
    DLGTEMPLATE header;
    WORD menu;
    WORD window_class;
    WCHAR title[24];
    WORD point_size;
    WCHAR font[8];
};

INT_PTR CALLBACK dialog_procedure(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_CLOSE:
        EndDialog(window, 0);
        return TRUE;
    default:
        return FALSE;
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    static Template dialog;
    std::memset(&dialog, 0, sizeof dialog);
    dialog.header.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
    dialog.header.cx = 163;
    dialog.header.cy = 215;
    const wchar_t title[] = L"Startup Minimal Dialog";
    const wchar_t font[] = L"Verdana";
    static_assert(sizeof title <= sizeof dialog.title && sizeof font <= sizeof dialog.font);
    std::memcpy(dialog.title, title, sizeof title);
    std::memcpy(dialog.font, font, sizeof font);
    dialog.point_size = 8;
    return static_cast<int>(DialogBoxIndirectParamA(instance, &dialog.header, nullptr, dialog_procedure, 0));
}
