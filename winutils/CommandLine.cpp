// The in-place command-line splitter: words at blanks outside double quotes. Needs no Windows
// API, so the host builds it too (its fuzz target runs there).
#define EBUG_MODULE "WINUTILS"

#include "CommandLine.h"

#include <cstdint>
#include <cstdlib>

#include "EBUG.h"

namespace {

bool command_line_blank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// Words as the splitter's first pass sees them: runs of anything but blanks, blanks inside double
// quotes included.
std::int32_t command_line_count(const char* text) {
    std::int32_t count = 0;
    bool quoted = false;
    bool in_word = false;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p == '"') quoted = !quoted;
        if (!quoted && command_line_blank(*p)) {
            in_word = false;
        } else if (!in_word) {
            in_word = true;
            if (count == INT32_MAX) return count;
            ++count;
        }
    }
    return count;
}

}  // namespace

char** WINUTILS_parse_command_line(char* text, std::int32_t* count) {
    ENTER();
    if (text == nullptr) EBUG_RETURN(nullptr);
    std::int32_t counted = command_line_count(text);
    if (counted == 0) EBUG_RETURN(nullptr);
    char** words = static_cast<char**>(std::malloc(static_cast<std::size_t>(counted) * sizeof(char*)));
    if (words == nullptr) EBUG_RETURN(nullptr);

    // The split ends words at closing quotes too, which the count does not, so it can find more
    // words than there are slots ("a"b is one counted word and two split ones): the split stops
    // when the slots are full and the rest of the text is not a word.
    std::int32_t found = 0;
    bool quoted = false;
    char* p = text;
    while (*p != '\0' && found < counted) {
        // A word starts after any spaces and quotes, so the opening quote is not part of it.
        while (*p == ' ' || *p == '"') {
            if (*p == '"') quoted = !quoted;
            ++p;
        }
        if (*p == '\0') break;
        words[found++] = p;
        for (; *p != '\0'; ++p) {
            if (*p == '"') {
                quoted = !quoted;
                if (!quoted) {
                    *p++ = '\0';
                    break;
                }
            } else if (*p == ' ' && !quoted) {
                *p++ = '\0';
                while (*p == ' ') ++p;
                break;
            }
        }
    }
    // Slots the split did not fill hold no stale pointers.
    for (std::int32_t i = found; i < counted; ++i) words[i] = nullptr;
    if (found == 0) {
        std::free(words);
        EBUG_RETURN(nullptr);
    }
    if (count != nullptr) *count = found;
    EBUG_RETURN(words);
}
