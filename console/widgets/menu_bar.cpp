#include "console/widgets/menu_bar.h"

#include <commctrl.h>
#include <windowsx.h>

#include "console/widgets/procedure_guard.h"

namespace {

const wchar_t MENU_BAR_CLASS[] = L"GwMenuBar";
const int GRIPPER_WIDTH = 10;
const int ENTRY_PAD_X = 8;
const UINT_PTR PARENT_SUBCLASS_ID = 0x4D42; // "MB"

std::wstring TopLevelText(HMENU menu, int index) {
    wchar_t buf[256] = {};
    int len = GetMenuStringW(menu, static_cast<UINT>(index), buf, 255, MF_BYPOSITION);
    if (len < 0)
        len = 0;
    buf[len < 255 ? len : 255] = L'\0';
    return buf;
}

} // namespace

int MenuBar::UseToolbarImages(const DockToolbar& toolbar) {
    HIMAGELIST images = toolbar.Images();
    if (menu_ == nullptr || images == nullptr)
        return 0;
    int cx = 0, cy = 0;
    ImageList_GetIconSize(images, &cx, &cy);
    int given = 0;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    for (int e = 0; e < EntryCount(); ++e) {
        HMENU popup = GetSubMenu(menu_, e);
        int n = popup != nullptr ? GetMenuItemCount(popup) : 0;
        for (int i = 0; i < n; ++i) {
            UINT id = GetMenuItemID(popup, i);
            int image = id == static_cast<UINT>(-1) ? -1 : toolbar.CommandImage(id);
            if (image < 0)
                continue;
            // Drawn once on the menu colour: menus show item bitmaps as they are.
            HBITMAP bmp = CreateCompatibleBitmap(screen, cx, cy);
            if (bmp == nullptr)
                continue;
            HGDIOBJ old = SelectObject(dc, bmp);
            RECT r = {0, 0, cx, cy};
            FillRect(dc, &r, GetSysColorBrush(COLOR_MENU));
            ImageList_Draw(images, image, dc, 0, 0, ILD_TRANSPARENT);
            SelectObject(dc, old);
            MENUITEMINFOW info = {};
            info.cbSize = sizeof info;
            info.fMask = MIIM_BITMAP;
            info.hbmpItem = bmp;
            if (SetMenuItemInfoW(popup, static_cast<UINT>(i), TRUE, &info)) {
                itemImages_.push_back(bmp);
                ++given;
            } else {
                DeleteObject(bmp);
            }
        }
    }
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return given;
}

MenuBar::~MenuBar() {
    if (watchedParent_ != nullptr && IsWindow(watchedParent_))
        RemoveWindowSubclass(watchedParent_, ParentSubclassProc, PARENT_SUBCLASS_ID);
    watchedParent_ = nullptr;
    Destroy();
    if (menu_ != nullptr)
        DestroyMenu(menu_);
    for (HBITMAP bmp : itemImages_)
        DeleteObject(bmp);
}

bool MenuBar::Create(HWND parent, UINT id) {
    if (!RegisterWidgetClass(MENU_BAR_CLASS, CS_HREDRAW | CS_VREDRAW, IDC_ARROW, COLOR_BTNFACE))
        return false;
    RECT r = {0, 0, 0, 0};
    if (CreateWidget(0, MENU_BAR_CLASS, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r, parent, id) ==
        nullptr)
        return false;
    if (parent != nullptr && SetWindowSubclass(parent, ParentSubclassProc, PARENT_SUBCLASS_ID,
                                               reinterpret_cast<DWORD_PTR>(this)))
        watchedParent_ = parent;
    Measure();
    return true;
}

LRESULT CALLBACK MenuBar::ParentSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                             UINT_PTR idSubclass, DWORD_PTR refData) {
    return GuardProcedure<LRESULT>(0, [&]() -> LRESULT {
        MenuBar* self = reinterpret_cast<MenuBar*>(refData);
        if (msg == WM_SYSCOMMAND && (wp & 0xFFF0) == SC_KEYMENU && self->hwnd_ != nullptr &&
            IsShownInParent(self->hwnd_)) {
            // Alt alone or F10 (0): the bar, not the window menu.
            if (lp == 0) {
                self->EnterKeyboardMode();
                return 0;
            }
            if (self->OpenByMnemonic(static_cast<wchar_t>(lp)))
                return 0;
        }
        if (msg == WM_NCDESTROY) {
            RemoveWindowSubclass(hwnd, ParentSubclassProc, idSubclass);
            self->watchedParent_ = nullptr;
        }
        return DefSubclassProc(hwnd, msg, wp, lp);
    });
}

