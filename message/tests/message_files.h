// Helpers for the message store tests: 16-bit texts and small message files in a temporary folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using units = std::vector<std::uint16_t>;

// The ASCII text as units, without terminator.
units to_units(const std::string& text);
// A NUL-terminated 16-bit text.
units to_text(const std::string& text);
// The units of a NUL-terminated text narrowed to ASCII ("<null>" for none).
std::string narrow(const std::uint16_t* text);
// Header 0xFEFF followed by the ASCII body; complemented when asked.
units message_image(const std::string& body, bool complemented = false);

// A path inside the test run's own temporary folder.
std::string temp_path(const std::string& name);
void write_units(const std::string& path, const units& image);
void write_bytes(const std::string& path, const std::string& bytes);
std::string read_bytes(const std::string& path);
units read_units(const std::string& path);
// Writes the image to a temporary file and returns its path.
std::string message_file(const std::string& name, const units& image);

// The fixed-path retail log the store reports to.
extern const char fixed_retail_log[];
