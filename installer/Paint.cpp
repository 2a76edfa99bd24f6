// Painting the main window: the skin bitmaps, the background picture and the owner-drawn
// buttons and labels.
#include "Fixed.h"
#include "Handles.h"
#include "INSTALL.h"
#include "Winskin.h"
#include "resource.h"

namespace {

constexpr COLORREF NEAR_BLACK = RGB(10, 10, 10);
constexpr COLORREF WHITE = RGB(255, 255, 255);
constexpr std::int32_t SKIN_BORDER = 4;
constexpr int ITEM_TEXT_SIZE = 128;

// Loads one bitmap resource at its natural size, replacing (and releasing) the one held before.
// A failure keeps the field null, so that part of the window stays black.
void paint_load_bitmap(HBITMAP& held, int resource, UINT flags) {
    HANDLE loaded = LoadImageA(local_install_details.instance, MAKEINTRESOURCEA(resource), IMAGE_BITMAP, 0, 0, flags);
    if (loaded == nullptr) INSTALL_show_last_error();
    WINUTILS_GDI_OBJECT<HBITMAP> previous(held);
    held = static_cast<HBITMAP>(loaded);
}

bool paint_is_label(UINT id) {
    return id == IDC_STATUS_LABEL || id == IDC_PROMPT_LABEL || id == IDC_SECOND_STATUS;
}

// An owner of a BeginPaint context: EndPaint on every way out.
class paint_context {
public:
    explicit paint_context(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~paint_context() {
        if (dc_ != nullptr) EndPaint(window_, &paint_);
    }
    paint_context(const paint_context&) = delete;
    paint_context& operator=(const paint_context&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC dc_;
};

}  // namespace

void INSTALL_load_skin(void) {
    // The background matches the display's format; the skin keeps its own pixels for copying.
    paint_load_bitmap(local_install_details.background_bitmap, IDB_BACKGROUND, 0);
    paint_load_bitmap(local_install_details.button_skin, IDB_BUTTON_SKIN, LR_CREATEDIBSECTION);
}

void INSTALL_show_last_error(void) {
    char* text = nullptr;
    FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, GetLastError(), 0x400, reinterpret_cast<LPSTR>(&text), 0, nullptr);
    MessageBoxA(nullptr, text, INSTALL_ERROR_CAPTION, MB_ICONINFORMATION | MB_OK);
    LocalFree(text);
}

void INSTALL_paint_background(HWND window) {
    paint_context paint(window);
    if (paint.get() == nullptr) return;

    // A device-dependent bitmap belongs to one display format: reload after a change.
    std::int32_t depth = GetDeviceCaps(paint.get(), BITSPIXEL);
    if (depth != local_install_details.colour_depth) {
        INSTALL_load_skin();
        local_install_details.colour_depth = depth;
    }

    WINUTILS_MEMORY_DC memory(CreateCompatibleDC(paint.get()));
    if (!memory) return;
    WINUTILS_SELECTED_OBJECT selected(memory.get(), local_install_details.background_bitmap);
    if (!selected.selected()) return;
    BITMAP description;
    if (GetObjectA(local_install_details.background_bitmap, sizeof description, &description) == 0) return;
    RECT client;
    if (!GetClientRect(window, &client)) return;
    BitBlt(paint.get(), 0, 0, client.right - client.left, client.bottom - client.top, memory.get(), 0, 0, SRCCOPY);
}

void INSTALL_draw_item(HWND window, const DRAWITEMSTRUCT* item) {
    // The item names its control; the status labels are drawn for every file a run copies.
    HWND control = item->hwndItem;
    RECT client;
    GetClientRect(control, &client);
    FillRect(item->hDC, &client, local_install_details.background_brush);
    // Disabled and hidden controls are bare background.
    if (!IsWindowEnabled(control) || !IsWindowVisible(control)) return;

    char text[ITEM_TEXT_SIZE];
    GetWindowTextA(control, text, sizeof text);
    if (paint_is_label(item->CtlID)) {
        // Opaque mode: each line of text sits on a near-black box.
        SetBkColor(item->hDC, NEAR_BLACK);
        SetTextColor(item->hDC, WHITE);
        DrawTextA(item->hDC, text, -1, &client, DT_VCENTER | DT_SINGLELINE);
        return;
    }
    WINSKIN_draw_windows_button(window, item, SKIN_BORDER, local_install_details.button_skin);
    SetBkMode(item->hDC, TRANSPARENT);
    SetTextColor(item->hDC, (item->itemState & ODS_SELECTED) != 0 ? NEAR_BLACK : WHITE);
    DrawTextA(item->hDC, text, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}
