// Installing from the disc and removing again, as the user does it: the compact install of the
// install-type screen with the files, shortcuts and record it leaves, and the removal with its
// questions, from the installed menu and as the uninstaller.
#include <cstring>

#include "gui_checks.h"
#include "resource.h"

namespace gui {
namespace {

// setup.exe gains its install and remove sequences after its screens; until then these tests
// are skipped rather than run against buttons that do nothing yet.
constexpr bool SEQUENCES_AVAILABLE = false;

constexpr const char* WINE_OVERRIDES_KEY = "Software\\Wine\\DllOverrides";

std::string programs_folder() {
    char folder[MAX_PATH];
    std::memset(folder, 0, sizeof folder);
    DWORD size = sizeof folder - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                     "Programs", RRF_RT_REG_SZ, nullptr, folder, &size) != ERROR_SUCCESS)
        return std::string();
    return folder;
}

// Every file below from must be below to with the same bytes; reports each one that is not.
void expect_same_files(const char* file, int line, const std::string& from, const std::string& to) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(join(from, "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        ADD_FAILURE_AT(file, line) << "cannot list " << from;
        return;
    }
    do {
        if (std::strcmp(found.cFileName, ".") == 0 || std::strcmp(found.cFileName, "..") == 0) continue;
        const std::string source = join(from, found.cFileName);
        const std::string copy = join(to, found.cFileName);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            expect_same_files(file, line, source, copy);
        else if (!files_equal(source, copy))
            ADD_FAILURE_AT(file, line) << copy << " is missing or differs from " << source;
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

class InstallTest : public SetupTest {
protected:
    void SetUp() override {
        SetupTest::SetUp();
        if (!SEQUENCES_AVAILABLE) GTEST_SKIP() << "setup.exe has no install and remove sequences yet";
        // Shortcuts saved in the prefix would otherwise turn into menu entries of the build machine.
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, WINE_OVERRIDES_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            nullptr) == ERROR_SUCCESS) {
            RegSetValueExA(key, "winemenubuilder.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1);
            RegCloseKey(key);
        }
        target = scratch("Install Root\\Quillmoor Demo");
        menu_folder = join(programs_folder(), PRODUCT_NAME);
        ASSERT_FALSE(programs_folder().empty());
        remove_tree(menu_folder);
    }

    void TearDown() override {
        setup.terminate();
        if (!menu_folder.empty()) remove_tree(menu_folder);
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, WINE_OVERRIDES_KEY, 0, KEY_WRITE, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, "winemenubuilder.exe");
            RegCloseKey(key);
        }
        SetupTest::TearDown();
    }

    // The whole way from the not-installed menu to the installed one, with the compact type.
    void install(const char* file, int line) {
        if (!launch("")) return;
        expect_screen(file, line, setup, not_installed_menu());
        setup.click(IDC_SLOT2);
        expect_screen(file, line, setup, directory_screen(default_directory()));
        setup.type_text(IDC_INSTALL_DIR, target);
        setup.click(IDC_DIR_OK);
        expect_screen(file, line, setup, type_screen());
        setup.click(IDC_SLOT2);
        HWND done = expect_box(file, line, setup, "Information", "Install Complete!");
        if (done == nullptr) return;
        EXPECT_EQ(setup.window(), read_box(done).owner);
        press_box_button(done, IDOK);
        expect_screen(file, line, setup, installed_menu());
    }

    // Answers one removal question, after checking what it asks.
    void answer(const char* file, int line, const char* caption, const std::string& text, int button) {
        HWND box = expect_box(file, line, setup, caption, text);
        if (box != nullptr) press_box_button(box, button);
        wait_until([&] { return setup.find_box() != box; });
    }

    std::string delete_question(const std::string& directory) const {
        return "Do you want to delete this dir :" + directory;
    }

    std::string target;
    std::string menu_folder;
};

#define INSTALL() install(__FILE__, __LINE__)
#define ANSWER(caption, text, button) answer(__FILE__, __LINE__, caption, text, button)

