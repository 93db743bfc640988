#include "console/framework/framework_dialog.h"

#include "console/framework/framework_app.h"
#include "console/widgets/procedure_guard.h"

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
    INT_PTR result = DialogBoxParamA(ResourceInstance(), MAKEINTRESOURCEA(templateId_), parent,
                                     &ModalDialog::DialogProc, reinterpret_cast<LPARAM>(this));
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

INT_PTR CALLBACK ModalDialog::DialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return GuardProcedure<INT_PTR>(FALSE, [&]() -> INT_PTR {
        ModalDialog* self = nullptr;
        if (message == WM_INITDIALOG) {
            self = reinterpret_cast<ModalDialog*>(lParam);
            SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
            self->hwnd_ = hwnd;
            BOOL defaultFocus = self->OnInitDialog() ? TRUE : FALSE;
            if (g_dialogTestHook != nullptr)
                g_dialogTestHook(*self, hwnd, self->templateId_);
            return defaultFocus;
        }
        self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
        if (self == nullptr)
            return FALSE;
        switch (message) {
        case WM_COMMAND: {
            UINT id = LOWORD(wParam);
            UINT code = HIWORD(wParam);
            if (self->OnCommand(id, code, reinterpret_cast<HWND>(lParam)))
                return TRUE;
            if (id == IDOK && code == BN_CLICKED) {
                self->OnOK();
                return TRUE;
            }
            if (id == IDCANCEL) {
                self->OnCancel();
                return TRUE;
            }
            return FALSE;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrA(hwnd, DWLP_USER, 0);
            return FALSE;
        default:
            return FALSE;
        }
    });
}
