// Modal dialogs from dialog templates, and the one test seam of the dialogs: a hook
// that receives every modal dialog once its WM_INITDIALOG handling is done, so a test
// can fill its fields and press its buttons.
#pragma once

#include <windows.h>

#include "console/framework/framework_ddx.h"
#include "console/framework/window_procedure.h"

class ModalDialog;

// Called with the dialog object, its window and its template id.
using DialogTestHook = void (*)(ModalDialog& dialog, HWND window, UINT templateId);
// Installs the hook (null removes it); returns the previous one.
DialogTestHook SetDialogTestHook(DialogTestHook hook);

class ModalDialog {
public:
    explicit ModalDialog(UINT templateId) : templateId_(templateId) {}
    virtual ~ModalDialog() = default;
    ModalDialog(const ModalDialog&) = delete;
    ModalDialog& operator=(const ModalDialog&) = delete;

    // Runs the dialog; returns the button that ended it (IDOK, IDCANCEL), or -1 when
    // the template could not be loaded.
    INT_PTR DoModal(HWND parent);
    HWND hwnd() const { return hwnd_; }
    UINT TemplateId() const { return templateId_; }
    // True once EndDialog was asked for: the dialog is closing.
    bool EndRequested() const { return ended_; }

protected:
    // Controls <-> members; false when a value failed (the user was told).
    bool UpdateData(bool save);
    virtual void DoDataExchange(DataExchange&) {}
    // Default: members into the controls. Return false when the focus was set.
    virtual bool OnInitDialog();
    // Default: read the members, close with IDOK when they are valid.
    virtual void OnOK();
    virtual void OnCancel();
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    // Any other message (a dialog's own WM_APP messages, WM_NOTIFY); true when handled.
    virtual bool OnOtherMessage(UINT, WPARAM, LPARAM) { return false; }
    void EndDialog(INT_PTR result);

private:
    friend struct DialogProcedure<ModalDialog>;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND hwnd_ = nullptr;
    bool ended_ = false;
};
