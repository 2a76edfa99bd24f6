// The compact install's copy with nothing around it: the same directories made first, the same
// seventeen trees copied depth first in enumeration order, then the plain files of the disc's
// root and of its data folder. A FindFirstFileA walk, fopen/fread/fwrite in 1,024,000-byte
// blocks through one heap buffer per file, and a PeekMessage loop per file; no window, no status
// text, no attribute calls. Prints the milliseconds it took, timed inside the program.
//
//   install_bare_copy SOURCE DEST
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* const data_trees[] = {"Anims", "ANM", "Bink", "Dialogue", "fonts", "INK", "Interface", "LCM", "LMM",
                                  "MCZ",   "Rand", "Sound", "str", "WMC", "WMD", "WSD", "WSM"};
const std::size_t block_size = 1024000;
bool failed = false;

void pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void copy_file(const char* source, const char* target, unsigned long long size) {
    pump();
    std::FILE* in = std::fopen(source, "rb");
    std::FILE* out = in != nullptr ? std::fopen(target, "wb") : nullptr;
    char* block = static_cast<char*>(std::malloc(block_size));
    if (in == nullptr || out == nullptr || block == nullptr) {
        std::fprintf(stderr, "cannot copy %s\n", source);
        failed = true;
    } else {
        std::setvbuf(out, nullptr, _IONBF, 0);
        for (unsigned long long copied = 0; copied < size;) {
            const unsigned long long left = size - copied;
            const std::size_t read = std::fread(block, 1, left < block_size ? left : block_size, in);
            if (read == 0 || std::fwrite(block, 1, read, out) != read) {
                failed = true;
                break;
            }
            copied += read;
        }
    }
    std::free(block);
    if (out != nullptr) std::fclose(out);
    if (in != nullptr) std::fclose(in);
}

// Files of source into target; with trees, each subdirectory made and copied when it is met.
void copy_directory(const char* source, const char* target, bool trees) {
    char search[MAX_PATH * 2];
    std::snprintf(search, sizeof search, "%s\\*.*", source);
    WIN32_FIND_DATAA found;
    HANDLE entries = FindFirstFileA(search, &found);
    if (entries == INVALID_HANDLE_VALUE) return;
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
        char from[MAX_PATH * 2];
        char to[MAX_PATH * 2];
        std::snprintf(from, sizeof from, "%s\\%s", source, found.cFileName);
        std::snprintf(to, sizeof to, "%s\\%s", target, found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            if (!trees) continue;
            pump();
            CreateDirectoryA(to, nullptr);
            copy_directory(from, to, true);
        } else {
            copy_file(from, to, (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
        }
    } while (!failed && FindNextFileA(entries, &found));
    FindClose(entries);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: install_bare_copy SOURCE DEST\n");
        return 2;
    }
    const char* source = argv[1];
    const char* target = argv[2];
    LARGE_INTEGER frequency;
    LARGE_INTEGER start;
    LARGE_INTEGER end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);

    char from[MAX_PATH * 2];
    char to[MAX_PATH * 2];
    CreateDirectoryA(target, nullptr);
    std::snprintf(to, sizeof to, "%s\\data", target);
    CreateDirectoryA(to, nullptr);
    for (const char* tree : data_trees) {
        std::snprintf(to, sizeof to, "%s\\data\\%s", target, tree);
        CreateDirectoryA(to, nullptr);
    }
    for (const char* tree : data_trees) {
        std::snprintf(from, sizeof from, "%s\\data\\%s", source, tree);
        std::snprintf(to, sizeof to, "%s\\data\\%s", target, tree);
        copy_directory(from, to, true);
    }
    copy_directory(source, target, false);
    std::snprintf(from, sizeof from, "%s\\data", source);
    std::snprintf(to, sizeof to, "%s\\data", target);
    copy_directory(from, to, false);

    QueryPerformanceCounter(&end);
    const double ms = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
    std::printf("bare_ms %.1f\n", ms);
    return failed ? 1 : 0;
}
