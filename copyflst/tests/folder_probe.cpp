// Helper of the folder loader tests, in two roles. With the argument "probe" it asks the loader for
// the folder function and reports through its exit status. Without arguments it stands in for the
// shell-folder redistributable (copied as ShFolder.exe): it leaves a mark in the current directory.
#include <cstdio>
#include <cstring>

#include "COPYFLST.h"

namespace {

const int probe_found_nothing = 10;
const int probe_found_function = 11;

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "probe") == 0)
        return COPYFLST_get_folder_path_function() == nullptr ? probe_found_nothing : probe_found_function;

    std::FILE* mark = std::fopen("redistributable-ran.txt", "w");
    if (mark == nullptr) return 1;
    std::fputs("ran\n", mark);
    std::fclose(mark);
    return 0;
}
