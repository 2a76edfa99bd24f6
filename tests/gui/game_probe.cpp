// Stands in for the game when the GUI tests press "Play": copied into a test install directory
// as quillmain.exe, it writes how it was started (its raw command line and its current
// directory) into started.txt beside itself, then ends.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char module[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
    if (length == 0 || length >= sizeof module) return 1;
    char* slash = std::strrchr(module, '\\');
    if (slash == nullptr) return 1;
    slash[1] = '\0';

    char report[MAX_PATH + 16];
    std::snprintf(report, sizeof report, "%sstarted.txt", module);
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof directory, directory);

    // Written under a temporary name and renamed, so a reader never sees half a report.
    char partial[MAX_PATH + 16];
    std::snprintf(partial, sizeof partial, "%sstarted.tmp", module);
    FILE* file = std::fopen(partial, "wb");
    if (file == nullptr) return 1;
    std::fprintf(file, "command_line=%s\ncurrent_directory=%s\n", GetCommandLineA(), directory);
    std::fclose(file);
    return MoveFileExA(partial, report, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
