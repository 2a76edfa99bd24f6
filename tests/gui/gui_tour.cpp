// A guided tour of setup.exe for the demo: starts it from the current directory (the disc), walks
// through every screen and message box a user meets, installing the demo and removing it again,
// saves a picture of each as a BMP file and says what it did. Leaves the machine as it found it:
// the installation is removed again, and so is the uninstall record written for the installed menu.
//
//   gui_tour.exe OUTPUT_DIRECTORY
#include <cstdio>
#include <cstring>

#include "gui_driver.h"
#include "resource.h"

namespace {

using namespace gui;

int failures = 0;
int pictures = 0;

// Waits for a screen, lets its painting reach the display, and saves the picture.
void show(SetupProgram& setup, const Screen& screen, const std::string& output, const char* name) {
    std::string difference;
    if (!wait_until([&] { return setup.screen_matches(screen, &difference); })) {
        std::printf("   the window should show the %s but differs:\n%s", screen.name, difference.c_str());
        ++failures;
    }
    Sleep(500);
    Capture capture;
    char file[64];
    std::snprintf(file, sizeof file, "%02d-%s.bmp", ++pictures, name);
    if (capture_window(setup.window(), &capture) && save_bitmap(capture, join(output, file)))
        std::printf("   %s: saved %s\n", screen.name, file);
    else {
        std::printf("   %s: no picture\n", screen.name);
        ++failures;
    }
}

// Waits for the program's message box, saves its picture over the window, then presses a button.
void answer(SetupProgram& setup, const std::string& output, const char* name, int button, const char* what) {
    HWND box = nullptr;
    if (!wait_until([&] { return (box = setup.find_box()) != nullptr; })) {
        std::printf("   no message box appeared\n");
        ++failures;
        return;
    }
    Sleep(500);
    const Box seen = read_box(box);
    std::printf("   box \"%s\": %s\n", seen.caption.c_str(), seen.text.c_str());
    Capture capture;
    char file[64];
    std::snprintf(file, sizeof file, "%02d-%s.bmp", ++pictures, name);
    if (capture_window(setup.window(), &capture) && save_bitmap(capture, join(output, file)))
        std::printf("   saved %s\n", file);
    std::printf("-> answer %s\n", what);
    press_box_button(box, button);
    wait_until([&] { return !IsWindow(box); });
}

void press(SetupProgram& setup, int id, const char* what) {
    std::printf("-> press %s (control %d, \"%s\")\n", what, id, window_text(setup.control(id)).c_str());
    setup.click(id);
}

bool start(SetupProgram& setup, const std::string& directory, const char* arguments) {
    std::printf("-> start %s\\setup.exe %s(current directory %s)\n", directory == "D:\\" ? "D:" : directory.c_str(),
                arguments[0] ? (std::string("\"") + arguments + "\" ").c_str() : "", directory.c_str());
    if (setup.start(join(directory, "setup.exe"), arguments, directory) && setup.wait_window()) return true;
    std::printf("   no window \"%s\" appeared\n", WINDOW_TITLE);
    ++failures;
    return false;
}

void finish(SetupProgram& setup) {
    press(setup, IDC_SLOT5, "Exit Setup");
    DWORD code = 0;
    if (setup.wait_exit(WAIT_MS, &code))
        std::printf("   the program ended (exit code %lu)\n", static_cast<unsigned long>(code));
    else {
        std::printf("   the program did not end; stopped it\n");
        ++failures;
        setup.terminate();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gui_tour OUTPUT_DIRECTORY\n");
        return 2;
    }
    const std::string output = argv[1];
    char here[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof here, here);
    const std::string directory = here;
    std::printf("tour of setup.exe from %s, pictures into %s\n", directory.c_str(), output.c_str());
    const std::string root = directory.substr(0, 3);
    const UINT type = GetDriveTypeA(root.c_str());
    std::printf("current directory %s on a drive of type %s\n", directory.c_str(),
                type == DRIVE_CDROM ? "cdrom" : type == DRIVE_FIXED ? "fixed" : type == DRIVE_REMOTE ? "network" : "other");
    delete_record();

    SetupProgram setup;
    if (start(setup, directory, "")) {
        show(setup, not_installed_menu(), output, "main-menu-not-installed");
        press(setup, IDC_SLOT2, "Install");
        wait_until([&] { return IsWindowVisible(setup.control(IDC_INSTALL_DIR)) != 0; });
        const std::string typed = window_text(setup.control(IDC_INSTALL_DIR));
        std::printf("   default install directory: %s\n", typed.c_str());
        show(setup, directory_screen(typed), output, "install-directory");
        press(setup, IDC_DIR_OK, "Ok");
        show(setup, type_screen(), output, "install-type");
        press(setup, IDC_SLOT4, "Cancel");
        show(setup, directory_screen(typed), output, "install-directory-again");
        press(setup, IDC_DIR_CANCEL, "Cancel");
        show(setup, not_installed_menu(), output, "main-menu-again");
        finish(setup);
    }

    // Installing for real, then removing again from the installed menu.
    if (start(setup, directory, "")) {
        press(setup, IDC_SLOT2, "Install");
        wait_until([&] { return IsWindowVisible(setup.control(IDC_INSTALL_DIR)) != 0; });
        press(setup, IDC_DIR_OK, "Ok");
        show(setup, type_screen(), output, "install-type-before-installing");
        press(setup, IDC_SLOT2, "Install Quillmoor Demo (160mb)");
        answer(setup, output, "install-complete", IDOK, "OK");
        show(setup, installed_menu(), output, "main-menu-after-install");
        press(setup, IDC_SLOT2, "Remove");
        answer(setup, output, "are-you-sure", IDYES, "Yes");
        answer(setup, output, "delete-install-directory", IDYES, "Yes");
        answer(setup, output, "delete-start-menu-folder", IDYES, "Yes");
        answer(setup, output, "uninstall-complete", IDOK, "OK");
        show(setup, not_installed_menu(), output, "main-menu-after-removal");
        finish(setup);
    }

    if (start(setup, directory, "remove")) {
        show(setup, remove_screen(), output, "remove-mode");
        finish(setup);
    }

    std::printf("-> write the uninstall record's TargetDir\n");
    write_record_string("TargetDir", "C:\\Quillmoor Demo");
    if (start(setup, directory, "")) {
        show(setup, installed_menu(), output, "main-menu-installed");
        finish(setup);
    }
    delete_record();
    std::printf("-> deleted the uninstall record again\n");

    std::printf("tour done: %d pictures, %d problems\n", pictures, failures);
    return failures == 0 ? 0 : 1;
}
