// The shell-folder loader, in a probe process with the library present and with it hidden, when
// the redistributable has to be run.
#include <cstring>
#include <string>

#include "COPYFLST.h"
#include "Handles.h"
#include "engine_fixture.h"

namespace {

const int probe_found_nothing = 10;  // the probe's exit statuses
const int probe_found_function = 11;
const DWORD probe_timeout_ms = 120000;
const char probe_defaults_key[] = "Software\\Wine\\AppDefaults\\copyflst_folder_probe.exe";

// Runs the probe, copied into work as ShFolder.exe, with work as its current directory; its exit
// status, or -1.
int run_probe(const std::string& probe, const std::string& work) {
    std::string command = "\"" + probe + "\" probe";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    if (!CreateProcessA(probe.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, work.c_str(), &startup,
                        &started))
        return -1;
    WINUTILS_HANDLE process(started.hProcess);
    WINUTILS_HANDLE thread(started.hThread);
    DWORD status = 0;
    if (WaitForSingleObject(process.get(), probe_timeout_ms) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
    return GetExitCodeProcess(process.get(), &status) ? static_cast<int>(status) : -1;
}

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
        if (hidden) {
            const std::string overrides = std::string(probe_defaults_key) + "\\DllOverrides";
            ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueA(HKEY_CURRENT_USER, overrides.c_str(), "shfolder", REG_SZ, "", 1));
        }
        EXPECT_EQ(hidden ? probe_found_nothing : probe_found_function, run_probe(probe, work));
        EXPECT_EQ(hidden, file_exists(mark));
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, probe_defaults_key);
    for (const std::string& file : {mark, work + "\\ShFolder.exe"}) DeleteFileA(file.c_str());
    RemoveDirectoryA(work.c_str());
}

}  // namespace
