// Whole-file reads and writes, link-safe listings and forced removal for the Windows tests.
#include "scratch_files.h"

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

void collect(const std::string& root, const std::string& relative, bool mark_folders, std::vector<std::string>& found) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((root + "\\" + relative + "*").c_str(), &entry);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &entry)) {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const bool folder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        found.push_back(relative + name + (folder && mark_folders ? "\\" : ""));
        if (folder && !(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
            collect(root, relative + name + "\\", mark_folders, found);
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

}  // namespace

std::string read_file(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return file ? std::string(std::istreambuf_iterator<char>(file), {}) : MISSING_FILE;
}

bool write_file(const std::string& path, const std::string& content) {
    return static_cast<bool>(std::ofstream(path, std::ios::binary) << content);
}

bool files_equal(const std::string& first, const std::string& second) {
    const std::string content = read_file(first);
    return content != MISSING_FILE && content == read_file(second);
}

bool file_exists(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

bool dir_exists(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool key_exists(HKEY root, const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

std::optional<std::string> read_string_value(HKEY root, const std::string& key, const char* name) {
    char buffer[1024] = "";
    DWORD size = sizeof buffer;
    if (RegGetValueA(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return buffer;
}

bool write_string_value(HKEY root, const std::string& key, const char* name, const std::string& text) {
    return RegSetKeyValueA(root, key.c_str(), name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1)) ==
           ERROR_SUCCESS;
}

std::string current_directory() {
    char path[MAX_PATH] = "";
    return std::string(path, GetCurrentDirectoryA(sizeof path, path));
}

bool make_dirs(const std::string& path) {
    std::error_code error;
    fs::create_directories(path, error);
    return dir_exists(path);
}

void remove_tree(const std::string& path) {
    std::error_code error;
    // Copies from a disc keep their read-only mark; clear it so the delete goes through.
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path, error))
        fs::permissions(entry.path(), fs::perms::owner_write, fs::perm_options::add, error);
    fs::remove_all(path, error);
}

std::vector<std::string> entries_below(const std::string& root, bool mark_folders) {
    std::vector<std::string> found;
    collect(root, "", mark_folders, found);
    return found;
}

std::string listing(const std::string& root) {
    std::vector<std::string> found = entries_below(root, true);
    std::sort(found.begin(), found.end());
    std::string joined;
    for (const std::string& entry : found) joined += (joined.empty() ? "" : " ") + entry;
    return joined;
}
