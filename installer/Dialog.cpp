// The main window's dialog procedure: painting messages, closing, and the button commands, which
// a table maps to actions by control id and the installer's state.
#include <cstddef>

#include "CopyLists.h"
#include "Handles.h"
#include "INSTALL.h"
#include "Sequences.h"
#include "resource.h"

namespace {

// The state a command row needs before its action runs. Rows of one id are tested in table order;
// the first whose condition holds is taken.
enum command_condition : std::uint8_t { WHEN_ALWAYS, WHEN_INSTALLED, WHEN_AT_MAIN_MENU, WHEN_REMOVE_MODE };

// An action returns TRUE when it posted the quit message, which is then the procedure's result.
typedef BOOL8 (*command_action)(void);

struct command_row {
    int id;
    command_condition condition;
    command_action action;
};

// Disk space in megabytes that each install type needs.
constexpr std::int32_t COMPACT_MEGABYTES = 40;
constexpr std::int32_t TYPICAL_MEGABYTES = 80;
constexpr std::int32_t MAXIMUM_MEGABYTES = 60;

BOOL8 command_quit(void) {
    PostQuitMessage(0);
    return TRUE;
}

BOOL8 command_nothing(void) {
    return FALSE;
}

BOOL8 command_play(void) {
    INSTALL_play_game();
    return FALSE;
}

BOOL8 command_help(void) {
    INSTALL_show_help();
    return FALSE;
}

BOOL8 command_install(std::int32_t megabytes, const COPY_LIST_ENTRY* list) {
    if (check_disk_space(megabytes)) run_install(list);
    return FALSE;
}

BOOL8 command_install_compact(void) {
    return command_install(COMPACT_MEGABYTES, INSTALL_COMPACT_LIST);
}

BOOL8 command_install_typical(void) {
    return command_install(TYPICAL_MEGABYTES, INSTALL_TYPICAL_LIST);
}

BOOL8 command_install_maximum(void) {
    return command_install(MAXIMUM_MEGABYTES, INSTALL_MAXIMUM_LIST);
}

BOOL8 command_remove(void) {
    run_remove(INSTALL_REMOVE_LIST);
    return FALSE;
}

// The uninstaller ends after the removal, whatever the user answered.
BOOL8 command_remove_and_quit(void) {
    run_remove(INSTALL_REMOVE_LIST);
    return command_quit();
}

BOOL8 command_choose_directory(void) {
    INSTALL_show_directory_screen();
    return FALSE;
}

BOOL8 command_leave_menu_for_directory(void) {
    INSTALL_show_directory_screen();
    local_install_details.at_main_menu = 0;
    return FALSE;
}

BOOL8 command_confirm_directory(void) {
    create_install_path();
    check_install_directory();
    return FALSE;
}

// Any notification of the edit box keeps install_dir equal to what it shows.
BOOL8 command_read_directory(void) {
    SendDlgItemMessageA(local_install_details.main_window, IDC_INSTALL_DIR, WM_GETTEXT,
                        sizeof local_install_details.install_dir,
                        reinterpret_cast<LPARAM>(local_install_details.install_dir));
    return FALSE;
}

BOOL8 command_cancel_directory(void) {
    local_install_details.at_main_menu = 1;
    INSTALL_show_install_menu();
    return FALSE;
}

// On the install-type screen slots 1 and 3 are disabled, so their install rows only run when a
// command for them arrives from elsewhere.
constexpr command_row command_table[] = {
    {IDC_SLOT1, WHEN_INSTALLED, command_play},
    {IDC_SLOT1, WHEN_AT_MAIN_MENU, command_nothing},
    {IDC_SLOT1, WHEN_ALWAYS, command_install_typical},
    {IDC_SLOT3, WHEN_AT_MAIN_MENU, command_nothing},
    {IDC_SLOT3, WHEN_ALWAYS, command_install_maximum},
    {IDC_SLOT2, WHEN_REMOVE_MODE, command_remove_and_quit},
    {IDC_SLOT2, WHEN_INSTALLED, command_remove},
    {IDC_SLOT2, WHEN_AT_MAIN_MENU, command_leave_menu_for_directory},
    {IDC_SLOT2, WHEN_ALWAYS, command_install_compact},
    {IDC_SLOT5, WHEN_ALWAYS, command_quit},
    {IDC_SLOT4, WHEN_AT_MAIN_MENU, command_help},
    {IDC_SLOT4, WHEN_ALWAYS, command_choose_directory},
    {IDC_DIR_OK, WHEN_ALWAYS, command_confirm_directory},
    {IDC_INSTALL_DIR, WHEN_ALWAYS, command_read_directory},
    {IDC_DIR_CANCEL, WHEN_ALWAYS, command_cancel_directory},
};

bool command_condition_holds(command_condition condition) {
    switch (condition) {
        case WHEN_INSTALLED: return local_install_details.installed == 1;
        case WHEN_AT_MAIN_MENU: return local_install_details.at_main_menu == 1;
        case WHEN_REMOVE_MODE: return local_install_details.remove_mode == 1;
        case WHEN_ALWAYS: break;
    }
    return true;
}

// Ids without a row (the labels, the progress bar) end the program like "Exit Setup".
BOOL8 dialog_command(int id) {
    for (const command_row& row : command_table) {
        if (row.id == id && command_condition_holds(row.condition)) return row.action();
    }
    return command_quit();
}

void dialog_initialise(HWND window) {
    local_install_details.background_brush = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    WINUTILS_WINDOW_DC dc(window);
    local_install_details.colour_depth = GetDeviceCaps(dc.get(), BITSPIXEL);
}

void dialog_erase(HWND window, HDC dc) {
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, local_install_details.background_brush);
}

}  // namespace

INT_PTR CALLBACK INSTALL_dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
        case WM_INITDIALOG:
            dialog_initialise(window);
            return TRUE;
        case WM_DRAWITEM:
            INSTALL_draw_item(window, reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
            return TRUE;
        case WM_PAINT:
            // The whole picture is copied on every paint, so the whole area is repainted.
            InvalidateRect(window, nullptr, TRUE);
            INSTALL_paint_background(window);
            return TRUE;
        case WM_ERASEBKGND:
            dialog_erase(window, reinterpret_cast<HDC>(wparam));
            return TRUE;
        case WM_WINDOWPOSCHANGED:
            InvalidateRect(window, nullptr, TRUE);
            return TRUE;
        case WM_CLOSE:
            PostQuitMessage(0);
            return TRUE;
        case WM_QUIT:
            local_install_details.quit_requested = 1;
            EndDialog(window, 0);
            return TRUE;
        case WM_COMMAND:
            return dialog_command(LOWORD(wparam));
        default:
            return FALSE;
    }
}
