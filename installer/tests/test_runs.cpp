// The install and remove sequences around real copy-list runs of small lists of the tests' own:
// the record they write and delete, their message boxes, the progress bar's range, the screens
// and flags they leave, and the ways they fail.
#include <gtest/gtest.h>

#include <string>

#include "INSTALL.h"
#include "Sequences.h"
#include "Strings.h"
#include "box_answerer.h"
#include "resource.h"
#include "sequence_fixture.h"

namespace {

// Only the end record: nothing is copied, and the install bar's bound is the low 16 bits of -190.
const COPY_LIST_ENTRY end_only_list[] = {{COPY_OP_END, nullptr, nullptr}};
// Two records that leave a trace of the directories the run was given.
const COPY_LIST_ENTRY two_folders_list[] = {
    {COPY_OP_CREATE_FOLDER, "<DST>\\one", nullptr},
    {COPY_OP_CREATE_FOLDER, "<STARTMENU>", nullptr},
    {COPY_OP_END, nullptr, nullptr},
};
// Stops at an op code beyond the table, after one record that took effect.
const COPY_LIST_ENTRY failing_list[] = {
    {COPY_OP_CREATE_FOLDER, "<DST>\\made", nullptr},
    {13, nullptr, nullptr},
    {COPY_OP_END, nullptr, nullptr},
};

class Runs : public SEQUENCE_FIXTURE {
protected:
    void SetUp() override {
        SEQUENCE_FIXTURE::SetUp();
        if (HasFatalFailure()) return;
        programs = make_dir("Programs");
        menu = programs + "\\" + PRODUCT;
        game = make_dir("Game");
        ASSERT_TRUE(set_programs_value(programs));
        set_install_dir(game);
        STRINGS_copy(local_install_details.src_dir, scratch().c_str());
        STRINGS_copy(local_install_details.uninstaller_path, "C:\\windows\\Quillmoor Sequence Test remove.exe");
    }

    std::string slot_text(int id) const {
        char text[INSTALL_TEXT_SIZE] = {};
        GetDlgItemTextA(window(), id, text, sizeof text);
        return text;
    }

    std::string programs;
    std::string menu;
    std::string game;
};

void expect_box(const SEEN_BOX& box, HWND owner, const char* caption, const char* text) {
    EXPECT_EQ(caption, box.caption);
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(owner, box.owner) << text;
}

TEST_F(Runs, InstallWithoutProgramsFolderKeepsTheField) {
    ASSERT_TRUE(delete_programs_value());
    const std::string kept = make_dir("Kept");
    STRINGS_copy(local_install_details.start_menu_folder, kept.c_str());
    BOX_ANSWERER answerer({IDOK});
    run_install(two_folders_list);
    ASSERT_EQ(1u, answerer.finish().size());
    EXPECT_EQ(kept + "\\" + PRODUCT, local_install_details.start_menu_folder);
    EXPECT_TRUE(dir_exists(kept + "\\" + PRODUCT));
    EXPECT_TRUE(dir_exists(game + "\\one"));
}

TEST_F(Runs, RemoveWithoutProgramsFolderReportsAndGoesOn) {
    ASSERT_TRUE(write_record_value("TargetDir", game));
    ASSERT_TRUE(delete_programs_value());
    const std::string kept = make_dir("Kept");
    STRINGS_copy(local_install_details.start_menu_folder, kept.c_str());

    BOX_ANSWERER answerer({IDYES, IDOK, IDOK});
    run_remove(two_folders_list);
    const std::vector<SEEN_BOX>& boxes = answerer.finish();
    ASSERT_EQ(3u, boxes.size());
    expect_box(boxes[1], window(), "Error!", "Error opening key, please try again.");
    expect_box(boxes[2], window(), "Information", "Uninstall complete");
    EXPECT_TRUE(dir_exists(kept + "\\" + PRODUCT));
    EXPECT_FALSE(record_exists());
}

TEST_F(Runs, FailedRemoveKeepsTheRecordAndTheInstalledMenu) {
    ASSERT_TRUE(write_record_value("TargetDir", game));
    local_install_details.installed = 1;
    local_install_details.at_main_menu = 1;

    BOX_ANSWERER answerer({IDYES});
    run_remove(failing_list);
    EXPECT_EQ(1u, answerer.finish().size());
    EXPECT_TRUE(dir_exists(game + "\\made"));
    EXPECT_TRUE(record_exists());
    EXPECT_EQ(1, local_install_details.installed);
    EXPECT_EQ("Remove Quillmoor Demo", slot_text(IDC_SLOT2));
    EXPECT_TRUE(shown(IDC_SLOT2));
    EXPECT_FALSE(shown(IDC_PROGRESS));
}

}  // namespace
