// Small helpers shared by the toolkit's controls: the module the resources come from,
// UTF-8 text in and out of Win32, command prompts from the string table, and the
// owned-window base every control builds on.
#pragma once

#include <windows.h>

#include "platform/win32/text_win32.h"

#include <string>

// String-table entry `id` of `module` as UTF-8; empty when there is none.
std::string LoadResourceString(HINSTANCE module, UINT id);

// The status-bar prompt of a command: the string-table text up to its first line
// break ("prompt\ntip" as is customary). Empty when the command has no string.
std::string CommandPrompt(HINSTANCE module, UINT id);
// The tooltip of a command: the text after the first line break, or the whole
// string when it has none.
std::string CommandTip(HINSTANCE module, UINT id);

// Whether a bar takes room in its frame: its own WS_VISIBLE style, whatever the frame's
// (the frame lays out its bars before it is first shown).
inline bool IsShownInParent(HWND hwnd) {
    return hwnd != nullptr && (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

// The device context of a WM_PAINT: BeginPaint with the object, EndPaint when it goes.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd), dc_(BeginPaint(hwnd, &ps_)) {}
    ~PaintDc() { EndPaint(hwnd_, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    operator HDC() const { return dc_; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_ = {};
    HDC dc_;
};

// Asks for one WM_MOUSELEAVE when the mouse leaves `hwnd` (hot tracking).
inline void TrackMouseLeave(HWND hwnd) {
    TRACKMOUSEEVENT tme = {sizeof tme, TME_LEAVE, hwnd, 0};
    TrackMouseEvent(&tme);
}

// Hot tracking: makes `hit` the item under the mouse (-1: none), repainting `hwnd` on a
// change. An item made hot asks for WM_MOUSELEAVE, which then sets -1 again.
inline void SetHotItem(HWND hwnd, int& hot, int hit, BOOL erase) {
    if (hit == hot)
        return;
    hot = hit;
    InvalidateRect(hwnd, nullptr, erase);
    if (hit >= 0)
        TrackMouseLeave(hwnd);
}

// Text of a window as UTF-8.
std::string GetWindowTextUtf8(HWND hwnd);

// Owns one window: destroys it with the object. Not copyable. Controls with their own
// window class route its messages to Handle through WidgetProc; the object given to
// CreateWidget is attached on WM_NCCREATE and detached on WM_NCDESTROY, so a window
// destroyed by its parent never leaves a dangling handle here. Derived classes call
// Destroy() in their own destructor so no message reaches a half-destroyed object.
class OwnedWindow {
public:
    OwnedWindow() = default;
    virtual ~OwnedWindow();
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    bool IsCreated() const { return hwnd_ != nullptr && IsWindow(hwnd_); }
    // Destroys the window when there is one (safe to call repeatedly).
    void Destroy();

    // Registers window class `name` once per process, with `procedure` (null:
    // WidgetProc) and `background` a COLOR_* index (negative: none).
    static bool RegisterWidgetClass(const wchar_t* name, UINT style, LPCSTR cursor, int background,
                                    WNDPROC procedure = nullptr);

protected:
    // Messages of a window made by CreateWidget. Default: DefWindowProcW.
    virtual LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    // CreateWindowExW with this object attached; sets hwnd_ on success.
    HWND CreateWidget(DWORD exStyle, const wchar_t* cls, DWORD style, const RECT& rect, HWND parent,
                      UINT id);
    static LRESULT CALLBACK WidgetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

    HWND hwnd_ = nullptr;
};

// Sizes of a rectangle; one of negative size reads as empty.
inline int RectWidth(const RECT& r) {
    return r.right > r.left ? r.right - r.left : 0;
}
inline int RectHeight(const RECT& r) {
    return r.bottom > r.top ? r.bottom - r.top : 0;
}

// The system's message font (non-client metrics), created once and kept for the
// process; never delete it.
HFONT WidgetFont();

// The screen's logical pixels per inch (96 at normal size, 120 at large size); read once,
// as the system changes it only at the next logon.
int ScreenDpi();
// `pixels` at 96 DPI in pixels of the screen's DPI.
inline int ScaleForDpi(int pixels) {
    return MulDiv(pixels, ScreenDpi(), 96);
}

// Height of a line of WidgetFont() text as `hwnd`'s device context measures it.
int WidgetFontHeight(HWND hwnd);

// True while the user's colours ask for strong contrast: the system's high-contrast
// setting, or a high-contrast scheme chosen by hand (its button face is pure black or
// white; choosing one in the display settings does not switch the setting on). Owner-
// drawn widgets then draw text on the window colour and mark selections with the
// highlight colours, as the system's controls do.
bool HighContrastColours();
