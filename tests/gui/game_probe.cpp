// Stands in for the programs that setup.exe starts: copied as quillmain.exe into a test install
// directory it is the game, copied as ShFolder.exe onto a disc the shell-folder redistributable.
// It writes how it was started (its raw command line and its current directory) into started.txt
// beside itself, then ends.
#include <windows.h>

#include <fstream>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char module[MAX_PATH] = "", directory[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, sizeof module);
    GetCurrentDirectoryA(sizeof directory, directory);
    const std::string folder(module, std::string(module).rfind('\\') + 1);
    // Written under a temporary name and renamed, so a reader never sees half a report.
    std::ofstream(folder + "started.tmp", std::ios::binary)
        << "command_line=" << GetCommandLineA() << "\ncurrent_directory=" << directory << "\n";
    return MoveFileExA((folder + "started.tmp").c_str(), (folder + "started.txt").c_str(), MOVEFILE_REPLACE_EXISTING)
               ? 0
               : 1;
}
