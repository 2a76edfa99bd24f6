// The install and remove sequences apart from what the product's lists do: the disk-space
// decision, the Programs folder and the game's Start-menu folder below it, the shortcut
// renames, the recorded install directory, a removal without a Programs folder, and where the
// screens leave the keyboard focus.
#include <objbase.h>

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <optional>
#include <string>

#include "CopyLists.h"
#include "Fixed.h"
#include "INSTALL.h"
#include "Memory.h"
#include "Sequences.h"
#include "Strings.h"
#include "box_answerer.h"
#include "resource.h"
#include "scratch_files.h"
#include "texts.h"

namespace {

// A product name of the tests' own, so that the uninstall record is the tests' own too.
const char* const PRODUCT = "Quillmoor Sequence Test";
const std::string record_key = std::string(INSTALL_UNINSTALL_PARENT) + "\\" + PRODUCT;

const COPY_LIST_ENTRY make_start_menu_shortcut[] = {{COPY_OP_CREATE_FOLDER, "<STARTMENU>", nullptr},
                                                    {COPY_OP_FILE_SHORTCUT, "<STARTMENU>\\Tesvel Software.lnk", "<DST>\\game.exe"},
                                                    {COPY_OP_END, nullptr, nullptr}};

// The shell's record of the Start menu's Programs folder, under HKEY_CURRENT_USER; none deletes it.
bool set_programs_value(const std::optional<std::string>& folder) {
    if (folder) return write_string_value(HKEY_CURRENT_USER, INSTALL_SHELL_FOLDERS_KEY, INSTALL_PROGRAMS_VALUE, *folder);
    const LONG result = RegDeleteKeyValueA(HKEY_CURRENT_USER, INSTALL_SHELL_FOLDERS_KEY, INSTALL_PROGRAMS_VALUE);
    return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}

// A value of the tests' uninstall record: the bytes given, with no terminator added.
bool write_record_value(const char* name, const std::string& data) {
    return RegSetKeyValueA(HKEY_LOCAL_MACHINE, record_key.c_str(), name, REG_SZ, data.data(),
                           static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

// The run-wide state, a hidden main window from the real template and a scratch directory; the
// Programs value, the current directory and the record are put back afterwards.
class Sequences : public ::testing::Test {
protected:
    void SetUp() override {
        saved_directory = current_directory();
        saved_programs = read_string_value(HKEY_CURRENT_USER, INSTALL_SHELL_FOLDERS_KEY, INSTALL_PROGRAMS_VALUE);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, record_key.c_str());
        scratch = (std::filesystem::temp_directory_path() / "quill-sequences-").string() +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name();
        remove_tree(scratch);
        ASSERT_TRUE(CreateDirectoryA(scratch.c_str(), nullptr)) << scratch;
        // The runs keep their shell-folder paths in tracked allocations, and make shortcuts.
        MEMORY_initialise();
        CoInitialize(nullptr);
        local_install_details = {};
        local_install_details.instance = GetModuleHandleA(nullptr);
        STRINGS_copy(local_install_details.product_name, PRODUCT);
        window = CreateDialogParamA(local_install_details.instance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), nullptr,
                                    INSTALL_dialog_procedure, 0);
        ASSERT_NE(nullptr, window);
        local_install_details.main_window = window;
    }
    void TearDown() override {
        if (window != nullptr) DestroyWindow(window);
        local_install_details = {};
        CoUninitialize();
        MEMORY_deinitialise();
        SetCurrentDirectoryA(saved_directory.c_str());
        set_programs_value(saved_programs);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, record_key.c_str());
        remove_tree(scratch);
    }
    // A new directory below the test's own empty one.
    std::string make_dir(const std::string& name) const {
        const std::string path = scratch + "\\" + name;
        CreateDirectoryA(path.c_str(), nullptr);
        return path;
    }

    HWND window = nullptr;
    std::string scratch, saved_directory;
    std::optional<std::string> saved_programs;
};

std::string box_line(const SEEN_BOX& box) { return box.caption + "|" + box.text; }

