// Files, folders and registry keys as the Windows tests make and inspect them: whole contents,
// listings that never enter a link, and removal whatever read-only marks the code under test left
// behind.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// What read_file gives for a file that cannot be read.
inline constexpr const char* MISSING_FILE = "<missing>";

std::string read_file(const std::string& path);
bool write_file(const std::string& path, const std::string& content);
// Both readable and alike, byte for byte.
bool files_equal(const std::string& first, const std::string& second);
bool file_exists(const std::string& path);
bool dir_exists(const std::string& path);
bool key_exists(HKEY root, const std::string& path);
// A string value (REG_SZ) of a key, up to 1023 characters; none when it cannot be read.
std::optional<std::string> read_string_value(HKEY root, const std::string& key, const char* name);
// Stores text as a string value with its terminator, making the key when it is missing.
bool write_string_value(HKEY root, const std::string& key, const char* name, const std::string& text);
std::string current_directory();
// Makes every missing directory of path.
bool make_dirs(const std::string& path);
// Deletes a file or a whole directory tree, read-only or not; a missing path is fine.
void remove_tree(const std::string& path);
// Every file and folder below root, relative to it, in the file system's order; with
// mark_folders a folder ends in a backslash. A link is listed, never entered.
std::vector<std::string> entries_below(const std::string& root, bool mark_folders = false);
// The entries below root, folders marked, sorted and joined by blanks.
std::string listing(const std::string& root);
