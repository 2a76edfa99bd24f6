// Registry operations, exercised against scratch keys of the test prefix's registry.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "Handles.h"
#include "WINUTILS.h"

namespace {

const char tests_key[] = "Software\\QuillmoorTests";
const char scratch_key[] = "Software\\QuillmoorTests\\Scratch";
const char product_key[] = "Software\\QuillmoorTests\\Scratch\\Product";
const unsigned char sentinel = 0xA5;
const std::int32_t user = WINUTILS_ROOT_CURRENT_USER;

bool key_exists(HKEY root, const char* path) {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    WINUTILS_REGISTRY_KEY key(opened);
    return true;
}

bool value_exists(const char* path, const char* name) {
    return RegGetValueA(HKEY_CURRENT_USER, path, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

// Writes a value behind the operations' back, with any type and any length.
bool write_raw(const char* path, const char* name, DWORD type, const void* data, DWORD size) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
        return false;
    WINUTILS_REGISTRY_KEY key(opened);
    return RegSetValueExA(key.get(), name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

// A value as stored: its type and its exact bytes.
bool read_raw(const char* path, const char* name, DWORD* type, std::string* data) {
    char bytes[2048];
    DWORD size = sizeof bytes;
    *type = REG_NONE;
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_READ, &opened) != ERROR_SUCCESS) return false;
    WINUTILS_REGISTRY_KEY key(opened);
    if (RegQueryValueExA(key.get(), name, nullptr, type, reinterpret_cast<BYTE*>(bytes), &size) != ERROR_SUCCESS)
        return false;
    data->assign(bytes, size);
    return true;
}

bool untouched(const char* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        if (static_cast<unsigned char>(bytes[i]) != sentinel) return false;
    return true;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, tests_key); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, tests_key); }

    // Reads into the caller's 512 bytes, which are followed by a guard area no read may reach.
    BOOL8 get(std::int32_t root, const char* path, const char* name) {
        std::memset(buffer, sentinel, sizeof buffer);
        return WINUTILS_get_registry_entry(root, path, name, buffer);
    }
    bool guard_untouched() const { return untouched(buffer + WINUTILS_REGISTRY_BUFFER_SIZE, guard_size); }

    static const std::size_t guard_size = 64;
    char buffer[WINUTILS_REGISTRY_BUFFER_SIZE + guard_size];
};

TEST_F(RegistryTest, StringsCreateTheirKeysAndKeepTheirTerminator) {
    const char deep[] = "Software\\QuillmoorTests\\Scratch\\One\\Two\\Three";
    ASSERT_FALSE(key_exists(HKEY_CURRENT_USER, tests_key));
    EXPECT_EQ(TRUE, WINUTILS_set_registry_entry(user, deep, "TargetDir", "C:\\Quill Demo", 0));

    DWORD type;
    std::string data;
    ASSERT_TRUE(read_raw(deep, "TargetDir", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("C:\\Quill Demo", 14), data);
    EXPECT_EQ(TRUE, get(user, deep, "TargetDir"));
    EXPECT_STREQ("C:\\Quill Demo", buffer);

    // The empty text, in the key's default value (null name).
    ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(user, deep, nullptr, "", 0));
    EXPECT_EQ(TRUE, get(user, deep, nullptr));
    EXPECT_STREQ("", buffer);
}

TEST_F(RegistryTest, NumbersAreDwordsReadAsSignedDecimal) {
    ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(user, scratch_key, "Count", nullptr, 300));
    DWORD type;
    std::string data;
    ASSERT_TRUE(read_raw(scratch_key, "Count", &type, &data));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(std::string("\x2c\x01\0\0", 4), data);

    struct {
        std::uint32_t number;
        const char* text;
    } const cases[] = {{300, "300"}, {0, "0"}, {0xFFFFFFFFu, "-1"}, {0x80000000u, "-2147483648"}};
    for (const auto& c : cases) {
        ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(user, scratch_key, "Count", nullptr, c.number));
        EXPECT_EQ(TRUE, get(user, scratch_key, "Count"));
        EXPECT_STREQ(c.text, buffer) << c.number;
    }
}

TEST_F(RegistryTest, RootsOutsideTheTableAreRefusedUntouched) {
    const char kept[] = "Software\\QuillmoorTests\\Scratch\\Keep";
    ASSERT_TRUE(write_raw(kept, "Name", REG_SZ, "x", 2));
    for (std::int32_t root : {6, -1, INT_MIN}) {
        SCOPED_TRACE(root);
        EXPECT_EQ(FALSE, WINUTILS_set_registry_entry(root, "Software\\QuillmoorTests\\Made", "Name", "x", 0));
        EXPECT_EQ(FALSE, WINUTILS_set_registry_entry(root, "Software\\QuillmoorTests\\Made", "Name", nullptr, 1));
        EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, "Software\\QuillmoorTests\\Made"));
        EXPECT_EQ(FALSE, get(root, kept, "Name"));
        EXPECT_TRUE(untouched(buffer, sizeof buffer));
        EXPECT_EQ(FALSE, WINUTILS_clear_registry_entry(root, scratch_key, "Keep", "Name"));
        EXPECT_EQ(FALSE, WINUTILS_clear_registry_entry(root, scratch_key, "Keep", nullptr));
        EXPECT_TRUE(value_exists(kept, "Name"));
    }
}

