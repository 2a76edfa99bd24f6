// Fuzz target for the path macro expansion: any path against a table whose values come from the
// input too. A result is never longer than its buffer, and a path without '<' comes back as read.
#include <cstdlib>
#include <cstring>
#include <string>

#include "PathMacros.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The input is "value|value|...|path": the first pieces give the macros their values.
    std::string input(reinterpret_cast<const char*>(data), size);
    std::string values[4];
    for (std::string& value : values) {
        std::size_t bar = input.find('|');
        if (bar == std::string::npos) break;
        value = input.substr(0, bar);
        input.erase(0, bar + 1);
    }
    COPYFLST_PATH_MACRO macros[] = {
        {"<DST>", 5, values[0].c_str()},
        {"<SRC>", 5, values[1].c_str()},
        {"<STARTMENU>", 11, values[2].c_str()},
        {"<CSIDL_PERSONAL>", 16, nullptr},
        {"<WINSYSTEM>", 11, values[3].c_str()},
        {nullptr, 0, nullptr},
    };
    char* expanded = copyflst_expand_macros(input.c_str(), macros);
    if (!expanded) return 0;
    const std::size_t length = std::strlen(expanded);
    if (length >= COPYFLST_EXPANSION_SIZE) std::abort();
    const std::string read = input.substr(0, std::strlen(input.c_str())).substr(0, COPYFLST_EXPANSION_SIZE - 1);
    if (read.find('<') == std::string::npos && read != expanded) std::abort();
    std::free(expanded);
    return 0;
}
