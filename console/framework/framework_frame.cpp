#include "console/framework/framework_frame.h"

#include "console/framework/framework_app.h"

namespace {
const char FRAME_CLASS_NAME[] = "QuillonFrameWindow";

bool RegisterFrameClass(HINSTANCE instance, UINT resourceId,
                        LRESULT(CALLBACK* proc)(HWND, UINT, WPARAM, LPARAM)) {
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof(existing);
    if (GetClassInfoExA(instance, FRAME_CLASS_NAME, &existing))
        return true;
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(resourceId));
    wc.hIconSm = static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(resourceId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = FRAME_CLASS_NAME;
    return RegisterClassExA(&wc) != 0;
}
// The system's default first size is made for 96 DPI: at a larger DPI the window grows
// by the same ratio as its text, within the work area.
void ScaleFirstSize(HWND window) {
    HDC screen = GetDC(nullptr);
    int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    if (dpi <= 96)
        return;
    RECT place = {};
    RECT work = {};
    if (!GetWindowRect(window, &place) || !SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
        return;
    int width = MulDiv(place.right - place.left, dpi, 96);
    int height = MulDiv(place.bottom - place.top, dpi, 96);
    width = width < work.right - work.left ? width : work.right - work.left;
    height = height < work.bottom - work.top ? height : work.bottom - work.top;
    int left = place.left + width <= work.right ? place.left : work.right - width;
    int top = place.top + height <= work.bottom ? place.top : work.bottom - height;
    SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}
} // namespace

FrameWindow::FrameWindow() = default;

FrameWindow::~FrameWindow() {
    if (hwnd_ != nullptr && IsWindow(hwnd_)) {
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

bool FrameWindow::Create(const char* title, UINT resourceId) {
    HINSTANCE instance = ResourceInstance();
    if (!RegisterFrameClass(instance, resourceId, &WindowProcedure<FrameWindow>::Stub))
        return false;
    accelerators_ = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(resourceId));
    DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    DWORD exStyle = WS_EX_WINDOWEDGE;
    PreCreateWindow(style, exStyle);
    HWND created =
        CreateWindowExA(exStyle, FRAME_CLASS_NAME, title, style, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    if (created != nullptr)
        ScaleFirstSize(created);
    return created != nullptr;
}

void FrameWindow::PreCreateWindow(DWORD&, DWORD&) {}

void FrameWindow::AddBar(HWND bar, BarSide side, std::function<int(int)> thickness,
                         std::function<BarSide()> currentSide) {
    if (bar != nullptr)
        bars_.push_back(Bar{bar, side, std::move(thickness), std::move(currentSide)});
}

void FrameWindow::SetBarSide(HWND bar, BarSide side) {
    for (Bar& entry : bars_)
        if (entry.hwnd == bar)
            entry.side = side;
    RecalcLayout();
}

bool FrameWindow::IsBarVisible(HWND bar) const {
    return bar != nullptr && (GetWindowLongA(bar, GWL_STYLE) & WS_VISIBLE) != 0;
}

void FrameWindow::ShowBar(HWND bar, bool show) {
    if (bar == nullptr)
        return;
    ShowWindow(bar, show ? SW_SHOW : SW_HIDE);
    RecalcLayout();
}

RECT FrameWindow::LayoutBars(bool move) const {
    RECT area = {};
    if (hwnd_ == nullptr)
        return area;
    GetClientRect(hwnd_, &area);
    for (const Bar& bar : bars_) {
        if (!IsBarVisible(bar.hwnd))
            continue;
        BarSide side = bar.currentSide ? bar.currentSide() : bar.side;
        bool horizontal = side == BarSide::Top || side == BarSide::Bottom;
        int length = horizontal ? area.right - area.left : area.bottom - area.top;
        int thickness = bar.thickness ? bar.thickness(length) : 0;
        if (thickness < 0)
            thickness = 0;
        RECT place = area;
        switch (side) {
        case BarSide::Top:
            place.bottom = place.top + thickness;
            area.top = place.bottom;
            break;
        case BarSide::Bottom:
            place.top = place.bottom - thickness;
            area.bottom = place.top;
            break;
        case BarSide::Left:
            place.right = place.left + thickness;
            area.left = place.right;
            break;
        case BarSide::Right:
            place.left = place.right - thickness;
            area.right = place.left;
            break;
        }
        if (move)
            MoveWindow(bar.hwnd, place.left, place.top, place.right - place.left,
                       place.bottom - place.top, TRUE);
    }
    if (area.bottom < area.top)
        area.bottom = area.top;
    if (area.right < area.left)
        area.right = area.left;
    return area;
}

RECT FrameWindow::ViewRect() const {
    return LayoutBars(false);
}

void FrameWindow::RecalcLayout() {
    RECT area = LayoutBars(true);
    if (clientView_ != nullptr)
        MoveWindow(clientView_, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   TRUE);
}

void FrameWindow::AddKeyFilter(std::function<bool(MSG*)> filter) {
    if (filter)
        keyFilters_.push_back(std::move(filter));
}

void FrameWindow::FocusFirstControl() {
    if (navigationWindow_ == nullptr || !IsWindow(navigationWindow_))
        return;
    HWND first = GetNextDlgTabItem(navigationWindow_, nullptr, FALSE);
    if (first == nullptr || !IsChild(navigationWindow_, first) || !IsWindowEnabled(first) ||
        !IsWindowVisible(first))
        first = navigationWindow_;
    SendMessageA(navigationWindow_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    if (GetFocus() != first)
        SetFocus(first);
}

bool FrameWindow::PreTranslateMessage(MSG* msg) {
    if (hwnd_ == nullptr)
        return false;
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST) {
        if (msg->hwnd != hwnd_ && !IsChild(hwnd_, msg->hwnd))
            return false;
        for (const std::function<bool(MSG*)>& filter : keyFilters_)
            if (filter(msg))
                return true;
        // The menu key opens the focused window's context menu on its release, as
        // Shift+F10 does; both messages are consumed so no default handling opens it twice.
        if ((msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) && msg->wParam == VK_APPS) {
            if (msg->message == WM_KEYUP)
                SendMessageA(msg->hwnd, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(msg->hwnd),
                             MAKELPARAM(-1, -1));
            return true;
        }
        if (accelerators_ != nullptr && TranslateAcceleratorA(hwnd_, accelerators_, msg))
            return true;
        if (navigationWindow_ != nullptr && IsWindow(navigationWindow_) &&
            IsChild(navigationWindow_, msg->hwnd) && IsDialogMessageA(navigationWindow_, msg))
            return true;
    }
    return false;
}

bool FrameWindow::OnCommand(UINT, UINT, HWND) {
    return false;
}

LRESULT FrameWindow::OnNotify(NMHDR*) {
    return 0;
}

void FrameWindow::OnClose() {
    DestroyWindow(hwnd_);
}

void FrameWindow::OnDestroy() {
    AppObject* app = AppObject::Current();
    if (app != nullptr && app->MainWindow() == this) {
        app->SetMainWindow(nullptr);
        PostQuitMessage(0);
    }
}

bool FrameWindow::OnMessage(UINT, WPARAM, LPARAM, LRESULT&) {
    return false;
}

LRESULT FrameWindow::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

LRESULT FrameWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    switch (message) {
    case WM_CREATE:
        if (!OnCreateClient())
            return -1;
        if (OnCreate() != 0)
            return -1;
        RecalcLayout();
        return 0;
    case WM_SIZE:
        RecalcLayout();
        return 0;
    case WM_COMMAND: {
        UINT id = LOWORD(wParam);
        UINT code = HIWORD(wParam);
        if (OnCommand(id, code, reinterpret_cast<HWND>(lParam)))
            return 0;
        AppObject* app = AppObject::Current();
        if (lParam == 0 && app != nullptr && app->OnAppCommand(id))
            return 0;
        break;
    }
    case WM_NOTIFY:
        return OnNotify(reinterpret_cast<NMHDR*>(lParam));
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus != nullptr && IsChild(hwnd_, focus))
                savedFocus_ = focus;
        }
        break;
    case WM_SETFOCUS:
        // The frame itself takes no keys: the focus goes on to the control that had it
        // before a dialog opened, else to the view's first control.
        if (savedFocus_ != nullptr && IsWindow(savedFocus_) && IsChild(hwnd_, savedFocus_) &&
            IsWindowVisible(savedFocus_) && IsWindowEnabled(savedFocus_))
            SetFocus(savedFocus_);
        else
            FocusFirstControl();
        savedFocus_ = nullptr;
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_DESTROY:
        OnDestroy();
        return 0;
    default:
        break;
    }
    if (OnMessage(message, wParam, lParam, result))
        return result;
    return DefaultProc(message, wParam, lParam);
}