bool MenuBar::LoadMenuResource(HINSTANCE module, UINT menuId) {
    HMENU loaded = LoadMenuW(module, MAKEINTRESOURCEW(menuId));
    if (menu_ != nullptr)
        DestroyMenu(menu_);
    menu_ = loaded;
    module_ = module;
    hot_ = pressed_ = -1;
    Measure();
    if (hwnd_ != nullptr)
        InvalidateRect(hwnd_, nullptr, TRUE);
    return menu_ != nullptr && GetMenuItemCount(menu_) > 0;
}

int MenuBar::EntryCount() const {
    if (menu_ == nullptr)
        return 0;
    int n = GetMenuItemCount(menu_);
    return n > 0 ? n : 0;
}

std::string MenuBar::EntryText(int index) const {
    if (index < 0 || index >= EntryCount())
        return std::string();
    return NarrowToUtf8(TopLevelText(menu_, index).c_str());
}

HMENU MenuBar::EntryPopup(int index) const {
    if (index < 0 || index >= EntryCount())
        return nullptr;
    return GetSubMenu(menu_, index);
}

RECT MenuBar::EntryRect(int index) const {
    if (index < 0 || index >= static_cast<int>(rects_.size()))
        return RECT{0, 0, 0, 0};
    return rects_[static_cast<size_t>(index)];
}

void MenuBar::Measure() {
    rects_.clear();
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old = SelectObject(dc, WidgetFont());
    TEXTMETRICW tm = {};
    GetTextMetricsW(dc, &tm);
    height_ = tm.tmHeight + 10;
    int x = GRIPPER_WIDTH;
    for (int i = 0; i < EntryCount(); ++i) {
        std::wstring text = TopLevelText(menu_, i);
        RECT calc = {0, 0, 0, 0};
        DrawTextW(dc, text.c_str(), -1, &calc, DT_SINGLELINE | DT_CALCRECT);
        int w = RectWidth(calc) + 2 * ENTRY_PAD_X;
        rects_.push_back(RECT{x, 2, x + w, height_ - 2});
        x += w;
    }
    SelectObject(dc, old);
    ReleaseDC(hwnd_, dc);
}

int MenuBar::HitTest(POINT pt) const {
    for (size_t i = 0; i < rects_.size(); ++i)
        if (PtInRect(&rects_[i], pt))
            return static_cast<int>(i);
    return -1;
}

int MenuBar::CalcHeight(int /*frameClientWidth*/) const {
    return hwnd_ != nullptr && IsShownInParent(hwnd_) ? height_ : 0;
}

void MenuBar::LayoutIn(RECT* remaining) {
    if (hwnd_ == nullptr || remaining == nullptr || !IsShownInParent(hwnd_))
        return;
    int h = height_;
    if (h > RectHeight(*remaining))
        h = RectHeight(*remaining);
    MoveWindow(hwnd_, remaining->left, remaining->top, RectWidth(*remaining), h, TRUE);
    remaining->top += h;
}

