// Install and remove sequences: the install directory's creation and check. The disk-space
// check and the copy-list runs are not available in this build yet.
#include "Sequences.h"

#include <cstring>

#include "INSTALL.h"
#include "Strings.h"
#include "resource.h"

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
    char text[INSTALL_TEXT_SIZE];
    char caption[INSTALL_TEXT_SIZE];
    INSTALL_load_text(MSG_NOTVALIDDIR, text, sizeof text);
    INSTALL_load_text(MSG_WARNING, caption, sizeof caption);
    MessageBoxA(local_install_details.main_window, text, caption, MB_ICONINFORMATION | MB_OK);
}

// Not available yet: the disk-space check comes with the install sequence. Until then no install
// type passes, so the install-type screen stays and nothing is copied or recorded.
BOOL8 check_disk_space(std::int32_t megabytes) {
    (void)megabytes;
    return FALSE;
}

// Not available yet: the install sequence proper (progress screen, copy-list run, shortcuts,
// uninstall record). Does nothing.
void run_install(INSTALL_COPY_LIST list) {
    (void)list;
}

// Not available yet: the remove sequence (question, copy-list run, record deletion). Does nothing.
void run_remove(INSTALL_COPY_LIST list) {
    (void)list;
}
