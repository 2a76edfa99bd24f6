// Shortcuts, internet shortcut files, path files and file associations, read back from the disk
// and the registry.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "Handles.h"
#include "engine_fixture.h"

namespace {

const char web_address[] = "http://www.quillmoor.com/";

// What a saved shortcut holds: target, working directory and description, or "(unreadable)".
std::vector<std::string> load_link(const std::string& file) {
    IShellLinkA* created = nullptr;
    IPersistFile* persisted = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&created))))
        return {"(unreadable)"};
    WINUTILS_COM<IShellLinkA> link(created);
    if (FAILED(link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persisted))))
        return {"(unreadable)"};
    WINUTILS_COM<IPersistFile> stored(persisted);
    if (FAILED(stored.get()->Load(std::wstring(file.begin(), file.end()).c_str(), STGM_READ))) return {"(unreadable)"};
    char path[MAX_PATH] = "", working_dir[MAX_PATH] = "", description[MAX_PATH] = "";
    link.get()->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
    link.get()->GetWorkingDirectory(working_dir, MAX_PATH);
    link.get()->GetDescription(description, MAX_PATH);
    return {path, working_dir, description};
}

// The default value of a key under HKEY_CLASSES_ROOT, or "(none)".
std::string class_value(const std::string& key) {
    char value[1024];
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
        return "(none)";
    return value;
}

class Links : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        make_tree(root, {"\\dst\\", "\\menu\\", "\\dst\\quillmain.exe"});
    }
};

TEST_F(Links, FileShortcutsPointAtTheirTargetFromItsDirectory) {
    EXPECT_EQ(TRUE, run({{COPY_OP_FILE_SHORTCUT, "<STARTMENU>\\Quillmoor Demo.lnk", "<DST>\\quillmain.exe"},
                         {COPY_OP_FILE_SHORTCUT, "<STARTMENU>\\Quillmoor Website.lnk", web_address}}));
    EXPECT_EQ((std::vector<std::string>{dst + "\\quillmain.exe", dst, "file shortcut"}),
              load_link(menu + "\\Quillmoor Demo.lnk"));
    std::vector<std::string> site = load_link(menu + "\\Quillmoor Website.lnk");
    ASSERT_EQ(3u, site.size());
    EXPECT_EQ("", site[1]);  // no backslash in the target: no working directory
}

TEST_F(Links, InternetShortcutAndPathFilesHoldExactlyTheirLines) {
    EXPECT_EQ(TRUE, run({{COPY_OP_INTERNET_SHORTCUT, "<STARTMENU>\\Website.url", web_address},
                         {COPY_OP_WRITE_PATH_FILE, "<DST>\\path.txt", "<DST>"}}));
    EXPECT_TRUE(file_has_content(menu + "\\Website.url", std::string("[InternetShortcut]\r\nURL =") + web_address +
                                                             "\r\n"));
    EXPECT_TRUE(file_has_content(dst + "\\path.txt", dst + "\\"));

    EXPECT_EQ(FALSE, run({{COPY_OP_WRITE_PATH_FILE, "<DST>\\missing\\path.txt", "<DST>"},
                          {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after"}}));
    EXPECT_EQ((std::vector<std::string>{TEXT_ERROR "|" TEXT_UNABLETOOPEN "|O"}), shown_boxes());
    EXPECT_FALSE(directory_exists(dst + "\\after"));
}

// On a thread that never initialised COM the link object cannot be created. Each run gets a fresh
// thread: a message box may bring COM up on its thread behind the program's back.
TEST_F(Links, WithoutTheLinkObjectAShortcutStopsTheRunAndAWebLinkDoesNot) {
    EXPECT_EQ(TRUE, run_on_new_thread({{COPY_OP_INTERNET_SHORTCUT, "<STARTMENU>\\Website.url", web_address},
                                       {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after url"}}));
    EXPECT_EQ(FALSE, run_on_new_thread({{COPY_OP_FILE_SHORTCUT, "<STARTMENU>\\Quillmoor Demo.lnk", "<DST>\\quillmain.exe"},
                                        {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after lnk"}}));
    EXPECT_EQ((std::vector<std::string>{TEXT_ERROR "|" TEXT_FAILEDURL "|O", TEXT_ERROR "|" TEXT_FAILEDLINK "|O"}),
              shown_boxes());
    EXPECT_TRUE(directory_exists(dst + "\\after url"));
    EXPECT_FALSE(directory_exists(dst + "\\after lnk"));
    EXPECT_FALSE(file_exists(menu + "\\Website.url"));
}

// b holds extension, program id and description, joined by colons; keys a case does not list
// must stay unwritten.
TEST_F(Links, FileAssociations) {
    const char* const keys[] = {".qmt", ".qa:", ".qmu", ".qmv", ".qmw", "QmTest.Save", "QmTest.Two", "QmTest.Rows",
                                "QmTest.Half"};
    const std::string program = dst + "\\quillmain.exe";
    const struct {
        const char* name;
        const char* fields;
        BOOL8 completed;
        std::vector<std::pair<std::string, std::string>> values;
    } cases[] = {
        {"three fields", ".qmt:QmTest.Save:Saved game", TRUE,
         {{".qmt", "QmTest.Save"}, {"QmTest.Save", "Saved game"}, {"QmTest.Save\\DefaultIcon", program + ",0"},
          {"QmTest.Save\\shell", "Saved game"}, {"QmTest.Save\\shell\\open", "Saved game"},
          {"QmTest.Save\\shell\\open\\command", "\"" + program + " \" %1"}}},
        {"the first four characters, colon and all", ".qa:QmTest.Two:Two", TRUE,
         {{".qa:", "QmTest.Two"}, {"QmTest.Two", "Two"}}},
        {"colons in a row count as one", ".qmu::QmTest.Rows:::Rows", TRUE,
         {{".qmu", "QmTest.Rows"}, {"QmTest.Rows\\shell\\open", "Rows"}}},
        {"no description", ".qmv:QmTest.Half", FALSE, {}},
        {"no program id", ".qmw", FALSE, {}},
        {"empty description", ".qmw:QmTest.Half::", FALSE, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* key : keys) RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
        EXPECT_EQ(c.completed, run({{COPY_OP_FILE_ASSOCIATION, "<DST>\\quillmain.exe", c.fields}}));
        for (const auto& [key, value] : c.values) EXPECT_EQ(value, class_value(key)) << key;
        for (const char* key : keys) {
            auto listed = [&](const auto& row) { return row.first.rfind(key, 0) == 0; };
            const bool unlisted = std::none_of(c.values.begin(), c.values.end(), listed);
            EXPECT_TRUE(!unlisted || class_value(key) == "(none)") << key << " was written";
        }
    }
    for (const char* key : keys) RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
}

}  // namespace
