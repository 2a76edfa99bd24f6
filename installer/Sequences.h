// The install and remove sequences behind the main window's buttons: directory creation and
// check, disk-space check, the runs of the copy lists, the uninstall record and the Start menu's
// Programs folder.
#pragma once

#include "COPYFLST.h"
#include "Types.h"

// Creates the parent directories of install_dir (the last component is the copy list's work).
void create_install_path(void);
// Validates install_dir: shows the install-type screen, or warns and stays.
void check_install_directory(void);
// TRUE when the install directory has the given megabytes free, and enough page file besides.
// Also TRUE when the free space cannot be had at all (after a message).
BOOL8 check_disk_space(std::int32_t megabytes);
// Runs an install copy list and records the installation.
void run_install(const COPY_LIST_ENTRY* list);
// Asks, then runs the remove copy list and deletes the installation's record.
void run_remove(const COPY_LIST_ENTRY* list);
// Reads the recorded install directory into install_dir. Without a record there is nothing to
// remove: the program ends at once with exit status -1 after a message.
void read_target_dir(void);
// Reads the Start menu's Programs folder into start_menu_folder; FALSE, leaving it as it was,
// when the shell has not recorded one.
BOOL8 get_programs_folder(void);
// The shell's own answer for the Programs folder, into start_menu_folder; FALSE without one.
BOOL8 programs_folder_from_shell(void);

// An install directory is usable when it starts with a drive letter and colon, is longer than a
// drive root, and never climbs with "..".
BOOL8 install_directory_is_valid(const char* directory);

// The disk-space decision apart from the queries that feed it.
enum disk_space_verdict : std::uint8_t {
    DISK_SPACE_ENOUGH,        // the install may go on
    DISK_SPACE_DISK_SHORT,    // fewer free megabytes on the drive than required
    DISK_SPACE_MEMORY_SHORT   // free disk and free page file together short of required + 80
};
// Whole megabytes of a byte count, truncated.
std::int64_t megabytes_of(std::uint64_t bytes);
// Free bytes from the older query's cluster figures, without 32-bit overflow.
std::uint64_t free_bytes_of_clusters(std::uint32_t free_clusters, std::uint32_t sectors_per_cluster,
                                     std::uint32_t bytes_per_sector);
disk_space_verdict judge_disk_space(std::int64_t free_megabytes, std::int64_t page_file_megabytes,
                                    std::int32_t required_megabytes);

// Gives the shortcuts that older lists left in start_menu_folder their translated names.
void rename_start_menu_shortcuts(void);
