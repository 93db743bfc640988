// Active Accessibility for the toolkit's owner-drawn widgets. Screen readers and
// automation tools read a window from their own process through oleacc: they send it
// WM_GETOBJECT and talk to the IAccessible it answers with. A widget that draws parts
// of its own (the navigation bar's headers and items, the menu bar's entries, the help
// tip) describes them through AccessibleParts, and its AccessibleHost answers with an
// object built on the system's proxy for the window (CreateStdAccessibleObject): the
// window keeps what the system says of it (parent, place, window states, siblings) and
// gains one simple child per part, child ids 1..n.
//
// The objects are plain COM objects of the window's thread, which must be a
// single-threaded apartment (ComApartment): calls from other processes arrive through
// its message loop. When the widget goes, its object is cut off from it: clients that
// still hold it get RPC_E_DISCONNECTED.
#pragma once

#include <windows.h>
#include <oleacc.h>

#include <string>

// Makes the calling thread a single-threaded COM apartment while the object lives, so
// its windows can hand objects to other processes. Harmless when it already is one.
class ComApartment {
public:
    ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialized_)
            CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

// What a widget tells of itself (child 0) and of its parts (1..AccChildCount()).
// Texts are UTF-8; an empty text for child 0 keeps what the system's proxy says.
class AccessibleParts {
public:
    virtual int AccChildCount() const = 0;
    virtual std::string AccName(int child) const = 0;
    virtual std::string AccValue(int) const { return std::string(); }
    virtual std::string AccDescription(int) const { return std::string(); }
    virtual std::string AccShortcut(int) const { return std::string(); }
    virtual std::string AccDefaultAction(int) const { return std::string(); }
    // ROLE_SYSTEM_*; for child 0, 0 keeps the system's role.
    virtual long AccRole(int child) const = 0;
    // STATE_SYSTEM_* of a part; for child 0, bits added to the system's.
    virtual long AccState(int child) const = 0;
    // A part's rectangle in client coordinates (empty: not on screen).
    virtual RECT AccRect(int child) const = 0;
    // The part at a client point (0: none, the window itself).
    virtual int AccHitTest(POINT client) const = 0;
    // The part with the keyboard focus while the window has it (0: the window).
    virtual int AccFocus() const { return 0; }
    // The selected part (0: none).
    virtual int AccSelection() const { return 0; }
    // Runs the default action of a part that has one; called from the window's message
    // loop, after the client's call has returned (an action may open a menu or a
    // dialog, which waits for the user).
    virtual void AccDoDefaultAction(int) {}

protected:
    ~AccessibleParts() = default;
};

class PartsAccessible;

// The accessible object of one widget window, made on the first request and cut off
// when the window goes.
class AccessibleHost {
public:
    explicit AccessibleHost(AccessibleParts& parts) : parts_(parts) {}
    ~AccessibleHost() { Disconnect(); }
    AccessibleHost(const AccessibleHost&) = delete;
    AccessibleHost& operator=(const AccessibleHost&) = delete;

    // For the widget's window procedure, first thing: answers WM_GETOBJECT for the client
    // area and runs the default actions clients asked for; cuts clients off on
    // WM_NCDESTROY. True when the message was answered here, with *result.
    bool HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
    // Cuts every client off (the window is going or the widget is being destroyed).
    void Disconnect();

private:
    AccessibleParts& parts_;
    PartsAccessible* object_ = nullptr; // one reference held while connected
};

// Tells clients of `event` (EVENT_OBJECT_*, EVENT_SYSTEM_*) on part `child` of `hwnd`'s
// client area (0: the window itself).
inline void NotifyAccessible(DWORD event, HWND hwnd, int child) {
    if (hwnd != nullptr)
        NotifyWinEvent(event, hwnd, OBJID_CLIENT, child);
}

// Text as a screen reader reads it: a menu or label text without its '&' mnemonic
// marks ("&&" stays one '&'), and "Alt+X" for the mnemonic X (empty when none).
std::string TextWithoutMnemonic(const std::string& text);
std::string MnemonicShortcut(const std::string& text);

// What a standard control's accessible object says, where the toolkit says it instead
// of the system's proxy: a name and a value (UTF-8; empty keeps the proxy's).
class ControlAccessibleText {
public:
    virtual std::string Name(HWND control) const = 0;
    virtual std::string Value(HWND) const { return std::string(); }
    virtual ~ControlAccessibleText() = default;
};

// Makes `control` (a standard or common control) answer WM_GETOBJECT for its client
// area with the system's proxy for it, except for what `text` says. Takes `text` and
// frees it with the control; everything else (children, states, actions) stays the
// proxy's. False (and `text` freed) when the control cannot be subclassed.
bool OverrideControlAccessibleText(HWND control, ControlAccessibleText* text);
