// Checks the set-up program's resources as linked into this test program: every text of every
// language block and the gaps between them, the two dialog templates as the screens rely on
// them, the pictures the skin painter cuts up, the icon sizes and the manifest.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <set>
#include <string>
#include <utility>

#include "expected_texts.h"
#include "resource.h"

namespace {

HINSTANCE instance() { return GetModuleHandleA(nullptr); }

// ----------------------------------------------------------------------------------------------
// String table

// The program's own lookup: one LoadStringA into a 512-byte buffer.
bool load_text(unsigned id, std::string* text) {
    char buffer[512];
    const int length = LoadStringA(instance(), id, buffer, sizeof buffer);
    text->assign(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
    return length > 0;
}

// Every block by the rule, including text 44's single line break (written as such in the table
// above), and no row anywhere else below 600: not 16 to 19, 47, nor their copies in the blocks.
TEST(StringTable, EveryBlockFollowsTheEnglishTableAndNothingElseIsThere) {
    std::set<unsigned> present;
    for (int language = LANGUAGE_ENGLISH; language <= LANGUAGE_SPANISH; ++language) {
        for (const EXPECTED_TEXT& row : EXPECTED_english) {
            const unsigned id = row.id + LANGUAGE_BLOCK_SIZE * static_cast<unsigned>(language);
            present.insert(id);
            std::string text;
            EXPECT_TRUE(load_text(id, &text)) << "id " << id;
            EXPECT_EQ(EXPECTED_text(language, row), text) << "id " << id;
        }
    }
    for (unsigned id = 0; id < 600; ++id) {
        std::string text;
        EXPECT_EQ(present.count(id) == 1, load_text(id, &text)) << "id " << id;
    }
    for (const EXPECTED_TEXT& row : EXPECTED_single_copy) {
        std::string text;
        EXPECT_TRUE(load_text(row.id, &text));
        EXPECT_EQ(row.text, text);
        EXPECT_FALSE(load_text(row.id + LANGUAGE_BLOCK_SIZE, &text)) << "id " << row.id;
    }
    std::string text;
    EXPECT_FALSE(load_text(5006, &text));
    ASSERT_TRUE(load_text(101, &text));  // the rule's own worked examples
    EXPECT_EQ("F Play Brevanor", text);
    ASSERT_TRUE(load_text(440, &text));
    EXPECT_EQ("S Goto Ostrakon", text);
}

BOOL CALLBACK collect_language(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR seen) {
    reinterpret_cast<std::set<WORD>*>(seen)->insert(language);
    return TRUE;
}

BOOL CALLBACK collect_string_languages(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR seen) {
    EnumResourceLanguagesA(module, type, name, collect_language, seen);
    return TRUE;
}

TEST(StringTable, EveryRowIsUnitedKingdomEnglish) {
    std::set<WORD> languages;
    EnumResourceNamesA(instance(), MAKEINTRESOURCEA(6) /* RT_STRING */, collect_string_languages,
                       reinterpret_cast<LONG_PTR>(&languages));
    EXPECT_EQ(std::set<WORD>{MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_UK)}, languages);
}

// ----------------------------------------------------------------------------------------------
// Dialog templates

struct Resource {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

Resource find_resource(WORD id, LPCSTR type) {
    Resource resource;
    HRSRC found = FindResourceA(instance(), MAKEINTRESOURCEA(id), type);
    if (found != nullptr) {
        resource.data = static_cast<const BYTE*>(LockResource(LoadResource(instance(), found)));
        resource.size = SizeofResource(instance(), found);
    }
    return resource;
}

// Walks a classic dialog template: header, then DWORD-aligned item records.
class TemplateReader {
  public:
    explicit TemplateReader(const BYTE* data) : base_(data), at_(data) {}
    WORD word() {
        WORD value;
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    DWORD dword() { return static_cast<DWORD>(word() | static_cast<DWORD>(word()) << 16); }
    short coordinate() { return static_cast<short>(word()); }
    // A string or, after 0xFFFF, an ordinal (returned as "#n"). Text is plain ASCII here.
    std::string name() {
        WORD unit = word();
        if (unit == 0xFFFF) {
            return "#" + std::to_string(word());
        }
        std::string text;
        for (; unit != 0; unit = word()) {
            text += static_cast<char>(unit);
        }
        return text;
    }
    void align() {
        while ((at_ - base_) % 4 != 0) {
            ++at_;
        }
    }
    void skip(WORD bytes) { at_ += bytes; }

  private:
    const BYTE* base_;
    const BYTE* at_;
};

struct Control {
    WORD id;
    const char* class_name;  // as created; the template may carry the predefined classes as ordinals
    short x, y, cx, cy;
    DWORD style;
    const char* text;
};

constexpr DWORD kOwnerDrawn = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;
constexpr DWORD kHiddenOwnerDrawn = WS_CHILD | WS_TABSTOP | BS_OWNERDRAW;

const Control main_controls[] = {
    {IDC_SLOT1, "Button", 7, 131, 148, 12, kOwnerDrawn, ""},
    {IDC_SLOT2, "Button", 7, 147, 148, 12, kOwnerDrawn, ""},
    {IDC_SLOT3, "Button", 7, 163, 148, 12, kOwnerDrawn, ""},
    {IDC_SLOT4, "Button", 7, 179, 148, 12, kOwnerDrawn, ""},
    {IDC_SLOT5, "Button", 7, 196, 148, 12, kOwnerDrawn, ""},
    {IDC_STATUS_LABEL, "Button", 7, 138, 148, 11, kOwnerDrawn, ""},
    {IDC_PROMPT_LABEL, "Button", 9, 137, 146, 12, kOwnerDrawn, ""},
    {IDC_INSTALL_DIR, "Edit", 7, 161, 148, 12,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | ES_AUTOHSCROLL, ""},
    {IDC_SECOND_STATUS, "Button", 7, 163, 148, 11, kOwnerDrawn, ""},
    {IDC_DIR_OK, "Button", 8, 193, 55, 14, kHiddenOwnerDrawn, "Ok"},
    {IDC_DIR_CANCEL, "Button", 99, 194, 55, 14, kHiddenOwnerDrawn, "Cancel"},
    {IDC_PROGRESS, "msctls_progress32", 14, 163, 136, 13,
     WS_CHILD | WS_VISIBLE | WS_BORDER | PBS_SMOOTH, "Progress1"},
};

std::string lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

std::string predefined_class(const std::string& name) {
    if (name == "#128") return "button";
    if (name == "#129") return "edit";
    if (name == "#130") return "static";
    return lower(name);
}

TEST(MainWindowTemplate, HeaderAndControlsInTableOrder) {
    const Resource dialog = find_resource(IDD_MAIN_WINDOW, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    ASSERT_NE(nullptr, dialog.data);
    TemplateReader reader(dialog.data);
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER |
                                 DS_SETFONT),
              reader.dword());
    EXPECT_EQ(0u, reader.dword());
    const WORD count = reader.word();
    ASSERT_EQ(std::size(main_controls), count);
    EXPECT_EQ(0, reader.coordinate());
    EXPECT_EQ(0, reader.coordinate());
    EXPECT_EQ(163, reader.coordinate());
    EXPECT_EQ(215, reader.coordinate());
    EXPECT_EQ("", reader.name());  // no menu
    EXPECT_EQ("", reader.name());  // the standard dialog class
    EXPECT_EQ("Install", reader.name());
    EXPECT_EQ(8, reader.word());
    EXPECT_EQ("Verdana", reader.name());

