// Registry operations, exercised against scratch keys of the test prefix's registry and checked
// behind their back with the plain registry functions.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "WINUTILS.h"
#include "scratch_files.h"

namespace {

const char tests_key[] = "Software\\QuillmoorTests";
const char scratch_key[] = "Software\\QuillmoorTests\\Scratch";
const std::int32_t user = WINUTILS_ROOT_CURRENT_USER;

// A value as stored, its type first and then its exact bytes; "<none>" when there is no such value.
std::string stored(HKEY root, const char* path, const char* name) {
    char bytes[2048];
    DWORD size = sizeof bytes, type = REG_NONE;
    if (RegGetValueA(root, path, name, RRF_RT_ANY | RRF_NOEXPAND, &type, bytes, &size) != ERROR_SUCCESS) return "<none>";
    return std::to_string(type) + ":" + std::string(bytes, size);
}

std::string string_value(const std::string& text) { return std::to_string(REG_SZ) + ":" + text + '\0'; }

// What a read leaves in the caller's 512 bytes, or "refused"; marked when it wrote anything from
// the guard offset on (the end of those bytes, or their start where a refusal must write nothing).
std::string read(std::int32_t root, const char* path, const char* name, std::size_t guard = WINUTILS_REGISTRY_BUFFER_SIZE) {
    char buffer[WINUTILS_REGISTRY_BUFFER_SIZE + 64];
    std::memset(buffer, '\xA5', sizeof buffer);
    const bool found = WINUTILS_get_registry_entry(root, path, name, buffer) == TRUE;
    const bool overran = std::string(buffer + guard, sizeof buffer - guard) != std::string(sizeof buffer - guard, '\xA5');
    return (found ? std::string(buffer, strnlen(buffer, sizeof buffer)) : "refused") + (overran ? " (overran)" : "");
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, tests_key); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, tests_key); }
};

// Strings are stored with their terminator and numbers as four bytes, read back as signed decimal;
// strings fill the buffer to its end and no further; other types are refused.
TEST_F(RegistryTest, ValuesAreStoredAndReadBack) {
    const std::string longest(WINUTILS_REGISTRY_BUFFER_SIZE - 1, 'L'), too_long = longest + "M";
    // Written with the set operation (the text, or the number when the text is null), or when
    // raw_type is not REG_NONE behind its back as the raw bytes.
    const struct { const char* name; const char* text; std::uint32_t number; DWORD raw_type; std::string raw, read; } cases[] = {
        {"Dir", "C:\\Quill Demo", 0, REG_NONE, "", "C:\\Quill Demo"},
        {nullptr, "", 0, REG_NONE, "", ""},
        {"Count", nullptr, 300, REG_NONE, "", "300"},
        {"AllBits", nullptr, 0xFFFFFFFFu, REG_NONE, "", "-1"},
        {"SignBit", nullptr, 0x80000000u, REG_NONE, "", "-2147483648"},
        {"Longest", longest.c_str(), 0, REG_NONE, "", longest},
        {"TooLong", too_long.c_str(), 0, REG_NONE, "", "refused"},
        {"Unterminated", nullptr, 0, REG_SZ, "ABCDEFGHIJ", "ABCDEFGHIJ"},
        {"UnterminatedFull", nullptr, 0, REG_SZ, std::string(512, 'N'), "refused"},
        {"Binary", nullptr, 0, REG_BINARY, "\x01\x02\x03\x04", "refused"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name != nullptr ? c.name : "(default)");
        if (c.raw_type == REG_NONE) {
            ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(user, scratch_key, c.name, c.text, c.number));
            EXPECT_EQ(c.text != nullptr ? string_value(c.text)
                                        : std::to_string(REG_DWORD) + ":" + std::string(reinterpret_cast<const char*>(&c.number), 4),
                      stored(HKEY_CURRENT_USER, scratch_key, c.name));
        } else {
            // The byte after the data is not zero, or the registry would count it in as a terminator.
            const std::string padded = c.raw + "#";
            ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, scratch_key, c.name, c.raw_type,
                                                     padded.data(), static_cast<DWORD>(c.raw.size())));
        }
        EXPECT_EQ(c.read, read(user, scratch_key, c.name));
    }
    EXPECT_EQ("refused", read(user, scratch_key, "Missing", 0));
    EXPECT_EQ("refused", read(user, "Software\\QuillmoorTests\\Nowhere", "Dir", 0));
    // Indexes outside the root table reach no root and leave the key alone.
    for (std::int32_t root : {WINUTILS_ROOT_DYN_DATA + 1, -1, INT_MIN}) {
        EXPECT_EQ(FALSE, WINUTILS_set_registry_entry(root, scratch_key, "Dir", "elsewhere", 0)) << root;
        EXPECT_EQ("refused", read(root, scratch_key, "Dir", 0)) << root;
        EXPECT_EQ(FALSE, WINUTILS_clear_registry_entry(root, tests_key, "Scratch", nullptr)) << root;
    }
    // Clearing takes one value, then the key; what is gone cannot be cleared again.
    EXPECT_EQ(TRUE, WINUTILS_clear_registry_entry(user, tests_key, "Scratch", "Count"));
    EXPECT_EQ(FALSE, WINUTILS_clear_registry_entry(user, tests_key, "Scratch", "Count"));
    EXPECT_EQ(string_value("C:\\Quill Demo"), stored(HKEY_CURRENT_USER, scratch_key, "Dir"));
    EXPECT_EQ(TRUE, WINUTILS_clear_registry_entry(user, tests_key, "Scratch", nullptr));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, scratch_key));
}

}  // namespace
