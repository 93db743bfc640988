#include "console/widgets/status_bar.h"

#include <commctrl.h>

#include "console/widgets/accessible_object.h"
#include "console/widgets/procedure_guard.h"

namespace {

// Distinct from any timer the status control might start itself.
const UINT_PTR INDICATOR_TIMER = 0x6A71;
const UINT INDICATOR_PERIOD_MS = 250;
const UINT_PTR SUBCLASS_ID = 0x5354; // "ST"

struct KeyIndicator {
    UINT id;
    int virtualKey;
    const char* text;
};
const KeyIndicator KEY_INDICATORS[] = {
    {ID_INDICATOR_CAPS, VK_CAPITAL, "CAP"},
    {ID_INDICATOR_NUM, VK_NUMLOCK, "NUM"},
    {ID_INDICATOR_SCRL, VK_SCROLL, "SCRL"},
};

const KeyIndicator* FindKeyIndicator(UINT id) {
    for (const KeyIndicator& k : KEY_INDICATORS)
        if (k.id == id)
            return &k;
    return nullptr;
}

int TextWidth(HWND hwnd, const std::string& text) {
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)));
    std::wstring w = WidenUtf8(text.c_str());
    SIZE sz = {0, 0};
    GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &sz);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);
    return sz.cx;
}

// What assistive tools read as the bar's value: the message pane's text (the system's
// proxy names each pane by its text, and the bar itself not at all).
class MessagePaneValue : public ControlAccessibleText {
public:
    explicit MessagePaneValue(int pane) : pane_(pane) {}
    std::string Name(HWND) const override { return std::string(); }
    std::string Value(HWND bar) const override {
        LRESULT lr = SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(pane_), 0);
        std::wstring buf(static_cast<size_t>(LOWORD(lr)) + 1, L'\0');
        SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(pane_),
                     reinterpret_cast<LPARAM>(&buf[0]));
        return NarrowToUtf8(buf.c_str());
    }

private:
    int pane_;
};

} // namespace

bool StatusBar::Create(HWND parent, UINT id, const UINT* indicators, int count, HINSTANCE module) {
    if (IsCreated() || indicators == nullptr || count < 1 || count > 16)
        return false;
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    if (module == nullptr)
        module = GetModuleHandleW(nullptr);
    // The frame places the bar itself: no parent alignment, no self-sizing.
    hwnd_ = CreateWindowExW(0, STATUSCLASSNAMEW, L"",
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | CCS_NOPARENTALIGN |
                                CCS_NORESIZE | CCS_BOTTOM | SBARS_SIZEGRIP,
                            0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
    if (hwnd_ == nullptr)
        return false;
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(WidgetFont()), FALSE);
    SetWindowSubclass(hwnd_, SubclassProc, SUBCLASS_ID, reinterpret_cast<DWORD_PTR>(this));

    idle_ = LoadResourceString(module, ID_IDLE_MESSAGE);
    if (idle_.empty())
        idle_ = "Ready";
    panes_.clear();
    for (int i = 0; i < count; ++i) {
        Pane p;
        p.id = indicators[i];
        if (p.id == ID_INDICATOR_SEPARATOR) {
            p.text.clear();
        } else {
            p.text = LoadResourceString(module, p.id);
            const KeyIndicator* k = FindKeyIndicator(p.id);
            if (p.text.empty() && k != nullptr)
                p.text = k->text;
        }
        // Indicators keep the width of their text even while blank.
        p.width = p.id == ID_INDICATOR_SEPARATOR ? 0 : TextWidth(hwnd_, p.text) + 14;
        panes_.push_back(p);
    }
    SetPartsFromWidths();
    if (PaneIndex(ID_INDICATOR_SEPARATOR) >= 0)
        OverrideControlAccessibleText(hwnd_,
                                      new MessagePaneValue(PaneIndex(ID_INDICATOR_SEPARATOR)));
    // Non-key panes show their text at once; key panes follow the keyboard.
    for (int i = 0; i < PaneCount(); ++i) {
        const Pane& p = panes_[static_cast<size_t>(i)];
        if (p.id != ID_INDICATOR_SEPARATOR && FindKeyIndicator(p.id) == nullptr) {
            std::wstring w = WidenUtf8(p.text.c_str());
            SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(w.c_str()));
        }
    }
    ShowIdleMessage();
    UpdateIndicators();
    SetTimer(hwnd_, INDICATOR_TIMER, INDICATOR_PERIOD_MS, nullptr);
    return true;
}

