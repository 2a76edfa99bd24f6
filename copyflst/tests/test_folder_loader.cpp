// The shell-folder loader, in a probe process with the library present and with it hidden, when
// the redistributable has to be run.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

#include "COPYFLST.h"
#include "Handles.h"

namespace {

const char probe_defaults_key[] = "Software\\Wine\\AppDefaults\\copyflst_folder_probe.exe";

// The probe, copied into a scratch directory as ShFolder.exe, runs there with the library present
// and then hidden: it exits with 11 when it found the folder function and 10 when it did not.
// Wine's per-program DLL overrides hide the library from the probe alone: an override put into
// the environment given to CreateProcess does not reach the child's loader under Wine. An empty
// load order means neither the system's nor Wine's own library.
TEST(FolderLoader, RedistributableRunsOnlyForAMissingLibrary) {
    if (GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") == nullptr)
        GTEST_SKIP() << "hiding a system library needs Wine's DLL overrides";
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    ASSERT_TRUE(length > 0 && length < sizeof path);
    const std::string probe = std::string(path, std::strrchr(path, '\\')) + "\\copyflst_folder_probe.exe";
    ASSERT_GT(GetTempPathA(sizeof path, path), 0u);
    const std::string work = std::string(path) + "quill-folder-loader-" + std::to_string(GetCurrentProcessId());
    const std::string mark = work + "\\redistributable-ran.txt";
    CreateDirectoryA(work.c_str(), nullptr);
    ASSERT_TRUE(CopyFileA(probe.c_str(), (work + "\\ShFolder.exe").c_str(), FALSE));

    for (bool hidden : {false, true}) {
        SCOPED_TRACE(hidden ? "library hidden" : "library present");
        const std::string overrides = std::string(probe_defaults_key) + "\\DllOverrides";
        if (hidden) {
            ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, overrides.c_str(), "shfolder", REG_SZ, "", 1));
        }
        std::string command = "\"" + probe + "\" probe";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        ASSERT_TRUE(CreateProcessA(probe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, work.c_str(),
                                   &startup, &started));
        WINUTILS_HANDLE process(started.hProcess), thread(started.hThread);
        DWORD status = 0;
        if (WaitForSingleObject(process.get(), 120000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
        EXPECT_TRUE(GetExitCodeProcess(process.get(), &status));
        EXPECT_EQ(hidden ? 10u : 11u, status);
        EXPECT_EQ(hidden, GetFileAttributesA(mark.c_str()) != INVALID_FILE_ATTRIBUTES);
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, probe_defaults_key);
    for (const std::string& file : {mark, work + "\\ShFolder.exe"}) DeleteFileA(file.c_str());
    RemoveDirectoryA(work.c_str());
}

}  // namespace
