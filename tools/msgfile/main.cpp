// msgfile's entry point: the command line in the system's spelling and in UTF-8.
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "msgfile.h"

#if defined(_WIN32)
#include <windows.h>

#include <shellapi.h>
#endif

int main(int argc, char** argv) {
#if defined(_WIN32)
    // Texts and ids may be in any script: take them from the wide command line, as UTF-8.
    int wide_count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &wide_count);
    std::vector<std::vector<char>> storage;
    std::vector<char*> texts;
    for (int i = 0; wide && i < wide_count && wide_count == argc; ++i) {
        int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        storage.emplace_back(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
        if (size > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, storage.back().data(), size, nullptr, nullptr);
    }
    for (std::vector<char>& text : storage) texts.push_back(text.data());
    if (wide) LocalFree(wide);
    return MSGFILE_run(argc, argv, texts.size() == static_cast<std::size_t>(argc) ? texts.data() : argv, stdout,
                       stderr);
#else
    return MSGFILE_run(argc, argv, argv, stdout, stderr);
#endif
}
