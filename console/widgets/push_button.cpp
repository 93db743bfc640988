#include "console/widgets/push_button.h"

#include <commctrl.h>

#include "console/widgets/procedure_guard.h"

namespace {

const UINT_PTR SUBCLASS_ID = 0x5042; // "PB"

} // namespace

bool PushButton::Bind(HWND dialog, int id) {
    if (hwnd_ != nullptr || dialog == nullptr)
        return false;
    HWND button = GetDlgItem(dialog, id);
    if (button == nullptr)
        return false;
    if (!SetWindowSubclass(button, SubclassProc, SUBCLASS_ID, reinterpret_cast<DWORD_PTR>(this)))
        return false;
    hwnd_ = button;
    hot_ = false;
    InvalidateRect(hwnd_, nullptr, TRUE);
    return true;
}

bool PushButton::Create(HWND parent, int id, const char* text, const RECT& rect) {
    if (hwnd_ != nullptr || parent == nullptr)
        return false;
    std::wstring w = WidenUtf8(text != nullptr ? text : "");
    HWND button = CreateWindowExW(
        0, L"BUTTON", w.c_str(), WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, rect.left,
        rect.top, RectWidth(rect), RectHeight(rect), parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    if (button == nullptr)
        return false;
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(WidgetFont()), FALSE);
    if (!Bind(parent, id)) {
        DestroyWindow(button);
        return false;
    }
    return true;
}

void PushButton::Unbind() {
    if (hwnd_ == nullptr)
        return;
    if (IsWindow(hwnd_)) {
        RemoveWindowSubclass(hwnd_, SubclassProc, SUBCLASS_ID);
        InvalidateRect(hwnd_, nullptr, TRUE);
    }
    hwnd_ = nullptr;
    hot_ = false;
}

void PushButton::SetText(const char* utf8) {
    if (hwnd_ == nullptr)
        return;
    std::wstring w = WidenUtf8(utf8 != nullptr ? utf8 : "");
    SetWindowTextW(hwnd_, w.c_str());
}

void PushButton::Enable(bool enable) {
    if (hwnd_ != nullptr)
        EnableWindow(hwnd_, enable ? TRUE : FALSE);
}

void PushButton::Paint(HDC dc) {
    RECT r;
    GetClientRect(hwnd_, &r);
    LRESULT state = SendMessageW(hwnd_, BM_GETSTATE, 0, 0);
    bool pushed = (state & BST_PUSHED) != 0;
    bool enabled = IsWindowEnabled(hwnd_) != FALSE;
    bool focused = GetFocus() == hwnd_;
    bool isDefault = (GetWindowLongPtrW(hwnd_, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON;

    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    // Flat at rest, raised under the mouse, sunken while pressed.
    if (pushed)
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    else if (hot_ && enabled)
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    else
        DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT | BF_FLAT);
    if (isDefault) {
        HBRUSH b = GetSysColorBrush(COLOR_WINDOWFRAME);
        FrameRect(dc, &r, b);
    }

    HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font != nullptr ? font : WidgetFont());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    std::wstring text = WidenUtf8(Text().c_str());
    RECT t = r;
    if (pushed)
        OffsetRect(&t, 1, 1);
    DrawTextW(dc, text.c_str(), -1, &t, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    SelectObject(dc, old);
    if (focused) {
        RECT f = r;
        InflateRect(&f, -3, -3);
        DrawFocusRect(dc, &f);
    }
}

LRESULT CALLBACK PushButton::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                          UINT_PTR idSubclass, DWORD_PTR refData) {
    return GuardProcedure<LRESULT>(0, [&]() -> LRESULT {
        PushButton* self = reinterpret_cast<PushButton*>(refData);
        switch (msg) {
        case WM_PAINT: {
            PaintDc dc(hwnd);
            self->Paint(dc);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEMOVE:
            if (!self->hot_) {
                self->hot_ = true;
                TrackMouseLeave(hwnd);
                InvalidateRect(hwnd, nullptr, FALSE);
            }
            break;
        case WM_MOUSELEAVE:
            self->hot_ = false;
            InvalidateRect(hwnd, nullptr, FALSE);
            break;
        case BM_SETSTATE:
        case BM_SETSTYLE:
        case WM_ENABLE:
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
        case WM_SETTEXT:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP: {
            // The button control draws these changes straight to the screen; draw over
            // them in our own look.
            LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
            InvalidateRect(hwnd, nullptr, FALSE);
            return r;
        }
        case WM_NCDESTROY:
            RemoveWindowSubclass(hwnd, SubclassProc, idSubclass);
            self->hwnd_ = nullptr;
            self->hot_ = false;
            break;
        }
        return DefSubclassProc(hwnd, msg, wp, lp);
    });
}
