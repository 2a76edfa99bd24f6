// Byte-wise file copy, the walk callbacks of the copies, and the copy-list operations that create
// directories and copy files (ops 0, 1, 2, 3, 9 and 10).
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>

#include "INSTALL.h"
#include "Strings.h"
#include "copyflst_private.h"
#include "resource.h"

std::int32_t copyflst_failing_write = 0;

namespace {

// The destination directory of the op 1 or op 2 in progress: the expansion of its b, which is
// COPYFLST_PATH_SIZE bytes. The tree copy appends each subdirectory's name on the way down and
// cuts it off on the way back.
char* current_destination = nullptr;

// A block is read and written whole.
const std::size_t copy_block_size = 1024000;

// The copy buffer of the op 1 or op 2 in progress, made at its first file and used for every
// file after: a fresh block of this size per file costs the system a new mapping and a page
// fault for each page written into it, which under Wine took longer than the copying itself.
// Null outside those operations, where each copy makes its own.
copyflst_heap_block* current_block = nullptr;

const char* last_component(const char* path) {
    const char* slash = std::strrchr(path, '\\');
    return slash != nullptr ? slash + 1 : path;
}

// The result is not wanted: an existing directory is no error, and a missing one shows as soon
// as something is copied into it.
void create_directory(const char* path) {
    SECURITY_ATTRIBUTES security = {sizeof security, nullptr, FALSE};
    CreateDirectoryA(path, &security);
}

// Two open files are one when the system gives them the same volume and file index, however
// their names were spelt (a short name, a "\\?\" prefix, a substituted drive). Where it cannot
// tell, they count as one: the copy is then refused rather than risk emptying its own source.
// Size and times must agree as well: one file's names always do, while volumes that report no
// serial of their own (Wine's host folders) can give two files the same serial and index.
bool same_file(HANDLE first, HANDLE second) {
    BY_HANDLE_FILE_INFORMATION one, other;
    if (!GetFileInformationByHandle(first, &one) || !GetFileInformationByHandle(second, &other)) return true;
    return one.dwVolumeSerialNumber == other.dwVolumeSerialNumber && one.nFileIndexHigh == other.nFileIndexHigh &&
           one.nFileIndexLow == other.nFileIndexLow && one.nFileSizeHigh == other.nFileSizeHigh &&
           one.nFileSizeLow == other.nFileSizeLow && CompareFileTime(&one.ftLastWriteTime, &other.ftLastWriteTime) == 0 &&
           CompareFileTime(&one.ftCreationTime, &other.ftCreationTime) == 0;
}

// A stream over an open handle, which it takes over and closes at its own close; null (the
// handle closed) when the runtime cannot make one.
std::FILE* stream_of(HANDLE handle, int flags, const char* mode) {
    const int descriptor = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), flags | _O_BINARY);
    if (descriptor == -1) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* stream = _fdopen(descriptor, mode);
    if (stream == nullptr) _close(descriptor);
    return stream;
}

// Replaces the attributes of an open file. The times are left alone (zero means unchanged), or
// it is marked as written now.
BOOL set_attributes(HANDLE handle, DWORD attributes, bool written_now = false) {
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = attributes;
    if (written_now) {
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        basic.LastWriteTime.LowPart = now.dwLowDateTime;
        basic.LastWriteTime.HighPart = static_cast<LONG>(now.dwHighDateTime);
    }
    return SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof basic);
}

// Clears the source's attributes and opens it for reading. Where the system lets one open do both,
// it does: under Wine a separate attribute change costs three round trips to its server, one for
// each of its own open, change and close, for every file copied. Where that open is refused (a
// disc, a file that may be read but not changed, or changed but not read) the two steps run
// apart, each with its own result.
std::FILE* open_source_with_normal_attributes(const char* path) {
    HANDLE handle = CreateFileA(path, GENERIC_READ | FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        if (set_attributes(handle, FILE_ATTRIBUTE_NORMAL)) {
            std::FILE* stream = stream_of(handle, _O_RDONLY, "rb");
            return stream != nullptr ? stream : std::fopen(path, "rb");
        }
        CloseHandle(handle);
    }
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    return std::fopen(path, "rb");
}

