// The frame's flat menu bar: a child window across the top of the frame that shows
// the top-level entries of a menu resource as flat buttons. Pressing one (mouse, or
// Alt+its mnemonic forwarded by the frame) drops its popup under it; the chosen
// command reaches the owner as WM_COMMAND (HIWORD 0, lParam 0), exactly as a window
// menu's would, so the frame handles menu and toolbar commands in one place.
//
// Screen readers and automation tools find it as a menu bar (WM_GETOBJECT) with one
// menu item per entry: its text without the '&', the shortcut "Alt+F" of its mnemonic,
// hot and focused while the keyboard is on it, pressed while its popup is open, and the
// default action "Open" that drops its popup. Entering the menus (keyboard mode or a
// popup opened with the mouse) raises a menu start event, leaving them a menu end event,
// as the system's menu bar does; the highlight moving in keyboard mode raises focus
// events naming the entry.
#pragma once

#include "console/widgets/accessible_object.h"
#include "console/widgets/widget_common.h"
#include "console/widgets/dock_toolbar.h"
#include "console/widgets/status_bar.h"

#include <string>
#include <vector>

// Identifier the frame gives its menu bar.
enum : UINT { ID_MENU_BAR = 59480 };

class MenuBar : public OwnedWindow, private AccessibleParts {
public:
    MenuBar() = default;
    ~MenuBar() override;

    // Creates the bar (child, visible, flat, with a gripper) in `parent`, which also
    // receives its commands. Returns false when the window cannot be created.
    bool Create(HWND parent, UINT id = ID_MENU_BAR);

    // Loads menu resource `menuId` of `module` and shows its top-level entries (a
    // top-level entry without a popup sends its command directly). The bar owns the
    // loaded menu; prompts come from `module`'s string table. False when the resource
    // is missing or has no entries (the bar is then empty).
    bool LoadMenuResource(HINSTANCE module, UINT menuId);

    // Status bar that shows the prompt (CommandPrompt) of the highlighted menu item;
    // optional, borrowed.
    void SetPromptBar(StatusBar* bar) { promptBar_ = bar; }

    // Shows each toolbar button's image beside the menu item of the same command, in
    // every popup of the loaded menu. Call after both are loaded; the bar keeps its
    // own copies of the images. Returns how many items got an image.
    int UseToolbarImages(const DockToolbar& toolbar);

    // Number of top-level entries and their texts (with their '&' mnemonics).
    int EntryCount() const;
    std::string EntryText(int index) const;
    // The popup of top-level entry `index` (owned by the bar), or null.
    HMENU EntryPopup(int index) const;
    // Client rectangle of the button of entry `index` (empty when out of range).
    RECT EntryRect(int index) const;

    // Drops the popup of entry `index` under its button and runs it; when an item is
    // chosen, sends its command to the parent. Returns the command id, 0 when the menu
    // was dismissed. Left/Right in the popup move to the neighbouring entry's popup, and
    // so does the mouse moving onto another entry.
    // This is what a click on the entry does.
    UINT TrackEntry(int index);

    // Opens the entry whose mnemonic is `ch`. Returns true when there is such an
    // entry. Alt+letter in the parent does this by itself: the bar watches the
    // parent's keyboard-menu requests (WM_SYSCOMMAND SC_KEYMENU), which a frame without
    // a window menu would otherwise only beep at.
    bool OpenByMnemonic(wchar_t ch);

    // The keyboard's way into the menus, for the frame's message filter to call with
    // every key message of its windows: Alt pressed and released alone, or F10, puts the
    // bar in keyboard mode (focus on the bar, its first entry highlighted); Alt+letter
    // opens the entry of that mnemonic. True when the message was consumed.
    // In keyboard mode Left/Right move the highlight, Down, Up, Enter or Space open the
    // entry, a letter opens the entry of that mnemonic, and Escape, Alt or F10 leave,
    // giving the focus back to the window that had it.
    bool PreTranslateKey(MSG* msg);
    bool InKeyboardMode() const { return keyboardMode_; }
    // Entry highlighted by the mouse or the keyboard (-1: none).
    int HotEntry() const { return hot_; }

    // Height the bar needs in a frame whose client area is `frameClientWidth` wide
    // (one row of entries).
    int CalcHeight(int frameClientWidth) const;
    // Layout for the frame: when visible, places the bar across the top of
    // `*remaining` and removes its height from it.
    void LayoutIn(RECT* remaining);

    static LRESULT CALLBACK ParentSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                               UINT_PTR idSubclass, DWORD_PTR refData);

private:
    static LRESULT CALLBACK MenuKeyFilter(int code, WPARAM wp, LPARAM lp);
    static MenuBar* trackingBar_; // the bar whose popup is open (one UI thread)
    int nextEntry_ = -1;          // entry to open after the arrow keys closed a popup

    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
    int AccChildCount() const override { return EntryCount(); }
    std::string AccName(int child) const override;
    std::string AccShortcut(int child) const override;
    std::string AccDefaultAction(int child) const override;
    long AccRole(int child) const override;
    long AccState(int child) const override;
    RECT AccRect(int child) const override { return EntryRect(child - 1); }
    int AccHitTest(POINT client) const override { return HitTest(client) + 1; }
    int AccFocus() const override { return keyboardMode_ && hot_ >= 0 ? hot_ + 1 : 0; }
    void AccDoDefaultAction(int child) override;
    // Menu start and end events, each once per stay in the menus.
    void EnterMenus();
    void LeaveMenus();
    // The keyboard highlight moved to `hot_`.
    void SetKeyboardHot(int entry);
    void Paint(HDC dc);
    int HitTest(POINT pt) const;
    void Measure();
    void EnterKeyboardMode();
    void LeaveKeyboardMode();
    bool OnKeyboardModeKey(UINT vk);

    HMENU menu_ = nullptr;
    HINSTANCE module_ = nullptr;
    StatusBar* promptBar_ = nullptr;
    int hot_ = -1;
    int pressed_ = -1;
    HWND watchedParent_ = nullptr; // parent whose Alt+letter we answer
    bool keyboardMode_ = false;
    bool altAlone_ = false;      // Alt is down and no other key came since
    bool f10Down_ = false;       // F10 (without Shift) is down
    HWND focusBefore_ = nullptr; // focus to give back when keyboard mode ends
    int lastTracked_ = 0;        // entry whose popup opened last
    int height_ = 0;
    std::vector<RECT> rects_;         // one per top-level entry, in menu order
    std::vector<HBITMAP> itemImages_; // menu item bitmaps made from toolbar images
    bool inMenus_ = false;            // a menu start event was raised, its end not yet
    AccessibleHost access_{*this};
};
