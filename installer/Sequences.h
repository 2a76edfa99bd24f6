// The install and remove sequences behind the main window's buttons: directory creation and
// check, disk-space check, and the runs of the copy lists.
#pragma once

#include "Types.h"

// The copy lists the main window's buttons run.
enum INSTALL_COPY_LIST : std::uint8_t {
    INSTALL_LIST_COMPACT,
    INSTALL_LIST_TYPICAL,
    INSTALL_LIST_MAXIMUM,
    INSTALL_LIST_REMOVE
};

// Creates the parent directories of install_dir (the last component is the copy list's work).
void create_install_path(void);
// Validates install_dir: shows the install-type screen, or warns and stays.
void check_install_directory(void);
// TRUE when the install directory has the given megabytes free, and enough page file besides.
BOOL8 check_disk_space(std::int32_t megabytes);
// Runs an install copy list and records the installation.
void run_install(INSTALL_COPY_LIST list);
// Asks, then runs the remove copy list and deletes the installation's record.
void run_remove(INSTALL_COPY_LIST list);

// An install directory is usable when it starts with a drive letter and colon, is longer than a
// drive root, and never climbs with "..".
BOOL8 install_directory_is_valid(const char* directory);