    for (const Control& expected : main_controls) {
        SCOPED_TRACE(expected.id);
        reader.align();
        EXPECT_EQ(expected.style, reader.dword());
        EXPECT_EQ(0u, reader.dword());
        EXPECT_EQ(expected.x, reader.coordinate());
        EXPECT_EQ(expected.y, reader.coordinate());
        EXPECT_EQ(expected.cx, reader.coordinate());
        EXPECT_EQ(expected.cy, reader.coordinate());
        EXPECT_EQ(expected.id, reader.word());
        EXPECT_EQ(lower(expected.class_name), predefined_class(reader.name()));
        EXPECT_EQ(expected.text, reader.name());
        reader.skip(reader.word());
    }
}

INT_PTR CALLBACK quiet_procedure(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

class LiveDialog : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&classes);
    }
    HWND create(WORD id) {
        window_ = CreateDialogParamA(instance(), MAKEINTRESOURCEA(id), nullptr, quiet_procedure, 0);
        return window_;
    }
    void TearDown() override {
        if (window_ != nullptr) {
            DestroyWindow(window_);
        }
    }
    HWND window_ = nullptr;
};

// The window as the system builds it: every class exists (the progress bar's too, once the
// common controls are in), Ok and Cancel start hidden and nothing starts disabled.
TEST_F(LiveDialog, MainWindowBuildsEveryControl) {
    HWND dialog = create(IDD_MAIN_WINDOW);
    ASSERT_NE(nullptr, dialog) << "error " << GetLastError();
    for (const Control& expected : main_controls) {
        HWND control = GetDlgItem(dialog, expected.id);
        ASSERT_NE(nullptr, control) << expected.id;
        char name[64];
        GetClassNameA(control, name, sizeof name);
        EXPECT_EQ(lower(expected.class_name), lower(name)) << expected.id;
        const DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
        EXPECT_EQ(expected.style & (WS_VISIBLE | WS_DISABLED), style & (WS_VISIBLE | WS_DISABLED))
            << expected.id;
    }
}