TEST(DiskSpace, DiskFirstThenDiskAndPageFileTogether) {
    const struct {
        const char* name;
        std::int64_t disk, page_file;
        std::int32_t required;
        disk_space_verdict verdict;
    } cases[] = {
        {"a megabyte short of disk, whatever the page file", 39, 100000, 40, DISK_SPACE_DISK_SHORT},
        {"enough disk, a megabyte short of reserve", 40, 79, 40, DISK_SPACE_MEMORY_SHORT},
        {"disk and page file just enough", 40, 80, 40, DISK_SPACE_ENOUGH},
        {"disk counts towards the reserve", 120, 0, 40, DISK_SPACE_ENOUGH},
        {"disk alone a megabyte short of the reserve", 119, 0, 40, DISK_SPACE_MEMORY_SHORT},
        {"the largest request does not overflow", INT_MAX, 79, INT_MAX, DISK_SPACE_MEMORY_SHORT},
    };
    for (const auto& c : cases) EXPECT_EQ(c.verdict, judge_disk_space(c.disk, c.page_file, c.required)) << c.name;
}

// The game's folder goes below the Programs folder. When there is none, or it is too long to read,
// the shell is asked, never what the field held: here there is no folder library to ask, and the
// field is emptied, as it is when the two do not fit together; nothing of the Start menu is made,
// and the install still completes. A shortcut made under an old name is renamed after the run.
TEST_F(Sequences, InstallPutsTheGamesFolderBelowTheProgramsFolderWhenItFits) {
    const std::string kept = make_dir("Kept"), recorded = make_dir("Programs");
    const std::string game = std::string("\\") + PRODUCT;
    const std::string longest_with_game = "C:\\" + std::string(INSTALL_PATH_SIZE - 4 - game.size(), 'p');
    const std::string longest = "C:\\" + std::string(INSTALL_PATH_SIZE - 4, 'p');
    const struct {
        const char* name;
        std::optional<std::string> value;
        std::string field;
    } cases[] = {
        {"recorded", recorded, recorded + game},
        {"not recorded", std::nullopt, ""},
        {"recorded empty", std::string(), ""},
        {"longest that takes the game's folder", longest_with_game, longest_with_game + game},
        {"a character too long for the game's folder", longest_with_game + "q", ""},
        {"longest that is read", longest, ""},
        {"too long to read", longest + "q", ""},
    };
    STRINGS_copy(local_install_details.install_dir, make_dir("Game").c_str());
    local_install_details.get_folder_path = nullptr;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        STRINGS_copy(local_install_details.start_menu_folder, kept.c_str());
        ASSERT_TRUE(set_programs_value(c.value));
        BOX_ANSWERER answerer({IDOK});
        run_install(make_start_menu_shortcut);
        const std::vector<SEEN_BOX> boxes = answerer.finish();
        ASSERT_EQ(1u, boxes.size());
        EXPECT_EQ(TEXT_INFO "|" TEXT_SUCCESS, box_line(boxes[0]));
        EXPECT_EQ(c.field, local_install_details.start_menu_folder);
        EXPECT_EQ(!c.field.empty() && c.field.size() < MAX_PATH, dir_exists(c.field));
        EXPECT_EQ(c.value == recorded, DeleteFileA((c.field + "\\" TEXT_START_MENU_SW ".lnk").c_str()) != FALSE)
            << "the shortcut, under its translated name";
        RemoveDirectoryA(c.field.c_str());
    }
}

// The last text has no row in the string table, so only the extension is left. A name already
// taken is not overwritten, and missing shortcuts are nothing to rename.
TEST_F(Sequences, OldShortcutNamesBecomeTranslatedNames) {
    const std::string folder = make_dir("menu");
    STRINGS_copy(local_install_details.start_menu_folder, folder.c_str());
    const char* const renames[][2] = {{"Goto Ostrakon.url", TEXT_START_MENU_OSTRA_WEB ".url"},
                                      {"Tesvel Software.lnk", TEXT_START_MENU_SW ".lnk"},
                                      {"Veltrane.Url", ".url"}};
    for (const auto& rename : renames) ASSERT_TRUE(write_file(folder + "\\" + rename[0], rename[0]));
    ASSERT_TRUE(write_file(folder + "\\Tesvel 3dfx.lnk", "old"));
    ASSERT_TRUE(write_file(folder + "\\" TEXT_START_MENU_3DFX ".lnk", "taken"));
    rename_start_menu_shortcuts();
    for (const auto& rename : renames) {
        EXPECT_EQ(MISSING_FILE, read_file(folder + "\\" + rename[0])) << rename[0];
        EXPECT_EQ(rename[0], read_file(folder + "\\" + rename[1])) << rename[1];
    }
    EXPECT_EQ("old", read_file(folder + "\\Tesvel 3dfx.lnk"));
    EXPECT_EQ("taken", read_file(folder + "\\" TEXT_START_MENU_3DFX ".lnk"));
}

