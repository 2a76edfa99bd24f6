// A guided tour of setup.exe for the demo: starts it from the current directory (the disc), walks
// through every screen and message box a user meets, installing the demo and removing it again,
// saves a picture of each as a BMP file and says what it did. Leaves the machine as it found it:
// the installation is removed again, and so is the uninstall record written for the installed menu.
//
//   gui_tour.exe OUTPUT_DIRECTORY
#include <cstdio>

#include "gui_driver.h"

using namespace gui;

// Returns once the program has handled everything posted to it and the window and its controls
// have nothing left to paint (painting comes after every posted message).
static bool painted(SetupProgram& setup) {
    return setup.fence() && wait_until([&] {
               bool unpainted = GetUpdateRect(setup.window(), nullptr, FALSE) != 0;
               for (HWND child = GetWindow(setup.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
                   unpainted = unpainted || GetUpdateRect(child, nullptr, FALSE) != 0;
               return !unpainted;
           });
}

// Saves what the display shows of a window as a top-down 32-bit BMP file: the 0x00RRGGBB values
// are already its blue, green, red and unused bytes.
static bool save_picture(HWND window, const std::string& path) {
    RECT area{};
    if (!GetWindowRect(window, &area)) return false;
    const std::vector<unsigned> pixels = screen_pixels(area);
    if (pixels.empty()) return false;
    const DWORD size = static_cast<DWORD>(pixels.size() * sizeof(unsigned));
    const LONG width = area.right - area.left, top_down_height = area.top - area.bottom;
    const BITMAPINFOHEADER info{sizeof info, width, top_down_height, 1, 32, BI_RGB, size, 0, 0, 0, 0};
    constexpr DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    const BITMAPFILEHEADER header{0x4D42, offset + size, 0, 0, offset};
    std::string content(reinterpret_cast<const char*>(&header), sizeof header);
    content.append(reinterpret_cast<const char*>(&info), sizeof info);
    content.append(reinterpret_cast<const char*>(pixels.data()), size);
    return write_file(path, content);
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gui_tour OUTPUT_DIRECTORY\n");
        return 2;
    }
    char disc[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof disc, disc);
    const UINT type = GetDriveTypeA(std::string(disc).substr(0, 3).c_str());
    std::printf("tour of setup.exe from %s (a %s drive), pictures into %s\n", disc,
                type == DRIVE_CDROM ? "cdrom" : type == DRIVE_FIXED ? "fixed" : "other", argv[1]);

    // Each step starts the program (with the text as its command line), presses a control, waits
    // for a screen or a box (and saves its picture under the text, then presses the box's button),
    // ends the program with Exit, or writes the uninstall record.
    enum Kind { START, PRESS, SHOW, BOX, EXIT, RECORD };
    const Screen directory = directory_screen(std::nullopt);
    const struct {
        Kind kind;
        const char* text = "";
        int id = 0;
        const Screen* screen = nullptr;
    } steps[] = {
        {START, ""},  {SHOW, "main-menu-not-installed", 0, &NOT_INSTALLED_MENU},
        {PRESS, "", IDC_SLOT2},  {SHOW, "install-directory", 0, &directory},
        {PRESS, "", IDC_DIR_OK},  {SHOW, "install-type", 0, &TYPE_SCREEN},
        {PRESS, "", IDC_SLOT4},  {SHOW, "install-directory-again", 0, &directory},
        {PRESS, "", IDC_DIR_CANCEL},  {SHOW, "main-menu-again", 0, &NOT_INSTALLED_MENU},
        {EXIT},
        // Installing for real, then removing again from the installed menu.
        {START, ""},  {PRESS, "", IDC_SLOT2},  {PRESS, "", IDC_DIR_OK},
        {SHOW, "install-type-before-installing", 0, &TYPE_SCREEN},
        {PRESS, "", IDC_SLOT2},  {BOX, "install-complete", IDOK},
        {SHOW, "main-menu-after-install", 0, &INSTALLED_MENU},
        {PRESS, "", IDC_SLOT2},  {BOX, "are-you-sure", IDYES},
        {BOX, "delete-install-directory", IDYES},  {BOX, "delete-start-menu-folder", IDYES},
        {BOX, "uninstall-complete", IDOK},  {SHOW, "main-menu-after-removal", 0, &NOT_INSTALLED_MENU},
        {EXIT},
        {START, "remove"},  {SHOW, "remove-mode", 0, &REMOVE_SCREEN},  {EXIT},
        // The installed menu needs only the record.
        {RECORD},  {START, ""},  {SHOW, "main-menu-installed", 0, &INSTALLED_MENU},  {EXIT},
    };

    SetupProgram setup;
    int pictures = 0, problems = 0;
    auto problem = [&](const std::string& what) {
        std::printf("   problem: %s\n", what.c_str());
        ++problems;
    };
    auto picture = [&](const char* name) {
        char file[64];
        std::snprintf(file, sizeof file, "%02d-%s.bmp", ++pictures, name);
        if (painted(setup) && save_picture(setup.window(), join(argv[1], file)))
            std::printf("   saved %s\n", file);
        else
            problem(std::string("no picture ") + file);
    };
    delete_record();
    for (const auto& step : steps) {
        std::string differences;
        std::optional<Box> box;
        switch (step.kind) {
        case START:
            std::printf("-> start %s \"%s\"\n", join(disc, "setup.exe").c_str(), step.text);
            if (!setup.start(join(disc, "setup.exe"), step.text, disc)) problem(std::string("no window ") + WINDOW_TITLE);
            break;
        case RECORD:
            std::printf("-> write the uninstall record's TargetDir\n");
            write_record_string("TargetDir", "C:\\" TEXT_DEFAULT_DIR);
            break;
        case PRESS:
            std::printf("-> press \"%s\"\n", TEST_window_text(setup.control(step.id)).c_str());
            setup.click(step.id);
            break;
        case SHOW:
            if (!(differences = setup.wait_screen(*step.screen)).empty()) problem(differences);
            std::printf("   %s\n", step.screen->name);
            picture(step.text);
            break;
        case BOX:
            if (!(box = setup.wait_box())) {
                problem("no message box");
                break;
            }
            std::printf("   box \"%s\": %s\n", box->caption.c_str(), box->text.c_str());
            picture(step.text);
            std::printf("-> answer %s\n", step.id == IDYES ? "Yes" : "OK");
            if (!setup.answer(box->window, step.id)) problem("the box stayed");
            break;
        case EXIT:
            std::printf("-> press \"%s\"\n", TEXT_EXIT);
            if (!setup.click(IDC_SLOT5) || !setup.wait_exit()) problem("the program did not end");
            setup.terminate();
            break;
        }
    }
    delete_record();
    std::printf("-> deleted the uninstall record again\ntour done: %d pictures, %d problems\n", pictures, problems);
    return problems == 0 ? 0 : 1;
}
