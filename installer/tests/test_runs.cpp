// The install and remove sequences around real copy-list runs of small lists of the tests' own,
// where the shell has no Programs folder or the run fails: the record, the message boxes, the
// Start-menu folder and the menu they leave.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "INSTALL.h"
#include "Sequences.h"
#include "Strings.h"
#include "box_answerer.h"
#include "resource.h"
#include "sequence_fixture.h"

namespace {

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
        game = make_dir("Game");
        kept = make_dir("Kept");
        STRINGS_copy(local_install_details.install_dir, game.c_str());
        STRINGS_copy(local_install_details.src_dir, scratch().c_str());
        STRINGS_copy(local_install_details.start_menu_folder, kept.c_str());
        ASSERT_TRUE(write_record_text("TargetDir", game));
    }

    std::string game;
    std::string kept;
};

// Without a Programs folder the Start-menu folder is made below what the field held.
TEST_F(Runs, InstallWithoutProgramsFolderKeepsTheField) {
    ASSERT_TRUE(set_programs_value(std::nullopt));
    BOX_ANSWERER answerer({IDOK});
    run_install(two_folders_list);
    ASSERT_EQ(1u, answerer.finish().size());
    EXPECT_EQ(kept + "\\" + PRODUCT, local_install_details.start_menu_folder);
    EXPECT_TRUE(dir_exists(kept + "\\" + PRODUCT));
    EXPECT_TRUE(dir_exists(game + "\\one"));
}

TEST_F(Runs, RemoveWithoutProgramsFolderReportsAndGoesOn) {
    ASSERT_TRUE(set_programs_value(std::nullopt));
    BOX_ANSWERER answerer({IDYES, IDOK, IDOK});
    run_remove(two_folders_list);
    const std::vector<SEEN_BOX>& boxes = answerer.finish();
    ASSERT_EQ(3u, boxes.size());
    for (const SEEN_BOX& box : boxes) EXPECT_EQ(window(), box.owner) << box.text;
    EXPECT_EQ(TEXT_ERROR "|" TEXT_UNABLETOOPENKEY, boxes[1].caption + "|" + boxes[1].text);
    EXPECT_EQ(TEXT_INFO "|" TEXT_REMOVECOMPLETE, boxes[2].caption + "|" + boxes[2].text);
    EXPECT_TRUE(dir_exists(kept + "\\" + PRODUCT));
    EXPECT_FALSE(record_exists());
}

TEST_F(Runs, FailedRemoveKeepsTheRecordAndTheInstalledMenu) {
    local_install_details.installed = 1;
    local_install_details.at_main_menu = 1;
    BOX_ANSWERER answerer({IDYES});
    run_remove(failing_list);
    EXPECT_EQ(1u, answerer.finish().size());
    EXPECT_TRUE(dir_exists(game + "\\made"));
    EXPECT_TRUE(record_exists());
    EXPECT_EQ(1, local_install_details.installed);
    EXPECT_EQ(TEXT_REMOVE, slot_text(IDC_SLOT2));
    EXPECT_TRUE(shown(IDC_SLOT2));
    EXPECT_FALSE(shown(IDC_PROGRESS));
}

}  // namespace
