// Helpers for reading back log files in the foundation tests.
#include "log_files.h"

#include <cstdio>

std::string read_text_file(const char* path) {
    std::string text;
    std::FILE* file = std::fopen(path, "r");
    if (!file) return text;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    std::fclose(file);
    return text;
}

std::vector<std::string> read_lines(const char* path) {
    std::vector<std::string> lines;
    std::string text = read_text_file(path);
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool file_exists(const char* path) {
    std::FILE* file = std::fopen(path, "r");
    if (!file) return false;
    std::fclose(file);
    return true;
}

void remove_file(const char* path) { std::remove(path); }

bool starts_with(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

bool ends_with(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}
