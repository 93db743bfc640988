// The frame window base: a top-level window that lays out its bars (menu bar and
// toolbars on any side, status bar at the bottom) around one client view, routes
// commands (unhandled ones go to the application object) and owns the accelerators.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "console/framework/framework_app.h"
#include "console/framework/window_procedure.h"

enum class BarSide { Top, Bottom, Left, Right };

class FrameWindow : public MessageFilter {
public:
    FrameWindow();
    virtual ~FrameWindow();
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    // Creates the window with `title`; the icon and accelerators come from resource
    // `resourceId` when present. False when the window could not be created.
    bool Create(const char* title, UINT resourceId);
    HWND hwnd() const { return hwnd_; }

    // The bars, laid out in the order added, each given the thickness it asks for
    // at the length of its side. A hidden bar takes no room.
    // `currentSide`, when given, is asked for the bar's side at each layout (a bar
    // that docks itself elsewhere).
    void AddBar(HWND bar, BarSide side, std::function<int(int length)> thickness,
                std::function<BarSide()> currentSide = nullptr);
    void SetBarSide(HWND bar, BarSide side);
    bool IsBarVisible(HWND bar) const;
    void ShowBar(HWND bar, bool show);
    // The window filling what the bars leave.
    void SetClientView(HWND view) { clientView_ = view; }
    HWND ClientView() const { return clientView_; }
    virtual void RecalcLayout();
    // Client area rectangle left for the view after the bars.
    RECT ViewRect() const;

    // Keyboard messages first seen by the frame (accelerators, dialog navigation of
    // the page shown). True when consumed.
    bool PreTranslateMessage(MSG* msg) override;
    // A child window whose controls take dialog keyboard navigation (Tab, arrows).
    void SetDialogNavigationWindow(HWND window) { navigationWindow_ = window; }
    // A keyboard filter asked before the accelerators (a menu bar's Alt and F10): true
    // when it consumed the message. Filters run in the order added.
    void AddKeyFilter(std::function<bool(MSG*)> filter);
    // Puts the focus on the first control of the navigation window that takes it (the
    // window itself when none does).
    void FocusFirstControl();

protected:
    // Style bits of the window before it is created.
    virtual void PreCreateWindow(DWORD& style, DWORD& exStyle);
    // Creates the client view; false fails the creation.
    virtual bool OnCreateClient() { return true; }
    // After the client view: bars and the rest. Nonzero fails the creation (-1).
    virtual int OnCreate() { return 0; }
    virtual bool OnCommand(UINT id, UINT code, HWND control);
    virtual LRESULT OnNotify(NMHDR* header);
    // WM_CLOSE; the base destroys the window.
    virtual void OnClose();
    virtual void OnDestroy();
    // Anything else; return false to let the default handling run.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    struct Bar {
        HWND hwnd;
        BarSide side;
        std::function<int(int)> thickness;
        std::function<BarSide()> currentSide;
    };

    friend struct WindowProcedure<FrameWindow>;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    RECT LayoutBars(bool move) const;

    HWND hwnd_ = nullptr;
    HACCEL accelerators_ = nullptr;
    HWND clientView_ = nullptr;
    HWND navigationWindow_ = nullptr;
    // The control that held the focus when the frame was last deactivated (a dialog or
    // message box opened): it gets the focus back when the frame is active again.
    HWND savedFocus_ = nullptr;
    std::vector<Bar> bars_;
    std::vector<std::function<bool(MSG*)>> keyFilters_;
};