UINT MenuBar::TrackEntry(int index) {
    if (hwnd_ == nullptr || index < 0 || index >= EntryCount())
        return 0;
    HWND parent = GetParent(hwnd_);
    UINT cmd = 0;
    EnterMenus();
    // Left and right arrows in an open popup move to the neighbouring entry: the
    // filter ends the popup and names the entry to open next.
    for (int hops = 0; hops <= EntryCount(); ++hops) {
        HMENU popup = GetSubMenu(menu_, index);
        if (popup == nullptr) {
            // A command placed directly on the bar.
            UINT id = GetMenuItemID(menu_, index);
            cmd = id == static_cast<UINT>(-1) ? 0 : id;
            break;
        }
        pressed_ = index;
        lastTracked_ = index;
        InvalidateRect(hwnd_, nullptr, TRUE);
        UpdateWindow(hwnd_);
        RECT r = EntryRect(index);
        MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        TPMPARAMS tpm = {};
        tpm.cbSize = sizeof tpm;
        tpm.rcExclude = r;
        // Let the frame enable and check items as it would for a window menu.
        SendMessageW(parent, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup),
                     MAKELPARAM(index, FALSE));
        trackingBar_ = this;
        nextEntry_ = -1;
        HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, MenuKeyFilter, nullptr, GetCurrentThreadId());
        cmd = static_cast<UINT>(TrackPopupMenuEx(
            popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_LEFTBUTTON | TPM_VERTICAL,
            r.left, r.bottom, hwnd_, &tpm));
        if (hook != nullptr)
            UnhookWindowsHookEx(hook);
        trackingBar_ = nullptr;
        pressed_ = -1;
        if (hwnd_ != nullptr)
            InvalidateRect(hwnd_, nullptr, TRUE);
        if (promptBar_ != nullptr)
            promptBar_->ShowIdleMessage();
        if (cmd != 0 || nextEntry_ < 0 || hwnd_ == nullptr)
            break;
        index = nextEntry_;
    }
    // A chosen command runs with the focus where it was before the menus, so a dialog
    // it opens gives the focus back there.
    if (cmd != 0 && keyboardMode_)
        LeaveKeyboardMode();
    if (!keyboardMode_)
        LeaveMenus();
    if (cmd != 0 && parent != nullptr)
        SendMessageW(parent, WM_COMMAND, MAKEWPARAM(cmd, 0), 0);
    return cmd;
}

void MenuBar::EnterKeyboardMode() {
    if (hwnd_ == nullptr || EntryCount() == 0 || !IsShownInParent(hwnd_))
        return;
    HWND focus = GetFocus();
    if (!keyboardMode_)
        focusBefore_ = focus != hwnd_ ? focus : nullptr;
    EnterMenus();
    keyboardMode_ = true;
    SetFocus(hwnd_);
    SetKeyboardHot(0);
}

void MenuBar::SetKeyboardHot(int entry) {
    hot_ = entry;
    InvalidateRect(hwnd_, nullptr, TRUE);
    if (keyboardMode_ && GetFocus() == hwnd_)
        NotifyAccessible(EVENT_OBJECT_FOCUS, hwnd_, hot_ + 1);
}

void MenuBar::EnterMenus() {
    if (!inMenus_)
        NotifyAccessible(EVENT_SYSTEM_MENUSTART, hwnd_, 0);
    inMenus_ = true;
}

void MenuBar::LeaveMenus() {
    if (inMenus_)
        NotifyAccessible(EVENT_SYSTEM_MENUEND, hwnd_, 0);
    inMenus_ = false;
}

void MenuBar::LeaveKeyboardMode() {
    if (!keyboardMode_)
        return;
    keyboardMode_ = false;
    hot_ = -1;
    InvalidateRect(hwnd_, nullptr, TRUE);
    LeaveMenus();
    HWND back = focusBefore_;
    focusBefore_ = nullptr;
    if (GetFocus() == hwnd_)
        SetFocus(back != nullptr && IsWindow(back) ? back : GetParent(hwnd_));
}

bool MenuBar::OnKeyboardModeKey(UINT vk) {
    int n = EntryCount();
    switch (vk) {
    case VK_LEFT:
    case VK_RIGHT:
        if (n > 0)
            SetKeyboardHot((hot_ + (vk == VK_RIGHT ? 1 : n - 1)) % n);
        return true;
    case VK_DOWN:
    case VK_UP:
    case VK_RETURN:
    case VK_SPACE:
        // A dismissed popup leaves the bar in keyboard mode on the entry last open.
        if (TrackEntry(hot_ >= 0 ? hot_ : 0) == 0 && keyboardMode_)
            SetKeyboardHot(lastTracked_);
        return true;
    case VK_ESCAPE:
        LeaveKeyboardMode();
        return true;
    default:
        return false;
    }
}

