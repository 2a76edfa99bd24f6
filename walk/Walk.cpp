// Directory walk: the entry pass, the descent pass and the ticks, over the system's own directory
// search (FindFirstFileA on Windows, opendir on the host).
#include "Walk.h"

#include <cstring>

#include "Strings.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#endif

namespace {

// Set by abort_walk, cleared by each walk_directory, tested at every level of every walk in
// progress: a failure deep in a tree stops all the walks around it.
std::uint8_t walk_abort = 0;

// The system's "every entry" pattern, which also takes names without a full stop.
bool takes_every_name(const char* pattern) { return std::strcmp(pattern, "*.*") == 0 || std::strcmp(pattern, "*") == 0; }

// The DOS forms the system's search turns a pattern into before it compares a name.
constexpr char dos_star = '<';  // a final "*.": any run that does not take the name's last full stop
constexpr char dos_any = '>';   // "?": one character, or nothing before a full stop or the name's end
constexpr char dos_dot = '"';   // "." before "?" or "*": a full stop, or nothing at the name's end

char folded(char c) {
#if defined(_WIN32)
    // The letters of the ANSI code page, as the system folds them for its comparisons.
    CharUpperBuffA(&c, 1);
    return c;
#else
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
#endif
}

// Whether a name matches a pattern as the system's directory search matches a name's own (long)
// spelling: "*" takes any run, letters match either case, nothing else is special (not ";", not
// "[", not a leading blank), and "?" and "." take their DOS forms first. A pattern or name that
// does not fit the walk's paths matches nothing.
bool name_matches(const char* pattern, const char* name) {
    const std::size_t pattern_length = std::strlen(pattern);
    const std::size_t name_length = std::strlen(name);
    if (pattern_length >= WALK_PATH_SIZE || name_length >= WALK_PATH_SIZE) return false;
    char dos[WALK_PATH_SIZE];
    std::size_t length = 0;
    for (std::size_t i = 0; i < pattern_length; ++i) {
        const char c = pattern[i];
        const char after = pattern[i + 1];
        if (c == '.' && after == '\0' && length > 0 && dos[length - 1] == '*')
            dos[length - 1] = dos_star;
        else
            dos[length++] = c == '?' ? dos_any : c == '.' && (after == '?' || after == '*') ? dos_dot : folded(c);
    }
    char name_folded[WALK_PATH_SIZE];
    std::size_t last_stop = name_length;  // none
    for (std::size_t j = 0; j < name_length; ++j) {
        name_folded[j] = folded(name[j]);
        if (name[j] == '.') last_stop = j;
    }
    // matches[j]: the pattern from the element at hand on matches the name from j on. Built from
    // the pattern's end backwards, one row per element, so any pattern costs its length times the
    // name's, never a search through every way a "*" could be placed.
    bool following[WALK_PATH_SIZE + 1];
    bool matches[WALK_PATH_SIZE + 1];
    for (std::size_t j = 0; j <= name_length; ++j) following[j] = j == name_length;
    for (std::size_t i = length; i-- > 0;) {
        for (std::size_t j = name_length + 1; j-- > 0;) {
            const bool at_end = j == name_length;
            const bool at_stop = !at_end && name[j] == '.';
            switch (dos[i]) {
            case '*': matches[j] = following[j] || (!at_end && matches[j + 1]); break;
            case dos_star: matches[j] = following[j] || (!at_end && j != last_stop && matches[j + 1]); break;
            case dos_any: matches[j] = (at_end || at_stop) ? following[j] : following[j + 1]; break;
            case dos_dot: matches[j] = at_end ? following[j] : at_stop && following[j + 1]; break;
            default: matches[j] = !at_end && name_folded[j] == dos[i] && following[j + 1]; break;
            }
        }
        std::memcpy(following, matches, name_length + 1);
    }
    return following[0];
}

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
    bool matching() const { return every || name_matches(pattern, found.cFileName); }

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
            if (!every && !name_matches(pattern, entry->d_name)) continue;
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