TEST_F(RegistryTest, ReadRefusesMissingValuesAndOtherTypes) {
    const unsigned char bytes[] = {1, 2, 3, 4};
    ASSERT_TRUE(write_raw(scratch_key, "Binary", REG_BINARY, bytes, sizeof bytes));
    ASSERT_TRUE(write_raw(scratch_key, "Expand", REG_EXPAND_SZ, "%WINDIR%", 9));
    for (const char* name : {"Binary", "Expand", "Missing"}) {
        EXPECT_EQ(FALSE, get(user, scratch_key, name)) << name;
        EXPECT_TRUE(guard_untouched()) << name;
    }
    EXPECT_EQ(FALSE, get(user, "Software\\QuillmoorTests\\Nowhere", "Binary"));
    EXPECT_TRUE(untouched(buffer, sizeof buffer));
}

TEST_F(RegistryTest, ReadStaysInsideTheBufferAndTerminates) {
    // 511 characters and the terminator fill the buffer exactly; one more does not fit.
    const std::string longest(WINUTILS_REGISTRY_BUFFER_SIZE - 1, 'L');
    ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(user, scratch_key, "Long", longest.c_str(), 0));
    EXPECT_EQ(TRUE, get(user, scratch_key, "Long"));
    EXPECT_EQ(longest, std::string(buffer));
    EXPECT_TRUE(guard_untouched());

    ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(user, scratch_key, "Long", (longest + "M").c_str(), 0));
    EXPECT_EQ(FALSE, get(user, scratch_key, "Long"));
    EXPECT_TRUE(guard_untouched());

    // Strings stored without a terminator: terminated when there is room, refused when not. The
    // byte after the data must not be zero, or the registry counts it in as the terminator.
    ASSERT_TRUE(write_raw(scratch_key, "Bare", REG_SZ, "ABCDEFGHIJKL", 10));
    EXPECT_EQ(TRUE, get(user, scratch_key, "Bare"));
    EXPECT_STREQ("ABCDEFGHIJ", buffer);

    const std::string bare(WINUTILS_REGISTRY_BUFFER_SIZE + 8, 'N');
    ASSERT_TRUE(write_raw(scratch_key, "Bare", REG_SZ, bare.data(), WINUTILS_REGISTRY_BUFFER_SIZE));
    DWORD type;
    std::string stored;
    ASSERT_TRUE(read_raw(scratch_key, "Bare", &type, &stored));
    ASSERT_EQ(static_cast<std::size_t>(WINUTILS_REGISTRY_BUFFER_SIZE), stored.size());
    EXPECT_EQ(FALSE, get(user, scratch_key, "Bare"));
    EXPECT_TRUE(guard_untouched());
}

TEST_F(RegistryTest, ClearDeletesAValueOrTheWholeKey) {
    ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(user, product_key, "DisplayName", "Demo", 0));
    ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(user, product_key, "TargetDir", "C:\\Demo", 0));
    ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(user, "Software\\QuillmoorTests\\Scratch\\Other", "A", "B", 0));

    EXPECT_EQ(TRUE, WINUTILS_clear_registry_entry(user, scratch_key, "Product", "TargetDir"));
    EXPECT_FALSE(value_exists(product_key, "TargetDir"));
    EXPECT_TRUE(value_exists(product_key, "DisplayName"));
    EXPECT_EQ(FALSE, WINUTILS_clear_registry_entry(user, scratch_key, "Product", "TargetDir"));
    EXPECT_EQ(FALSE, WINUTILS_clear_registry_entry(user, scratch_key, "Absent", "DisplayName"));

    EXPECT_EQ(TRUE, WINUTILS_clear_registry_entry(user, scratch_key, "Product", nullptr));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, product_key));
    EXPECT_TRUE(key_exists(HKEY_CURRENT_USER, "Software\\QuillmoorTests\\Scratch\\Other"));
    EXPECT_EQ(FALSE, WINUTILS_clear_registry_entry(user, scratch_key, "Product", nullptr));
    EXPECT_EQ(FALSE, WINUTILS_clear_registry_entry(user, "Software\\QuillmoorTests\\Nowhere", "Other", nullptr));
}

// The uninstall record lives under the machine root; the same operations reach it there.
class MachineRegistryTest : public RegistryTest {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, tests_key); }
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, tests_key); }
};

TEST_F(MachineRegistryTest, RecordWrittenReadAndDeleted) {
    const std::int32_t machine = WINUTILS_ROOT_LOCAL_MACHINE;
    const char key[] = "Software\\QuillmoorTests\\Uninstall\\Quillmoor Demo";
    ASSERT_EQ(TRUE, WINUTILS_set_registry_entry(machine, key, "TargetDir", "C:\\Quill", 0));
    EXPECT_FALSE(key_exists(HKEY_CURRENT_USER, key));
    EXPECT_EQ(TRUE, get(machine, key, "TargetDir"));
    EXPECT_STREQ("C:\\Quill", buffer);

    EXPECT_EQ(TRUE, WINUTILS_clear_registry_entry(machine, "Software\\QuillmoorTests\\Uninstall", "Quillmoor Demo",
                                                  nullptr));
    EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, key));
}

}  // namespace
