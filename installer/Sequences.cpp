// Install and remove sequences: the install directory's creation and check, the disk-space check,
// the runs of the copy lists with their progress bar, the shortcut renames and the uninstall
// record.
#include "Sequences.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "Fixed.h"
#include "INSTALL.h"
#include "Strings.h"
#include "WINUTILS.h"
#include "resource.h"

namespace {

constexpr std::uint64_t BYTES_PER_MEGABYTE = 1048576;
// Page file the game wants on top of its disk space, in megabytes.
constexpr std::int32_t PAGE_FILE_RESERVE_MEGABYTES = 80;
// The head of every install list creates the directory skeleton; those records do not step the
// bar, so they are left out of its range.
constexpr std::int32_t UNSTEPPED_INSTALL_RECORDS = 19;
// Every record that steps the bar moves it by the control's default step.
constexpr std::int32_t PROGRESS_STEP = 10;
// The fourth shortcut's translated name. The string table has no row for it, so the lookup
// gives an empty name and the shortcut becomes ".url".
constexpr std::int32_t MSG_START_MENU_SITE_WEB = 47;

// Shortcuts of older lists and the texts that name them after an install.
struct shortcut_rename {
    const char* old_name;
    std::int32_t text_id;
    const char* extension;
};

constexpr shortcut_rename shortcut_renames[] = {
    {INSTALL_OLD_WEB_LINK, MSG_START_MENU_OSTRA_WEB, INSTALL_URL_EXTENSION},
    {INSTALL_OLD_SOFTWARE_LINK, MSG_START_MENU_SW, INSTALL_LNK_EXTENSION},
    {INSTALL_OLD_3DFX_LINK, MSG_START_MENU_3DFX, INSTALL_LNK_EXTENSION},
    {INSTALL_OLD_SITE_LINK, MSG_START_MENU_SITE_WEB, INSTALL_URL_EXTENSION},
};

// A message box of two string-table texts, owned by the main window.
int show_text_box(std::int32_t text_id, std::int32_t caption_id, UINT type) {
    char text[INSTALL_TEXT_SIZE];
    char caption[INSTALL_TEXT_SIZE];
    INSTALL_load_text(text_id, text, sizeof text);
    INSTALL_load_text(caption_id, caption, sizeof caption);
    return MessageBoxA(local_install_details.main_window, text, caption, type);
}

// The control keeps 16-bit bounds: a negative record count wraps (-190 gives 65346).
WPARAM progress_bound(std::int32_t upper) {
    return static_cast<WPARAM>(static_cast<std::uint32_t>(upper) & 0xFFFFu);
}

WPARAM reset_progress_bar(std::int32_t upper) {
    WPARAM bound = progress_bound(upper);
    HWND window = local_install_details.main_window;
    SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, bound));
    SendDlgItemMessageA(window, IDC_PROGRESS, PBM_SETPOS, 0, 0);
    return bound;
}

// The game's Start-menu folder: the Programs folder (or whatever the field held when there is
// none) with the product's own folder below it. When the two do not fit together the field is
// emptied: a cut name, or the Programs folder itself, would make and later delete some other
// folder, while an empty one makes every Start-menu operation refuse. Below an empty field the
// game's folder is one at the root of the current drive.
void append_product_folder(void) {
    INSTALL_DETAILS& details = local_install_details;
    if (!STRINGS_append(details.start_menu_folder, INSTALL_FOLDER_SEPARATOR) ||
        !STRINGS_append(details.start_menu_folder, details.product_name))
        details.start_menu_folder[0] = '\0';
}

// A key path cut short would name some other key, so a path that does not fit is no path.
bool format_uninstall_key(char* key_path, std::size_t size) {
    return STRINGS_format(key_path, size, INSTALL_UNINSTALL_KEY_PATTERN, local_install_details.product_name) != 0;
}

// Writes the three values in their order; TRUE when TargetDir, the one start-up looks for, was
// written.
bool write_uninstall_record(void) {
    const INSTALL_DETAILS& details = local_install_details;
    char key_path[INSTALL_PATH_SIZE];
    if (!format_uninstall_key(key_path, sizeof key_path)) return false;
    char command[INSTALL_PATH_SIZE + sizeof INSTALL_UNINSTALL_STRING_PATTERN];
    STRINGS_format(command, sizeof command, INSTALL_UNINSTALL_STRING_PATTERN, details.uninstaller_path);
    WINUTILS_set_registry_entry(WINUTILS_ROOT_LOCAL_MACHINE, key_path, INSTALL_DISPLAY_NAME_VALUE,
                                details.product_name, 0);
    WINUTILS_set_registry_entry(WINUTILS_ROOT_LOCAL_MACHINE, key_path, INSTALL_UNINSTALL_STRING_VALUE, command, 0);
    return WINUTILS_set_registry_entry(WINUTILS_ROOT_LOCAL_MACHINE, key_path, INSTALL_TARGET_DIR_VALUE,
                                       details.install_dir, 0) != 0;
}

}  // namespace

