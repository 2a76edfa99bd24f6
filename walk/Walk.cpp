// Directory walk: the entry pass, the descent pass and the ticks, over the system's own directory
// search (FindFirstFileA on Windows, opendir on the host).
#include "Walk.h"

#include <cstring>

#include "Strings.h"

#if defined(_WIN32)
#include <windows.h>

#include <shlwapi.h>
#else
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#endif

namespace {

// Set by abort_walk, cleared by each walk_directory, tested at every level of every walk in
// progress: a failure deep in a tree stops all the walks around it.
std::uint8_t walk_abort = 0;

// The system's "every entry" pattern, which also takes names without a full stop.
bool takes_every_name(const char* pattern) { return std::strcmp(pattern, "*.*") == 0 || std::strcmp(pattern, "*") == 0; }

#if defined(_WIN32)

// One directory search, closed when it goes.
class walk_search {
public:
    walk_search() = default;
    walk_search(const walk_search&) = delete;
    walk_search& operator=(const walk_search&) = delete;
    ~walk_search() { close(); }

    // The first entry matching spec (a directory, a backslash and a pattern); false when none.
    bool first(const char* spec) {
        close();
        const char* split = std::strrchr(spec, '\\');
        if (!STRINGS_copy(pattern, split ? split + 1 : spec)) return false;
        every = takes_every_name(pattern);
        handle = FindFirstFileA(spec, &found);
        return handle != INVALID_HANDLE_VALUE && (matching() || next());
    }
    bool next() {
        while (FindNextFileA(handle, &found))
            if (matching()) return true;
        return false;
    }
    void close() {
        if (handle != INVALID_HANDLE_VALUE) FindClose(handle);
        handle = INVALID_HANDLE_VALUE;
    }
    const char* name() const { return found.cFileName; }
    bool is_directory() const { return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    // A junction, a directory symbolic link and, under Wine, a Unix link to a directory all carry
    // the reparse mark; what lies behind one is not the walk's to enter.
    bool is_real_directory() const {
        return is_directory() && (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    }

private:
    // The system's search also takes a name whose short form alone matches the pattern ("*.tmp"
    // finds "c.tmpx" by its "C~1.TMP"); only the name itself counts here.
    bool matching() const { return every || PathMatchSpecA(found.cFileName, pattern); }

    HANDLE handle = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA found = {};
    char pattern[WALK_PATH_SIZE] = {};
    bool every = false;
};

#else

// One directory search, closed when it goes. The spec's folders use backslashes; they become
// slashes here, where the host sees them.
class walk_search {
public:
    walk_search() = default;
    walk_search(const walk_search&) = delete;
    walk_search& operator=(const walk_search&) = delete;
    ~walk_search() { close(); }

    bool first(const char* spec) {
        close();
        const char* split = std::strrchr(spec, '\\');
        const std::size_t folder_length = split ? static_cast<std::size_t>(split - spec) : 0;
        if (folder_length + 1 >= sizeof folder) return false;
        for (std::size_t i = 0; i < folder_length; ++i) folder[i] = spec[i] == '\\' ? '/' : spec[i];
        folder[folder_length] = '/';
        folder[folder_length + 1] = '\0';
        STRINGS_copy(pattern, split ? split + 1 : spec);
        every = takes_every_name(pattern);
        directory = opendir(folder);
        return directory != nullptr && next();
    }
    bool next() {
        for (const dirent* entry = readdir(directory); entry; entry = readdir(directory)) {
            if (!every && fnmatch(pattern, entry->d_name, FNM_CASEFOLD) != 0) continue;
            STRINGS_copy(entry_name, entry->d_name);
            classify(entry);
            return true;
        }
        return false;
    }
    void close() {
        if (directory) closedir(directory);
        directory = nullptr;
    }
    const char* name() const { return entry_name; }
    bool is_directory() const { return directory_entry; }
    // A link to a directory is reported as a directory but is not the walk's to enter.
    bool is_real_directory() const { return directory_entry && !link_entry; }

private:
    void classify(const dirent* entry) {
        directory_entry = entry->d_type == DT_DIR;
        link_entry = entry->d_type == DT_LNK;
        if (entry->d_type != DT_UNKNOWN && !link_entry) return;
        char native[WALK_PATH_SIZE];
        STRINGS_copy(native, folder);
        struct stat status;
        if (!STRINGS_append(native, entry_name)) return;
        if (lstat(native, &status) == 0) link_entry = S_ISLNK(status.st_mode);
        directory_entry = stat(native, &status) == 0 && S_ISDIR(status.st_mode);
    }

    DIR* directory = nullptr;
    char folder[WALK_PATH_SIZE] = {};
    char pattern[WALK_PATH_SIZE] = {};
    bool every = false;
    char entry_name[WALK_PATH_SIZE] = {};
    bool directory_entry = false;
    bool link_entry = false;
};

#endif

bool is_dot_entry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

void path_too_long(const char* cut_path, WALK_CALLBACK callback) {
    abort_walk();
    callback(cut_path, WALK_TOO_LONG);
}

// One level of a walk: first every entry matching the pattern, then (recursive) every
// subdirectory, matching or not. A tick goes to the callback before each search call.
void walk_level(const char* pattern, const char* directory, WALK_CALLBACK callback, std::uint32_t flags) {
    if (walk_abort) return;
    char search[WALK_PATH_SIZE];
    char path[WALK_PATH_SIZE];
    walk_search entries;

    if (!STRINGS_format(search, sizeof search, "%s\\%s", directory, pattern)) {
        path_too_long(search, callback);
        return;
    }
    callback(nullptr, WALK_TICK);
    for (bool more = entries.first(search); more; more = entries.next()) {
        if (!is_dot_entry(entries.name())) {
            if (!STRINGS_format(path, sizeof path, "%s\\%s", directory, entries.name())) {
                path_too_long(path, callback);
                return;
            }
            callback(path, entries.is_directory() ? WALK_DIRECTORY : WALK_FILE);
        }
        if (walk_abort) break;
        callback(nullptr, WALK_TICK);
    }
    entries.close();
    if ((flags & WALK_RECURSIVE) == 0 || walk_abort) return;

    if (!STRINGS_format(search, sizeof search, "%s\\*.*", directory)) {
        path_too_long(search, callback);
        return;
    }
    callback(nullptr, WALK_TICK);
    for (bool more = entries.first(search); more; more = entries.next()) {
        if (entries.is_real_directory() && !is_dot_entry(entries.name())) {
            if (!STRINGS_format(path, sizeof path, "%s\\%s", directory, entries.name())) {
                path_too_long(path, callback);
                return;
            }
            walk_level(pattern, path, callback, flags);
        }
        if (walk_abort) break;
        callback(nullptr, WALK_TICK);
    }
}

}  // namespace

BOOL8 walk_directory(const char* pattern, const char* directory, WALK_CALLBACK callback, std::uint32_t flags) {
    walk_abort = 0;
    if (pattern && directory && callback) walk_level(pattern, directory, callback, flags);
    return walk_abort ? FALSE : TRUE;
}

void abort_walk(void) { walk_abort = 1; }
