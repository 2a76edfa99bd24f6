// Registry operations, exercised against scratch keys of the test prefix's registry and checked
// behind their back with the plain registry functions.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "WINUTILS.h"

namespace {

const char tests_key[] = "Software\\QuillmoorTests";
const char scratch_key[] = "Software\\QuillmoorTests\\Scratch";
const char product_key[] = "Software\\QuillmoorTests\\Scratch\\Product";
const std::int32_t user = WINUTILS_ROOT_CURRENT_USER;
const std::string none = "<none>";

// A value as stored, its type first and then its exact bytes; none when there is no such value.
std::string stored(HKEY root, const char* path, const char* name) {
    char bytes[2048];
    DWORD size = sizeof bytes;
    DWORD type = REG_NONE;
    if (RegGetValueA(root, path, name, RRF_RT_ANY | RRF_NOEXPAND, &type, bytes, &size) != ERROR_SUCCESS) return none;
    return std::to_string(type) + ":" + std::string(bytes, size);
}

std::string string_value(const char* text) {
    return std::to_string(REG_SZ) + ":" + std::string(text, std::strlen(text) + 1);
}

bool key_exists(HKEY root, const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, tests_key); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, tests_key); }

    // Reads into the caller's 512 bytes, followed by a guard area that no read may reach.
    BOOL8 get(std::int32_t root, const char* path, const char* name) {
        std::memset(buffer, sentinel, sizeof buffer);
        return WINUTILS_get_registry_entry(root, path, name, buffer);
    }
    bool untouched_from(std::size_t at) const {
        return std::string(buffer + at, sizeof buffer - at) == std::string(sizeof buffer - at, sentinel);
    }

    static const char sentinel = '\xA5';
    char buffer[WINUTILS_REGISTRY_BUFFER_SIZE + 64];
};

// Each root index reaches its own root: a value written through it lands there (its keys made on
// the way) and reads back; clearing deletes that value alone, then that key alone. Indexes
// outside the table touch nothing.
TEST_F(RegistryTest, EveryRootIndexReachesItsRootAndNoOther) {
    // A null native root: the index is refused.
    const struct {
        std::int32_t root;
        HKEY native;
        const char* parent;
    } roots[] = {{WINUTILS_ROOT_CLASSES_ROOT, HKEY_CLASSES_ROOT, "QuillmoorTests"},
                 {WINUTILS_ROOT_CURRENT_USER, HKEY_CURRENT_USER, tests_key},
                 {WINUTILS_ROOT_LOCAL_MACHINE, HKEY_LOCAL_MACHINE, tests_key},
                 {WINUTILS_ROOT_USERS, HKEY_USERS, ".Default\\Software\\QuillmoorTests"},
                 {WINUTILS_ROOT_CURRENT_CONFIG, HKEY_CURRENT_CONFIG, tests_key},
                 {6, nullptr, tests_key}, {-1, nullptr, tests_key}, {INT_MIN, nullptr, tests_key}};
    for (const auto& c : roots) {
        SCOPED_TRACE(::testing::Message() << "root " << c.root);
        const BOOL8 valid = c.native != nullptr ? TRUE : FALSE;
        const HKEY native = valid ? c.native : HKEY_CURRENT_USER;
        const std::string record = std::string(c.parent) + "\\Record";
        const std::string key = record + "\\Deep";
        if (!valid) {
            ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(user, key.c_str(), "Dir", "kept", 0));
        }
        EXPECT_EQ(valid, WINUTILS_set_registry_entry(c.root, key.c_str(), "Dir", "C:\\Quill", 0));
        EXPECT_EQ(valid, WINUTILS_set_registry_entry(c.root, key.c_str(), "Count", nullptr, 1));
        EXPECT_EQ(valid, get(c.root, key.c_str(), "Dir"));
        EXPECT_TRUE(valid ? std::string(buffer) == "C:\\Quill" : untouched_from(0));
        EXPECT_EQ(valid, WINUTILS_clear_registry_entry(c.root, record.c_str(), "Deep", "Count"));
        EXPECT_EQ(none, stored(native, key.c_str(), "Count"));
        EXPECT_EQ(string_value(valid ? "C:\\Quill" : "kept"), stored(native, key.c_str(), "Dir"));
        EXPECT_EQ(valid, WINUTILS_clear_registry_entry(c.root, record.c_str(), "Deep", nullptr));
        EXPECT_EQ(!valid, key_exists(native, key.c_str()));
        EXPECT_TRUE(key_exists(native, record.c_str()));
        RegDeleteTreeA(native, c.parent);
    }
}

