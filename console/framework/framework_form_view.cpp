#include "console/framework/framework_form_view.h"

#include "console/framework/framework_app.h"
#include "console/widgets/accessible_names.h"

FormView::~FormView() {
    Destroy();
}

bool FormView::Create(HWND parent, UINT id) {
    if (hwnd_ != nullptr)
        return false;
    HWND created =
        CreateDialogParamA(ResourceInstance(), MAKEINTRESOURCEA(templateId_), parent,
                           &DialogProcedure<FormView>::Stub, reinterpret_cast<LPARAM>(this));
    if (created == nullptr)
        return false;
    SetWindowLongPtrA(created, GWLP_ID, static_cast<LONG_PTR>(id));
    NameDialogControls(created, ResourceInstance(), templateId_);
    OnCreate();
    return true;
}

void FormView::NameControls() {
    NameDialogControls(hwnd_, ResourceInstance(), templateId_);
}

void FormView::Destroy() {
    if (hwnd_ == nullptr)
        return;
    HWND window = hwnd_;
    SetWindowLongPtrA(window, DWLP_USER, 0);
    hwnd_ = nullptr;
    DestroyWindow(window);
}

bool FormView::UpdateData(bool save) {
    if (hwnd_ == nullptr)
        return false;
    DataExchange dx{hwnd_, save, false};
    DoDataExchange(dx);
    return !dx.failed;
}

void FormView::ShowMembers() {
    showingMembers_ = true;
    UpdateData(false);
    showingMembers_ = false;
}

bool FormView::OnCommand(UINT, UINT, HWND) {
    return false;
}

LRESULT FormView::OnNotify(NMHDR*) {
    return 0;
}

void FormView::OnSize(int, int) {}

void FormView::OnContextMenu(HWND, POINT) {}

INT_PTR FormView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam)) ? TRUE
                                                                                         : FALSE;
    case WM_NOTIFY:
        SetWindowLongPtrA(hwnd_, DWLP_MSGRESULT, OnNotify(reinterpret_cast<NMHDR*>(lParam)));
        return TRUE;
    case WM_SIZE:
        OnSize(LOWORD(lParam), HIWORD(lParam));
        return TRUE;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return FALSE;
    case WM_CONTEXTMENU: {
        POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        OnContextMenu(reinterpret_cast<HWND>(wParam), point);
        return TRUE;
    }
    case WM_NCDESTROY:
        hwnd_ = nullptr;
        return FALSE;
    default:
        return OnMessage(message, wParam, lParam) ? TRUE : FALSE;
    }
}