// Clears the destination's attributes and opens it for writing, emptied, as the runtime's "wb"
// does; null when it cannot be opened, or when it is the source itself under another name. A new
// file needs no change. An existing one is opened as it is, compared with the source, and only
// then emptied and given its attributes through the open handle: clearing them by name first
// would cost Wine a search of the destination folder for every new file (it searches for any name
// it cannot find), before the create makes the same search again. Read-only files refuse the
// open; only then are their attributes cleared by name and the open made again.
std::FILE* open_destination_with_normal_attributes(const char* path, std::FILE* source) {
    const auto open = [path] {
        return CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE handle = open();
    if (handle == INVALID_HANDLE_VALUE) {
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
        handle = open();
        if (handle == INVALID_HANDLE_VALUE) return nullptr;
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        const HANDLE source_handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(source)));
        if (same_file(handle, source_handle) || !SetEndOfFile(handle)) {
            CloseHandle(handle);
            return nullptr;
        }
        // Plain and marked for archiving, written now: what a truncating create leaves behind.
        set_attributes(handle, FILE_ATTRIBUTE_ARCHIVE, true);
    }
    return stream_of(handle, _O_WRONLY, "wb");
}

std::size_t write_block(const char* block, std::size_t count, std::FILE* target) {
    if (copyflst_failing_write > 0 && --copyflst_failing_write == 0) return 0;
    return std::fwrite(block, 1, count, target);
}

// Copies size bytes from source to target in blocks. A failure is reported, aborts the walk and
// leaves the target closed, partly written.
void copy_bytes(std::FILE* source, copyflst_stream& target, std::uint64_t size, const char* source_path,
                const char* target_path) {
    // Unbuffered, so that each write's count is what reached the file: a buffered tail would
    // only fail at the close, unseen.
    std::setvbuf(target.get(), nullptr, _IONBF, 0);
    copyflst_heap_block own_block;
    copyflst_heap_block& block = current_block != nullptr ? *current_block : own_block;
    if (!block) block.reset(static_cast<char*>(HEAP_allocate(copy_block_size)));
    if (!block) {
        target.reset();
        copyflst_report(MSG_UNABLETOWRITE, REPORT_TEXT_PATH_LINE, target_path);
        abort_walk();
        return;
    }
    std::uint64_t copied = 0;
    while (copied < size) {
        const std::uint64_t left = size - copied;
        std::size_t wanted = left < copy_block_size ? static_cast<std::size_t>(left) : copy_block_size;
        std::size_t read = std::fread(block.get(), 1, wanted, source);
        if (read == 0) {
            // Nothing more to read before the size taken at the start: the source shrank or its
            // medium failed. Reading on would never end; it is reported as a source that cannot
            // be read, with the source's open-failure message.
            target.reset();
            copyflst_report(MSG_UNABLETOOPEN, REPORT_TEXT_PATH, source_path);
            abort_walk();
            return;
        }
        copied += read;
        if (write_block(block.get(), read, target.get()) < read) {
            target.reset();
            copyflst_report(MSG_UNABLETOWRITE, REPORT_TEXT_PATH_LINE, target_path);
            abort_walk();
            return;
        }
    }
}

// Ops 1 and 2: walks the expanded a with the callback, copying into the expanded b. FALSE when a
// copy failed; a path that cannot be expanded is reported as one that cannot be opened.
BOOL8 copy_directory(const COPY_LIST_ENTRY* entry, copyflst_walk_callback callback) {
    copyflst_expansion source;
    copyflst_expansion destination;
    if (!copyflst_expand(entry->a, source)) {
        copyflst_report(MSG_UNABLETOOPEN, REPORT_TEXT_PATH, entry->a != nullptr ? entry->a : "");
        return FALSE;
    }
    if (!copyflst_expand(entry->b, destination)) {
        copyflst_report(MSG_UNABLETOOPEN, REPORT_TEXT_PATH, entry->b != nullptr ? entry->b : "");
        return FALSE;
    }
    copyflst_heap_block block;
    current_destination = destination.get();
    current_block = &block;
    BOOL8 walked = walk_directory("*.*", source.get(), callback, 0);
    current_block = nullptr;
    current_destination = nullptr;
    return walked;
}

}  // namespace

// A source whose size cannot be had is reported as one that cannot be opened: there is nothing
// to copy it by. A destination path that would not fit, or a walk path that would not, is
// reported as one that cannot be opened, never used cut.
void copy_file_callback(const char* path, std::int32_t kind) {
    if (kind == WALK_TOO_LONG) {
        abort_walk();
        copyflst_report(MSG_UNABLETOOPEN, REPORT_TEXT_PATH, path);
        return;
    }
    if (kind != WALK_FILE || path == nullptr) return;
    char destination[COPYFLST_PATH_SIZE];
    if (!STRINGS_format(destination, sizeof destination, "%s\\%s", current_destination, last_component(path))) {
        copyflst_report(MSG_UNABLETOOPEN, REPORT_TEXT_PATH, destination);
        abort_walk();
        return;
    }
    struct _stat64 status = {};
    const bool sized = _stat64(path, &status) == 0;

    // The source's attribute change fails quietly on a disc. The source is opened along with
    // that change, ahead of the status text; a failed open is still reported after the text.
    copyflst_stream source;
    if (sized)
        source.reset(open_source_with_normal_attributes(path));
    else
        SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    progress_pump(destination);

    if (!source) {
        // The destination's attributes are cleared on this way out too, as a copy would have.
        SetFileAttributesA(destination, FILE_ATTRIBUTE_NORMAL);
        copyflst_report(MSG_UNABLETOOPEN, REPORT_TEXT_PATH, path);
        abort_walk();
        return;
    }
    // Emptying the source itself would lose it before a byte was read: that happens when the
    // install directory is the disc's own folder on a writable drive, under any of its names.
    copyflst_stream target(open_destination_with_normal_attributes(destination, source.get()));
    if (!target) {
        copyflst_report(MSG_UNABLETOOPEN, REPORT_TEXT_PATH, destination);
        abort_walk();
        return;
    }
    copy_bytes(source.get(), target, static_cast<std::uint64_t>(status.st_size), path, destination);
}