TEST_F(LiveDialog, TextEntryHasPromptAnswerAndBothCommands) {
    HWND dialog = create(IDD_TEXT_ENTRY);
    ASSERT_NE(nullptr, dialog) << "error " << GetLastError();
    const std::pair<int, const char*> controls[] = {
        {IDC_ENTRY_PROMPT, "static"}, {IDC_ENTRY_TEXT, "edit"}, {IDOK, "button"}, {IDCANCEL, "button"}};
    for (const auto& [id, class_name] : controls) {
        char name[64] = "";
        GetClassNameA(GetDlgItem(dialog, id), name, sizeof name);
        EXPECT_EQ(class_name, lower(name)) << id;
    }
}

// ----------------------------------------------------------------------------------------------
// Pictures, icon and manifest

// A packed 8-bit picture as stored in the resource: header, palette, bottom-up rows.
class Picture {
  public:
    explicit Picture(WORD id) : resource_(find_resource(id, MAKEINTRESOURCEA(2) /* RT_BITMAP */)) {
        if (resource_.data != nullptr) {
            std::memcpy(&header_, resource_.data, sizeof header_);
        }
    }
    bool found() const { return resource_.data != nullptr; }
    const BITMAPINFOHEADER& header() const { return header_; }
    // Colour of the pixel at column x of row y, counted from the top.
    COLORREF pixel(int x, int y) const {
        const DWORD colours = header_.biClrUsed != 0 ? header_.biClrUsed : 256;
        const BYTE* palette = resource_.data + header_.biSize;
        const BYTE* bits = palette + colours * sizeof(RGBQUAD);
        const int stride = (header_.biWidth + 3) & ~3;
        const BYTE index = bits[(header_.biHeight - 1 - y) * stride + x];
        const BYTE* entry = palette + index * sizeof(RGBQUAD);
        return RGB(entry[2], entry[1], entry[0]);
    }
    static int brightness(COLORREF colour) {
        return (GetRValue(colour) * 30 + GetGValue(colour) * 59 + GetBValue(colour) * 11) / 100;
    }

  private:
    Resource resource_;
    BITMAPINFOHEADER header_ = {};
};