// A value of 511 bytes stored without its terminator still ends in one. The game's launch reads
// the value into 512 bytes: a directory that fills them with its terminator is read (and is too
// long to start anything from).
TEST_F(Sequences, RecordedDirectoryBecomesTheInstallDirectory) {
    EXPECT_EQ(FALSE, INSTALL_run_installed_program(PRODUCT, "quillmain.exe"));
    ASSERT_TRUE(write_record_value("TargetDir", std::string(511, 'd') + '\0'));
    EXPECT_EQ(TRUE, INSTALL_run_installed_program(PRODUCT, "quillmain.exe"));
    for (const std::string& recorded : {std::string("D:\\Games\\Quillmoor Demo"), std::string(511, 'd')}) {
        STRINGS_copy(local_install_details.install_dir, "C:\\before");
        ASSERT_TRUE(write_record_value("TargetDir", recorded));
        read_target_dir();
        EXPECT_EQ(recorded, local_install_details.install_dir);
    }
}

// Without a Programs folder the removal says so and goes on with the game's folder below what the
// field held (an earlier run's folder). An empty one is read without a word and puts the game's
// folder at the root of the current drive, as the uninstaller's empty field does. The removal asks
// about that folder as about the install directory; declined, both stay, and the record goes all
// the same.
TEST_F(Sequences, RemoveWithoutProgramsFolderReportsAndGoesOn) {
    const std::string kept = make_dir("Kept"), game = make_dir("Game");
    for (const bool empty : {false, true}) {
        SCOPED_TRACE(empty ? "empty Programs value" : "no Programs value");
        ASSERT_TRUE(write_record_value("TargetDir", game));
        ASSERT_TRUE(set_programs_value(empty ? std::optional<std::string>("") : std::nullopt));
        STRINGS_copy(local_install_details.start_menu_folder, kept.c_str());
        std::vector<BOX_ANSWER> answers{IDYES, IDOK, IDNO, IDNO, IDOK};
        if (empty) answers.erase(answers.begin() + 1);
        BOX_ANSWERER answerer(answers);
        run_remove(INSTALL_REMOVE_LIST);
        std::vector<std::string> shown;
        for (const SEEN_BOX& box : answerer.finish())
            shown.push_back((box.owner == window ? "" : "unowned ") + box_line(box));
        const std::string menu_folder = (empty ? std::string() : kept) + "\\" + PRODUCT;
        std::vector<std::string> expected{TEXT_QUESTION "|" TEXT_AREYOUSURE, TEXT_ERROR "|" TEXT_UNABLETOOPENKEY,
                                          "unowned " TEXT_QUESTION "|" TEXT_DELDIR " :" + game,
                                          "unowned " TEXT_QUESTION "|" TEXT_DELDIR " :" + menu_folder,
                                          TEXT_INFO "|" TEXT_REMOVECOMPLETE};
        if (empty) expected.erase(expected.begin() + 1);
        EXPECT_EQ(expected, shown);
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(game.c_str()));
        EXPECT_FALSE(key_exists(HKEY_LOCAL_MACHINE, record_key));
    }
}

// A screen never leaves the keyboard on a control it hides: the dialog manager hands the focus
// back there after every message box, and a Space would then press a button the screen does not
// offer (Play, which the installed menu starts with the focus, in the middle of a removal).
TEST_F(Sequences, ScreensTakeTheFocusOffWhatTheyHide) {
    ShowWindow(window, SW_SHOW);
    INSTALL_show_installed_menu();
    SetFocus(GetDlgItem(window, IDC_SLOT1));
    INSTALL_show_progress_screen();
    const HWND focus = GetFocus();
    EXPECT_TRUE(!IsChild(window, focus) || (IsWindowVisible(focus) && IsWindowEnabled(focus)))
        << "the focus is on control " << GetDlgCtrlID(focus);
}

}  // namespace