BOOL8 install_directory_is_valid(const char* directory) {
    if (directory[0] == '\0' || directory[1] != ':') return FALSE;
    if (std::strlen(directory) <= 3) return FALSE;
    return std::strstr(directory, "..") == nullptr ? TRUE : FALSE;
}

void create_install_path(void) {
    const char* directory = local_install_details.install_dir;
    if (directory[0] == '\0' || directory[1] != ':') return;
    char parent[INSTALL_PATH_SIZE];
    std::size_t length = strnlen(directory, sizeof parent - 1);
    // The root's backslash and the character after it are passed over; every later backslash
    // closes a parent directory.
    bool root_passed = false;
    for (std::size_t i = 0; i < length; ++i) {
        if (directory[i] != '\\') continue;
        if (!root_passed) {
            root_passed = true;
            ++i;
            continue;
        }
        std::memcpy(parent, directory, i);
        parent[i] = '\0';
        CreateDirectoryA(parent, nullptr);
    }
}

void check_install_directory(void) {
    if (install_directory_is_valid(local_install_details.install_dir)) {
        INSTALL_show_type_screen();
        return;
    }
    show_text_box(MSG_NOTVALIDDIR, MSG_WARNING, MB_ICONINFORMATION | MB_OK);
}

std::int64_t megabytes_of(std::uint64_t bytes) {
    return static_cast<std::int64_t>(bytes / BYTES_PER_MEGABYTE);
}

std::uint64_t free_bytes_of_clusters(std::uint32_t free_clusters, std::uint32_t sectors_per_cluster,
                                     std::uint32_t bytes_per_sector) {
    return std::uint64_t{free_clusters} * sectors_per_cluster * bytes_per_sector;
}

disk_space_verdict judge_disk_space(std::int64_t free_megabytes, std::int64_t page_file_megabytes,
                                    std::int32_t required_megabytes) {
    if (free_megabytes < required_megabytes) return DISK_SPACE_DISK_SHORT;
    if (free_megabytes + page_file_megabytes < std::int64_t{required_megabytes} + PAGE_FILE_RESERVE_MEGABYTES) {
        return DISK_SPACE_MEMORY_SHORT;
    }
    return DISK_SPACE_ENOUGH;
}

BOOL8 check_disk_space(std::int32_t megabytes) {
    // The queries below ask about the current drive, so the install drive's root becomes the
    // current directory for their length.
    char previous[INSTALL_PATH_SIZE];
    DWORD previous_length = GetCurrentDirectoryA(sizeof previous, previous);
    bool remembered = previous_length > 0 && previous_length < sizeof previous;
    char root[4];
    STRINGS_copy(root, local_install_details.install_dir);
    SetCurrentDirectoryA(root);

    // The whole free space of the drive counts, not just what a disk quota leaves this user.
    ULARGE_INTEGER available_to_user;
    ULARGE_INTEGER total;
    ULARGE_INTEGER total_free;
    std::uint64_t free_bytes = 0;
    if (GetDiskFreeSpaceExA(nullptr, &available_to_user, &total, &total_free)) {
        free_bytes = total_free.QuadPart;
    } else {
        DWORD sectors_per_cluster = 0;
        DWORD bytes_per_sector = 0;
        DWORD free_clusters = 0;
        DWORD clusters = 0;
        if (!GetDiskFreeSpaceA(nullptr, &sectors_per_cluster, &bytes_per_sector, &free_clusters, &clusters)) {
            // Without a figure the install goes on unchecked.
            MessageBoxA(local_install_details.main_window, INSTALL_DISK_SPACE_FAILED_TEXT, INSTALL_ERROR_CAPTION,
                        MB_OK);
            if (remembered) SetCurrentDirectoryA(previous);
            return TRUE;
        }
        free_bytes = free_bytes_of_clusters(free_clusters, sectors_per_cluster, bytes_per_sector);
    }
    std::int64_t free_megabytes = megabytes_of(free_bytes);
    if (remembered) SetCurrentDirectoryA(previous);

    // GlobalMemoryStatus on both builds, as the program always asked. On machines with more than
    // 4 GB its figures stop at 4 GB (all bits set), on the 64-bit build too; that is far above the
    // few hundred megabytes compared here, so the clamp never changes the answer.
    MEMORYSTATUS memory;
    std::memset(&memory, 0, sizeof memory);
    memory.dwLength = sizeof memory;
    GlobalMemoryStatus(&memory);
    // Short of disk or short of disk and page file together: one message for both.
    if (judge_disk_space(free_megabytes, megabytes_of(memory.dwAvailPageFile), megabytes) != DISK_SPACE_ENOUGH) {
        show_text_box(MSG_NOTENOUGHSPACE, MSG_INFO, MB_OK);
        return FALSE;
    }
    return TRUE;
}

