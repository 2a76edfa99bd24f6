// The six screens of the main window: each is one row of a table saying, per control, which text
// it gets and whether it is shown and enabled; one function applies a row.
#include <cstddef>

#include "Fixed.h"
#include "INSTALL.h"
#include "Strings.h"
#include "resource.h"

namespace {

// What a screen does to a control's visibility or enabled state; AS_IS leaves it as the previous
// screen had it.
enum : std::uint8_t { AS_IS, SHOWN, HIDDEN };
enum : std::uint8_t { ENABLED = 1, DISABLED = 2 };

struct screen_slot {
    std::uint16_t text;  // 0: the text is not touched
    std::uint8_t visibility;
    std::uint8_t enabling;
};

constexpr std::size_t SLOT_COUNT = 5;
constexpr std::size_t OTHER_COUNT = 7;

// Big buttons from the top slot down, and the other controls in the order of screen_layout::others.
constexpr int slot_ids[SLOT_COUNT] = {IDC_SLOT1, IDC_SLOT2, IDC_SLOT3, IDC_SLOT4, IDC_SLOT5};
constexpr int other_ids[OTHER_COUNT] = {IDC_PROMPT_LABEL, IDC_INSTALL_DIR,  IDC_STATUS_LABEL, IDC_SECOND_STATUS,
                                        IDC_DIR_OK,       IDC_DIR_CANCEL,   IDC_PROGRESS};

struct screen_layout {
    screen_slot slots[SLOT_COUNT];
    std::uint8_t others[OTHER_COUNT];  // visibility only
    int label;                         // the one label whose text the screen sets, or 0
    std::uint16_t label_text;
};

enum screen : std::uint8_t {
    SCREEN_INSTALLED_MENU,
    SCREEN_INSTALL_MENU,
    SCREEN_DIRECTORY,
    SCREEN_TYPE,
    SCREEN_PROGRESS,
    SCREEN_REMOVE
};

// Where a row leaves a state as it is, every path into that screen has the control enabled; the
// remove screen keeps the template's visibility of the big buttons and of Cancel.
constexpr screen_layout screen_layouts[] = {
    // SCREEN_INSTALLED_MENU
    {{{MSG_PLAY, SHOWN, ENABLED},
      {MSG_REMOVE, SHOWN, AS_IS},
      {MSG_DIRECTX, HIDDEN, ENABLED},
      {MSG_README, SHOWN, AS_IS},
      {MSG_EXIT, SHOWN, AS_IS}},
     // 1009    1011    1010    1012    1       1014    1005
     {HIDDEN, HIDDEN, HIDDEN, HIDDEN, HIDDEN, HIDDEN, HIDDEN},
     0, 0},
    // SCREEN_INSTALL_MENU
    {{{MSG_PLAY, SHOWN, DISABLED},
      {MSG_INSTALL, SHOWN, ENABLED},
      {MSG_DIRECTX, HIDDEN, ENABLED},
      {MSG_README, SHOWN, ENABLED},
      {MSG_EXIT, SHOWN, ENABLED}},
     {HIDDEN, HIDDEN, HIDDEN, HIDDEN, HIDDEN, HIDDEN, HIDDEN},
     0, 0},
    // SCREEN_DIRECTORY (the edit box's text is the default directory, set before the row)
    {{{0, HIDDEN, AS_IS}, {0, HIDDEN, AS_IS}, {0, HIDDEN, AS_IS}, {0, HIDDEN, AS_IS}, {0, HIDDEN, AS_IS}},
     {SHOWN, SHOWN, HIDDEN, HIDDEN, SHOWN, SHOWN, HIDDEN},
     IDC_PROMPT_LABEL, MSG_TYPEINSTALLDIR},
    // SCREEN_TYPE
    {{{MSG_TYPICAL, SHOWN, DISABLED},
      {MSG_COMPACT, SHOWN, AS_IS},
      {MSG_MAXIMUM, SHOWN, DISABLED},
      {MSG_CANCEL, SHOWN, AS_IS},
      {MSG_EXIT, SHOWN, AS_IS}},
     {HIDDEN, HIDDEN, HIDDEN, HIDDEN, HIDDEN, HIDDEN, HIDDEN},
     0, 0},
    // SCREEN_PROGRESS (Ok and Cancel are already hidden on every screen that leads here)
    {{{0, HIDDEN, AS_IS}, {0, HIDDEN, AS_IS}, {0, HIDDEN, AS_IS}, {0, HIDDEN, AS_IS}, {0, HIDDEN, AS_IS}},
     {HIDDEN, HIDDEN, SHOWN, HIDDEN, AS_IS, AS_IS, SHOWN},
     IDC_STATUS_LABEL, MSG_INSTALLING},
    // SCREEN_REMOVE
    {{{MSG_PLAY, AS_IS, DISABLED},
      {MSG_REMOVE, AS_IS, AS_IS},
      {MSG_DIRECTX, AS_IS, DISABLED},
      {MSG_README, AS_IS, DISABLED},
      {MSG_EXIT, AS_IS, AS_IS}},
     {HIDDEN, HIDDEN, HIDDEN, HIDDEN, HIDDEN, AS_IS, HIDDEN},
     0, 0},
};

void screen_set_text(HWND window, int control, std::uint16_t text_id) {
    char text[INSTALL_TEXT_SIZE];
    INSTALL_load_text(text_id, text, sizeof text);
    SendDlgItemMessageA(window, control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

void screen_set_visibility(HWND window, int control, std::uint8_t visibility) {
    if (visibility == AS_IS) return;
    ShowWindow(GetDlgItem(window, control), visibility == SHOWN ? SW_SHOW : SW_HIDE);
}

// Texts first, so that a control never appears with the previous screen's caption.
void screen_show(screen which) {
    const screen_layout& layout = screen_layouts[which];
    HWND window = local_install_details.main_window;
    for (std::size_t i = 0; i < SLOT_COUNT; ++i) {
        if (layout.slots[i].text != 0) screen_set_text(window, slot_ids[i], layout.slots[i].text);
    }
    if (layout.label != 0) screen_set_text(window, layout.label, layout.label_text);

    for (std::size_t i = 0; i < SLOT_COUNT; ++i) {
        const screen_slot& slot = layout.slots[i];
        if (slot.enabling != AS_IS) EnableWindow(GetDlgItem(window, slot_ids[i]), slot.enabling == ENABLED);
        screen_set_visibility(window, slot_ids[i], slot.visibility);
    }
    for (std::size_t i = 0; i < OTHER_COUNT; ++i) screen_set_visibility(window, other_ids[i], layout.others[i]);
    // The focus may not stay on a control the screen hid or disabled: the dialog manager hands it
    // back there after every message box, and a Space would then press a button the screen does
    // not offer (Play or Remove in the middle of a removal).
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(window, focus) && (!IsWindowVisible(focus) || !IsWindowEnabled(focus))) {
        HWND next = GetNextDlgTabItem(window, nullptr, FALSE);
        SetFocus(next != nullptr ? next : window);
    }
}

}  // namespace

void INSTALL_show_installed_menu(void) {
    screen_show(SCREEN_INSTALLED_MENU);
}

void INSTALL_show_install_menu(void) {
    screen_show(SCREEN_INSTALL_MENU);
}

// Every visit starts again from the default directory: Program Files joined with text 22.
void INSTALL_show_directory_screen(void) {
    char default_name[INSTALL_TEXT_SIZE];
    INSTALL_load_text(MSG_DEFAULT_DIR, default_name, sizeof default_name);
    STRINGS_format(local_install_details.install_dir, sizeof local_install_details.install_dir,
                   INSTALL_DEFAULT_DIR_PATTERN, local_install_details.program_files_dir, default_name);
    SendDlgItemMessageA(local_install_details.main_window, IDC_INSTALL_DIR, WM_SETTEXT, 0,
                        reinterpret_cast<LPARAM>(local_install_details.install_dir));
    screen_show(SCREEN_DIRECTORY);
}

void INSTALL_show_type_screen(void) {
    screen_show(SCREEN_TYPE);
}

void INSTALL_show_progress_screen(void) {
    screen_show(SCREEN_PROGRESS);
}

void INSTALL_show_remove_screen(void) {
    screen_show(SCREEN_REMOVE);
}