bool MenuBar::PreTranslateKey(MSG* msg) {
    if (hwnd_ == nullptr || msg == nullptr || !IsShownInParent(hwnd_))
        return false;
    UINT vk = static_cast<UINT>(msg->wParam);
    bool repeat = (msg->lParam & (1L << 30)) != 0;
    switch (msg->message) {
    case WM_SYSKEYDOWN:
    case WM_KEYDOWN:
        if (vk == VK_MENU) {
            if (!repeat)
                altAlone_ = true;
            return keyboardMode_;
        }
        altAlone_ = false;
        if (vk == VK_F10 && (GetKeyState(VK_SHIFT) & 0x8000) == 0) {
            f10Down_ = true;
            return true;
        }
        if (keyboardMode_ && msg->hwnd == hwnd_ && OnKeyboardModeKey(vk))
            return true;
        return false;
    case WM_SYSKEYUP:
    case WM_KEYUP:
        if ((vk == VK_MENU && altAlone_) || (vk == VK_F10 && f10Down_)) {
            altAlone_ = f10Down_ = false;
            if (keyboardMode_)
                LeaveKeyboardMode();
            else
                EnterKeyboardMode();
            return true;
        }
        // Shift+F10's release too: the default handling would open the window menu.
        return vk == VK_F10 || (keyboardMode_ && msg->hwnd == hwnd_);
    case WM_SYSCHAR:
        // Alt+letter: the menus' mnemonics come before the page's.
        altAlone_ = false;
        if (msg->wParam != 0 && OpenByMnemonic(static_cast<wchar_t>(msg->wParam)))
            return true;
        return false;
    case WM_CHAR:
        if (keyboardMode_ && msg->hwnd == hwnd_) {
            if (msg->wParam > L' ')
                OpenByMnemonic(static_cast<wchar_t>(msg->wParam));
            return true;
        }
        return false;
    default:
        return false;
    }
}

MenuBar* MenuBar::trackingBar_ = nullptr;

LRESULT CALLBACK MenuBar::MenuKeyFilter(int code, WPARAM wp, LPARAM lp) {
    return GuardProcedure<LRESULT>(0, [&]() -> LRESULT {
        MenuBar* self = trackingBar_;
        const MSG* msg = reinterpret_cast<const MSG*>(lp);
        if (code == MSGF_MENU && self != nullptr && msg != nullptr && msg->message == WM_KEYDOWN &&
            (msg->wParam == VK_LEFT || msg->wParam == VK_RIGHT) && self->EntryCount() > 1) {
            int n = self->EntryCount();
            int step = msg->wParam == VK_RIGHT ? 1 : n - 1;
            self->nextEntry_ = (self->pressed_ + step) % n;
            EndMenu();
            return 1; // handled: the menu must not see the key
        }
        if (code == MSGF_MENU && self != nullptr && msg != nullptr &&
            msg->message == WM_MOUSEMOVE && self->hwnd_ != nullptr) {
            // The mouse sliding onto another entry of the bar opens that one instead.
            // The message's own screen point: in menu mode the coordinates in lParam are
            // not those of the window the message is addressed to.
            POINT pt = msg->pt;
            ScreenToClient(self->hwnd_, &pt);
            int hit = self->HitTest(pt);
            if (hit >= 0 && hit != self->pressed_) {
                self->nextEntry_ = hit;
                EndMenu();
                return 1;
            }
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    });
}

bool MenuBar::OpenByMnemonic(wchar_t ch) {
    wchar_t want = static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(
        CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(ch)))));
    for (int i = 0; i < EntryCount(); ++i) {
        std::wstring text = TopLevelText(menu_, i);
        for (size_t k = 0; k + 1 < text.size(); ++k) {
            if (text[k] != L'&')
                continue;
            if (text[k + 1] == L'&') { // "&&" is a literal ampersand
                ++k;
                continue;
            }
            wchar_t m = static_cast<wchar_t>(reinterpret_cast<UINT_PTR>(
                CharUpperW(reinterpret_cast<LPWSTR>(static_cast<UINT_PTR>(text[k + 1])))));
            if (m == want) {
                TrackEntry(i);
                return true;
            }
            break;
        }
    }
    return false;
}

