// The installer application: run-wide state, text lookup, screens, dialog procedure, game launch,
// help file and window painting.
#pragma once

#include <windows.h>

#include "COPYFLST.h"
#include "Types.h"

#define INSTALL_PATH_SIZE 512
#define INSTALL_PROGRAM_FILES_SIZE 260
#define INSTALL_TEXT_SIZE 512
#define INSTALL_SHORT_TEXT_SIZE 256

// The installer's one run-wide state record. Zero before start-up; reached directly by every
// operation of the installer and of the install and remove sequences.
struct INSTALL_DETAILS {
    HWND main_window;                  // the modeless main dialog; owner of most message boxes
    HINSTANCE instance;                // source of every resource
    std::int32_t language_offset;      // added to every text id: 100 x language index
    std::uint8_t remove_mode;          // started with the command line "remove"
    std::uint8_t installed;            // the game counts as installed
    std::uint8_t at_main_menu;         // a main menu is on screen
    std::uint8_t quit_requested;       // ends the message loop at the next message
    char product_name[INSTALL_PATH_SIZE];                 // text 46; names the uninstall key
    char src_dir[INSTALL_PATH_SIZE];                      // the disc; a drive root without its backslash
    char install_dir[INSTALL_PATH_SIZE];                  // mirrors the directory edit box
    char program_files_dir[INSTALL_PROGRAM_FILES_SIZE];   // Program Files, or "c:"
    char uninstaller_path[INSTALL_PATH_SIZE];             // the copy of this program in the Windows directory
    char start_menu_folder[INSTALL_PATH_SIZE];            // the game's Start-menu folder
    COPYFLST_GET_FOLDER_PATH get_folder_path;            // SHGetFolderPathA, or null
    MSG message;                       // shared by the main loop and the progress pump
    // Painting state.
    HBITMAP background_bitmap;         // resource 3000, device-dependent
    HBITMAP button_skin;               // resource 156, DIB section
    HBRUSH background_brush;           // the stock black brush
    std::int32_t colour_depth;         // bits per pixel seen last
};

extern INSTALL_DETAILS local_install_details;

// Text lookup: loads text id + language_offset, cut to size - 1 characters. FALSE, with an empty
// buffer, when the id has no row.
BOOL8 INSTALL_load_text(std::int32_t id, char* buffer, std::int32_t size);

// The six screens of the main window. Each sets its texts first, then visibility and enabling.
void INSTALL_show_installed_menu(void);
void INSTALL_show_install_menu(void);
void INSTALL_show_directory_screen(void);
void INSTALL_show_type_screen(void);
void INSTALL_show_progress_screen(void);
void INSTALL_show_remove_screen(void);

INT_PTR CALLBACK INSTALL_dialog_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// The tail of the command line to act on: the text after own_path when process_line starts with
// that path unquoted, else usual_tail (the runtime's own cut).
const char* INSTALL_command_tail(const char* process_line, const char* own_path, const char* usual_tail);

// Game launch and help file.
// TargetDir of the product's uninstall record, read with 512 bytes offered into directory, whose
// one byte beyond them lets a value stored without its terminator still end in one. FALSE, with
// directory unspecified, when the key or the value cannot be read.
BOOL8 INSTALL_read_recorded_directory(const char* product_name, char (&directory)[INSTALL_PATH_SIZE + 1]);
void INSTALL_play_game(void);
BOOL8 INSTALL_run_installed_program(const char* product_name, const char* program_name);
void INSTALL_show_help(void);

// Skin bitmaps, background painting and owner-drawn controls.
void INSTALL_load_skin(void);
void INSTALL_show_last_error(void);
void INSTALL_paint_background(HWND window);
void INSTALL_draw_item(HWND window, const DRAWITEMSTRUCT* item);
