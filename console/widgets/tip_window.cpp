#include "console/widgets/tip_window.h"

#include <vector>

#include "console/widgets/procedure_guard.h"

namespace {

const wchar_t TIP_CLASS[] = L"GwHelpTip";
const UINT_PTR CLOSE_TIMER = 1;
const int SHADOW_OFFSET = 4; // right and down
const int TITLE_GAP = 4;     // between the title line and the text

std::vector<std::wstring> SplitLines(const std::string& text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (true) {
        size_t nl = text.find('\n', start);
        std::string line =
            text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(WidenUtf8(line.c_str()));
        if (nl == std::string::npos)
            break;
        start = nl + 1;
    }
    return lines;
}

// Brush of alternating pixels: set ones in `color`, the others left to the background
// through the transparent background mode of a monochrome pattern.
HBRUSH CreateCheckerBrush() {
    static const WORD bits[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP bmp = CreateBitmap(8, 8, 1, 1, bits);
    HBRUSH brush = CreatePatternBrush(bmp);
    DeleteObject(bmp);
    return brush;
}

} // namespace

TipWindow& SharedHelpTip() {
    static TipWindow tip;
    return tip;
}

TipWindow::~TipWindow() {
    Hide();
    if (textFont_ != nullptr)
        DeleteObject(textFont_);
    if (titleFont_ != nullptr)
        DeleteObject(titleFont_);
}

void TipWindow::SetMargins(int left, int top, int right, int bottom) {
    margins_.left = left < 3 ? 3 : left;
    margins_.top = top < 3 ? 3 : top;
    margins_.right = right < 3 ? 3 : right;
    margins_.bottom = bottom < 3 ? 3 : bottom;
}

int TipWindow::LineCount() const {
    return static_cast<int>(SplitLines(text_).size());
}

POINT TipWindow::TextOrigin() const {
    return POINT{margins_.left, margins_.top + (title_.empty() ? 0 : titleHeight_ + TITLE_GAP)};
}

SIZE TipWindow::MeasureBody(HDC dc) const {
    int width = 0, height = 0;
    HGDIOBJ old = SelectObject(dc, titleFont_);
    if (!title_.empty()) {
        std::wstring t = WidenUtf8(title_.c_str());
        RECT r = {0, 0, 0, 0};
        DrawTextW(dc, t.c_str(), -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_CALCRECT);
        width = RectWidth(r);
        height = titleHeight_ + TITLE_GAP;
    }
    SelectObject(dc, textFont_);
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    for (const std::wstring& line : SplitLines(text_)) {
        RECT r = {0, 0, 0, 0};
        if (!line.empty())
            DrawTextW(dc, line.c_str(), -1, &r,
                      DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS | DT_CALCRECT);
        if (RectWidth(r) > width)
            width = RectWidth(r);
        height += tm.tmHeight;
    }
    SelectObject(dc, old);
    return SIZE{margins_.left + width + margins_.right, margins_.top + height + margins_.bottom};
}

bool TipWindow::Show(HWND owner, const RECT& anchor, const char* title, const char* text,
                     UINT milliseconds) {
    return Show(owner, POINT{anchor.left, anchor.bottom}, title, text, milliseconds);
}

bool TipWindow::Show(HWND owner, POINT topLeft, const char* title, const char* text,
                     UINT milliseconds) {
    Hide();
    title_ = title != nullptr ? title : "";
    text_ = text != nullptr ? text : "";

    if (!OwnedWindow::RegisterWidgetClass(TIP_CLASS, CS_SAVEBITS, IDC_ARROW, -1, WndProc))
        return false;
    HINSTANCE inst = GetModuleHandleW(nullptr);
    if (textFont_ == nullptr) {
        NONCLIENTMETRICSW ncm = {};
        ncm.cbSize = offsetof(NONCLIENTMETRICSW, lfMessageFont) + sizeof(LOGFONTW);
        LOGFONTW lf = {};
        if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, ncm.cbSize, &ncm, 0))
            lf = ncm.lfStatusFont; // the system's tooltip font
        else
            GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        textFont_ = CreateFontIndirectW(&lf);
        lf.lfWeight = FW_BOLD;
        titleFont_ = CreateFontIndirectW(&lf);
    }

    HDC screen = GetDC(nullptr);
    HGDIOBJ old = SelectObject(screen, titleFont_);
    TEXTMETRICW tm = {};
    GetTextMetricsW(screen, &tm);
    titleHeight_ = tm.tmHeight;
    SelectObject(screen, old);
    SIZE body = MeasureBody(screen);
    ReleaseDC(nullptr, screen);

    bool shadow = (style_ & TIP_STYLE_SHADOW) != 0;
    int w = body.cx + (shadow ? SHADOW_OFFSET : 0);
    int h = body.cy + (shadow ? SHADOW_OFFSET : 0);
    hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, TIP_CLASS, L"",
                            WS_POPUP, topLeft.x, topLeft.y, w, h, owner, nullptr, inst, this);
    if (hwnd_ == nullptr)
        return false;
    if (shadow) {
        // The body and its shadow; the corners the shadow does not cover stay
        // outside the window so what is beneath shows through.
        HRGN rgn = CreateRectRgn(0, 0, body.cx, body.cy);
        HRGN drop = CreateRectRgn(SHADOW_OFFSET, SHADOW_OFFSET, w, h);
        CombineRgn(rgn, rgn, drop, RGN_OR);
        DeleteObject(drop);
        SetWindowRgn(hwnd_, rgn, FALSE); // the window owns rgn now
    }
    SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    if (milliseconds != 0)
        SetTimer(hwnd_, CLOSE_TIMER, milliseconds, nullptr);
    // The tip never takes the focus: screen readers read it on this event.
    NotifyAccessible(EVENT_OBJECT_SHOW, hwnd_, 0);
    return true;
}

