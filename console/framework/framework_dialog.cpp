#include "console/framework/framework_dialog.h"

#include "console/framework/framework_app.h"
#include "console/widgets/accessible_names.h"

namespace {
DialogTestHook g_dialogTestHook = nullptr;
} // namespace

DialogTestHook SetDialogTestHook(DialogTestHook hook) {
    DialogTestHook previous = g_dialogTestHook;
    g_dialogTestHook = hook;
    return previous;
}

INT_PTR ModalDialog::DoModal(HWND parent) {
    ended_ = false;
    INT_PTR result =
        DialogBoxParamA(ResourceInstance(), MAKEINTRESOURCEA(templateId_), parent,
                        &DialogProcedure<ModalDialog>::Stub, reinterpret_cast<LPARAM>(this));
    hwnd_ = nullptr;
    return result;
}

bool ModalDialog::UpdateData(bool save) {
    DataExchange dx{hwnd_, save, false};
    DoDataExchange(dx);
    return !dx.failed;
}

bool ModalDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void ModalDialog::OnOK() {
    if (UpdateData(true))
        EndDialog(IDOK);
}

void ModalDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

bool ModalDialog::OnCommand(UINT, UINT, HWND) {
    return false;
}

void ModalDialog::EndDialog(INT_PTR result) {
    ended_ = true;
    ::EndDialog(hwnd_, result);
}

INT_PTR ModalDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        NameDialogControls(hwnd_, ResourceInstance(), templateId_);
        BOOL defaultFocus = OnInitDialog() ? TRUE : FALSE;
        if (g_dialogTestHook != nullptr)
            g_dialogTestHook(*this, hwnd_, templateId_);
        return defaultFocus;
    }
    switch (message) {
    case WM_COMMAND: {
        UINT id = LOWORD(wParam);
        UINT code = HIWORD(wParam);
        if (OnCommand(id, code, reinterpret_cast<HWND>(lParam)))
            return TRUE;
        if (id == IDOK && code == BN_CLICKED) {
            OnOK();
            return TRUE;
        }
        if (id == IDCANCEL) {
            OnCancel();
            return TRUE;
        }
        return FALSE;
    }
    default:
        return OnOtherMessage(message, wParam, lParam) ? TRUE : FALSE;
    }
}
