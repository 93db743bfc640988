#include "console/widgets/widget_common.h"

#include <vector>

#include "console/widgets/procedure_guard.h"

std::string LoadResourceString(HINSTANCE module, UINT id) {
    // LoadStringW with a zero buffer length hands back a read-only pointer to the
    // resource's text, which is not NUL-terminated; its length comes back.
    const wchar_t* raw = nullptr;
    int len = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&raw), 0);
    if (len <= 0 || raw == nullptr)
        return std::string();
    std::wstring text(raw, static_cast<size_t>(len));
    return NarrowToUtf8(text.c_str());
}

std::string CommandPrompt(HINSTANCE module, UINT id) {
    std::string s = LoadResourceString(module, id);
    size_t nl = s.find('\n');
    return nl == std::string::npos ? s : s.substr(0, nl);
}

std::string CommandTip(HINSTANCE module, UINT id) {
    std::string s = LoadResourceString(module, id);
    size_t nl = s.find('\n');
    return nl == std::string::npos ? s : s.substr(nl + 1);
}

std::string GetWindowTextUtf8(HWND hwnd) {
    if (hwnd == nullptr)
        return std::string();
    int len = GetWindowTextLengthW(hwnd);
    if (len <= 0)
        return std::string();
    std::vector<wchar_t> buf(static_cast<size_t>(len) + 1);
    GetWindowTextW(hwnd, buf.data(), len + 1);
    buf.back() = L'\0';
    return NarrowToUtf8(buf.data());
}

int ScreenDpi() {
    static const int dpi = [] {
        HDC screen = GetDC(nullptr);
        int value = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
        if (screen != nullptr)
            ReleaseDC(nullptr, screen);
        return value > 0 ? value : 96;
    }();
    return dpi;
}

HFONT WidgetFont() {
    static HFONT font = [] {
        NONCLIENTMETRICSW ncm = {};
        // The pre-Vista size: later fields are not needed and older systems reject
        // the larger structure.
        ncm.cbSize = offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW);
        HFONT f = nullptr;
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0))
            f = CreateFontIndirectW(&ncm.lfMessageFont);
        return f ? f : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    }();
    return font;
}

int WidgetFontHeight(HWND hwnd) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, WidgetFont());
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return tm.tmHeight;
}

bool HighContrastColours() {
    HIGHCONTRASTW hc = {};
    hc.cbSize = sizeof hc;
    if (SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) &&
        (hc.dwFlags & HCF_HIGHCONTRASTON))
        return true;
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    return face == RGB(0, 0, 0) || face == RGB(255, 255, 255);
}

OwnedWindow::~OwnedWindow() {
    // The derived part is gone: detach first so no message reaches Handle.
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    hwnd_ = nullptr;
}

void OwnedWindow::Destroy() {
    if (hwnd_ != nullptr && IsWindow(hwnd_))
        DestroyWindow(hwnd_); // WM_NCDESTROY clears hwnd_
    hwnd_ = nullptr;
}

LRESULT OwnedWindow::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

bool OwnedWindow::RegisterWidgetClass(const wchar_t* name, UINT style, LPCSTR cursor,
                                      int background, WNDPROC procedure) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(inst, name, &wc))
        return true;
    wc = {};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = procedure != nullptr ? procedure : WidgetProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorA(nullptr, cursor);
    wc.hbrBackground =
        background >= 0 ? reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1)) : nullptr;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

HWND OwnedWindow::CreateWidget(DWORD exStyle, const wchar_t* cls, DWORD style, const RECT& rect,
                               HWND parent, UINT id) {
    if (IsCreated())
        return nullptr;
    // Child windows take their id through the menu parameter; pop-ups have none.
    HMENU menuOrId =
        (style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)) : nullptr;
    HWND h = CreateWindowExW(exStyle, cls, L"", style, rect.left, rect.top, RectWidth(rect),
                             RectHeight(rect), parent, menuOrId, GetModuleHandleW(nullptr), this);
    if (h == nullptr)
        hwnd_ = nullptr;
    return h;
}

LRESULT CALLBACK OwnedWindow::WidgetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return GuardProcedure<LRESULT>(0, [&]() -> LRESULT {
        OwnedWindow* self;
        if (msg == WM_NCCREATE) {
            self = static_cast<OwnedWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            if (self != nullptr)
                self->hwnd_ = hwnd;
        } else {
            self = reinterpret_cast<OwnedWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (self == nullptr)
            return DefWindowProcW(hwnd, msg, wp, lp);
        if (msg == WM_NCDESTROY) {
            LRESULT r = self->Handle(msg, wp, lp);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->hwnd_ = nullptr;
            return r;
        }
        return self->Handle(msg, wp, lp);
    });
}
