// Installing from the disc and removing again, as the user does it: the compact install of the
// install-type screen with the files, shortcuts, record and progress bar it leaves, the install
// types without records, a refused and a failed install, and the removal with its questions,
// from the installed menu and as the uninstaller.
#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "gui_checks.h"
#include "resource.h"

namespace gui {
namespace {

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

// The progress bar's bounds and position, asked across the process boundary (no pointer needed).
int progress_high(const SetupProgram& setup) {
    return static_cast<int>(SendMessageA(setup.control(IDC_PROGRESS), PBM_GETRANGE, FALSE, 0));
}
int progress_low(const SetupProgram& setup) {
    return static_cast<int>(SendMessageA(setup.control(IDC_PROGRESS), PBM_GETRANGE, TRUE, 0));
}
int progress_position(const SetupProgram& setup) {
    return static_cast<int>(SendMessageA(setup.control(IDC_PROGRESS), PBM_GETPOS, 0, 0));
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
        if (HasFatalFailure()) return;
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

    // From the start to the install-type screen, with the given directory typed in.
    bool reach_type_screen(const char* file, int line, const std::string& directory) {
        if (!launch("")) return false;
        expect_screen(file, line, setup, not_installed_menu());
        setup.click(IDC_SLOT2);
        expect_screen(file, line, setup, directory_screen(default_directory()));
        setup.type_text(IDC_INSTALL_DIR, directory);
        setup.click(IDC_DIR_OK);
        expect_screen(file, line, setup, type_screen());
        return true;
    }

    // Waits for the completion message of an install type, owned by the main window, and the
    // installed menu after it.
    void complete_install(const char* file, int line) {
        HWND done = expect_box(file, line, setup, "Information", "Install Complete!");
        if (done == nullptr) return;
        EXPECT_EQ(setup.window(), read_box(done).owner);
        press_box_button(done, IDOK);
        expect_screen(file, line, setup, installed_menu());
    }

    // The whole way from the not-installed menu to the installed one, with the compact type.
    void install(const char* file, int line) {
        if (!reach_type_screen(file, line, target)) return;
        setup.click(IDC_SLOT2);
        complete_install(file, line);
    }

    // Answers one removal question, after checking what it asks and, when given, where the
    // progress bar stands while it is asked.
    void answer(const char* file, int line, const char* caption, const std::string& text, int button,
                int position = -1) {
        HWND box = expect_box(file, line, setup, caption, text);
        if (position >= 0) {
            EXPECT_EQ(position, progress_position(setup)) << "at \"" << text << "\"";
        }
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
#define ANSWER(caption, text, button, ...) answer(__FILE__, __LINE__, caption, text, button __VA_OPT__(, ) __VA_ARGS__)

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

    // 41 records, the first 19 of which do not step the bar: 22 steps of 10 fill it.
    EXPECT_EQ(0, progress_low(setup));
    EXPECT_EQ(220, progress_high(setup));
    EXPECT_EQ(220, progress_position(setup));
}

TEST_F(InstallTest, RemoveDeletesTreeShortcutsAndRecordButNotTheUninstaller) {
    INSTALL();
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    ANSWER("Question!", "Are you sure?", IDYES);
    // Two records, each stepping the bar once after its question.
    ANSWER("Question!", delete_question(target), IDYES, 0);
    EXPECT_EQ(20, progress_high(setup));
    ANSWER("Question!", delete_question(menu_folder), IDYES, 10);
    ANSWER("Information", "Uninstall complete", IDOK, 20);
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
    EXPECT_TRUE(file_exists(join(menu_folder, "Quillmoor Demo.lnk")));
    EXPECT_FALSE(record_exists());
}

// The uninstaller copy started the way the record says: it removes, reports and ends.
TEST_F(InstallTest, UninstallerRemovesAndEnds) {
    INSTALL();
    ASSERT_FALSE(HasFailure());
    ASSERT_TRUE(setup.click(IDC_SLOT5));
    EXPECT_EXITS(setup);

    const std::string uninstaller = join(windows_dir(), std::string(PRODUCT_NAME) + " remove.exe");
    ASSERT_TRUE(setup.start(uninstaller, "remove", windows_dir()));
    ASSERT_TRUE(setup.wait_window());
    EXPECT_SCREEN(setup, remove_screen());
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    ANSWER("Question!", "Are you sure?", IDYES);
    ANSWER("Question!", delete_question(target), IDYES);
    ANSWER("Question!", delete_question(menu_folder), IDYES);
    ANSWER("Information", "Uninstall complete", IDOK);
    EXPECT_EXITS(setup);
    EXPECT_FALSE(dir_exists(target));
    EXPECT_FALSE(dir_exists(menu_folder));
    EXPECT_FALSE(record_exists());
}

// The two types shown disabled run lists of only the end record: the installation is recorded
// and reported although nothing is copied, and the bar's bound is the low 16 bits of -190.
TEST_F(InstallTest, TypesWithoutRecordsRecordAnEmptyInstallation) {
    for (int type_button : {IDC_SLOT1, IDC_SLOT3}) {
        SCOPED_TRACE(type_button == IDC_SLOT1 ? "typical type" : "maximum type");
        ASSERT_TRUE(reach_type_screen(__FILE__, __LINE__, target));
        // Disabled buttons take no clicks; the command reaches the window all the same.
        setup.post_command(type_button);
        complete_install(__FILE__, __LINE__);
        std::string value;
        EXPECT_TRUE(read_record_string("TargetDir", &value) && value == target) << value;
        EXPECT_FALSE(dir_exists(target));
        EXPECT_FALSE(dir_exists(menu_folder));
        EXPECT_EQ(65346, progress_high(setup));
        EXPECT_EQ(65346, progress_position(setup));
        setup.terminate();
        delete_record();
    }
}

// A file the copy cannot write stops the run: what was copied stays, nothing is recorded, and
// installing is offered again.
TEST_F(InstallTest, FailedCopyLeavesNoRecord) {
    ASSERT_TRUE(make_dirs(join(target, "readme.txt")));
    ASSERT_TRUE(reach_type_screen(__FILE__, __LINE__, target));
    setup.click(IDC_SLOT2);
    ANSWER("Error!", "Error opening file : " + join(target, "readme.txt"), IDOK);
    EXPECT_SCREEN(setup, not_installed_menu());
    EXPECT_EQ(nullptr, setup.find_box());
    EXPECT_FALSE(record_exists());
    EXPECT_TRUE(dir_exists(join(target, "data\\Anims")));
    EXPECT_FALSE(dir_exists(menu_folder));
}

// A drive with less free space than the compact type needs. The test command mounts one as Q:
// when it runs as root (small_drive.sh); elsewhere the test is skipped.
TEST_F(InstallTest, NotEnoughDiskSpaceKeepsTheTypeScreen) {
    ULARGE_INTEGER available{}, total{}, total_free{};
    if (!GetDiskFreeSpaceExA("Q:\\", &available, &total, &total_free) || total.QuadPart >= 40ull * 1048576)
        GTEST_SKIP() << "no drive Q: smaller than 40 MB in this prefix";
    const std::string small_target = "Q:\\Quillmoor Demo";
    ASSERT_TRUE(reach_type_screen(__FILE__, __LINE__, small_target));
    setup.click(IDC_SLOT2);
    ANSWER("Information",
           "You do not have enough disk space to perform Install, please select another destination or Exit and "
           "free up some space.",
           IDOK);
    EXPECT_STAYS(setup, type_screen());
    EXPECT_FALSE(dir_exists(small_target));
    EXPECT_FALSE(record_exists());

    // Back to the directory screen, and on with a directory that has room.
    setup.click(IDC_SLOT4);
    EXPECT_SCREEN(setup, directory_screen(default_directory()));
    setup.type_text(IDC_INSTALL_DIR, target);
    setup.click(IDC_DIR_OK);
    EXPECT_SCREEN(setup, type_screen());
    setup.click(IDC_SLOT2);
    complete_install(__FILE__, __LINE__);
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