// A subdirectory is created and copied completely as soon as its entry comes, depth first. A
// failure inside leaves walk_abort set, which stops this level's walk too.
void copy_tree_callback(const char* path, std::int32_t kind) {
    if (kind == WALK_FILE || kind == WALK_TOO_LONG) {
        copy_file_callback(path, kind);
        return;
    }
    if (kind != WALK_DIRECTORY || path == nullptr) return;

    const std::size_t kept = std::strlen(current_destination);
    if (!STRINGS_append(current_destination, COPYFLST_PATH_SIZE, "\\") ||
        !STRINGS_append(current_destination, COPYFLST_PATH_SIZE, last_component(path))) {
        copyflst_report(MSG_UNABLETOOPEN, REPORT_TEXT_PATH, current_destination);
        current_destination[kept] = '\0';
        abort_walk();
        return;
    }
    progress_pump(current_destination);
    create_directory(current_destination);

    char nested[COPYFLST_PATH_SIZE];
    if (STRINGS_format(nested, sizeof nested, "%s\\", path))
        walk_directory("*.*", nested, copy_tree_callback, 0);
    else
        copy_file_callback(nested, WALK_TOO_LONG);

    char* slash = std::strrchr(current_destination, '\\');
    if (slash != nullptr) *slash = '\0';
}

std::uint16_t copyflst_create_directory(const COPY_LIST_ENTRY* entry) {
    copyflst_expansion directory;
    if (!copyflst_expand(entry->b, directory)) return COPY_CONTINUE;
    progress_pump(directory.get());
    create_directory(directory.get());
    return COPY_CONTINUE;
}

std::uint16_t copyflst_create_folder(const COPY_LIST_ENTRY* entry) {
    copyflst_expansion directory;
    if (copyflst_expand(entry->a, directory)) create_directory(directory.get());
    return COPY_CONTINUE;
}

std::uint16_t copyflst_copy_files(const COPY_LIST_ENTRY* entry) {
    return copy_directory(entry, copy_file_callback) ? COPY_CONTINUE : COPY_STOP;
}

std::uint16_t copyflst_copy_tree(const COPY_LIST_ENTRY* entry) {
    copy_directory(entry, copy_tree_callback);
    return COPY_CONTINUE;
}

// A file that cannot be named (a refused expansion) does not exist for this test.
std::uint16_t copyflst_if_exists(const COPY_LIST_ENTRY* entry) {
    copyflst_expansion file;
    if (!copyflst_expand(entry->a, file)) return COPY_SKIP_NEXT;
    copyflst_stream opened(std::fopen(file.get(), "r"));
    return opened ? COPY_CONTINUE : COPY_SKIP_NEXT;
}

// Its copy failures are ignored, and so is a path that cannot be expanded or completed. A source
// without a backslash is its own last component.
std::uint16_t copyflst_copy_file(const COPY_LIST_ENTRY* entry) {
    copyflst_expansion source;
    copyflst_expansion destination;
    if (!copyflst_expand(entry->a, source) || !copyflst_expand(entry->b, destination)) return COPY_CONTINUE;
    if (GetFileAttributesA(source.get()) == FILE_ATTRIBUTE_DIRECTORY) return COPY_STOP;
    if (GetFileAttributesA(destination.get()) == FILE_ATTRIBUTE_DIRECTORY) {
        const char* slash = std::strrchr(source.get(), '\\');
        bool fits = slash != nullptr ? STRINGS_append(destination.get(), COPYFLST_PATH_SIZE, slash)
                                     : STRINGS_append(destination.get(), COPYFLST_PATH_SIZE, "\\") &&
                                           STRINGS_append(destination.get(), COPYFLST_PATH_SIZE, source.get());
        if (!fits) return COPY_CONTINUE;
    }
    CopyFileA(source.get(), destination.get(), FALSE);
    return COPY_CONTINUE;
}