void MenuBar::Paint(HDC dc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    // Gripper: two thin raised lines.
    for (int k = 0; k < 2; ++k) {
        RECT g = {3 + k * 3, 3, 5 + k * 3, client.bottom - 3};
        DrawEdge(dc, &g, BDR_RAISEDINNER, BF_RECT);
    }
    HGDIOBJ old = SelectObject(dc, WidgetFont());
    SetBkMode(dc, TRANSPARENT);
    // High contrast marks the open or highlighted entry as the system's menus do.
    bool contrast = HighContrastColours();
    for (int i = 0; i < static_cast<int>(rects_.size()); ++i) {
        RECT r = rects_[static_cast<size_t>(i)];
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        if (contrast && (i == pressed_ || i == hot_)) {
            FillRect(dc, &r, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        } else if (i == pressed_) {
            DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        } else if (i == hot_) {
            DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
        }
        std::wstring text = TopLevelText(menu_, i);
        DrawTextW(dc, text.c_str(), -1, &r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    }
    SelectObject(dc, old);
}

LRESULT MenuBar::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT answer = 0;
    if (access_.HandleMessage(hwnd_, msg, wp, lp, &answer))
        return answer;
    switch (msg) {
    case WM_PAINT: {
        PaintDc dc(hwnd_);
        Paint(dc);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEMOVE: {
        POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        SetHotItem(hwnd_, hot_, HitTest(pt), TRUE);
        return 0;
    }
    case WM_MOUSELEAVE:
        SetHotItem(hwnd_, hot_, -1, TRUE);
        return 0;
    case WM_LBUTTONDOWN: {
        POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        int hit = HitTest(pt);
        if (hit >= 0)
            TrackEntry(hit);
        return 0;
    }
    case WM_MENUSELECT: {
        if (promptBar_ == nullptr)
            return 0;
        UINT flags = HIWORD(wp);
        if (flags == 0xFFFF && lp == 0) {
            promptBar_->ShowIdleMessage();
        } else if (!(flags & (MF_POPUP | MF_SEPARATOR))) {
            std::string prompt = CommandPrompt(module_, LOWORD(wp));
            promptBar_->SetMessageText(prompt.c_str());
        }
        return 0;
    }
    case WM_KILLFOCUS:
        // The focus went elsewhere (a click, a dialog): keyboard mode ends with it.
        if (keyboardMode_) {
            keyboardMode_ = false;
            focusBefore_ = nullptr;
            hot_ = -1;
            InvalidateRect(hwnd_, nullptr, TRUE);
            LeaveMenus();
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTALLKEYS;
    case WM_SETTINGCHANGE:
        Measure();
        InvalidateRect(hwnd_, nullptr, TRUE);
        break;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

std::string MenuBar::AccName(int child) const {
    return child > 0 ? TextWithoutMnemonic(EntryText(child - 1)) : std::string();
}

std::string MenuBar::AccShortcut(int child) const {
    return child > 0 ? MnemonicShortcut(EntryText(child - 1)) : std::string();
}

std::string MenuBar::AccDefaultAction(int child) const {
    if (child <= 0)
        return std::string();
    return EntryPopup(child - 1) != nullptr ? "Open" : "Execute";
}

long MenuBar::AccRole(int child) const {
    return child == 0 ? ROLE_SYSTEM_MENUBAR : ROLE_SYSTEM_MENUITEM;
}

long MenuBar::AccState(int child) const {
    if (child <= 0)
        return 0;
    int entry = child - 1;
    long state = STATE_SYSTEM_FOCUSABLE;
    if (EntryPopup(entry) != nullptr)
        state |= STATE_SYSTEM_HASPOPUP;
    if (entry == hot_)
        state |= STATE_SYSTEM_HOTTRACKED;
    if (entry == hot_ && keyboardMode_ && GetFocus() == hwnd_)
        state |= STATE_SYSTEM_FOCUSED;
    if (entry == pressed_)
        state |= STATE_SYSTEM_PRESSED;
    return state;
}

void MenuBar::AccDoDefaultAction(int child) {
    TrackEntry(child - 1);
}