// Strings are stored with their terminator and numbers as four bytes, read back as signed decimal;
// strings fill the buffer to its end and no further; other types are refused.
TEST_F(RegistryTest, ValuesAreStoredAndReadBack) {
    const std::string longest(WINUTILS_REGISTRY_BUFFER_SIZE - 1, 'L');
    const std::string too_long = longest + "M";
    // Each value is written with the set operation (text, or the number when the text is null),
    // or when raw_type is not REG_NONE behind its back as the raw bytes. A null read: refused.
    const struct {
        const char* label;
        const char* name;
        const char* text;
        std::uint32_t number;
        DWORD raw_type;
        std::string raw;
        const char* read;
    } cases[] = {
        {"string", "Dir", "C:\\Quill Demo", 0, REG_NONE, "", "C:\\Quill Demo"},
        {"empty default value", nullptr, "", 0, REG_NONE, "", ""},
        {"number", "Count", nullptr, 300, REG_NONE, "", "300"},
        {"all bits", "Count", nullptr, 0xFFFFFFFFu, REG_NONE, "", "-1"},
        {"sign bit", "Count", nullptr, 0x80000000u, REG_NONE, "", "-2147483648"},
        {"fills the buffer", "Long", longest.c_str(), 0, REG_NONE, "", longest.c_str()},
        {"one past the buffer", "Long", too_long.c_str(), 0, REG_NONE, "", nullptr},
        {"unterminated", "Bare", nullptr, 0, REG_SZ, "ABCDEFGHIJ", "ABCDEFGHIJ"},
        {"unterminated, fills the buffer", "Bare", nullptr, 0, REG_SZ, std::string(512, 'N'), nullptr},
        {"binary", "Binary", nullptr, 0, REG_BINARY, "\x01\x02\x03\x04", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        if (c.raw_type != REG_NONE) {
            // The byte after the data is not zero, or the registry would count it in as a terminator.
            const std::string padded = c.raw + "#";
            ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, scratch_key, c.name, c.raw_type,
                                                     padded.data(), static_cast<DWORD>(c.raw.size())));
        } else {
            ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(user, scratch_key, c.name, c.text, c.number));
            const std::string number = std::string(reinterpret_cast<const char*>(&c.number), 4);
            EXPECT_EQ(c.text != nullptr ? string_value(c.text) : std::to_string(REG_DWORD) + ":" + number,
                      stored(HKEY_CURRENT_USER, scratch_key, c.name));
        }
        EXPECT_EQ(c.read != nullptr, get(user, scratch_key, c.name) == TRUE);
        EXPECT_TRUE(c.read == nullptr || std::string(buffer) == c.read) << buffer;
        EXPECT_TRUE(untouched_from(WINUTILS_REGISTRY_BUFFER_SIZE));
    }
    EXPECT_EQ(FALSE, get(user, scratch_key, "Missing"));
    EXPECT_EQ(FALSE, get(user, "Software\\QuillmoorTests\\Nowhere", "Dir"));
    EXPECT_TRUE(untouched_from(0));
}

TEST_F(RegistryTest, ClearingWhatIsNotThereFails) {
    ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(user, product_key, "TargetDir", "C:\\Demo", 0));
    const struct {
        const char* parent;
        const char* subkey;
        const char* value;  // null: the whole key
    } missing[] = {{scratch_key, "Product", "Absent"},
                   {scratch_key, "Absent", "TargetDir"},
                   {scratch_key, "Absent", nullptr},
                   {"Software\\QuillmoorTests\\Nowhere", "Product", nullptr}};
    for (const auto& c : missing)
        EXPECT_EQ(FALSE, WINUTILS_clear_registry_entry(user, c.parent, c.subkey, c.value))
            << c.parent << "\\" << c.subkey << " " << (c.value != nullptr ? c.value : "(key)");
    EXPECT_EQ(string_value("C:\\Demo"), stored(HKEY_CURRENT_USER, product_key, "TargetDir"));
}

}  // namespace
