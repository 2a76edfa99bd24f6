// Helper of the folder loader tests, in two roles. With the argument "probe" it asks the loader for
// the folder function and exits with 11 when it got one, 10 when not. Without arguments it stands
// in for the shell-folder redistributable (copied as ShFolder.exe): it leaves a mark in the current
// directory.
#include <cstdio>
#include <cstring>

#include "COPYFLST.h"

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "probe") == 0)
        return COPYFLST_get_folder_path_function() == nullptr ? 10 : 11;
    std::FILE* mark = std::fopen("redistributable-ran.txt", "w");
    return mark != nullptr && std::fputs("ran\n", mark) >= 0 && std::fclose(mark) == 0 ? 0 : 1;
}