TEST(Pictures, BothAreUncompressedEightBitOfTheirSize) {
    const struct {
        WORD id;
        LONG width, height;
    } pictures[] = {{IDB_BACKGROUND, 285, 349}, {IDB_BUTTON_SKIN, 12, 36}};
    for (const auto& expected : pictures) {
        SCOPED_TRACE(expected.id);
        const Picture picture(expected.id);
        ASSERT_TRUE(picture.found());
        EXPECT_EQ(sizeof(BITMAPINFOHEADER), picture.header().biSize);
        EXPECT_EQ(expected.width, picture.header().biWidth);
        EXPECT_EQ(expected.height, picture.header().biHeight);  // positive: bottom-up
        EXPECT_EQ(8, picture.header().biBitCount);
        EXPECT_EQ(static_cast<DWORD>(BI_RGB), picture.header().biCompression);
    }

    // The skin is loaded as a DIB section, which takes no run-length compressed data.
    HANDLE skin = LoadImageA(instance(), MAKEINTRESOURCEA(IDB_BUTTON_SKIN), IMAGE_BITMAP, 0, 0,
                             LR_CREATEDIBSECTION);
    ASSERT_NE(nullptr, skin);
    DIBSECTION section;
    ASSERT_EQ(static_cast<int>(sizeof section), GetObjectA(skin, sizeof section, &section));
    EXPECT_EQ(12, section.dsBm.bmWidth);
    EXPECT_EQ(36, section.dsBm.bmHeight);
    EXPECT_EQ(8, section.dsBm.bmBitsPixel);
    DeleteObject(skin);
}

// The painter tiles each 4-pixel edge along the button and the 4 x 4 centre across it, so an edge
// must not change along its length and the centre must be flat; focus must show, and
// the text colours (white, near-black when pressed) must read on the faces.
TEST(Pictures, SkinCellsTileCleanlyAndCarryTheirText) {
    const Picture skin(IDB_BUTTON_SKIN);
    ASSERT_TRUE(skin.found());
    int faces[3];
    for (int cell = 0; cell < 3; ++cell) {
        SCOPED_TRACE(cell);
        const int top = cell * 12;
        for (int i = 0; i < 4; ++i) {
            for (int j = 4; j < 8; ++j) {
                EXPECT_EQ(skin.pixel(4, top + i), skin.pixel(j, top + i));          // top edge
                EXPECT_EQ(skin.pixel(4, top + 8 + i), skin.pixel(j, top + 8 + i));  // bottom edge
                EXPECT_EQ(skin.pixel(i, top + 4), skin.pixel(i, top + j));          // left edge
                EXPECT_EQ(skin.pixel(8 + i, top + 4), skin.pixel(8 + i, top + j));  // right edge
                EXPECT_EQ(skin.pixel(4, top + 4), skin.pixel(j, top + 4 + i));      // centre
            }
        }
        faces[cell] = Picture::brightness(skin.pixel(5, top + 5));
    }
    EXPECT_LT(faces[0], 96);   // normal: white text
    EXPECT_LT(faces[1], 96);   // focused: white text
    EXPECT_GT(faces[2], 160);  // pressed: near-black text
    EXPECT_NE(skin.pixel(1, 5), skin.pixel(1, 12 + 5));  // the focused rim stands out
}

// The buttons and the install-directory controls lie over the lower part of the picture; with
// the window's 8-point layout that is from about row 210 down. White text needs it dark there.
TEST(Pictures, BackgroundIsDarkUnderTheButtons) {
    const Picture background(IDB_BACKGROUND);
    ASSERT_TRUE(background.found());
    int brightest = 0;
    for (int y = 205; y < 349; ++y) {
        for (int x = 0; x < 285; ++x) {
            brightest = std::max(brightest, Picture::brightness(background.pixel(x, y)));
        }
    }
    EXPECT_LT(brightest, 48);
}

TEST(Icon, CarriesSixteenThirtyTwoAndFortyEight) {
    const Resource group = find_resource(IDI_SETUP, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(nullptr, group.data);
    WORD count;
    std::memcpy(&count, group.data + 4, sizeof count);
    ASSERT_EQ(static_cast<DWORD>(6 + count * 14), group.size);
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        sizes.insert(group.data[6 + i * 14]);
    }
    EXPECT_EQ((std::set<int>{16, 32, 48}), sizes);
}

TEST(Manifest, AsksForAdministratorWithClassicControls) {
    const Resource manifest = find_resource(1, MAKEINTRESOURCEA(24) /* RT_MANIFEST */);
    ASSERT_NE(nullptr, manifest.data);
    const std::string text(reinterpret_cast<const char*>(manifest.data), manifest.size);
    EXPECT_NE(std::string::npos, text.find("level=\"requireAdministrator\""));
    // Common controls 6 would theme the progress bar and the edit box beside the skinned buttons.
    EXPECT_EQ(std::string::npos, text.find("Common-Controls"));
}

}  // namespace
