// The shell-folder loader: in this process with the library present, and in a probe process where
// the library is hidden and the redistributable has to be run.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "COPYFLST.h"
#include "Handles.h"

namespace {

const int probe_found_nothing = 10;  // the probe's exit statuses
const int probe_found_function = 11;
const DWORD probe_timeout_ms = 120000;
const char probe_defaults_key[] = "Software\\Wine\\AppDefaults\\copyflst_folder_probe.exe";
const char probe_overrides_key[] = "Software\\Wine\\AppDefaults\\copyflst_folder_probe.exe\\DllOverrides";

TEST(FolderLoaderTest, FunctionAnswersForProgramFilesAndIsKept) {
    COPYFLST_GET_FOLDER_PATH function = COPYFLST_get_folder_path_function();
    ASSERT_NE(nullptr, function);

    char path[MAX_PATH];
    std::memset(path, 0x5A, sizeof path);
    EXPECT_EQ(S_OK, function(nullptr, 0x8026, nullptr, 0, path));  // program files, created if missing
    EXPECT_LT(std::strlen(path), sizeof path);
    EXPECT_GT(std::strlen(path), 3u) << path;

    EXPECT_EQ(function, COPYFLST_get_folder_path_function());
    EXPECT_NE(nullptr, GetModuleHandleA("SHFolder.dll"));
}

bool file_exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The probe runs in a fresh directory that holds a copy of it as ShFolder.exe. Wine's per-program
// DLL overrides hide the library from the probe alone: an override put into the environment given
// to CreateProcess does not reach the child's loader under Wine.
class HiddenLibraryTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr)
            GTEST_SKIP() << "hiding a system library needs Wine's DLL overrides";
        RegDeleteTreeA(HKEY_CURRENT_USER, probe_defaults_key);

        char path[MAX_PATH];
        DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
        ASSERT_TRUE(length > 0 && length < sizeof path);
        probe = std::string(path, std::strrchr(path, '\\')) + "\\copyflst_folder_probe.exe";
        ASSERT_TRUE(file_exists(probe)) << probe;

        length = GetTempPathA(sizeof path, path);
        ASSERT_TRUE(length > 0 && length < sizeof path);
        work = std::string(path) + "quill-folder-loader-" + std::to_string(GetCurrentProcessId());
        TearDown();
        ASSERT_TRUE(CreateDirectoryA(work.c_str(), nullptr));
        ASSERT_TRUE(CopyFileA(probe.c_str(), (work + "\\ShFolder.exe").c_str(), FALSE));
    }
    void TearDown() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, probe_defaults_key);
        DeleteFileA((work + "\\ShFolder.exe").c_str());
        DeleteFileA(mark().c_str());
        RemoveDirectoryA(work.c_str());
    }

    std::string mark() const { return work + "\\redistributable-ran.txt"; }

    bool hide_library_from_probe() {
        HKEY opened = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, probe_overrides_key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened,
                            nullptr) != ERROR_SUCCESS)
            return false;
        WINUTILS_REGISTRY_KEY key(opened);
        // An empty load order: neither the system's nor Wine's own library.
        return RegSetValueExA(key.get(), "shfolder", 0, REG_SZ, reinterpret_cast<const BYTE*>(""), 1) ==
               ERROR_SUCCESS;
    }

    // Runs the probe in the work directory and returns its exit status, or -1. The whole process
    // tree lives in a job, so that nothing it started outlives a timeout.
    int run_probe() {
        WINUTILS_HANDLE job(CreateJobObjectA(nullptr, nullptr));
        if (!job) return -1;
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);

        std::string command = "\"" + probe + "\" probe";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        if (!CreateProcessA(probe.c_str(), &command[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                            work.c_str(), &startup, &started))
            return -1;
        WINUTILS_HANDLE process(started.hProcess);
        WINUTILS_HANDLE thread(started.hThread);
        AssignProcessToJobObject(job.get(), process.get());
        ResumeThread(thread.get());

        DWORD status = 0;
        if (WaitForSingleObject(process.get(), probe_timeout_ms) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process.get(), &status))
            return -1;
        return static_cast<int>(status);
    }

    std::string probe;
    std::string work;
};

TEST_F(HiddenLibraryTest, PresentLibraryNeedsNoRedistributable) {
    EXPECT_EQ(probe_found_function, run_probe());
    EXPECT_FALSE(file_exists(mark()));
}

TEST_F(HiddenLibraryTest, MissingLibraryRunsTheRedistributableThenGivesNull) {
    ASSERT_TRUE(hide_library_from_probe());
    EXPECT_EQ(probe_found_nothing, run_probe());
    EXPECT_TRUE(file_exists(mark())) << "ShFolder.exe was not run from the current directory";
}

}  // namespace
