// The demo's game program on the sample disc: one window with the game's title card that closes
// on any mouse click or key press. The set-up program starts it with an empty command line, so
// nothing here reads the arguments.
#include <windows.h>

namespace {

const char kTitle[] = "Quillmoor Demo";
const char kWindowClass[] = "QuillmoorDemoTitle";
const int kWidth = 640;
const int kHeight = 480;

BYTE blend(int from, int to, int step, int steps) {
    return static_cast<BYTE>(from + (to - from) * step / steps);
}

// Night sky fading towards the horizon, a moon, a dark ridge, the title in gold and a hint.
void paint_title_card(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (dc == nullptr) {
        return;
    }
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right;
    const int height = client.bottom;
    const int horizon = height * 2 / 3;

    const int bands = 48;
    for (int band = 0; band < bands; ++band) {
        RECT strip = {0, horizon * band / bands, width, horizon * (band + 1) / bands};
        HBRUSH brush = CreateSolidBrush(
            RGB(blend(4, 34, band, bands), blend(6, 48, band, bands), blend(15, 88, band, bands)));
        FillRect(dc, &strip, brush);
        DeleteObject(brush);
    }
    RECT ground = {0, horizon, width, height};
    FillRect(dc, &ground, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    HGDIOBJ old_pen = SelectObject(dc, GetStockObject(NULL_PEN));
    HBRUSH moon = CreateSolidBrush(RGB(233, 228, 207));
    HGDIOBJ old_brush = SelectObject(dc, moon);
    const int radius = height / 14;
    Ellipse(dc, width * 3 / 4 - radius, horizon - radius * 2, width * 3 / 4 + radius, horizon);
    HBRUSH ridge = CreateSolidBrush(RGB(17, 22, 37));
    SelectObject(dc, ridge);
    const POINT outline[] = {{0, horizon - height / 30},     {width / 5, horizon - height / 18},
                             {width / 2, horizon - height / 40}, {width * 4 / 5, horizon - height / 15},
                             {width, horizon - height / 35},  {width, horizon + 2},
                             {0, horizon + 2}};
    Polygon(dc, outline, static_cast<int>(sizeof outline / sizeof outline[0]));
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(moon);
    DeleteObject(ridge);

    SetBkMode(dc, TRANSPARENT);
    HFONT title_font = CreateFontA(-height / 8, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET,
                                   OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                   VARIABLE_PITCH | FF_ROMAN, "Georgia");
    HGDIOBJ old_font = SelectObject(dc, title_font);
    RECT title_box = {0, height / 8, width, height / 8 + height / 5};
    SetTextColor(dc, RGB(20, 12, 4));
    RECT shadow = {title_box.left + 3, title_box.top + 3, title_box.right + 3, title_box.bottom + 3};
    DrawTextA(dc, kTitle, -1, &shadow, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(dc, RGB(243, 197, 94));
    DrawTextA(dc, kTitle, -1, &title_box, DT_CENTER | DT_VCENTER | DT_SINGLELINE);

    HFONT hint_font = CreateFontA(-height / 30, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                  ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SWISS, "Verdana");
    SelectObject(dc, hint_font);
    SetTextColor(dc, RGB(200, 200, 200));
    RECT hint_box = {0, horizon + (height - horizon) / 3, width, height};
    DrawTextA(dc, "Click or press any key to return to Windows.", -1, &hint_box,
              DT_CENTER | DT_TOP | DT_SINGLELINE);
    SelectObject(dc, old_font);
    DeleteObject(title_font);
    DeleteObject(hint_font);
    EndPaint(window, &paint);
}

LRESULT CALLBACK window_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_PAINT:
        paint_title_card(window);
        return 0;
    case WM_ERASEBKGND:
        return 1;  // the title card covers the whole client area
    case WM_SIZE:
        InvalidateRect(window, nullptr, FALSE);  // everything is laid out from the client size
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wparam, lparam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    WNDCLASSA window_class = {};
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.lpszClassName = kWindowClass;
    if (RegisterClassA(&window_class) == 0) {
        return 1;
    }

    // Centred on the primary screen, the outer frame sized so that the title card is 640 x 480.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kWidth, kHeight};
    AdjustWindowRect(&frame, style, FALSE);
    const int frame_width = frame.right - frame.left;
    const int frame_height = frame.bottom - frame.top;
    HWND window = CreateWindowA(kWindowClass, kTitle, style,
                                (GetSystemMetrics(SM_CXSCREEN) - frame_width) / 2,
                                (GetSystemMetrics(SM_CYSCREEN) - frame_height) / 2, frame_width,
                                frame_height, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) {
        return 1;
    }
    ShowWindow(window, show);
    UpdateWindow(window);
    SetForegroundWindow(window);

    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
