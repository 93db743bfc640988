// A form view: a child window laid out from a dialog template (style DS_CONTROL |
// WS_CHILD), with data exchange like a dialog. Controls' commands and notifications
// and the context menu come to the virtual handlers.
#pragma once

#include <windows.h>

#include "console/framework/framework_ddx.h"
#include "console/framework/window_procedure.h"

class FormView {
public:
    explicit FormView(UINT templateId) : templateId_(templateId) {}
    virtual ~FormView();
    FormView(const FormView&) = delete;
    FormView& operator=(const FormView&) = delete;

    // Creates the (hidden) child window from the template under `parent` with the
    // control id `id`. False when the template or a control could not be created.
    bool Create(HWND parent, UINT id);
    // Destroys the window; the object stays and can be deleted.
    void Destroy();
    HWND hwnd() const { return hwnd_; }
    UINT TemplateId() const { return templateId_; }

    // Fills the view once it is in place.
    virtual void OnInitialUpdate() { UpdateData(false); }

protected:
    bool UpdateData(bool save);
    // Members into the controls. The change notifications this makes edits send come
    // while ShowingMembers() is true, so a page can tell them from typing.
    void ShowMembers();
    bool ShowingMembers() const { return showingMembers_; }
    virtual void DoDataExchange(DataExchange&) {}
    // Called once the window and its controls exist, before it is shown.
    virtual void OnCreate() {}
    // Names the input controls for assistive tools again, as Create did: for a view that
    // has put a control of its own in place of one of the template's.
    void NameControls();
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    virtual LRESULT OnNotify(NMHDR* header);
    virtual void OnSize(int width, int height);
    virtual void OnContextMenu(HWND window, POINT screenPoint);
    // A window timer's tick; the message then goes on to the default processing.
    virtual void OnTimer(UINT_PTR) {}
    // Any other message (a view's own WM_APP messages); true when handled.
    virtual bool OnMessage(UINT, WPARAM, LPARAM) { return false; }

private:
    friend struct DialogProcedure<FormView>;
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HWND hwnd_ = nullptr;
    bool showingMembers_ = false;
};