void rename_start_menu_shortcuts(void) {
    const char* folder = local_install_details.start_menu_folder;
    // Without a Start-menu folder the names would be taken from the current drive's root.
    if (folder[0] == '\0') return;
    for (const shortcut_rename& row : shortcut_renames) {
        char name[INSTALL_TEXT_SIZE];
        INSTALL_load_text(row.text_id, name, sizeof name);
        char old_path[INSTALL_PATH_SIZE];
        char new_path[INSTALL_PATH_SIZE];
        // A cut path would name some other file; such a rename is left out.
        if (!STRINGS_format(old_path, sizeof old_path, INSTALL_OLD_LINK_PATTERN, folder, row.old_name)) continue;
        if (!STRINGS_format(new_path, sizeof new_path, INSTALL_NEW_LINK_PATTERN, folder, name, row.extension)) {
            continue;
        }
        std::rename(old_path, new_path);
    }
}

void run_install(const COPY_LIST_ENTRY* list) {
    INSTALL_DETAILS& details = local_install_details;
    // Without the shell's record of the Programs folder, or with an empty one, the shell is asked
    // for the folder itself: the field's old or empty contents would put the game's folder at the
    // root of the current drive (the disc), or inside the one an earlier run made. With no answer
    // either the field is emptied, and every Start-menu record refuses.
    if ((get_programs_folder() && details.start_menu_folder[0] != '\0') || programs_folder_from_shell())
        append_product_folder();
    else
        details.start_menu_folder[0] = '\0';

    details.installed = 1;
    INSTALL_show_progress_screen();
    WPARAM bound = reset_progress_bar((COPYFLST_count_entries(list) - UNSTEPPED_INSTALL_RECORDS) * PROGRESS_STEP);

    BOOL8 completed = COPYFLST_process_list(list, details.src_dir, details.install_dir, details.start_menu_folder, 1);
    SendDlgItemMessageA(details.main_window, IDC_PROGRESS, PBM_SETPOS, bound, 0);
    if (!completed) {
        // What the run made stays; without a record the next start offers installing again.
        details.installed = 0;
        details.at_main_menu = 1;
        INSTALL_show_install_menu();
        return;
    }

    rename_start_menu_shortcuts();
    // A failed write is not reported; only the completion message depends on TargetDir.
    if (write_uninstall_record()) show_text_box(MSG_SUCCESS, MSG_INFO, MB_OK);
    details.at_main_menu = 1;
    INSTALL_show_installed_menu();
}

void read_target_dir(void) {
    INSTALL_DETAILS& details = local_install_details;
    char value[INSTALL_PATH_SIZE + 1];
    // A value that fills the whole field without its terminator would only fit cut, and a cut
    // directory is some other directory: it is no install directory at all.
    if (!INSTALL_read_recorded_directory(details.product_name, value) || std::strlen(value) >= INSTALL_PATH_SIZE) {
        // No record, no directory to remove: the run-wide shutdown is skipped on purpose.
        show_text_box(MSG_UNABLETOOPENKEY, MSG_ERROR, MB_OK);
        ExitProcess(static_cast<UINT>(-1));
    }
    STRINGS_copy(details.install_dir, value);
}

void run_remove(const COPY_LIST_ENTRY* list) {
    INSTALL_DETAILS& details = local_install_details;
    // The box offers Yes and No only; No turns back with nothing changed, and so does a box that
    // could not be shown: only a Yes is consent.
    if (show_text_box(MSG_AREYOUSURE, MSG_QUESTION, MB_YESNO | MB_ICONQUESTION) != IDYES) return;

    INSTALL_show_progress_screen();
    char removing[INSTALL_TEXT_SIZE];
    INSTALL_load_text(MSG_REMOVING, removing, sizeof removing);
    SendDlgItemMessageA(details.main_window, IDC_STATUS_LABEL, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(removing));

    read_target_dir();
    // Without a Programs folder the Start-menu folder is built from what the field held, and the
    // removal goes on; an empty one is read without a word. In the uninstaller, whose field is
    // empty, both give the game's folder at the root of the current drive, which the deletion asks
    // about like any other.
    if (!get_programs_folder()) show_text_box(MSG_UNABLETOOPENKEY, MSG_ERROR, MB_OK);
    append_product_folder();

    reset_progress_bar(COPYFLST_count_entries(list) * PROGRESS_STEP);
    if (!COPYFLST_process_list(list, nullptr, details.install_dir, details.start_menu_folder, 0)) {
        INSTALL_show_installed_menu();
        return;
    }

    // Declined directory deletions still end here: the record goes once the user said yes.
    WINUTILS_clear_registry_entry(WINUTILS_ROOT_LOCAL_MACHINE, INSTALL_UNINSTALL_PARENT, details.product_name,
                                  nullptr);
    show_text_box(MSG_REMOVECOMPLETE, MSG_INFO, MB_OK);
    // The uninstaller ends once this returns; the window only changes for the installer.
    if (details.remove_mode == 1) return;
    INSTALL_show_install_menu();
    details.at_main_menu = 1;
    details.installed = 0;
}
