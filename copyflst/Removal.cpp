// The copy-list operations that delete what an installation left: a whole tree after asking
// (op 7), and every file matching a pattern at any depth (op 8).
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "EBUG.h"
#include "INSTALL.h"
#include "Strings.h"
#include "copyflst_private.h"
#include "resource.h"

namespace {

// Subdirectories met by op 7's deleting walk, and the paths of those met by its recording walk:
// directory_slots consecutive slots of COPYFLST_PATH_SIZE bytes, recorded_count of them filled.
std::int32_t directory_counter = 0;
char* directory_list = nullptr;
std::int32_t directory_slots = 0;
std::int32_t recorded_count = 0;

// Only a Yes deletes: a box that could not be shown is no consent. The box has no owner, so the
// main window's close box stays usable while it is up; the quit message that posts ends the box
// without an answer. The quit is taken out, as the progress pump would take it, and the question
// is asked again: a close is not a No.
bool delete_confirmed(const char* directory) {
    char text[COPYFLST_TEXT_SIZE];
    char caption[COPYFLST_TEXT_SIZE];
    INSTALL_load_text(MSG_DELDIR, text, sizeof text);
    INSTALL_load_text(MSG_QUESTION, caption, sizeof caption);
    char question[COPYFLST_MESSAGE_SIZE];
    STRINGS_format(question, sizeof question, "%s :%s", text, directory);
    for (;;) {
        const int answer = MessageBoxA(nullptr, question, caption, MB_YESNO | MB_ICONINFORMATION);
        MSG quit;
        if (answer == IDYES || answer == IDNO || !PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
            return answer == IDYES;
    }
}

// Folders that a removal never deletes, whatever a record or a list names: the system's own and
// those that hold other programs' and the user's files. Deleting one of these, or a folder above
// one, would take with it far more than an installation ever put there.
const int protected_folders[] = {
    // the system's own
    CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
    // the user's
    CSIDL_PROFILE, CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_STARTMENU, CSIDL_PROGRAMS,
    CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
    // every user's
    CSIDL_COMMON_APPDATA, CSIDL_COMMON_DOCUMENTS, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_STARTMENU,
    CSIDL_COMMON_PROGRAMS,
};

// The full form of a path, without a trailing backslash but for a drive root's. FALSE when it
// has none that fits.
bool full_path(const char* path, char (&full)[COPYFLST_PATH_SIZE]) {
    const DWORD length = GetFullPathNameA(path, sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) return false;
    std::size_t end = length;
    while (end > 3 && (full[end - 1] == '\\' || full[end - 1] == '/')) full[--end] = '\0';
    return true;
}

// The path the system itself resolves an existing folder to. Short names, a "\\?\" or "\\.\"
// prefix, a substituted drive or a link on the way all end at the one final path, so that no
// other spelling of a protected folder passes for some other folder. In the form full_path gives;
// FALSE when the folder cannot be opened.
bool final_path(const char* path, char (&final)[COPYFLST_PATH_SIZE]) {
    const WINUTILS_HANDLE folder(CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) return false;
    char resolved[COPYFLST_PATH_SIZE];
    const DWORD length = GetFinalPathNameByHandleA(folder.get(), resolved, sizeof resolved,
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0 || length >= sizeof resolved) return false;
    // "\\?\UNC\server\share\..." names a share, "\\?\C:\..." a drive path.
    const std::string_view name(resolved, length);
    constexpr std::string_view share_prefix = "\\\\?\\UNC\\";
    constexpr std::string_view drive_prefix = "\\\\?\\";
    char plain[COPYFLST_PATH_SIZE];
    const bool written = name.starts_with(share_prefix)
                             ? STRINGS_format(plain, sizeof plain, "\\\\%s", resolved + share_prefix.size()) != FALSE
                             : STRINGS_copy(plain, sizeof plain,
                                            resolved + (name.starts_with(drive_prefix) ? drive_prefix.size() : 0)) != FALSE;
    return written && full_path(plain, final);
}

// The form two folders are compared in: the final path of one that exists, else its full form.
bool comparable_path(const char* path, char (&comparable)[COPYFLST_PATH_SIZE]) {
    return final_path(path, comparable) || full_path(path, comparable);
}

// "C:\", "\\server\share" and "\\server\share\": nothing above them, everything below.
bool is_root(const char* full) {
    if (full[0] != '\0' && full[1] == ':' && (full[2] == '\0' || (full[2] == '\\' && full[3] == '\0'))) return true;
    if (full[0] != '\\' || full[1] != '\\') return false;
    const char* share = std::strchr(full + 2, '\\');
    if (share == nullptr) return true;
    const char* below = std::strchr(share + 1, '\\');
    return below == nullptr || below[1] == '\0';
}

// TRUE when folder is the same as, or lies above, the protected one: its full path is a
// case-blind prefix of the other's that ends at a backslash.
bool is_same_or_above(const char* folder, const char* guarded) {
    const std::size_t length = std::strlen(folder);
    if (length == 0 || std::strlen(guarded) < length || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, folder,
                                                                       static_cast<int>(length), guarded,
                                                                       static_cast<int>(length)) != CSTR_EQUAL)
        return false;
    return guarded[length] == '\0' || guarded[length] == '\\' || folder[length - 1] == '\\';
}

bool is_protected(const char* directory) {
    // The walks search directory + "\*.*", so the folder judged is directory + "\": a bare "C:"
    // is the drive's current folder to the system, but the search in "C:\*.*" is its root's.
    char searched[COPYFLST_PATH_SIZE];
    char full[COPYFLST_PATH_SIZE];
    // A path without a full form cannot be compared, so it cannot be shown safe.
    if (!STRINGS_format(searched, sizeof searched, "%s\\", directory) || !comparable_path(searched, full) ||
        is_root(full))
        return true;
    char guarded[COPYFLST_PATH_SIZE];
    char guarded_full[COPYFLST_PATH_SIZE];
    for (int folder : protected_folders) {
        if (SHGetFolderPathA(nullptr, folder, nullptr, SHGFP_TYPE_CURRENT, guarded) == S_OK &&
            comparable_path(guarded, guarded_full) && is_same_or_above(full, guarded_full))
            return true;
    }
    // A 32-bit program on 64-bit Windows is shown the 32-bit views under the usual names; the
    // native Program Files and system directory are reached by names of their own.
    char native_system[COPYFLST_PATH_SIZE];
    const UINT length = GetWindowsDirectoryA(native_system, sizeof native_system);
    const bool system_named = length > 0 && length < sizeof native_system && STRINGS_append(native_system, "\\Sysnative");
    for (const char* native : {std::getenv("ProgramW6432"), system_named ? native_system : nullptr}) {
        if (native != nullptr && comparable_path(native, guarded_full) && is_same_or_above(full, guarded_full))
            return true;
    }
    return false;
}

}  // namespace