std::string TipWindow::AccDescription(int) const {
    // Read as one text: a line break is a space.
    std::string out;
    for (char c : text_) {
        if (c == '\r')
            continue;
        if (c == '\n')
            c = ' ';
        if (c != ' ' || (!out.empty() && out.back() != ' '))
            out += c;
    }
    return out;
}

void TipWindow::Hide() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        NotifyAccessible(EVENT_OBJECT_HIDE, hwnd_, 0);
        KillTimer(hwnd_, CLOSE_TIMER);
        DestroyWindow(hwnd_); // WM_NCDESTROY clears hwnd_
    }
    hwnd_ = nullptr;
}

bool TipWindow::IsShown() const {
    return hwnd_ != nullptr && IsWindow(hwnd_) && IsWindowVisible(hwnd_);
}

void TipWindow::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    bool shadow = (style_ & TIP_STYLE_SHADOW) != 0;
    RECT body = client;
    if (shadow) {
        body.right -= SHADOW_OFFSET;
        body.bottom -= SHADOW_OFFSET;
        RECT right = {body.right, SHADOW_OFFSET, client.right, client.bottom};
        RECT below = {SHADOW_OFFSET, body.bottom, body.right, client.bottom};
        if (style_ & TIP_STYLE_SHADOW_NO_DITHER) {
            HBRUSH b = GetSysColorBrush(COLOR_3DSHADOW);
            FillRect(dc, &right, b);
            FillRect(dc, &below, b);
        } else {
            // Dark pixels on a checker over the face colour.
            FillRect(dc, &right, GetSysColorBrush(COLOR_3DFACE));
            FillRect(dc, &below, GetSysColorBrush(COLOR_3DFACE));
            HBRUSH checker = CreateCheckerBrush();
            SetTextColor(dc, GetSysColor(COLOR_3DDKSHADOW));
            SetBkColor(dc, GetSysColor(COLOR_3DFACE));
            FillRect(dc, &right, checker);
            FillRect(dc, &below, checker);
            DeleteObject(checker);
        }
    }
    FillRect(dc, &body, GetSysColorBrush(COLOR_INFOBK));
    HBRUSH frame = CreateSolidBrush(GetSysColor(COLOR_INFOTEXT));
    FrameRect(dc, &body, frame);
    DeleteObject(frame);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    int y = margins_.top;
    HGDIOBJ old = SelectObject(dc, titleFont_);
    if (!title_.empty()) {
        std::wstring t = WidenUtf8(title_.c_str());
        RECT r = {margins_.left, y, body.right - margins_.right, y + titleHeight_};
        DrawTextW(dc, t.c_str(), -1, &r, DT_SINGLELINE | DT_NOPREFIX);
        y += titleHeight_ + TITLE_GAP;
    }
    SelectObject(dc, textFont_);
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    for (const std::wstring& line : SplitLines(text_)) {
        RECT r = {margins_.left, y, body.right - margins_.right, y + tm.tmHeight};
        if (!line.empty())
            DrawTextW(dc, line.c_str(), -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_EXPANDTABS);
        y += tm.tmHeight;
    }
    SelectObject(dc, old);
}

LRESULT CALLBACK TipWindow::WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return GuardProcedure<LRESULT>(0, [&]() -> LRESULT {
        TipWindow* self;
        if (msg == WM_NCCREATE) {
            self = static_cast<TipWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        } else {
            self = reinterpret_cast<TipWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        }
        if (self == nullptr)
            return DefWindowProcW(hwnd, msg, wp, lp);
        LRESULT answer = 0;
        if (self->access_.HandleMessage(hwnd, msg, wp, lp, &answer))
            return answer;
        switch (msg) {
        case WM_PAINT: {
            PaintDc dc(hwnd);
            self->Paint(dc);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_MOUSEACTIVATE:
            return MA_NOACTIVATE;
        case WM_LBUTTONDOWN:
            self->Hide(); // a click on the tip dismisses it
            return 0;
        case WM_TIMER:
            if (wp == CLOSE_TIMER) {
                self->Hide();
                return 0;
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            // Destroyed by Hide or with its owner: either way there is no tip now.
            if (self->hwnd_ == hwnd)
                self->hwnd_ = nullptr;
            break;
        }
        return DefWindowProcW(hwnd, msg, wp, lp);
    });
}