int StatusBar::PaneIndex(UINT id) const {
    for (size_t i = 0; i < panes_.size(); ++i)
        if (panes_[i].id == id)
            return static_cast<int>(i);
    return -1;
}

std::string StatusBar::PaneText(int index) const {
    if (hwnd_ == nullptr || index < 0 || index >= PaneCount())
        return std::string();
    LRESULT lr = SendMessageW(hwnd_, SB_GETTEXTLENGTHW, static_cast<WPARAM>(index), 0);
    size_t len = LOWORD(lr);
    std::wstring buf(len + 1, L'\0');
    SendMessageW(hwnd_, SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&buf[0]));
    buf.resize(len);
    return NarrowToUtf8(buf.c_str());
}

void StatusBar::SetMessageText(const char* utf8) {
    int pane = PaneIndex(ID_INDICATOR_SEPARATOR);
    if (hwnd_ == nullptr || pane < 0)
        return;
    const char* text = (utf8 == nullptr || *utf8 == '\0') ? idle_.c_str() : utf8;
    if (PaneText(pane) == text)
        return;
    std::wstring w = WidenUtf8(text);
    SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(pane),
                 reinterpret_cast<LPARAM>(w.c_str()));
    NotifyAccessible(EVENT_OBJECT_VALUECHANGE, hwnd_, 0);
}

void StatusBar::UpdateIndicators() {
    if (hwnd_ == nullptr)
        return;
    for (int i = 0; i < PaneCount(); ++i) {
        const Pane& p = panes_[static_cast<size_t>(i)];
        const KeyIndicator* k = FindKeyIndicator(p.id);
        if (k == nullptr)
            continue;
        bool on = (GetKeyState(k->virtualKey) & 1) != 0;
        std::wstring want = on ? WidenUtf8(p.text.c_str()) : std::wstring();
        // Only touch the pane when it changes, so the timer does not flicker it.
        if (NarrowToUtf8(want.c_str()) != PaneText(i))
            SendMessageW(hwnd_, SB_SETTEXTW, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(want.c_str()));
    }
}

void StatusBar::SetPartsFromWidths() {
    if (hwnd_ == nullptr || panes_.empty())
        return;
    RECT client;
    GetClientRect(hwnd_, &client);
    int fixed = 0;
    for (const Pane& p : panes_)
        fixed += p.width;
    // Room for the size grip after the last pane.
    int grip = GetSystemMetrics(SM_CXVSCROLL);
    int stretch = RectWidth(client) - fixed - grip;
    if (stretch < 0)
        stretch = 0;
    int edges[16];
    int x = 0;
    for (size_t i = 0; i < panes_.size(); ++i) {
        x += panes_[i].id == ID_INDICATOR_SEPARATOR ? stretch : panes_[i].width;
        edges[i] = x;
    }
    edges[panes_.size() - 1] = -1; // the last pane runs to the edge
    SendMessageW(hwnd_, SB_SETPARTS, panes_.size(), reinterpret_cast<LPARAM>(edges));
}

int StatusBar::CalcHeight(int /*frameClientWidth*/) const {
    if (hwnd_ == nullptr || !IsShownInParent(hwnd_))
        return 0;
    return WidgetFontHeight(hwnd_) + 8;
}

void StatusBar::LayoutIn(RECT* remaining) {
    if (hwnd_ == nullptr || remaining == nullptr || !IsShownInParent(hwnd_))
        return;
    int h = CalcHeight(RectWidth(*remaining));
    if (h > RectHeight(*remaining))
        h = RectHeight(*remaining);
    MoveWindow(hwnd_, remaining->left, remaining->bottom - h, RectWidth(*remaining), h, TRUE);
    remaining->bottom -= h;
}

LRESULT CALLBACK StatusBar::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                         UINT_PTR idSubclass, DWORD_PTR refData) {
    return GuardProcedure<LRESULT>(0, [&]() -> LRESULT {
        StatusBar* self = reinterpret_cast<StatusBar*>(refData);
        switch (msg) {
        case WM_TIMER:
            if (wp == INDICATOR_TIMER) {
                self->UpdateIndicators();
                return 0;
            }
            break;
        case WM_SIZE: {
            LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
            self->SetPartsFromWidths();
            return r;
        }
        case WM_NCDESTROY:
            KillTimer(hwnd, INDICATOR_TIMER);
            RemoveWindowSubclass(hwnd, SubclassProc, idSubclass);
            self->hwnd_ = nullptr;
            break;
        }
        return DefSubclassProc(hwnd, msg, wp, lp);
    });
}