// Ticks come with a null path and are ignored with the empty one.
void delete_file_callback(const char* path, std::int32_t kind) {
    if (path == nullptr || path[0] == '\0') return;
    if (kind == WALK_FILE) {
        progress_pump(path);
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path);
    } else if (kind == WALK_DIRECTORY) {
        ++directory_counter;
    }
}

// Directories that appeared after the count find no slot and are not recorded: they stay, with
// the directories above them, as they would around a file that cannot be deleted.
void record_directory_callback(const char* path, std::int32_t kind) {
    if (kind != WALK_DIRECTORY || path == nullptr || recorded_count >= directory_slots) return;
    char* slot = directory_list + static_cast<std::size_t>(recorded_count) * COPYFLST_PATH_SIZE;
    // Walk paths always fit a slot; one that did not would be left out, not recorded cut.
    if (STRINGS_copy(slot, COPYFLST_PATH_SIZE, path)) ++recorded_count;
}

// Deletes every file below the directory, then its subdirectories children first, then the
// directory itself. Nothing stops the run; a path that cannot be expanded deletes nothing and
// asks nothing. When the directory list cannot be had, only the files go.
std::uint16_t copyflst_delete_tree(const COPY_LIST_ENTRY* entry) {
    copyflst_expansion directory;
    if (!copyflst_expand(entry->b, directory)) return COPY_CONTINUE;
    directory_counter = 0;
    recorded_count = 0;
    // A protected folder counts as a declined question, without asking: nothing of it goes.
    if (is_protected(directory.get())) {
        EBUG_MESSAGE("COPYFLST_delete_tree refused: protected folder %s", directory.get());
        return COPY_CONTINUE;
    }
    if (!delete_confirmed(directory.get())) return COPY_CONTINUE;
    // A directory that is itself a link: only the link may go, never what it points at.
    const DWORD attributes = GetFileAttributesA(directory.get());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        RemoveDirectoryA(directory.get());
        return COPY_CONTINUE;
    }

    walk_directory("*.*", directory.get(), delete_file_callback, WALK_RECURSIVE);

    const std::size_t slots = static_cast<std::size_t>(directory_counter);
    copyflst_heap_block list;
    if (slots > 0 && slots <= SIZE_MAX / COPYFLST_PATH_SIZE)
        list.reset(static_cast<char*>(HEAP_allocate(slots * COPYFLST_PATH_SIZE)));
    directory_list = list.get();
    directory_slots = list ? directory_counter : 0;
    walk_directory("*.*", directory.get(), record_directory_callback, WALK_RECURSIVE);

    for (std::int32_t k = recorded_count - 1; k >= 0; --k) {
        const char* slot = directory_list + static_cast<std::size_t>(k) * COPYFLST_PATH_SIZE;
        progress_pump(slot);
        RemoveDirectoryA(slot);
    }
    directory_list = nullptr;
    directory_slots = 0;
    list.reset();

    RemoveDirectoryA(directory.get());
    return COPY_CONTINUE;
}

// Matching subdirectories are only counted, never deleted; no question is asked.
std::uint16_t copyflst_delete_files(const COPY_LIST_ENTRY* entry) {
    copyflst_expansion pattern;
    copyflst_expansion directory;
    if (copyflst_expand(entry->b, pattern) && copyflst_expand(entry->a, directory))
        walk_directory(pattern.get(), directory.get(), delete_file_callback, WALK_RECURSIVE);
    return COPY_CONTINUE;
}
