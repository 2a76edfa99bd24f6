// What the program must never damage, tried the way real machines and careless records do it:
// links inside the game's folder, records that name the system's own folders or no usable folder,
// an install into the disc's own folder, a drive that fills during the copy, and an absurdly long
// directory.
#include <filesystem>

#include "gui_checks.h"

namespace gui {
namespace {

// Made by safety_fixture.sh before the suite: a folder holding a file, and a game folder holding
// a Unix link to it, which Wine shows as a directory reparse point; a drive R: of 48 MB.
constexpr const char* LINK_GAME = "C:\\quill-safety\\game";
constexpr const char* LINK_OUTSIDE_FILE = "C:\\quill-safety\\outside\\keep.txt";
constexpr const char* FILLING_DRIVE = "R:\\";

// Runs a Windows program of the system and waits for it; its standard output lands in output.
bool run_system_program(const std::string& command_line, std::string* output = nullptr) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    const std::string log = join(std::filesystem::temp_directory_path().string(), "quill-safety-output.txt");
    HANDLE file = CreateFileA(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = file;
    PROCESS_INFORMATION info{};
    std::string command = command_line;
    const bool started =
        CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info) != 0;
    if (started) {
        WaitForSingleObject(info.hProcess, WAIT_MS);
        CloseHandle(info.hProcess);
        CloseHandle(info.hThread);
    }
    CloseHandle(file);
    if (output != nullptr) *output = read_file(log);
    return started;
}

// A writable copy of the disc, to start setup.exe from.
std::string disc_copy(const std::string& copy) {
    std::filesystem::copy(disc_dir(), copy, std::filesystem::copy_options::recursive);
    return copy;
}

using SafetyTest = SetupTest;

// A record that names a folder the system or the user keeps deletes nothing there and asks
// nothing about it, however the folder is written; the Start-menu question still comes and the
// removal completes.
TEST_F(SafetyTest, RemovalNeverDeletesProtectedFolders) {
    char profile[MAX_PATH] = "", program_files[MAX_PATH] = "", short_program_files[MAX_PATH] = "";
    ASSERT_NE(0u, GetEnvironmentVariableA("USERPROFILE", profile, sizeof profile));
    ASSERT_NE(0u, GetEnvironmentVariableA("ProgramFiles", program_files, sizeof program_files));
    ASSERT_NE(0u, GetShortPathNameA(program_files, short_program_files, sizeof short_program_files));
    ASSERT_STRNE(program_files, short_program_files);
    for (const std::string& folder :
         {std::string("C:\\"), windows_dir(), join(windows_dir(), "syswow64"), std::string(profile),
          std::string(short_program_files), "\\\\?\\" + std::string(profile)}) {
        SCOPED_TRACE(folder);
        reset();
        const std::string sentinel = join(folder, "quill-sentinel.txt");
        ASSERT_TRUE(write_file(sentinel, "keep"));
        ASSERT_TRUE(write_record_string("TargetDir", folder));
        ASSERT_TRUE(launch());
        ASSERT_TRUE(setup.click(IDC_SLOT2));
        EXPECT_BOX(setup, TEXT_QUESTION, TEXT_AREYOUSURE, IDYES);
        EXPECT_BOX(setup, TEXT_QUESTION, delete_question(menu_folder()), IDYES);
        EXPECT_BOX(setup, TEXT_INFO, TEXT_REMOVECOMPLETE, IDOK);
        EXPECT_SCREEN(setup, NOT_INSTALLED_MENU);
        EXPECT_TRUE(file_exists(sentinel));
        DeleteFileA(sentinel.c_str());
    }
}

// A record naming a bare drive: to the system that is the drive's current folder (here the disc
// copy the program was started from), but the removal would search the drive's root. It is a root.
TEST_F(SafetyTest, RemovalTakesABareDriveAsItsRoot) {
    if (GetDriveTypeA(FILLING_DRIVE) == DRIVE_NO_ROOT_DIR) GTEST_SKIP() << "no drive R: (safety_fixture.sh)";
    const std::string copy = disc_copy(std::string(FILLING_DRIVE) + "disc copy");
    const std::string sentinel = std::string(FILLING_DRIVE) + "quill-sentinel.txt";
    ASSERT_TRUE(write_file(sentinel, "keep"));
    ASSERT_TRUE(write_record_string("TargetDir", std::string(FILLING_DRIVE, 2)));
    ASSERT_TRUE(launch("", copy));
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    EXPECT_BOX(setup, TEXT_QUESTION, TEXT_AREYOUSURE, IDYES);
    EXPECT_BOX(setup, TEXT_QUESTION, delete_question(menu_folder()), IDYES);
    EXPECT_BOX(setup, TEXT_INFO, TEXT_REMOVECOMPLETE, IDOK);
    setup.terminate();
    EXPECT_TRUE(file_exists(sentinel));
    remove_tree(copy);
    DeleteFileA(sentinel.c_str());
}

// The whole life of an install in a folder that holds a link out of it, started the ways the
// system starts it: the shortcut through "start", and the removal through the system's own
// uninstall program, which runs the registered uninstaller copy from its own file. Read-only
// files at every depth go; the link is never followed.
TEST_F(SafetyTest, InstallWithLinkInsideIsRemovedWithoutFollowingIt) {
    if (!file_exists(LINK_OUTSIDE_FILE)) GTEST_SKIP() << "no link fixture (safety_fixture.sh)";
    ASSERT_NO_FATAL_FAILURE(reach(Where::TYPE, LINK_GAME));
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    EXPECT_BOX(setup, TEXT_INFO, TEXT_SUCCESS, IDOK);
    EXPECT_SCREEN(setup, INSTALLED_MENU);
    setup.terminate();

    // The Start-menu shortcut starts the game in its own folder.
    const std::string game = join(LINK_GAME, "quillmain.exe");
    ASSERT_TRUE(CopyFileA(probe_exe().c_str(), game.c_str(), FALSE));
    ASSERT_TRUE(run_system_program("start.exe \"" + join(menu_folder(), "Quillmoor Demo.lnk") + "\""));
    std::string started;
    ASSERT_TRUE(wait_until([&] { return (started = read_file(join(LINK_GAME, "started.txt"))) != MISSING_FILE; }));
    EXPECT_NE(std::string::npos, started.find("current_directory=" + std::string(LINK_GAME) + "\n")) << started;

    for (const std::string& entry : entries_below(LINK_GAME))
        SetFileAttributesA(join(LINK_GAME, entry).c_str(), FILE_ATTRIBUTE_READONLY);

    // The system's uninstall list knows the record and starts the registered uninstaller, which
    // copies itself onto itself at start-up without complaint.
    std::string listed;
    ASSERT_TRUE(run_system_program("uninstaller.exe --list", &listed));
    EXPECT_NE(std::string::npos, listed.find(TEXT_APPLICATION_NAME)) << listed;
    ASSERT_TRUE(run_system_program("uninstaller.exe --remove \"" TEXT_APPLICATION_NAME "\""));
    ASSERT_TRUE(setup.adopt());
    EXPECT_STAYS(setup, REMOVE_SCREEN);
    ASSERT_TRUE(setup.click(IDC_SLOT2));
    EXPECT_BOX(setup, TEXT_QUESTION, TEXT_AREYOUSURE, IDYES);
    EXPECT_BOX(setup, TEXT_QUESTION, delete_question(LINK_GAME), IDYES);
    EXPECT_BOX(setup, TEXT_QUESTION, delete_question(menu_folder()), IDYES);
    EXPECT_BOX(setup, TEXT_INFO, TEXT_REMOVECOMPLETE, IDOK);
    EXPECT_EXITS(setup);

    EXPECT_TRUE(file_exists(LINK_OUTSIDE_FILE));
    // Wine cannot remove a Unix link from the Windows side: the link, and so its folder, stay.
    const std::vector<std::string> left = entries_below(LINK_GAME);
    EXPECT_TRUE(left.empty() || left == std::vector<std::string>{"linked"}) << left.size() << " entries left";
    EXPECT_FALSE(dir_exists(menu_folder()));
    EXPECT_FALSE(record_exists());
}

// Installing into the disc's own folder on a writable drive: every copy would open its own
// source for writing. Each is refused as a destination that cannot be opened; the disc is intact.
TEST_F(SafetyTest, InstallIntoTheDiscItselfLeavesTheDiscIntact) {
    const std::string copy = disc_copy(scratch("disc copy"));
    const std::vector<std::string> errors = failed_install(copy, copy);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(0u, errors[0].find(TEXT_UNABLETOOPEN " " + copy + "\\")) << errors[0];
    for (const auto& entry : std::filesystem::recursive_directory_iterator(disc_dir())) {
        const std::string relative = std::filesystem::relative(entry.path(), disc_dir()).string();
        EXPECT_TRUE(entry.is_directory() || files_equal(entry.path().string(), join(copy, relative))) << relative;
    }
}

// A drive with room enough for the space check that fills during the copy: the write failure
// names the destination, the rest of the run fails as the parts of the list do.
TEST_F(SafetyTest, DriveFillingDuringTheCopyIsReported) {
    ULARGE_INTEGER available{}, total{};
    if (!GetDiskFreeSpaceExA(FILLING_DRIVE, &available, &total, nullptr) || total.QuadPart > 64ull << 20)
        GTEST_SKIP() << "no small drive R: in this prefix (safety_fixture.sh)";
    const std::string copy = disc_copy(scratch("disc copy"));
    const std::string more_than_fits(static_cast<size_t>(total.QuadPart) + (8u << 20), 'q');
    ASSERT_TRUE(write_file(join(copy, "data\\Anims\\zz big.bin"), more_than_fits));
    const std::string target = std::string(FILLING_DRIVE) + TEXT_DEFAULT_DIR;
    const std::vector<std::string> errors = failed_install(target, copy);
    remove_tree(target);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(TEXT_UNABLETOWRITE ", " + join(target, "data\\Anims\\zz big.bin") + "\n", errors[0]);
}

// A typed directory far beyond what a path may hold passes the directory screen's own checks;
// every copy into it is then refused as a destination that cannot be opened, and nothing is made
// anywhere, under it or cut short beside it.
TEST_F(SafetyTest, OverlongInstallDirectoryMakesNothing) {
    const std::string base = scratch("long");
    ASSERT_TRUE(make_dirs(base));
    const std::string typed = base + "\\" + std::string(500 - base.size() - 1, 'a');
    const std::vector<std::string> errors = failed_install(typed);
    ASSERT_FALSE(errors.empty());
    EXPECT_EQ(0u, errors[0].find(TEXT_UNABLETOOPEN " " + typed)) << errors[0];
    EXPECT_TRUE(entries_below(base).empty());
}

// Without a usable record the removal has no directory: it says so and ends the program at once.
// The record vanished after start-up, or its install directory fills the whole field without a
// terminator, which would only fit cut (and a cut directory is some other one): start-up then
// offers installing.
TEST_F(SafetyTest, RemovalWithoutUsableRecordEndsWithStatusMinusOne) {
    const std::string filled(512, 'a');
    for (bool unterminated : {false, true}) {
        SCOPED_TRACE(unterminated ? "unterminated directory" : "record deleted after start-up");
        reset();
        ASSERT_TRUE(unterminated ? write_record("TargetDir", REG_SZ, filled.data(), 512)
                                 : write_record_string("TargetDir", scratch()));
        ASSERT_TRUE(launch());
        EXPECT_SCREEN(setup, unterminated ? NOT_INSTALLED_MENU : INSTALLED_MENU);
        if (unterminated) ASSERT_TRUE(launch("remove"));
        else delete_record();
        ASSERT_TRUE(setup.click(IDC_SLOT2));
        EXPECT_BOX(setup, TEXT_QUESTION, TEXT_AREYOUSURE, IDYES);
        EXPECT_BOX(setup, TEXT_ERROR, TEXT_UNABLETOOPENKEY, IDOK);
        EXPECT_EQ(0xFFFFFFFFu, setup.wait_exit());
    }
}

}  // namespace
}  // namespace gui
