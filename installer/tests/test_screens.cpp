// What the GUI tests cannot see from outside: the states the progress screen leaves to the path
// into it, and the dialog procedure's own results for the commands that do nothing or end the
// program. The screens as a user meets them are the GUI tests' business.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "INSTALL.h"
#include "Sequences.h"
#include "Strings.h"
#include "resource.h"

namespace {

// Controls in the order of the looks below: the five slots from the top, then the rest.
const int controls[] = {IDC_SLOT1,         IDC_SLOT2,  IDC_SLOT3,      IDC_SLOT4,   IDC_SLOT5,       IDC_PROMPT_LABEL,
                        IDC_INSTALL_DIR,   IDC_STATUS_LABEL, IDC_SECOND_STATUS, IDC_DIR_OK, IDC_DIR_CANCEL, IDC_PROGRESS};

// What a screen must look like: the slots' texts (null: not looked at), then per control '1' or
// '0' for shown and for enabled, '?' where the screen leaves a state the path into it decides.
struct screen_look {
    const char* name;
    const char* slot_texts[5];
    const char* shown;
    const char* enabled;
};

const screen_look installed_menu = {"installed menu",
                                    {"Play Quillmoor Demo", "Remove Quillmoor Demo", "Install Direct X", "Read Help file",
                                     "Exit Setup"},
                                    "110110000000", "111111111111"};
const screen_look install_menu = {"install menu",
                                  {"Play Quillmoor Demo", "Install Quillmoor Demo", "Install Direct X", "Read Help file",
                                   "Exit Setup"},
                                  "110110000000", "011111111111"};
const screen_look progress_screen = {"progress screen", {}, "000000010001", "????????????"};

class Screens : public ::testing::Test {
protected:
    void SetUp() override {
        local_install_details = {};
        local_install_details.instance = GetModuleHandleA(nullptr);
        STRINGS_copy(local_install_details.program_files_dir, "C:\\Program Files");
        window_ = CreateDialogParamA(local_install_details.instance, MAKEINTRESOURCEA(IDD_MAIN_WINDOW), nullptr,
                                     INSTALL_dialog_procedure, 0);
        ASSERT_NE(nullptr, window_);
        local_install_details.main_window = window_;
    }
    void TearDown() override {
        DestroyWindow(window_);
        drain_messages();
        local_install_details = {};
    }

    // Dispatches what is queued; true when a quit message was among it.
    static bool drain_messages() {
        bool quit = false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) quit = true;
            DispatchMessageA(&message);
        }
        return quit;
    }

    void command(int id) {
        SendMessageA(window_, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control(id)));
    }
    // The procedure's own result, which SendMessage to a dialog does not pass on.
    INT_PTR procedure_command(int id) { return INSTALL_dialog_procedure(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

    HWND control(int id) const { return GetDlgItem(window_, id); }
    std::string text(int id) const {
        char buffer[INSTALL_PATH_SIZE];
        GetWindowTextA(control(id), buffer, sizeof buffer);
        return buffer;
    }

    // The window itself stays hidden, so visibility is the control's own style bit.
    void expect(const screen_look& look, const char* path) {
        for (int i = 0; i < 12; ++i) {
            SCOPED_TRACE(std::string(look.name) + " " + path + ", control " + std::to_string(controls[i]));
            if (i < 5 && look.slot_texts[i] != nullptr) {
                EXPECT_EQ(look.slot_texts[i], text(controls[i]));
            }
            bool shown = (GetWindowLongPtrA(control(controls[i]), GWL_STYLE) & WS_VISIBLE) != 0;
            EXPECT_EQ(look.shown[i] == '1', shown);
            if (look.enabled[i] != '?') {
                EXPECT_EQ(look.enabled[i] == '1', IsWindowEnabled(control(controls[i])) != 0);
            }
        }
    }

    HWND window_ = nullptr;
};

TEST_F(Screens, ProgressScreenAndBackToTheMenus) {
    INSTALL_show_install_menu();
    INSTALL_show_directory_screen();
    INSTALL_show_type_screen();
    INSTALL_show_progress_screen();
    expect(progress_screen, "from the type screen");
    EXPECT_EQ("Installing, please wait...", text(IDC_STATUS_LABEL));
    INSTALL_show_installed_menu();
    expect(installed_menu, "after an install");

    INSTALL_show_progress_screen();
    expect(progress_screen, "from the installed menu");
    INSTALL_show_install_menu();
    expect(install_menu, "after a removal");
    INSTALL_show_progress_screen();
    INSTALL_show_installed_menu();
    expect(installed_menu, "after a failed removal");
}

TEST_F(Screens, CommandsThatDoNothingOnTheMainMenu) {
    local_install_details.at_main_menu = 1;
    INSTALL_show_install_menu();
    EXPECT_FALSE(procedure_command(IDC_SLOT1));
    EXPECT_FALSE(procedure_command(IDC_SLOT3));
    EXPECT_FALSE(drain_messages());
    expect(install_menu, "after slots 1 and 3");
}

TEST_F(Screens, ExitLabelsUnknownIdsAndCloseEndTheProgram) {
    const int quitting[] = {IDC_SLOT5, IDC_PROMPT_LABEL, IDC_STATUS_LABEL, IDC_SECOND_STATUS, IDC_PROGRESS, 2, 4242};
    for (int id : quitting) {
        EXPECT_TRUE(procedure_command(id)) << id;
        EXPECT_TRUE(drain_messages()) << id;
    }
    SendMessageA(window_, WM_CLOSE, 0, 0);
    EXPECT_TRUE(drain_messages());

    EXPECT_TRUE(INSTALL_dialog_procedure(window_, WM_QUIT, 0, 0));
    EXPECT_EQ(1, local_install_details.quit_requested);
}

TEST(InstallDirectory, Validity) {
    const char* accepted[] = {"D:\\x", "D:Games", "C:\\Program Files\\Quillmoor Demo"};
    const char* refused[] = {"D:\\", "D:", "", "D:\\a\\..\\b", "D:\\a..", "\\\\server\\share", "Games\\Demo"};
    for (const char* directory : accepted) EXPECT_TRUE(install_directory_is_valid(directory)) << directory;
    for (const char* directory : refused) EXPECT_FALSE(install_directory_is_valid(directory)) << directory;
}

}  // namespace
