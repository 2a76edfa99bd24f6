// Fuzz target for the command-line splitter: any text is split in place, and every word must be
// a non-empty run inside the text that starts with neither a blank nor a quote.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    const std::size_t length = std::strlen(text.data());
    std::int32_t count = -1;
    char** words = WINUTILS_parse_command_line(text.data(), &count);
    if (!words) {
        if (count != -1) std::abort();  // no words: the count is left alone
        return 0;
    }
    if (count < 1) std::abort();
    const char* end = text.data() + length;
    for (std::int32_t i = 0; i < count; ++i) {
        const char* word = words[i];
        if (word < text.data() || word >= end || *word == '\0' || *word == ' ' || *word == '"') std::abort();
        if (i > 0 && word <= words[i - 1]) std::abort();  // in order, each after the one before
    }
    std::free(words);
    return 0;
}
