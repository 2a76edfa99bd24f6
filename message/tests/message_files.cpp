// Helpers for the message store tests: 16-bit texts and small message files in a temporary folder.
#include "message_files.h"

#include <cstdio>
#include <filesystem>
#include <random>

const char fixed_retail_log[] = "c:\\retail.dbg";

units to_units(const std::string& text) {
    units result;
    for (char c : text) result.push_back(static_cast<std::uint8_t>(c));
    return result;
}

units to_text(const std::string& text) {
    units result = to_units(text);
    result.push_back(0);
    return result;
}

std::string narrow(const std::uint16_t* text) {
    if (!text) return "<null>";
    std::string result;
    for (; *text; ++text) result.push_back(static_cast<char>(*text & 0xFF));
    return result;
}

units message_image(const std::string& body, bool complemented) {
    units image{0xFEFF};
    units rest = to_units(body);
    image.insert(image.end(), rest.begin(), rest.end());
    if (complemented)
        for (auto& unit : image) unit = static_cast<std::uint16_t>(~unit);
    return image;
}

namespace {

// The run's own folder, removed with everything in it when the test program ends.
struct temp_folder {
    std::filesystem::path path;
    temp_folder() {
        std::random_device random;
        path = std::filesystem::temp_directory_path() / ("quill_message_tests_" + std::to_string(random()));
        std::filesystem::create_directories(path);
    }
    ~temp_folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

}  // namespace

std::string temp_path(const std::string& name) {
    static temp_folder folder;
    return (folder.path / name).string();
}

void write_bytes(const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

void write_units(const std::string& path, const units& image) {
    std::string bytes;
    for (auto unit : image) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    write_bytes(path, bytes);
}

std::string read_bytes(const std::string& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    std::fclose(file);
    return bytes;
}

units read_units(const std::string& path) {
    std::string bytes = read_bytes(path);
    units result;
    for (std::size_t index = 0; index + 1 < bytes.size(); index += 2)
        result.push_back(static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[index]) |
                                                    (static_cast<std::uint8_t>(bytes[index + 1]) << 8)));
    return result;
}

std::string message_file(const std::string& name, const units& image) {
    std::string path = temp_path(name);
    write_units(path, image);
    return path;
}