TEST_F(InstallTest, CompactInstallCopiesTheDiscAndRecordsIt) {
    INSTALL();
    ASSERT_FALSE(HasFailure());
    expect_same_files(__FILE__, __LINE__, join(disc_dir(), "data"), join(target, "data"));
    const char* const root_files[] = {"setup.exe", "readme.txt", "autorun.inf", "dsetup.dll", "quillmain.exe"};
    for (const char* name : root_files)
        EXPECT_TRUE(files_equal(join(disc_dir(), name), join(target, name))) << name;
    EXPECT_TRUE(file_exists(join(menu_folder, "Quillmoor Demo.lnk")));
    EXPECT_TRUE(file_exists(join(menu_folder, "Quillmoor Website.lnk")));

    std::string value;
    EXPECT_TRUE(read_record_string("DisplayName", &value) && value == PRODUCT_NAME) << value;
    const std::string uninstaller = join(windows_dir(), std::string(PRODUCT_NAME) + " remove.exe");
    EXPECT_TRUE(read_record_string("UninstallString", &value) && value == uninstaller + " remove") << value;
    EXPECT_TRUE(read_record_string("TargetDir", &value) && value == target) << value;
}

TEST_F(InstallTest, RemoveDeletesTreeShortcutsAndRecordButNotTheUninstaller) {
    INSTALL();
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    ANSWER("Question!", "Are you sure?", IDYES);
    ANSWER("Question!", delete_question(target), IDYES);
    ANSWER("Question!", delete_question(menu_folder), IDYES);
    ANSWER("Information", "Uninstall complete", IDOK);
    EXPECT_SCREEN(setup, not_installed_menu());
    EXPECT_FALSE(dir_exists(target));
    EXPECT_FALSE(dir_exists(menu_folder));
    EXPECT_FALSE(record_exists());
    EXPECT_TRUE(file_exists(join(windows_dir(), std::string(PRODUCT_NAME) + " remove.exe")));
}

// Declining both directories keeps the files, yet the record goes and installing is offered.
TEST_F(InstallTest, RemoveDecliningBothDirectoriesStillDeletesTheRecord) {
    INSTALL();
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    ANSWER("Question!", "Are you sure?", IDYES);
    ANSWER("Question!", delete_question(target), IDNO);
    ANSWER("Question!", delete_question(menu_folder), IDNO);
    ANSWER("Information", "Uninstall complete", IDOK);
    EXPECT_SCREEN(setup, not_installed_menu());
    EXPECT_TRUE(file_exists(join(target, "quillmain.exe")));
    EXPECT_FALSE(record_exists());
}

TEST_F(InstallTest, NoToAreYouSureChangesNothingButEndsTheUninstaller) {
    ASSERT_TRUE(write_record_string("TargetDir", scratch()));
    ASSERT_TRUE(launch(""));
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    ANSWER("Question!", "Are you sure?", IDNO);
    EXPECT_STAYS(setup, installed_menu());
    EXPECT_TRUE(record_exists());

    ASSERT_TRUE(launch("remove"));
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    ANSWER("Question!", "Are you sure?", IDNO);
    EXPECT_EXITS(setup);
    EXPECT_TRUE(record_exists());
}

// The record vanished after start-up: the removal has no directory and ends the program at once.
TEST_F(InstallTest, RemoveWithoutRecordEndsWithStatusMinusOne) {
    ASSERT_TRUE(write_record_string("TargetDir", scratch()));
    ASSERT_TRUE(launch(""));
    EXPECT_SCREEN(setup, installed_menu());
    delete_record();
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    ANSWER("Question!", "Are you sure?", IDYES);
    ANSWER("Error!", "Error opening key, please try again.", IDOK);
    DWORD code = 0;
    ASSERT_TRUE(setup.wait_exit(WAIT_MS, &code));
    EXPECT_EQ(0xFFFFFFFFu, code);
}

}  // namespace
}  // namespace gui
