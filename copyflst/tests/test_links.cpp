// Shortcuts, internet shortcut files, path files and file associations, read back from the disk
// and the registry.
#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <string>
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
        make_directory(dst);
        make_directory(menu);
        write_file(dst + "\\quillmain.exe", "game");
    }
};

TEST_F(Links, FileShortcutsPointAtTheirTargetFromItsDirectory) {
    EXPECT_EQ(TRUE, run({{COPY_OP_FILE_SHORTCUT, "<STARTMENU>\\Quillmoor Demo.lnk", "<DST>\\quillmain.exe"},
                         {COPY_OP_FILE_SHORTCUT, "<STARTMENU>\\Quillmoor Website.lnk", web_address},
                         {COPY_OP_FILE_SHORTCUT, "<STARTMENU>\\missing\\Unsaved.lnk", "<DST>\\quillmain.exe"}}));
    EXPECT_EQ((std::vector<std::string>{dst + "\\quillmain.exe", dst, "file shortcut"}),
              load_link(menu + "\\Quillmoor Demo.lnk"));
    std::vector<std::string> site = load_link(menu + "\\Quillmoor Website.lnk");
    ASSERT_EQ(3u, site.size());
    EXPECT_EQ("", site[1]);  // no backslash in the target: no working directory
    EXPECT_FALSE(file_exists(menu + "\\missing\\Unsaved.lnk"));  // not saved, yet no failure
}

TEST_F(Links, InternetShortcutFileHoldsExactlyTwoLines) {
    EXPECT_EQ(TRUE, run({{COPY_OP_INTERNET_SHORTCUT, "<STARTMENU>\\Website.url", web_address}}));
    EXPECT_TRUE(file_has_content(menu + "\\Website.url", std::string("[InternetShortcut]\r\nURL =") + web_address + "\r\n"));
}

// On a thread that never initialised COM the link object cannot be created. Each run gets a fresh
// thread: a message box may bring COM up on its thread behind the program's back.
TEST_F(Links, WithoutTheLinkObjectAShortcutStopsTheRunAndAWebLinkDoesNot) {
    EXPECT_EQ(TRUE, run_on_new_thread({{COPY_OP_INTERNET_SHORTCUT, "<STARTMENU>\\Website.url", web_address},
                                       {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after url"}}));
    EXPECT_EQ(FALSE, run_on_new_thread({{COPY_OP_FILE_SHORTCUT, "<STARTMENU>\\Quillmoor Demo.lnk", "<DST>\\quillmain.exe"},
                                        {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after lnk"}}));

    std::vector<SEEN_BOX> seen = boxes.take();
    ASSERT_EQ(2u, seen.size());
    EXPECT_EQ("Failed to create Webpage link.", seen[0].text);
    EXPECT_EQ("Failed to create file Link.", seen[1].text);
    for (const SEEN_BOX& box : seen) EXPECT_EQ("Error!", box.caption);
    EXPECT_TRUE(directory_exists(dst + "\\after url"));
    EXPECT_FALSE(directory_exists(dst + "\\after lnk"));
    EXPECT_FALSE(file_exists(menu + "\\Website.url"));
}

TEST_F(Links, PathFileHoldsThePathAndOneBackslash) {
    EXPECT_EQ(TRUE, run({{COPY_OP_WRITE_PATH_FILE, "<DST>\\path.txt", "<DST>"}}));
    EXPECT_TRUE(file_has_content(dst + "\\path.txt", dst + "\\"));

    EXPECT_EQ(FALSE, run({{COPY_OP_WRITE_PATH_FILE, "<DST>\\missing\\path.txt", "<DST>"},
                          {COPY_OP_CREATE_DIRECTORY, nullptr, "<DST>\\after"}}));
    std::vector<SEEN_BOX> seen = boxes.take();
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ("Error opening file :", seen[0].text);
    EXPECT_FALSE(directory_exists(dst + "\\after"));
}

class Association : public Links {
protected:
    void SetUp() override {
        Links::SetUp();
        clean();
    }
    void TearDown() override {
        clean();
        Links::TearDown();
    }
    static void clean() {
        for (const char* key : {".qmt", ".qa:", ".qmu", ".qmv", ".qmw", "QuillmoorTests.Save", "QuillmoorTests.Two",
                                "QuillmoorTests.Rows", "QuillmoorTests.Half"})
            RegDeleteTreeA(HKEY_CLASSES_ROOT, key);
    }
};

TEST_F(Association, RegistersTypeIconAndOpenCommand) {
    EXPECT_EQ(TRUE, run({{COPY_OP_FILE_ASSOCIATION, "<DST>\\quillmain.exe", ".qmt:QuillmoorTests.Save:Saved game"},
                         {COPY_OP_FILE_ASSOCIATION, "<DST>\\quillmain.exe", ".qa:QuillmoorTests.Two:Two letters"},
                         {COPY_OP_FILE_ASSOCIATION, "<DST>\\quillmain.exe", ".qmu::QuillmoorTests.Rows:::Rows"}}));
    const std::string program = dst + "\\quillmain.exe";
    EXPECT_EQ("QuillmoorTests.Save", class_value(".qmt"));
    EXPECT_EQ("Saved game", class_value("QuillmoorTests.Save"));
    EXPECT_EQ(program + ",0", class_value("QuillmoorTests.Save\\DefaultIcon"));
    EXPECT_EQ("Saved game", class_value("QuillmoorTests.Save\\shell"));
    EXPECT_EQ("Saved game", class_value("QuillmoorTests.Save\\shell\\open"));
    EXPECT_EQ("\"" + program + " \" %1", class_value("QuillmoorTests.Save\\shell\\open\\command"));

    EXPECT_EQ("QuillmoorTests.Two", class_value(".qa:"));  // the first four characters, colon and all
    EXPECT_EQ("Two letters", class_value("QuillmoorTests.Two"));
    EXPECT_EQ("QuillmoorTests.Rows", class_value(".qmu"));
    EXPECT_EQ("Rows", class_value("QuillmoorTests.Rows\\shell\\open"));
}

TEST_F(Association, MissingFieldStopsTheRunBeforeAnyWrite) {
    EXPECT_EQ(FALSE, run({{COPY_OP_FILE_ASSOCIATION, "<DST>\\quillmain.exe", ".qmv:QuillmoorTests.Half"}}));
    EXPECT_EQ(FALSE, run({{COPY_OP_FILE_ASSOCIATION, "<DST>\\quillmain.exe", ".qmw"}}));
    EXPECT_EQ(FALSE, run({{COPY_OP_FILE_ASSOCIATION, "<DST>\\quillmain.exe", ".qmw:QuillmoorTests.Half::"}}));
    EXPECT_EQ("(none)", class_value(".qmv"));
    EXPECT_EQ("(none)", class_value(".qmw"));
    EXPECT_EQ("(none)", class_value("QuillmoorTests.Half"));
}

}  // namespace
