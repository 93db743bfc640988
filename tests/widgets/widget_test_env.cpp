#include "widget_test_env.h"

#include "console/widgets/outlook_bar.h"

#include <memory>

namespace {

const wchar_t HOST_CLASS[] = L"GwWidgetTestHost";

struct PendingKeys {
    HWND target;
    std::vector<UINT> keys;
};
std::unique_ptr<PendingKeys> g_pending;

void CALLBACK SendPendingKeys(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (!g_pending)
        return;
    for (UINT vk : g_pending->keys) {
        PostMessageW(g_pending->target, WM_KEYDOWN, vk, 1);
        PostMessageW(g_pending->target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
    }
    g_pending.reset();
}

} // namespace

// Shown without activation: Wine waits up to two seconds for a window manager (which
// Xvfb does not have) to let go of an active top-level window when it is hidden.
TestHost::TestHost(int width, int height) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), HOST_CLASS, &wc)) {
        wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        wc.lpszClassName = HOST_CLASS;
        RegisterClassExW(&wc);
    }
    hwnd_ = CreateWindowExW(0, HOST_CLASS, L"widget test", WS_POPUP | WS_CLIPCHILDREN, 40, 40,
                            width, height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
    ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    UpdateWindow(hwnd_);
    PumpPending();
}

TestHost::~TestHost() {
    if (hwnd_ != nullptr) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    PumpPending();
}

LRESULT CALLBACK TestHost::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    TestHost* self = reinterpret_cast<TestHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_COMMAND:
        self->commands.push_back(LOWORD(wp));
        self->commandCodes.push_back(HIWORD(wp));
        return 0;
    case WM_SIZE:
        ++self->sizeMessages;
        if (self->onSize) {
            RECT client;
            GetClientRect(hwnd, &client);
            self->onSize(client);
        }
        return 0;
    case OUTLOOK_BAR_NOTIFY: {
        const OutlookBarItemInfo* info = reinterpret_cast<const OutlookBarItemInfo*>(lp);
        self->notes.push_back(RecordedNotify{static_cast<UINT>(wp), info->index, info->group,
                                             info->image, info->text ? info->text : "(null)"});
        return self->notifyAnswer;
    }
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs)
            return done();
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (done())
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void PostKeysSoon(HWND target, std::vector<UINT> keys, UINT delayMs) {
    g_pending.reset(new PendingKeys{target, std::move(keys)});
    SetTimer(nullptr, 0, delayMs, SendPendingKeys);
}

void ClickAt(HWND hwnd, POINT pt) {
    LPARAM lp = MAKELPARAM(pt.x, pt.y);
    SendMessageW(hwnd, WM_MOUSEMOVE, 0, lp);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, lp);
    SendMessageW(hwnd, WM_LBUTTONUP, 0, lp);
}

POINT CenterOf(const RECT& r) {
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

RECT ScreenRect(HWND hwnd) {
    RECT r = {0, 0, 0, 0};
    GetWindowRect(hwnd, &r);
    return r;
}
